#include <gtest/gtest.h>

#include "app/tracker.h"
#include "app/trackerinside.h"

namespace {

cConfig QuietConfig() {
  cConfig config;
  config.cpuCalc = 0;
  config.bpm = 140;
  config.speed = 6;
  return config;
}

}  // namespace

TEST(TrackerFx, SlotsFollowTheSongTempoAndReachTheRenderPath) {
  cTracker t(QuietConfig());
  EXPECT_EQ(t.x2ms(0), 107);
  EXPECT_EQ(t.x2ms(15), 1712);
  Inside(t).Song().bpm = 0;
  EXPECT_EQ(t.x2ms(0), 0);
  Inside(t).Song().bpm = 140;

  Inside(t).Effects().type[0][1] = 2;
  Inside(t).ChangeFxModule(1, 0, 2);
  cEffect* delay = Inside(t).GetFxObjPtr(0, 1);
  ASSERT_NE(delay, nullptr);
  EXPECT_EQ(delay->bpm, &Inside(t).Song().bpm);  // the song's own tempo, as it changes
  EXPECT_EQ(delay->speed, &Inside(t).Song().speed);

  t.SetTickHook([] {}, 882);  // one sub-block per block
  t.RenderCallback(1);
  EXPECT_EQ(delay->lastBlock, Inside(t).Renderer().ChannelBuffer(1));
  EXPECT_EQ(delay->lastBlockFrames, 882);

  Inside(t).SetSend(1, 0, 30);
  EXPECT_EQ(t.GetSend(1, 0), 30);
  t.ApplyAllFx();
  t.SilenceAll(true);

  Inside(t).ResetSong();
  EXPECT_EQ(Inside(t).GetFxObjPtr(0, 1), nullptr);
  EXPECT_EQ(Inside(t).Effects().type[0][1], 0u);
  EXPECT_EQ(t.GetSend(1, 0), 0);

  EXPECT_EQ(Inside(t).NewFxModule(0), nullptr);
  EXPECT_STREQ(Inside(t).NewFxModule(3)->GetName(), "Reverberator");
}

TEST(TrackerFx, AllocateAndDestroyFollowTheTypeTable) {
  cTracker t(QuietConfig());
  Inside(t).Effects().type[2][16] = 9;
  Inside(t).Effects().type[0][0] = 1;
  Inside(t).AllocateFxModules();
  EXPECT_STREQ(Inside(t).GetFxObjPtr(2, 16)->GetName(), "Equalizer (5 Bands)");
  EXPECT_STREQ(Inside(t).GetFxObjPtr(0, 0)->GetName(), "FastFilter 24db");
  Inside(t).DestroyFxModules();
  EXPECT_EQ(Inside(t).GetFxObjPtr(2, 16), nullptr);
  EXPECT_EQ(Inside(t).Effects().type[0][0], 0u);
}

TEST(TrackerFx, AnAuxChainRunsOnlyWhileFedAndEffectsAreOn) {
  cTracker t(QuietConfig());
  Inside(t).ChangeFxModule(16 + 2, 1, 3);
  cEffect* busReverb = Inside(t).GetFxObjPtr(1, 18);
  Inside(t).ChangeFxModule(0, 0, 3);
  cEffect* channelReverb = Inside(t).GetFxObjPtr(0, 0);
  t.SetTickHook([] {}, 882);  // one sub-block per block

  t.RenderCallback(1);
  EXPECT_EQ(busReverb->lastBlock, nullptr);  // nobody sends to bus 2
  EXPECT_NE(channelReverb->lastBlock, nullptr);

  t.SetFxEngine(0);
  Inside(t).SetSend(0, 2, 100);
  t.RenderCallback(1);
  EXPECT_EQ(busReverb->lastBlock, nullptr);  // effects off: nothing runs

  t.SetFxEngine(1);
  t.RenderCallback(1);
  EXPECT_EQ(busReverb->lastBlock, Inside(t).Renderer().ChannelBuffer(18));
}
