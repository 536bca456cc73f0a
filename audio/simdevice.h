#pragma once
// A simulated sound device for tests: the cursor stays where the test puts
// it, every call is counted, and Open, Play and Lock answer what the test
// asks them to. Safe to use with the real polling thread: the cursor and
// the counters are atomic.

#include <atomic>
#include <cstdint>
#include <deque>
#include <string>

#include "audio/sounddevice.h"

class cSimDevice : public cSoundDevice {
 public:
  std::string Name() const override { return "sim"; }
  int32_t Open(uint32_t sampleRate, uint32_t bufferBytes) override;
  void Close() override;
  void SetPosition(uint32_t byteOffset) override { cursor = byteOffset; }
  bool Play() override;
  void Stop() override { ++stops; }
  uint32_t PlayCursor() override { return cursor; }
  eBufferLock Lock(uint32_t offset, uint32_t bytes) override;
  bool Restore() override;

  // Test controls.
  void SetCursor(uint32_t byteOffset) { cursor = byteOffset; }
  int16_t Sample(uint32_t index) const { return ReadSample(index); }
  // Fills the whole buffer with one value, to see which parts get written.
  void FillBuffer(int16_t value);
  // What the listener hears at a frame, with the volume applied.
  void Heard(uint32_t frame, int16_t out[2]) const { ReadPlayed(frame * 4, 1, out); }

  int32_t openResult = 0;  // what Open returns; non-zero opens nothing
  bool playResult = true;  // what Play returns
  bool restoreResult = true;
  std::deque<eBufferLock> lockResults;  // answers of the next locks; then ok

  std::atomic<uint32_t> cursor{0};
  std::atomic<int> opens{0}, closes{0}, plays{0}, stops{0}, locks{0}, restores{0};
  bool isOpen = false;
};
