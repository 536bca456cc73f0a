#pragma once
// The WAV file reader, on the one bounds-checked reader of the program.

#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>

#include "song/filereader.h"

// Sample buffers carry this many zero samples before and after the sound, so
// that interpolation may read a few frames past either end.
constexpr int32_t kWaveMargin = 64;
// The most frames a wave may hold: play positions are signed 32-bit frames.
constexpr int32_t kMaxWaveFrames = 0x3FFFFF00;

// A sound read from a file, in the sample buffer layout: kWaveMargin zeros,
// frames x channels samples (interleaved), kWaveMargin zeros.
struct cWavSound {
  std::unique_ptr<int16_t[]> buffer;
  int32_t frames = 0;
  int32_t channels = 0;
  int32_t sampleRate = 0;
};

// What the reader made of a file.
enum class eWavVerdict {
  kRead,     // an 8- or 16-bit PCM WAV file, read
  kNotMine,  // no RIFF/WAVE file, or one of another sample type
  kRefused,  // a damaged file, or one that cannot become a sample: why says which
};

// Reads RIFF/WAVE PCM files of 8 or 16 bits, mono or stereo. The format may
// be the plain 16-byte form, the 18-byte form or WAVE_FORMAT_EXTENSIBLE with
// a PCM sub-format; other chunks may stand before and between "fmt " and
// "data". 8-bit samples become (byte - 128) x 256. A WAV file of another
// sample type is not its own, unless its data chunk is cut short.
class cWavReader {
 public:
  // kRead fills the sound; otherwise nothing is returned, and why says
  // whether the system refused, the file ends early, is damaged or holds
  // what no sample can be.
  eWavVerdict Read(cFileReader& in, cWavSound* sound, cFileResult* why = nullptr);

  // Of the last file read; kept as the reader's state.
  int32_t sampleRate = 0;
  int32_t channels = 0;
  int32_t bitsPerSample = 0;
  int32_t blockAlign = 0;
};

// "the file has 3 channels; only mono and stereo samples can be loaded"
cFileResult TooManyChannels(int32_t channels);
