// The clip mark and its message, driven as the display timer drives them.

#include "editor/clipmeter.h"

#include <gtest/gtest.h>

TEST(ClipMeter, TheMarkHoldsTwoSecondsAndTheMessageComesOncePerPlayback) {
  struct Step {
    int64_t ms;
    uint32_t total;
    bool playing;
    bool mark, changed, say;
  };
  const Step steps[] = {
      {0, 500, false, false, false, false},    // clips from before the window looked
      {20, 500, true, false, false, false},    // playback starts, all clean
      {40, 502, true, true, true, true},       // the first clip says so
      {60, 510, true, true, false, false},     // more clips: no second message
      {2059, 510, true, true, false, false},   // held until 2 s after the last clip
      {2060, 510, true, false, true, false},   // then it goes out
      {2080, 515, true, true, true, false},    // the same playback clips again: the mark only
      {2100, 515, false, true, false, false},  // stopped
      {2120, 520, false, true, false, false},  // a clip while stopped: the mark alone
      {4200, 520, true, false, true, false},   // the next playback
      {4220, 521, true, true, true, true},     // says it again
      {4240, 9, true, true, false, false},     // the count wrapped: still a clip
      {7000, 9, true, false, true, false},
  };
  cClipMeter meter;
  for (const Step& s : steps) {
    const cClipMeter::cShow show = meter.Update(s.total, s.ms, s.playing);
    EXPECT_EQ(show.mark, s.mark) << "at " << s.ms;
    EXPECT_EQ(show.changed, s.changed) << "at " << s.ms;
    EXPECT_EQ(show.say, s.say) << "at " << s.ms;
  }
}
