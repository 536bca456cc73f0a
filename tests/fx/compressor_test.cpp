#include "fx/compressor.h"

#include <gtest/gtest.h>

#include <cstring>
#include <memory>
#include <vector>

static std::unique_ptr<cCompressor> NewCompressor() {
  auto fx = std::make_unique<cCompressor>();
  fx->Init(44100);
  return fx;
}

// A constant level on both sides, n frames long.
static std::vector<float> Level(float v, int n) { return std::vector<float>(2 * n, v); }

// Unity pre- and post-gain, so that the output over the input is the gain.
static void Unity(cCompressor& fx) {
  fx.SetParam(cCompressor::kPreAmp, 1000);
  fx.SetParam(cCompressor::kPostAmp, 100);
}

TEST(Compressor, BelowTheThresholdOnlyPreAndPostGainAct) {
  auto fx = NewCompressor();
  // Defaults: pre-gain 0.6, post-gain 4.0, threshold 6537 after the gain.
  auto block = Level(1000.0f, 200);
  fx->Process(block.data(), 200);
  const float expected = (1000.0f * 0.6f) * (1.0f * 4.0f);
  for (float s : block) ASSERT_FLOAT_EQ(s, expected);
}

TEST(Compressor, ThresholdMinus700IsLevel6537) {
  auto fx = NewCompressor();
  Unity(*fx);
  auto at = Level(6537.0f, 50);
  fx->Process(at.data(), 50);
  EXPECT_EQ(at.back(), 6537.0f);  // at the threshold is not over it

  auto over = Level(6538.0f, 1);
  fx->Process(over.data(), 1);
  EXPECT_LT(over[0], 6538.0f);
}

TEST(Compressor, GainSettlesAtTheFloorOfTheRatio) {
  struct Case {
    int32_t ratio;
    float floor;
  };
  for (auto c : {Case{100, 0.1f}, Case{200, 0.01f}, Case{300, 0.001f}}) {
    auto fx = NewCompressor();
    Unity(*fx);
    fx->SetParam(cCompressor::kThreshold, -6000);  // level 0: everything is over it
    fx->SetParam(cCompressor::kRatio, c.ratio);
    fx->SetParam(cCompressor::kAttack, 32000);  // 320 ms: a step of under 1e-4
    const int n = 20000;                        // more than 320 ms
    auto block = Level(10000.0f, n);
    fx->Process(block.data(), n);
    const float gain = block.back() / 10000.0f;
    EXPECT_LE(gain, c.floor + 1e-6f) << c.ratio;
    EXPECT_GT(gain, c.floor - 1e-4f) << c.ratio;
  }
}

TEST(Compressor, AttackAndReleaseAreTheWholeJourneyInHundredthsOfAMillisecond) {
  auto fx = NewCompressor();
  Unity(*fx);
  fx->SetParam(cCompressor::kThreshold, -700);  // 6537
  fx->SetParam(cCompressor::kRatio, 200);       // floor 0.01
  fx->SetParam(cCompressor::kAttack, 100);      // 1 ms: 44.1 samples
  fx->SetParam(cCompressor::kRelease, 200);     // 2 ms: 88.2 samples
  const double down = 0.99 / 44.1;
  auto loud = Level(20000.0f, 80);
  fx->Process(loud.data(), 80);
  EXPECT_NEAR(loud[2 * 43] / 20000.0, 1.0 - 44 * down, 1e-5);
  // The 45th step passes the floor by less than a step; then the gain rests.
  EXPECT_NEAR(loud[2 * 44] / 20000.0, 1.0 - 45 * down, 1e-5);
  EXPECT_EQ(loud[2 * 79], loud[2 * 44]);

  // After silence the gain climbs back to 1 within the release time (plus
  // the few samples the envelope needs to fall below the threshold).
  auto quiet = Level(0.0f, 100);
  fx->Process(quiet.data(), 100);
  auto probe = Level(1000.0f, 1);
  fx->Process(probe.data(), 1);
  EXPECT_GE(probe[0], 1000.0f);
  EXPECT_LT(probe[0], 1000.0f * (1.0f + 0.99f / 88.2f));
}

TEST(Compressor, ClampsRaiseRatioAttackAndReleaseOnly) {
  auto fx = NewCompressor();
  struct Case {
    int32_t index, value, stored;
  };
  for (auto c : {Case{cCompressor::kRatio, 5, 10}, Case{cCompressor::kAttack, 50, 100},
                 Case{cCompressor::kRelease, 0, 100}, Case{cCompressor::kThreshold, -7000, -7000},
                 Case{cCompressor::kPreAmp, 5000, 5000}, Case{cCompressor::kPostAmp, -3, -3}}) {
    fx->SetParam(c.index, c.value);
    EXPECT_EQ(fx->GetParam(c.index), c.stored) << c.index;
  }
}

TEST(Compressor, ThresholdFarAboveFullScaleNeverCompresses) {
  auto fx = NewCompressor();
  Unity(*fx);
  fx->SetParam(cCompressor::kThreshold, 100000);  // a damaged file: 10^100 x full scale
  EXPECT_EQ(fx->GetParam(cCompressor::kThreshold), 100000);
  auto block = Level(32767.0f, 100);
  fx->Process(block.data(), 100);
  EXPECT_EQ(block.back(), 32767.0f);
}

TEST(Compressor, PresetsSetTheirValuesAndRestoreTheGain) {
  auto fx = NewCompressor();
  EXPECT_EQ(fx->GetNumPresets(), 2);
  fx->LoadPreset(1);
  const int32_t preset1[] = {-800, 100, 1000, 4480, 16000, 257};
  for (int32_t i = 0; i < 6; ++i) EXPECT_EQ(fx->GetParam(i), preset1[i]) << i;

  fx->LoadPreset(5);  // no such preset
  for (int32_t i = 0; i < 6; ++i) EXPECT_EQ(fx->GetParam(i), preset1[i]) << i;

  auto loud = Level(30000.0f, 2000);
  fx->Process(loud.data(), 2000);
  fx->LoadPreset(0);  // ends with Clear: envelopes 0, gain 1
  for (int32_t i = 0; i < 6; ++i)
    EXPECT_EQ(fx->GetParam(i), fx->GetParamDesc(i)->defaultValue) << i;
  auto probe = Level(1000.0f, 1);
  fx->Process(probe.data(), 1);
  EXPECT_FLOAT_EQ(probe[0], (1000.0f * 0.6f) * 4.0f);
}

TEST(Compressor, ParamTexts) {
  auto fx = NewCompressor();
  struct Case {
    int32_t index, value;
    const char* text;
  };
  for (auto c : {Case{0, -700, "-7.0 db"}, Case{1, 200, "20.0 db : 1"}, Case{2, 600, "60.0 %"},
                 Case{3, 1960, "19.6 ms"}, Case{4, 16000, "160.0 ms"}, Case{5, 400, "40.0 %"}}) {
    char text[kFxTextSize] = {};
    fx->GetParamText(text, c.index, c.value);
    EXPECT_STREQ(text, c.text);
  }
}
