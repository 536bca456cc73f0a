#include "fx/distortion.h"

#include <gtest/gtest.h>

#include <initializer_list>
#include <vector>

// Runs one frame per value, the value on both sides; returns the left outputs.
template <class T>
static std::vector<float> ShapeFrames(T& fx, std::initializer_list<float> xs) {
  std::vector<float> frames;
  for (float x : xs) frames.insert(frames.end(), {x, x});
  fx.Process(frames.data(), int32_t(xs.size()));
  std::vector<float> out;
  for (size_t i = 0; i < frames.size(); i += 2) {
    EXPECT_EQ(frames[i], frames[i + 1]);
    out.push_back(frames[i]);
  }
  return out;
}

static cDistorter NewDistorter(int32_t mix, int32_t threshold, int32_t clamp) {
  cDistorter fx;
  fx.Init(44100);
  fx.SetParam(cDistorter::kMix, mix);
  fx.SetParam(cDistorter::kThreshold, threshold);
  fx.SetParam(cDistorter::kClamp, clamp);
  return fx;
}

TEST(Distorter, MixOneHundredPassesTheInputUnchanged) {
  auto fx = NewDistorter(100, 10, 70);
  auto out = ShapeFrames(fx, {-30000.0f, -5000.0f, -1.0f, 0.0f, 5000.0f, 32767.0f});
  EXPECT_EQ(out, (std::vector<float>{-30000.0f, -5000.0f, -1.0f, 0.0f, 5000.0f, 32767.0f}));
}

TEST(Distorter, MixZeroPushesEverySampleBeyondTheThreshold) {
  auto fx = NewDistorter(0, 10, 70);  // threshold 3276.7, push 22936.9
  const float push = float(70 * 32767.0 * 0.01);
  auto out = ShapeFrames(fx, {5000.0f, -5000.0f, 1000.0f, -1000.0f});
  EXPECT_FLOAT_EQ(out[0], 5000.0f + push);
  EXPECT_FLOAT_EQ(out[1], -5000.0f - push);
  EXPECT_EQ(out[2], 1000.0f);
  EXPECT_EQ(out[3], -1000.0f);

  // Threshold 0: zero itself goes up, negative samples down.
  auto zero = NewDistorter(0, 0, 70);
  out = ShapeFrames(zero, {0.0f, -1.0f});
  EXPECT_FLOAT_EQ(out[0], push);
  EXPECT_FLOAT_EQ(out[1], -1.0f - push);

  // Half and half.
  auto half = NewDistorter(50, 10, 70);
  out = ShapeFrames(half, {5000.0f});
  EXPECT_FLOAT_EQ(out[0], (5000.0f + push) * 0.5f + 5000.0f * 0.5f);
}

TEST(Distorter, OnlyTheTopIsClamped) {
  cDistorter fx;
  fx.Init(44100);
  fx.SetParam(cDistorter::kMix, 150);
  EXPECT_EQ(fx.GetParam(cDistorter::kMix), 100);
  fx.SetParam(cDistorter::kThreshold, -5);
  EXPECT_EQ(fx.GetParam(cDistorter::kThreshold), -5);
  fx.SetParam(cDistorter::kClamp, INT32_MIN);  // a damaged file: no integer overflow
  EXPECT_EQ(fx.GetParam(cDistorter::kClamp), INT32_MIN);
}

TEST(Distorter, ParamTexts) {
  cDistorter fx;
  fx.Init(44100);
  char text[kFxTextSize] = {};
  fx.GetParamText(text, cDistorter::kMix, 30);
  EXPECT_STREQ(text, "30% - 70%");
  fx.GetParamText(text, cDistorter::kThreshold, 10);
  EXPECT_STREQ(text, "10%");
  fx.GetParamText(text, cDistorter::kClamp, 70);
  EXPECT_STREQ(text, "70%");
}

static cOverdrive NewOverdrive(int32_t dry, int32_t wet, int32_t drive, int32_t cutter) {
  cOverdrive fx;
  fx.Init(44100);
  fx.SetParam(cOverdrive::kDry, dry);
  fx.SetParam(cOverdrive::kWet, wet);
  fx.SetParam(cOverdrive::kDrive, drive);
  fx.SetParam(cOverdrive::kCutter, cutter);
  return fx;
}

TEST(Overdrive, SaturatesFoldsBackAndStopsAtTheCeiling) {
  auto fx = NewOverdrive(0, 100, 100, 60);
  // 1000 would become (24576 - 1000) x 100 x 0.5 / 24576 x 1000, about
  // 47,965, far above the ceiling of 60 % of full scale.
  auto out = ShapeFrames(fx, {1000.0f, -1000.0f, 24576.0f, -24576.0f, 100.0f});
  EXPECT_FLOAT_EQ(out[0], 19660.2f);
  EXPECT_FLOAT_EQ(out[1], -19660.2f);
  EXPECT_EQ(out[2], 0.0f);  // the curve is back at zero at 24576
  EXPECT_EQ(out[3], 0.0f);
  EXPECT_NEAR(out[4], 24476.0 * 100 * 0.5 / 24576 * 100, 0.01);  // under the ceiling
}

TEST(Overdrive, DryAndWetMix) {
  auto dryOnly = NewOverdrive(100, 0, 100, 60);
  EXPECT_EQ(ShapeFrames(dryOnly, {1234.0f})[0], 1234.0f);

  auto both = NewOverdrive(50, 25, 100, 60);
  EXPECT_FLOAT_EQ(ShapeFrames(both, {1000.0f})[0], 19660.2f * 0.25f + 1000.0f * 0.5f);
}

TEST(Overdrive, ClampsToOneHundredAndDriveAndCutterToAtLeastOne) {
  cOverdrive fx;
  fx.Init(44100);
  struct Case {
    int32_t index, value, stored;
  };
  for (auto c : {Case{cOverdrive::kDry, 200, 100}, Case{cOverdrive::kDry, -5, -5},
                 Case{cOverdrive::kWet, 101, 100}, Case{cOverdrive::kDrive, 0, 1},
                 Case{cOverdrive::kCutter, -40, 1}, Case{cOverdrive::kCutter, 900, 100}}) {
    fx.SetParam(c.index, c.value);
    EXPECT_EQ(fx.GetParam(c.index), c.stored) << c.index << " " << c.value;
  }
  char text[kFxTextSize] = {};
  fx.GetParamText(text, cOverdrive::kWet, 75);
  EXPECT_STREQ(text, "75%");
}
