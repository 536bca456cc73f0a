#include <gtest/gtest.h>

#include <vector>

#include "app/tracker.h"
#include "app/trackerinside.h"
#include "engine/sampler.h"
#include "support/waiting.h"

namespace {

cConfig QuietConfig() {
  cConfig config;
  config.cpuCalc = 0;
  return config;
}

}  // namespace

TEST(TrackerWaves, EverySamplerPlaysFromTheStoreThatTheSongResetEmpties) {
  cTracker t(QuietConfig());
  std::vector<int16_t> sound(2000, 3000);
  ASSERT_TRUE(Inside(t).Waves().SetSlot(5, sound.data(), 2000, 0, 0, 1999, "hit"));

  cGenManager& g = Inside(t).Generators();
  g.currentChannel = 11;
  g.SelectGenerator(kGenSampler);
  int16_t block[128] = {};
  g.GetDefaults(block);
  block[2] = 5;
  g.LoadInstrument(block);
  g.NoteOn(48);
  std::vector<float> out(2 * 256);
  g.Render(out.data(), 256);
  EXPECT_GT(out[2 * 255], 100.0f);
  EXPECT_EQ(g.VoiceCount(), 1);

  Inside(t).ResetSong();
  EXPECT_FALSE(Inside(t).Waves().InUse(5));
  g.currentChannel = 11;
  g.Render(out.data(), 256);  // the voice lets go of the emptied slot
  EXPECT_EQ(out[0], 0.0f);
  EXPECT_EQ(g.VoiceCount(), 0);
}

TEST(TrackerWaves, TheStoreWaitsForTheEngineLock) {
  cTracker t(QuietConfig());
  EXPECT_TRUE(CallWaitsFor(Inside(t).EngineLock(), [&] {
    cWaveEntry e;
    Inside(t).Waves().GetEntry(0, &e);
  }));
}
