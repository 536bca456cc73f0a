#pragma once
// Bounds-checked reading of a file held in memory. Every read says whether
// it got all it asked for; a short read takes what is there (a damaged file
// loads as far as it goes) and leaves the reader at the end.

#include <cstddef>
#include <cstdint>
#include <cstring>
#include <string>
#include <vector>

class cFileReader {
 public:
  cFileReader() = default;
  explicit cFileReader(std::vector<uint8_t> bytes) : bytes(std::move(bytes)) {}

  // Reads the whole file; false when it cannot be opened or read.
  bool Open(const std::string& path);

  size_t Size() const { return bytes.size(); }
  size_t Position() const { return position; }
  size_t Remaining() const { return bytes.size() - position; }
  const uint8_t* Data() const { return bytes.data(); }

  // Copies up to count bytes; true only when all count were there.
  bool ReadBytes(void* out, size_t count) {
    const size_t n = count < Remaining() ? count : Remaining();
    if (n > 0) std::memcpy(out, bytes.data() + position, n);
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
    if (Remaining() < sizeof(T)) {
      position = bytes.size();
      return false;
    }
    std::memcpy(value, bytes.data() + position, sizeof(T));
    position += sizeof(T);
    return true;
  }
  // Whether the bytes at offset equal text (no terminator).
  bool Matches(size_t offset, const char* text, size_t length) const {
    return offset + length <= bytes.size() && std::memcmp(bytes.data() + offset, text, length) == 0;
  }
  void Seek(size_t offset) { position = offset < bytes.size() ? offset : bytes.size(); }

 private:
  std::vector<uint8_t> bytes;
  size_t position = 0;
};
