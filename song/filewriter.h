#pragma once
// Writing a file so that a failure never destroys the previous one: the
// bytes gather in memory, go to a temporary file in the target's folder, are
// flushed to disk, and only then replace the target. Integers are written
// little-endian, as every file of the program stores them.

#include <cstddef>
#include <cstdint>
#include <cstring>
#include <string>
#include <type_traits>
#include <vector>

#include "song/fileresult.h"

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

  // Replaces the file at path with the bytes; false, with the system's
  // reason, on any failure, and the target is then as it was.
  // A path that is a symbolic link keeps the link: the file it names is
  // replaced, in that file's folder. An existing target keeps its mode, and
  // its owner and group as far as the user may set them.
  // The bytes go to an unnamed temporary file where the filesystem offers
  // one, so that a process killed while writing leaves nothing behind;
  // elsewhere a named one, ".NAME.murvelon-XXXXXX", and the next save to
  // the same target removes those of them whose writer is gone.
  bool Commit(const std::string& path, cFileResult* why = nullptr) const;

  // Tests: afterPiece runs after each piece of up to kPieceBytes written
  // (a test stops or kills the process there); namedTemporary takes the
  // named temporary where an unnamed one would be offered.
  static constexpr size_t kPieceBytes = 1 << 20;
  struct cTestSeams {
    void (*afterPiece)() = nullptr;
    bool namedTemporary = false;
  };
  static cTestSeams testSeams;

 private:
  std::vector<uint8_t> bytes;
};
