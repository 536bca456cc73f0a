#pragma once
// Sound files of every common kind (WAV of any sample type, FLAC, AIFF, Ogg
// Vorbis and what else libsndfile reads), decoded from bytes in memory into
// 16-bit samples: every value is rounded to the nearest step (ties to
// even), never truncated, and saturated. Float files are read with full
// scale at 1.0, as the render's float files are written.

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

class cSoundFileReader {
 public:
  // The bytes stay the caller's and must live as long as the reader.
  cSoundFileReader(const uint8_t* data, size_t size);
  ~cSoundFileReader();
  cSoundFileReader(const cSoundFileReader&) = delete;
  cSoundFileReader& operator=(const cSoundFileReader&) = delete;

  // False, with Failure(), when the bytes are no sound file libsndfile knows.
  bool Open();
  // As the file states it: a damaged file may claim far more than it holds.
  int64_t Frames() const { return frames; }
  int32_t Channels() const { return channels; }
  int32_t SampleRate() const { return sampleRate; }

  // Appends the Frames() x Channels() interleaved samples to out as they
  // are decoded, so that memory follows the sound the file really holds;
  // false, with Failure(), when it ends early or cannot be decoded.
  bool Decode(std::vector<int16_t>* out);

  const std::string& Failure() const { return failure; }

  // Where libsndfile reads from.
  struct cMemory {
    const uint8_t* data;
    int64_t size;
    int64_t position = 0;
  };

 private:
  cMemory memory;
  void* file = nullptr;  // SNDFILE
  int64_t frames = 0;
  int32_t channels = 0;
  int32_t sampleRate = 0;
  std::string failure;
};
