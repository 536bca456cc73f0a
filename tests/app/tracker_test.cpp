#include "app/tracker.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <stdexcept>
#include <string>

#include "app/trackerinside.h"
#include "engine/bass.h"

namespace {

cConfig QuietConfig() {
  cConfig config;
  config.cpuCalc = 0;  // no 1.5 s clock measurement in tests
  return config;
}

}  // namespace

TEST(Tracker, ANewTrackerHoldsTheConfiguredEmptySong) {
  cConfig config = QuietConfig();
  config.chans = 8;
  config.bpm = 140;
  cTracker t(config);
  EXPECT_EQ(Inside(t).Song().channelCount, 8);
  EXPECT_EQ(Inside(t).Song().bpm, 140);
  EXPECT_EQ(Inside(t).Song().masterVolume, 120);
  EXPECT_EQ(Inside(t).Renderer().BlockFrames(), 882);
  EXPECT_EQ(Inside(t).Renderer().HalfFrames(), 3528);
  EXPECT_EQ(t.CpuMhz(), 0u);
}

TEST(Tracker, RenderCallbackRunsTheTickHookUnderTheEngineLock) {
  cTracker t(QuietConfig());
  int ticks = 0;
  t.SetTickHook(
      [&] {
        // The lock is re-entrant and held by this thread.
        std::unique_lock<std::recursive_mutex> again(Inside(t).EngineLock(), std::try_to_lock);
        EXPECT_TRUE(again.owns_lock());
        ++ticks;
      },
      441);
  t.RenderCallback(0);
  EXPECT_EQ(ticks, 2);
}

TEST(Tracker, AnExceptionWhileRenderingIsFatal) {
  cTracker t(QuietConfig());
  std::string reported;
  t.SetFatalHandler([&](const std::string& message) { reported = message; });
  t.SetTickHook([] { throw std::runtime_error("broken"); }, 882);
  t.RenderCallback(1);
  EXPECT_EQ(reported, "System exception!");
}

TEST(Tracker, EngineSwitchesReachTheRenderPath) {
  cTracker t(QuietConfig());
  t.SetEngine(0);
  t.SetFxEngine(0);
  EXPECT_EQ(Inside(t).Renderer().engineOn, 0);
  EXPECT_EQ(Inside(t).Renderer().fxEngineOn, 0);
  const int16_t* out = t.RenderCallback(1);
  for (int i = 0; i < 2 * 882; ++i) ASSERT_EQ(out[i], 0);
}

TEST(Tracker, TheSongResetFillsEveryInstrumentWithTheBassDefaults) {
  cTracker t(QuietConfig());
  int16_t defaults[kInstrumentWords] = {};
  ASSERT_NE(Inside(t).Generators().Bass(0), nullptr);
  Inside(t).Generators().Bass(0)->GetDefaults(defaults);
  EXPECT_EQ(defaults[kParamGenType], 0);
  EXPECT_EQ(defaults[0], 64);
  for (int i = 0; i < kInstruments; ++i) Inside(t).Song().Instrument(i)[5] = 99;
  Inside(t).Song().Instrument(7)[kParamGenType] = kGenFM;
  Inside(t).ResetSong();
  for (int i = 0; i < kInstruments; ++i) {
    for (int w = 0; w < 64; ++w)
      ASSERT_EQ(Inside(t).Song().Instrument(i)[w], defaults[w]) << i << " " << w;
  }
  EXPECT_EQ(Inside(t).Song().Instrument(0)[45], -12);
}

TEST(Tracker, EveryChannelSoundsThroughTheSharedWavetables) {
  cTracker t(QuietConfig());
  EXPECT_EQ(t.Wavetables().TableCount(), 104);
  std::lock_guard<std::recursive_mutex> lock(Inside(t).EngineLock());
  for (int c = 0; c < kGenChannels; ++c) {
    Inside(t).Generators().currentChannel = c;
    Inside(t).Generators().SelectGenerator(kGenBass);
    Inside(t).Generators().LoadInstrument(Inside(t).Song().Instrument(0));
    Inside(t).Generators().NoteOn(48);
    float frames[2 * 441];
    Inside(t).Generators().Render(frames, 441);
    float peak = 0;
    for (float s : frames) peak = std::max(peak, std::fabs(s));
    EXPECT_GT(peak, 100.0f) << c;
  }
}
