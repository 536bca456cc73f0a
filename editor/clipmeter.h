#pragma once
// The clip mark beside the spectrum: the mix's running count of samples at
// full scale, read by the display timer. A clip lights the mark for two
// seconds after the last one; the message label says so once per playback
// (clips while stopped light the mark alone).

#include <cstdint>

inline constexpr const char* kClipText = "Output clipped: lower the master volume";

class cClipMeter {
 public:
  static constexpr int64_t kHoldMs = 2000;

  struct cShow {
    bool mark = false;     // the red mark is lit
    bool changed = false;  // the mark went on or off with this call
    bool say = false;      // the message label shows kClipText now
  };

  // One display period: the mix's count (wrapping at 2^32), the time in
  // milliseconds on a steady clock, and whether the song plays. The first
  // call only learns the count: clips from before the window looked are
  // not shown.
  cShow Update(uint32_t clippedTotal, int64_t nowMs, bool playing);

 private:
  bool started = false;
  uint32_t lastTotal = 0;
  bool lit = false;
  int64_t lastClipMs = 0;
  bool wasPlaying = false;
  bool saidThisPlayback = false;
};
