#pragma once
// Bytes from outside, read through one bounds-checked reader: every loader
// (songs, presets, modules, wave lists, WAV files, the wavetable cache) reads
// its file with it, and nothing indexes file bytes by pointer arithmetic.
// Every read says whether it got all it asked for. A short read takes what
// is there and leaves the reader at the end, so that a damaged file loads as
// far as it goes and every later read fails too.

#include <cstddef>
#include <cstdint>
#include <cstring>
#include <string>
#include <type_traits>
#include <vector>

class cFileReader {
 public:
  cFileReader() = default;
  // Owns the bytes.
  explicit cFileReader(std::vector<uint8_t> bytes)
      : owned(std::move(bytes)), bytes(owned.data()), size(owned.size()) {}
  // Reads bytes that the caller keeps alive for the reader's life.
  cFileReader(const uint8_t* data, size_t count) : bytes(data), size(data ? count : 0) {}
  cFileReader(cFileReader&&) = default;
  cFileReader& operator=(cFileReader&&) = default;
  cFileReader(const cFileReader&) = delete;
  cFileReader& operator=(const cFileReader&) = delete;

  // Reads the whole file; false when it cannot be opened or read.
  bool Open(const std::string& path);

  size_t Size() const { return size; }
  size_t Position() const { return position; }
  size_t Remaining() const { return size - position; }

  // Copies up to count bytes; true only when all count were there.
  bool ReadBytes(void* out, size_t count) {
    const size_t n = count < Remaining() ? count : Remaining();
    if (n > 0) std::memcpy(out, bytes + position, n);
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
    if (Remaining() < sizeof(T)) {
      position = size;
      return false;
    }
    *value = At<T>(position);
    position += sizeof(T);
    return true;
  }
  // count signed 16-bit little-endian samples; nothing when they are not
  // all there.
  bool ReadSamples(int16_t* out, size_t count) {
    if (count > Remaining() / 2) {
      position = size;
      return false;
    }
    for (size_t i = 0; i < count; ++i) out[i] = At<int16_t>(position + 2 * i);
    position += 2 * count;
    return true;
  }
  // The integer at an offset, wherever the reader stands; false when the
  // file ends before it.
  template <typename T>
  bool PeekAt(size_t offset, T* value) const {
    static_assert(std::is_integral_v<T>, "integers only");
    if (offset > size || size - offset < sizeof(T)) return false;
    *value = At<T>(offset);
    return true;
  }
  // Whether the bytes at offset equal text (no terminator).
  bool Matches(size_t offset, const char* text, size_t length) const {
    return offset <= size && length <= size - offset &&
           std::memcmp(bytes + offset, text, length) == 0;
  }
  void Seek(size_t offset) { position = offset < size ? offset : size; }

 private:
  template <typename T>
  T At(size_t offset) const {
    using U = std::make_unsigned_t<T>;
    U v = 0;
    for (size_t i = 0; i < sizeof(T); ++i) v = U(v | U(U(bytes[offset + i]) << (8 * i)));
    return T(v);
  }

  std::vector<uint8_t> owned;
  const uint8_t* bytes = nullptr;
  size_t size = 0;
  size_t position = 0;
};
