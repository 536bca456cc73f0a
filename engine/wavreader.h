#pragma once
// Bytes from outside: one bounds-checked reader and one writer, over an open
// file or over bytes in memory, and the WAV file reader built on them. Every
// read says whether it got all it asked for; nothing indexes file bytes with
// pointer arithmetic.

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <memory>
#include <string>
#include <vector>

class cByteReader {
 public:
  // Reads from the file's current position to its end; the file stays open
  // and owned by the caller.
  explicit cByteReader(std::FILE* file);
  cByteReader(const uint8_t* bytes, size_t size);

  // False, and nothing stored, when fewer than size bytes remain.
  bool ReadBytes(void* dest, size_t size);
  bool Read(uint32_t* value);  // little-endian
  bool Read(int32_t* value);   // little-endian
  bool Read(uint16_t* value);  // little-endian
  // count signed 16-bit little-endian samples.
  bool ReadSamples(int16_t* dest, size_t count);
  bool Skip(uint64_t size);
  uint64_t Remaining() const { return size - position; }

 private:
  std::FILE* file = nullptr;
  const uint8_t* bytes = nullptr;
  uint64_t size = 0;
  uint64_t position = 0;
};

class cByteWriter {
 public:
  explicit cByteWriter(std::FILE* file) : file(file) {}
  explicit cByteWriter(std::vector<uint8_t>* bytes) : bytes(bytes) {}

  void WriteBytes(const void* source, size_t size);
  void Write(uint32_t value);  // little-endian
  void Write(int32_t value) { Write(uint32_t(value)); }
  // count signed 16-bit samples, little-endian.
  void WriteSamples(const int16_t* source, size_t count);
  // False once any write has failed.
  bool Ok() const { return ok; }

 private:
  std::FILE* file = nullptr;
  std::vector<uint8_t>* bytes = nullptr;
  bool ok = true;
};

// Sample buffers carry this many zero samples before and after the sound, so
// that interpolation may read a few frames past either end.
constexpr int32_t kWaveMargin = 64;

// A sound read from a WAV file, in the sample buffer layout: kWaveMargin
// zeros, frames x channels samples (interleaved), kWaveMargin zeros.
struct cWavSound {
  std::unique_ptr<int16_t[]> buffer;
  int32_t frames = 0;
  int32_t channels = 0;
  int32_t sampleRate = 0;
};

// Reads RIFF/WAVE PCM files of 8 or 16 bits, mono or stereo. The format may
// be the plain 16-byte form, the 18-byte form or WAVE_FORMAT_EXTENSIBLE with
// a PCM sub-format; other chunks may stand before and between "fmt " and
// "data". 8-bit samples become (byte - 128) x 256.
class cWavReader {
 public:
  // False on any fault of the file (nothing is returned then).
  bool Read(const std::string& path, cWavSound* sound);
  bool Read(cByteReader& in, cWavSound* sound);

  // Of the last file read; kept as the reader's state.
  int32_t sampleRate = 0;
  int32_t channels = 0;
  int32_t bitsPerSample = 0;
  int32_t blockAlign = 0;
};
