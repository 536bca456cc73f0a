#pragma once
// A sound device that plays to nowhere: its play cursor follows the clock at
// the sample rate while it plays. Used where no sound device exists, so that
// songs can still be edited and played.
//
// A clock that jumps by more than half the buffer between two readings (a
// stalled polling thread) moves the cursor by just under half the buffer:
// the device loses time rather than play a half that nobody has written.

#include <atomic>
#include <cstdint>
#include <functional>
#include <string>

#include "audio/sounddevice.h"

class cNullDevice : public cSoundDevice {
 public:
  using cClock = std::function<int64_t()>;  // monotonic nanoseconds

  // An empty clock means the steady clock.
  explicit cNullDevice(cClock clock = {});

  std::string Name() const override { return "null"; }
  int32_t Open(uint32_t sampleRate, uint32_t bufferBytes) override;
  void Close() override;
  void SetPosition(uint32_t byteOffset) override;
  bool Play() override;
  void Stop() override;
  uint32_t PlayCursor() override;
  // Readings of the cursor that found the clock further on than the cursor
  // may move (a stalled polling thread).
  uint64_t DeviceUnderruns() const override { return dropped.load(std::memory_order_relaxed); }

 protected:
  // The frames from byteOffset on have just been played.
  virtual void OnPlayed(uint32_t byteOffset, uint32_t frames) {
    (void)byteOffset;
    (void)frames;
  }

 private:
  // Moves the cursor to the clock; true when time had to be dropped.
  bool Advance();
  void ReportOnset(cOnsetWatch& watch, uint32_t frames, int64_t now);

  cClock clock;
  bool playing = false;
  uint32_t cursorFrame = 0;
  int64_t lastNs = 0;          // clock at the last reading
  uint64_t pendingRateNs = 0;  // part-frame left over, in frames x 1e9
  std::atomic<uint64_t> dropped{0};
};
