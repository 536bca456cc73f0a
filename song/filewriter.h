#pragma once
// Writing a file so that a failure never destroys the previous one: the
// bytes gather in memory, go to a temporary file in the same folder, are
// flushed to disk, and only then replace the target.

#include <cstddef>
#include <cstdint>
#include <cstring>
#include <string>
#include <vector>

class cFileWriter {
 public:
  void WriteBytes(const void* data, size_t count) {
    if (count == 0) return;
    const size_t at = bytes.size();
    bytes.resize(at + count);
    std::memcpy(bytes.data() + at, data, count);
  }
  template <typename T>
  void Write(T value) {
    WriteBytes(&value, sizeof(T));
  }
  // An 8-character marker, written without its terminator.
  void WriteMarker(const char* marker) { WriteBytes(marker, 8); }

  const std::vector<uint8_t>& Bytes() const { return bytes; }

  // False on any failure, with the target as it was.
  bool Commit(const std::string& path) const;

 private:
  std::vector<uint8_t> bytes;
};
