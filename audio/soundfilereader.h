#pragma once
// Sound files of every common kind (WAV of any sample type, FLAC, AIFF, Ogg
// Vorbis and what else libsndfile reads), decoded into 16-bit samples:
// every value is rounded to the nearest step (ties to even), never
// truncated, and saturated. Float files are read with full scale at 1.0, as
// the render's float files are written.

#include <cstddef>
#include <cstdint>
#include <vector>

// Where the reader takes its bytes: a file read in pieces, or memory.
class cSoundBytes {
 public:
  virtual ~cSoundBytes() = default;
  virtual int64_t Size() const = 0;
  // Copies up to count bytes from offset; the bytes copied, fewer at the end.
  virtual int64_t ReadAt(int64_t offset, void* out, int64_t count) = 0;
};

// Bytes in memory that the caller keeps alive.
class cSoundMemory : public cSoundBytes {
 public:
  cSoundMemory(const uint8_t* data, size_t size) : data(data), size(data ? int64_t(size) : 0) {}
  int64_t Size() const override { return size; }
  int64_t ReadAt(int64_t offset, void* out, int64_t count) override;

 private:
  const uint8_t* data;
  int64_t size;
};

enum class eSoundFault {
  kNone,
  kNotSound,     // no kind libsndfile knows
  kMalformed,    // a kind it knows, damaged or cut short
  kUnsupported,  // a kind it knows, encoded in a way it cannot decode
  kChannels,     // more than two channels
  kNoSound,      // no frames
  kEndsEarly,    // the sound stops before the length the file states
  kDamaged,      // the sound could not be decoded part-way
};

class cSoundFileReader {
 public:
  // The bytes stay the caller's and must live as long as the reader.
  explicit cSoundFileReader(cSoundBytes& bytes) : bytes(bytes) {}
  ~cSoundFileReader();
  cSoundFileReader(const cSoundFileReader&) = delete;
  cSoundFileReader& operator=(const cSoundFileReader&) = delete;

  // False, with Fault(), when the bytes are no sound file that can become a
  // sample.
  bool Open();
  // As the file states it: a damaged file may claim far more than it holds.
  int64_t Frames() const { return frames; }
  int32_t Channels() const { return channels; }
  int32_t SampleRate() const { return sampleRate; }

  // Appends the Frames() x Channels() interleaved samples to out as they
  // are decoded, so that memory follows the sound the file really holds;
  // false, with Fault(), when it ends early or cannot be decoded.
  bool Decode(std::vector<int16_t>* out);

  eSoundFault Fault() const { return fault; }

 private:
  friend struct cSoundFileIo;
  cSoundBytes& bytes;
  int64_t position = 0;
  void* file = nullptr;  // SNDFILE
  int64_t frames = 0;
  int32_t channels = 0;
  int32_t sampleRate = 0;
  eSoundFault fault = eSoundFault::kNone;
};
