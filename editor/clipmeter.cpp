#include "editor/clipmeter.h"

cClipMeter::cShow cClipMeter::Update(uint32_t clippedTotal, int64_t nowMs, bool playing) {
  const bool clipped = started && clippedTotal != lastTotal;
  started = true;
  lastTotal = clippedTotal;
  if (playing && !wasPlaying) saidThisPlayback = false;
  wasPlaying = playing;

  cShow show;
  if (clipped) lastClipMs = nowMs;
  const bool mark = clipped || (lit && nowMs - lastClipMs < kHoldMs);
  show.changed = mark != lit;
  show.mark = lit = mark;
  if (clipped && playing && !saidThisPlayback) {
    saidThisPlayback = true;
    show.say = true;
  }
  return show;
}
