#pragma once
// The files a render writes: stereo sound in one of five formats, written
// under a temporary name beside the target and put in its place only when
// complete, so that a cancelled or failed render leaves no partial file and
// never destroys an older one. 16-bit WAV is cWavFile's, byte for byte; the
// other formats go through libsndfile.
// Not for the audio thread: it allocates and writes files.

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

class cWavFile;

enum class eSoundFormat { kWav16, kWav24, kWavFloat, kFlac16, kFlac24 };

// The command line's names: "wav16", "wav24", "float", "flac16", "flac24".
bool ParseSoundFormat(const std::string& name, eSoundFormat* format);
const char* SoundFormatName(eSoundFormat format);
// What a file name asks for: ".flac" (in any case) is 16-bit FLAC, any other
// name 16-bit WAV.
eSoundFormat SoundFormatForPath(const std::string& path);
bool IsFlac(eSoundFormat format);
// ".wav" or ".flac".
const char* SoundFormatSuffix(eSoundFormat format);

class cSoundFileWriter {
 public:
  cSoundFileWriter();
  // A file not committed is removed.
  ~cSoundFileWriter();
  cSoundFileWriter(const cSoundFileWriter&) = delete;
  cSoundFileWriter& operator=(const cSoundFileWriter&) = delete;

  // Starts the file; false (with Failure()) when it cannot be created.
  bool Open(const std::string& path, eSoundFormat format, int32_t sampleRate);

  // Appends interleaved stereo frames. `mix` is the sound before dither in
  // 16-bit scale (full scale 32768); 24-bit formats store round(mix x 256),
  // saturated, and float stores mix / 32768, unclipped. `finished` are the
  // dithered 16-bit samples of the same frames, which the 16-bit formats
  // store; without them those formats store the mix rounded and saturated.
  bool Write(const double* mix, const int16_t* finished, int32_t frames);

  // Completes the file, flushes it to disk and renames it to the target.
  bool Commit();
  // Removes what has been written; the target stays as it was.
  void Abort();

  // The reason of the first failure, in the system's words where it has them.
  const std::string& Failure() const { return failure; }
  // Samples of the mix beyond the format's full scale, saturated when stored.
  int64_t ClippedSamples() const { return clipped; }
  const std::string& Path() const { return target; }

 private:
  struct cSndFile;
  bool Fail(const std::string& reason);
  void Close();

  eSoundFormat format = eSoundFormat::kWav16;
  std::string target, temporary;
  std::string failure;
  int64_t clipped = 0;
  bool open = false;
  std::unique_ptr<cWavFile> wav;    // 16-bit WAV
  std::unique_ptr<cSndFile> sound;  // the other formats
  uint64_t dataBytes = 0;           // sound data written so far
  std::vector<int16_t> pcm16;
  std::vector<int32_t> pcm24;
  std::vector<float> floats;
};
