#pragma once
// The null device that also records: every frame that plays (with the
// volume applied) goes to a 16-bit stereo WAV file at the sample rate. The
// file is written by the polling thread as the cursor moves and finished,
// with its sizes filled in, on Close.

#include <cstdint>
#include <cstdio>
#include <memory>
#include <string>

#include "audio/nulldevice.h"
#include "audio/wavfile.h"

class cWavDevice : public cNullDevice {
 public:
  explicit cWavDevice(std::string path, cClock clock = {});
  ~cWavDevice() override;

  std::string Name() const override { return "wav:" + path; }
  // A file that cannot be created counts as a device that cannot be created.
  int32_t Open(uint32_t sampleRate, uint32_t bufferBytes) override;
  void Close() override;

  // A write to the file failed (disk full); what played after it is missing.
  bool WriteFailed() const { return file.Failed(); }
  uint64_t FramesWritten() const { return file.FramesWritten(); }

 protected:
  void OnPlayed(uint32_t byteOffset, uint32_t frames) override;

 private:
  static constexpr uint32_t kChunkFrames = 4096;

  std::string path;
  cWavFile file;
  std::unique_ptr<int16_t[]> chunk;  // kChunkFrames stereo frames
};
