#pragma once
// Bytes from outside, read through one bounds-checked reader: every loader
// (songs, presets, modules, wave lists, WAV files, the wavetable cache) reads
// its file with it, and nothing indexes file bytes by pointer arithmetic.
// Every read says whether it got all it asked for. A short read takes what
// is there and leaves the reader at the end, so that a damaged file loads as
// far as it goes and every later read fails too.
//
// A file is read in pieces as the reads ask for them, through one window of
// kWindowBytes: a file of any size costs that much memory and no more, and
// what a loader never asks for is never read.

#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>
#include <type_traits>
#include <vector>

#include "song/fileresult.h"

class cFileReader {
 public:
  static constexpr size_t kWindowBytes = 65536;

  cFileReader() = default;
  // Owns the bytes.
  explicit cFileReader(std::vector<uint8_t> bytes)
      : owned(std::move(bytes)), bytes(owned.data()), size(owned.size()) {}
  // Reads bytes that the caller keeps alive for the reader's life.
  cFileReader(const uint8_t* data, size_t count) : bytes(data), size(data ? count : 0) {}
  cFileReader(cFileReader&& other) noexcept { *this = std::move(other); }
  cFileReader& operator=(cFileReader&& other) noexcept;
  cFileReader(const cFileReader&) = delete;
  cFileReader& operator=(const cFileReader&) = delete;
  ~cFileReader() { Close(); }

  // Opens a regular file to be read in pieces. False, with the reason, when
  // it cannot be opened, is a folder (the system's "Is a directory") or is
  // no regular file at all (a pipe or a device: not this kind).
  bool Open(const std::string& path, cFileResult* why = nullptr);

  size_t Size() const { return size; }
  size_t Position() const { return position; }
  size_t Remaining() const { return size - position; }
  // The system's code when reading the file failed part-way (the reader
  // then acts as if the file ended there); 0 while every read went through.
  int ReadError() const { return readError; }
  // What a failed read means: the system's reason when reading failed,
  // otherwise the loader's own finding.
  cFileResult FaultOr(const cFileResult& finding) const {
    return readError != 0 ? cFileResult::System(readError) : finding;
  }

  // Copies up to count bytes; true only when all count were there.
  bool ReadBytes(void* out, size_t count) {
    const size_t wanted = count < Remaining() ? count : Remaining();
    const size_t n = Fetch(position, static_cast<uint8_t*>(out), wanted);
    position += n;
    return n == count;
  }
  bool Skip(size_t count) {
    const size_t n = count < Remaining() ? count : Remaining();
    position += n;
    return n == count;
  }
  // A little-endian integer; false (and value untouched) when cut short.
  template <typename T>
  bool Read(T* value) {
    static_assert(std::is_integral_v<T>, "integers only");
    uint8_t b[sizeof(T)];
    if (Remaining() < sizeof(T) || Fetch(position, b, sizeof(T)) != sizeof(T)) {
      position = size;
      return false;
    }
    *value = Decode<T>(b);
    position += sizeof(T);
    return true;
  }
  // count signed 16-bit little-endian samples; nothing when they are not
  // all there.
  bool ReadSamples(int16_t* out, size_t count);
  // The integer at an offset, wherever the reader stands; false when the
  // file ends before it.
  template <typename T>
  bool PeekAt(size_t offset, T* value) const {
    static_assert(std::is_integral_v<T>, "integers only");
    uint8_t b[sizeof(T)];
    if (offset > size || size - offset < sizeof(T) || Fetch(offset, b, sizeof(T)) != sizeof(T))
      return false;
    *value = Decode<T>(b);
    return true;
  }
  // Whether the bytes at offset equal text (no terminator).
  bool Matches(size_t offset, const char* text, size_t length) const;
  void Seek(size_t offset) { position = offset < size ? offset : size; }

 private:
  template <typename T>
  static T Decode(const uint8_t* b) {
    using U = std::make_unsigned_t<T>;
    U v = 0;
    for (size_t i = 0; i < sizeof(T); ++i) v = U(v | U(U(b[i]) << (8 * i)));
    return T(v);
  }
  // Copies count bytes from offset (all inside the file as far as it is
  // known); the bytes copied, fewer only when the file turned out shorter
  // or a read failed, and the file's size is then cut to where it ended.
  size_t Fetch(size_t offset, uint8_t* out, size_t count) const;
  void Close();

  std::vector<uint8_t> owned;
  const uint8_t* bytes = nullptr;  // in memory; null for a file
  int fd = -1;
  // The bytes of the file that were read last, from windowStart on.
  mutable std::unique_ptr<uint8_t[]> window;
  mutable size_t windowStart = 0, windowLength = 0;
  mutable size_t size = 0;
  mutable int readError = 0;
  size_t position = 0;
};
