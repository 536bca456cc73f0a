#pragma once
// Measures when a sound reaches the device: armed before a note is played,
// it keeps the time of the first frame louder than a threshold that the
// device plays. With a callback device that time is the callback's that
// carries the frame; the null device gives each frame its own time on its
// clock. Lock-free: the device thread reports, any thread arms and reads.

#include <atomic>
#include <cstdint>

// The steady clock in nanoseconds: the time base of arrivals and onsets.
int64_t SteadyNowNs();

class cOnsetWatch {
 public:
  // Any thread: the next frame with a sample of more than threshold in
  // magnitude is the onset. Silence of the render path is dither, 0 or 1.
  void Arm(int16_t threshold);
  // The onset's time, 0 while none has been played since Arm.
  int64_t OnsetNs() const { return onset.load(std::memory_order_acquire); }
  bool Armed() const { return level.load(std::memory_order_relaxed) > 0; }

  // Device thread: count stereo frames start playing at firstNs, one every
  // frameNs after it (0: all at once).
  void Played(const int16_t* frames, uint32_t count, int64_t firstNs, double frameNs);

 private:
  std::atomic<int32_t> level{0};  // the threshold; 0 disarmed
  std::atomic<int64_t> onset{0};
};
