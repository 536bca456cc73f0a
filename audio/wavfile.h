#pragma once
// A 16-bit stereo WAV file written as it goes: the header's sizes are filled
// in when the file is finished.

#include <cstdint>
#include <cstdio>
#include <memory>
#include <string>

class cWavFile {
 public:
  cWavFile() = default;
  ~cWavFile() { Finish(); }
  cWavFile(const cWavFile&) = delete;
  cWavFile& operator=(const cWavFile&) = delete;

  // Creates the file; false when it cannot be created.
  bool Create(const std::string& path, uint32_t sampleRate);
  // Appends interleaved frames; false once a write has failed or the file is
  // full (RIFF sizes are 32-bit). What does not fit is dropped.
  bool Append(const int16_t* frames, uint32_t count);
  // Fills in the sizes and closes; false when any write failed.
  bool Finish();

  bool IsOpen() const { return file != nullptr; }
  bool Failed() const { return failed; }
  uint64_t FramesWritten() const { return dataBytes / 4; }

 private:
  std::FILE* file = nullptr;
  std::unique_ptr<char[]> buffer;  // the file's stdio buffer
  uint32_t rate = 0;
  uint64_t dataBytes = 0;
  bool failed = false;
};
