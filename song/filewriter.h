#pragma once
// Writing a file so that a failure never destroys the previous one: the
// bytes gather in memory, go to a temporary file in the same folder, are
// flushed to disk, and only then replace the target. Integers are written
// little-endian, as every file of the program stores them.

#include <cstddef>
#include <cstdint>
#include <cstring>
#include <string>
#include <type_traits>
#include <vector>

class cFileWriter {
 public:
  void WriteBytes(const void* data, size_t count) {
    if (count == 0) return;
    const auto* p = static_cast<const uint8_t*>(data);
    bytes.insert(bytes.end(), p, p + count);
  }
  template <typename T>
  void Write(T value) {
    static_assert(std::is_integral_v<T>, "integers only");
    using U = std::make_unsigned_t<T>;
    for (size_t i = 0; i < sizeof(T); ++i) bytes.push_back(uint8_t(U(value) >> (8 * i)));
  }
  // count signed 16-bit samples.
  void WriteSamples(const int16_t* samples, size_t count) {
    bytes.reserve(bytes.size() + 2 * count);
    for (size_t i = 0; i < count; ++i) Write(samples[i]);
  }
  // An 8-character marker, written without its terminator.
  void WriteMarker(const char* marker) { WriteBytes(marker, 8); }

  const std::vector<uint8_t>& Bytes() const { return bytes; }

  // False on any failure, with the target as it was.
  bool Commit(const std::string& path) const;

 private:
  std::vector<uint8_t> bytes;
};
