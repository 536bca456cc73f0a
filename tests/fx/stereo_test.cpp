#include "fx/stereo.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <vector>

// Runs n frames through fx in blocks of 500, so that the 700-sample lag
// crosses a block boundary.
static void RunBlocks(cStereo& fx, std::vector<float>& frames) {
  const int32_t n = int32_t(frames.size() / 2);
  for (int32_t at = 0; at < n; at += 500)
    fx.Process(frames.data() + 2 * at, std::min<int32_t>(500, n - at));
}

TEST(Stereo, ModeOneDelaysTheRightAndInvertsTheLeft) {
  cStereo fx;
  fx.Init(44100);
  std::vector<float> b(2 * 1000, 0.0f);
  for (size_t i = 0; i < b.size(); i += 2) b[i] = 100.0f;
  b[2 * 3 + 1] = 1000.0f;
  RunBlocks(fx, b);
  for (int i = 0; i < 1000; ++i) {
    ASSERT_EQ(b[2 * i], float((1.0 - 100.0) * 1.25)) << i;
    ASSERT_EQ(b[2 * i + 1], i == 703 ? 750.0f : 0.0f) << i;
  }
}

TEST(Stereo, ModeTwoDelaysTheLeftAndInvertsTheRight) {
  cStereo fx;
  fx.Init(44100);
  fx.SetParam(cStereo::kKind, 1);
  std::vector<float> b(2 * 1000, 0.0f);
  for (size_t i = 1; i < b.size(); i += 2) b[i] = -100.0f;
  b[2 * 3] = 1000.0f;
  RunBlocks(fx, b);
  for (int i = 0; i < 1000; ++i) {
    ASSERT_EQ(b[2 * i], i == 703 ? float(1000.0f * 0.9) : 0.0f) << i;
    ASSERT_EQ(b[2 * i + 1], float((1.0 + 100.0) * 1.1)) << i;
  }
}

TEST(Stereo, KindKeepsTheLowestBitAndClearEmptiesTheLine) {
  cStereo fx;
  fx.Init(44100);
  for (int32_t v : {3, 2, -1, 0, 1}) {
    fx.SetParam(cStereo::kKind, v);
    EXPECT_EQ(fx.GetParam(cStereo::kKind), v & 1);
    char text[kFxTextSize] = {};
    fx.GetParamText(text, cStereo::kKind, v);
    EXPECT_STREQ(text, (v & 1) ? "Mode2" : "Mode1");
  }
  fx.SetParam(1, 0);  // no such parameter
  EXPECT_EQ(fx.GetParam(cStereo::kKind), 1);

  std::vector<float> b(2 * 700, 500.0f);
  fx.Process(b.data(), 700);  // the line is full of 500s
  fx.Clear();
  std::vector<float> silence(2 * 700, 0.0f);
  fx.Process(silence.data(), 700);
  for (size_t i = 0; i < silence.size(); i += 2) ASSERT_EQ(silence[i], 0.0f);

  // Preset 0 goes back to mode 1 and also empties the line.
  fx.Process(b.data(), 700);
  fx.LoadPreset(0);
  EXPECT_EQ(fx.GetParam(cStereo::kKind), 0);
  silence.assign(2 * 700, 0.0f);
  fx.Process(silence.data(), 700);
  for (size_t i = 1; i < silence.size(); i += 2) ASSERT_EQ(silence[i], 0.0f);
}
