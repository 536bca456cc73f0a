#include <gtest/gtest.h>

#include "app/tracker.h"

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
  t.Song().bpm = 0;
  EXPECT_EQ(t.x2ms(0), 0);
  t.Song().bpm = 140;

  t.Effects().type[0][1] = 2;
  t.ChangeFxModule(1, 0, 2);
  cEffect* delay = t.GetFxObjPtr(0, 1);
  ASSERT_NE(delay, nullptr);
  EXPECT_EQ(delay->bpm, &t.Song().bpm);  // the song's own tempo, as it changes
  EXPECT_EQ(delay->speed, &t.Song().speed);

  t.SetTickHook([] {}, 882);  // one sub-block per block
  t.RenderCallback(1);
  EXPECT_EQ(delay->lastBlock, t.Renderer().ChannelBuffer(1));
  EXPECT_EQ(delay->lastBlockFrames, 882);

  t.SetSend(1, 0, 30);
  EXPECT_EQ(t.GetSend(1, 0), 30);
  t.ApplyAllFx();
  t.SilenceAll(true);

  t.ResetSong();
  EXPECT_EQ(t.GetFxObjPtr(0, 1), nullptr);
  EXPECT_EQ(t.Effects().type[0][1], 0u);
  EXPECT_EQ(t.GetSend(1, 0), 0);

  EXPECT_EQ(t.NewFxModule(0), nullptr);
  EXPECT_STREQ(t.NewFxModule(3)->GetName(), "Reverberator");
}

TEST(TrackerFx, AllocateAndDestroyFollowTheTypeTable) {
  cTracker t(QuietConfig());
  t.Effects().type[2][16] = 9;
  t.Effects().type[0][0] = 1;
  t.AllocateFxModules();
  EXPECT_STREQ(t.GetFxObjPtr(2, 16)->GetName(), "Equalizer (5 Bands)");
  EXPECT_STREQ(t.GetFxObjPtr(0, 0)->GetName(), "FastFilter 24db");
  t.DestroyFxModules();
  EXPECT_EQ(t.GetFxObjPtr(2, 16), nullptr);
  EXPECT_EQ(t.Effects().type[0][0], 0u);
}

TEST(TrackerFx, AnAuxChainRunsOnlyWhileFedAndEffectsAreOn) {
  cTracker t(QuietConfig());
  t.ChangeFxModule(16 + 2, 1, 3);
  cEffect* busReverb = t.GetFxObjPtr(1, 18);
  t.ChangeFxModule(0, 0, 3);
  cEffect* channelReverb = t.GetFxObjPtr(0, 0);
  t.SetTickHook([] {}, 882);  // one sub-block per block

  t.RenderCallback(1);
  EXPECT_EQ(busReverb->lastBlock, nullptr);  // nobody sends to bus 2
  EXPECT_NE(channelReverb->lastBlock, nullptr);

  t.SetFxEngine(0);
  t.SetSend(0, 2, 100);
  t.RenderCallback(1);
  EXPECT_EQ(busReverb->lastBlock, nullptr);  // effects off: nothing runs

  t.SetFxEngine(1);
  t.RenderCallback(1);
  EXPECT_EQ(busReverb->lastBlock, t.Renderer().ChannelBuffer(18));
}
