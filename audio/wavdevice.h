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

class cWavDevice : public cNullDevice {
 public:
  explicit cWavDevice(std::string path, cClock clock = {});
  ~cWavDevice() override;

  std::string Name() const override { return "wav:" + path; }
  // A file that cannot be created counts as a device that cannot be created.
  int32_t Open(uint32_t sampleRate, uint32_t bufferBytes) override;
  void Close() override;

  // A write to the file failed (disk full); what played after it is missing.
  bool WriteFailed() const { return writeFailed; }
  uint64_t FramesWritten() const { return dataBytes / 4; }

 protected:
  void OnPlayed(uint32_t byteOffset, uint32_t frames) override;

 private:
  static constexpr uint32_t kChunkFrames = 4096;

  std::string path;
  std::FILE* file = nullptr;
  std::unique_ptr<int16_t[]> chunk;  // kChunkFrames stereo frames
  std::unique_ptr<uint8_t[]> bytes;  // the same, little-endian
  uint32_t fileRate = 0;
  uint64_t dataBytes = 0;
  bool writeFailed = false;
};
