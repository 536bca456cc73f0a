#include "fx/reverb.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <bit>
#include <cmath>
#include <cstdint>
#include <vector>

#include "fxtestutil.h"
#include "tests/support/digest.h"

TEST(Reverb, WidthSharesTheWetSignalBetweenOwnAndCrossSide) {
  cReverb fx;
  fx.Init(44100);
  fx.SetParam(1, 1000);  // wet 3
  fx.SetParam(4, 0);
  EXPECT_FLOAT_EQ(fx.wet1, 3.0f * 0.5f);
  EXPECT_FLOAT_EQ(fx.wet2, 3.0f * 0.25f);
  fx.SetParam(4, 1000);
  EXPECT_FLOAT_EQ(fx.wet1, 3.0f);
  EXPECT_EQ(fx.wet2, 0.0f);
}

TEST(Reverb, RoomSizeDrivesEveryCombAndDamagedValuesAreClamped) {
  cReverb fx;
  fx.Init(44100);
  for (int32_t value : {1000, 5000, INT32_MAX}) {
    fx.SetParam(2, value);
    EXPECT_EQ(fx.GetParam(2), 1000);
    for (int k = 0; k < kReverbCombs; ++k) {
      EXPECT_FLOAT_EQ(fx.combLeft[k].feedback, 0.98f);
      EXPECT_FLOAT_EQ(fx.combRight[k].feedback, 0.98f);
    }
  }
  fx.SetParam(2, -40);
  EXPECT_EQ(fx.GetParam(2), 0);
  EXPECT_FLOAT_EQ(fx.combLeft[0].feedback, 0.7f);
  fx.SetParam(3, 1000);
  EXPECT_FLOAT_EQ(fx.combRight[7].damp1, 0.4f);
  EXPECT_FLOAT_EQ(fx.combRight[7].damp2, 0.6f);
  for (int index : {0, 1, 3, 4}) {
    fx.SetParam(index, 1001);
    EXPECT_EQ(fx.GetParam(index), 1000);
  }
  EXPECT_FLOAT_EQ(fx.dry, 2.0f);
  EXPECT_FLOAT_EQ(fx.wet, 3.0f);
}

TEST(Reverb, DefaultsAndTexts) {
  cReverb fx;
  fx.Init(44100);
  const int32_t defaults[] = {650, 150, 900, 500, 830};
  for (int i = 0; i < 5; ++i) EXPECT_EQ(fx.GetParam(i), defaults[i]);
  char text[kFxTextSize] = "";
  fx.GetParamText(text, 4, 830);
  EXPECT_STREQ(text, "83.0 %");
  fx.GetParamText(text, 0, 650);
  EXPECT_STREQ(text, "65.0 %");
  EXPECT_STREQ(fx.GetParamDesc(2)->shortLabel, "RoomDeep");
  EXPECT_EQ(fx.GetParamDesc(5), nullptr);
}

// The first reflection of each side comes out of its shortest comb, the
// all-passes letting the first sample straight through.
TEST(Reverb, FirstReflectionsComeAfterTheShortestCombOfEachSide) {
  cReverb fx;
  fx.Init(44100);
  fx.SetParam(0, 0);     // no dry signal
  fx.SetParam(1, 1000);  // wet 3
  fx.SetParam(4, 1000);  // no cross-feed
  std::vector<float> frames = Frames(1200);
  frames[0] = 1000.0f;
  ProcessInBlocks(fx, frames);
  size_t firstLeft = 0, firstRight = 0;
  while (frames[2 * firstLeft] == 0.0f) ++firstLeft;
  while (frames[2 * firstRight + 1] == 0.0f) ++firstRight;
  EXPECT_EQ(firstLeft, 1116u);
  EXPECT_EQ(firstRight, 1139u);
  // 0.015 x 1000 from one comb, negated by each of four all-passes, smoothed
  // by 0.6, and subtracted as the own side's reverb.
  EXPECT_FLOAT_EQ(frames[2 * 1116], -(1000.0f * 0.015f) * 0.6f * 3.0f);
}

// The output smoothing moves 0.6 of the way each frame: from 1 towards a
// silent input it reaches the float nearest 0.4 (0.6f would leave 0.39999998).
TEST(Reverb, SmoothingTakesSixTenthsOfTheStep) {
  cReverb fx;
  fx.Init(44100);
  fx.smoothedLeft = 1.0f;
  fx.smoothedRight = -1.0f;
  std::vector<float> frames = Frames(1);
  fx.Process(frames.data(), 1);
  EXPECT_EQ(fx.smoothedLeft, 0.4f);
  EXPECT_EQ(fx.smoothedRight, -0.4f);
}

TEST(Reverb, ClearSilencesTheBuffersButKeepsCombAndSmoothingMemories) {
  cReverb cleared, kept;
  float peak[2] = {};
  for (cReverb* fx : {&cleared, &kept}) {
    fx->Init(44100);
    std::vector<float> noise = Noise(4410);
    fx->Process(noise.data(), 4410);
  }
  const float memory = cleared.combLeft[3].memory;
  const float smoothed = cleared.smoothedRight;
  ASSERT_NE(memory, 0.0f);
  ASSERT_NE(smoothed, 0.0f);
  cleared.Clear();
  EXPECT_EQ(cleared.combLeft[3].memory, memory);
  EXPECT_EQ(cleared.smoothedRight, smoothed);
  EXPECT_EQ(cleared.GetParam(1), 150);

  // Only what the damping memories still hold comes back: a faint tail.
  for (int k = 0; k < 2; ++k) {
    std::vector<float> silence = Frames(44100);
    (k == 0 ? cleared : kept).Process(silence.data(), 44100);
    for (size_t i = 2 * 50; i < silence.size(); ++i)
      peak[k] = std::max(peak[k], std::fabs(silence[i]));
  }
  EXPECT_GT(peak[1], 100.0f);
  EXPECT_LT(peak[0], peak[1] * 0.1f);
}

TEST(Reverb, StaysBoundedAtTheLargestSettingsUnderFullScaleNoise) {
  cReverb fx;
  fx.Init(44100);
  for (int i = 0; i < 5; ++i) fx.SetParam(i, 1000);
  fx.SetParam(3, 0);  // no damping
  std::vector<float> noise = Noise(44100 * 5);
  ProcessInBlocks(fx, noise);
  for (float v : noise) ASSERT_TRUE(std::isfinite(v) && std::fabs(v) < 1e7f);
}

// A burst, then a long silence in blocks of changing length: the tail
// decays through the comb and all-pass buffers, past their wraps and down
// into the range the flushes clear, and every bit of it is as recorded.
TEST(Reverb, ATailDecayingToSilenceGivesTheRecordedSamples) {
  cReverb fx;
  fx.Init(44100);
  fx.SetParam(2, 0);  // the shortest room: the tail reaches the flushes in seconds
  fx.SetParam(3, 1000);
  cDigest hash;
  std::vector<float> block(2 * 1500);
  uint32_t seed = 5;
  for (int b = 0; b < 4000; ++b) {
    seed = seed * 1664525u + 1013904223u;
    const int32_t n = 1 + int32_t((seed >> 8) % 1500);
    for (int32_t i = 0; i < 2 * n; ++i) {
      seed = seed * 1664525u + 1013904223u;
      block[size_t(i)] = b < 10 ? float(int32_t(seed >> 16) - 32768) * 0.5f : 0.0f;
    }
    fx.Process(block.data(), n);
    for (int32_t i = 0; i < 2 * n; ++i) hash.AddFloat(block[size_t(i)]);
  }
  EXPECT_EQ(hash.value, 0x7584d23b4afe13f8ull) << std::hex << hash.value;
  EXPECT_EQ(block[0], 0.0f);  // silent by now
}

// The buffers exist from construction: a block processed before Init runs
// over silent lines rather than through null pointers.
TEST(Reverb, ABlockBeforeInitIsSilentAndSafe) {
  cReverb fx;
  std::vector<float> block(2 * 300, 1000.0f);
  fx.Process(block.data(), 300);
  for (float v : block) EXPECT_TRUE(std::isfinite(v));
}
