#include "fx/delay.h"

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "fxtestutil.h"

namespace {

// Wet only, no tone filtering: the echoes are the input times the feedback,
// once per period.
std::unique_ptr<cDelay> PlainDelay(int32_t rate, int32_t msLeft, int32_t msRight,
                                   int32_t mode = 0) {
  auto fx = std::make_unique<cDelay>();
  fx->Init(rate);
  for (auto [index, value] : {std::pair{0, msLeft},
                              {1, msRight},
                              {2, 50},
                              {3, 50},
                              {4, 100},
                              {5, 0},
                              {6, 100},
                              {7, mode}}) {
    fx->SetParam(index, value);
  }
  return fx;
}

// Frames at which a side is not zero.
std::vector<size_t> Hits(const std::vector<float>& frames, int side) {
  std::vector<size_t> hits;
  for (size_t i = 0; i < frames.size() / 2; ++i) {
    if (frames[2 * i + side] != 0.0f) hits.push_back(i);
  }
  return hits;
}

}  // namespace

TEST(Delay, TheEchoComesExactlyTheDelayTimeLater) {
  struct Case {
    int32_t rate;
    int32_t ms;
  };
  for (Case c : {Case{44100, 340},
                 {44100, 10},
                 {44100, 1},
                 {44100, 7},
                 {44100, 1024},
                 {48000, 333},
                 {48000, 1024},
                 {96000, 1024},
                 {176400, 1024},
                 {192000, 1024},
                 {192000, 517},
                 {22050, 3},
                 {22050, 20}}) {
    SCOPED_TRACE(std::to_string(c.rate) + " Hz, " + std::to_string(c.ms) + " ms");
    const size_t lag = size_t(int64_t(c.ms) * c.rate / 1000);
    auto fx = PlainDelay(c.rate, c.ms, c.ms);
    std::vector<float> frames = Frames(2 * lag + 10);
    frames[0] = 1000.0f;
    frames[1] = -1000.0f;
    ProcessInBlocks(*fx, frames);
    EXPECT_EQ(Hits(frames, 0), (std::vector<size_t>{0, lag, 2 * lag}));
    EXPECT_EQ(frames[2 * lag], 500.0f);
    EXPECT_EQ(frames[2 * lag + 1], -500.0f);
    EXPECT_EQ(frames[4 * lag], 250.0f);
  }
}

// The line holds 98,496 samples, or one more than 1024 ms above 96 kHz.
TEST(Delay, ZeroMillisecondsReturnsAfterTheWholeLine) {
  for (auto [rate, line] : {std::pair{44100, size_t(98496)}, {96000, 98496}, {192000, 196609}}) {
    auto fx = PlainDelay(rate, 0, 0);
    std::vector<float> frames = Frames(line + 5);
    frames[0] = 1000.0f;
    ProcessInBlocks(*fx, frames);
    EXPECT_EQ(Hits(frames, 0), (std::vector<size_t>{0, line})) << rate;
  }
}

TEST(Delay, PingPongAlternatesSides) {
  // 10 ms left, 20 ms right at 44100 Hz; an impulse on the left only.
  auto fx = PlainDelay(44100, 10, 20, 1);
  std::vector<float> frames = Frames(3000);
  frames[0] = 1000.0f;
  ProcessInBlocks(*fx, frames, 256);
  EXPECT_EQ(Hits(frames, 0), (std::vector<size_t>{0, 882 + 441, 2 * (882 + 441)}));
  EXPECT_EQ(Hits(frames, 1), (std::vector<size_t>{882, 882 + 441 + 882}));
  EXPECT_EQ(frames[2 * 882 + 1], 500.0f);
  EXPECT_EQ(frames[2 * (882 + 441)], 250.0f);
  EXPECT_EQ(frames[2 * 2205 + 1], 125.0f);
}

TEST(Delay, ParametersAreClampedStoredAndShown) {
  auto owner = std::make_unique<cDelay>();  // 788 KB: not for the stack
  cDelay& fx = *owner;
  fx.Init(44100);
  struct Case {
    int32_t index, value, stored;
    const char* text;
  };
  for (Case c : {Case{2, 100, 95, "95 %"},
                 {3, 96, 95, "95 %"},
                 {0, 5000, 1024, "1024 ms"},
                 {1, -3, 0, "0 ms"},
                 {4, 101, 100, "100 %"},
                 {6, -1, 0, "0 %"},
                 {7, 3, 1, "PingPong"},
                 {7, 2, 0, "Normal"}}) {
    fx.SetParam(c.index, c.value);
    EXPECT_EQ(fx.GetParam(c.index), c.stored) << c.index << " " << c.value;
    char text[kFxTextSize] = "";
    fx.GetParamText(text, c.index, fx.GetParam(c.index));
    EXPECT_STREQ(text, c.text);
  }
  EXPECT_FLOAT_EQ(fx.feedbackLeft, 0.95f);

  // Out-of-range indices.
  char text[kFxTextSize] = "untouched";
  fx.SetParam(8, 1);
  fx.GetParamText(text, 8, 1);
  EXPECT_STREQ(text, "untouched");
  EXPECT_EQ(fx.GetParam(8), -1);
  EXPECT_EQ(fx.GetParam(-1), -1);
  EXPECT_EQ(fx.GetParamDesc(8), nullptr);
  EXPECT_EQ(fx.GetParamDesc(0)->flags, kFxTimeSync);
  EXPECT_EQ(fx.GetParamDesc(2)->flags, 0);
}

// Each percentage becomes the float nearest to its hundredth (80 % is 0.8f,
// not 80 x 0.01f = 0.79999995f).
TEST(Delay, PercentagesBecomeTheNearestFloats) {
  auto owner = std::make_unique<cDelay>();  // 788 KB: not for the stack
  cDelay& fx = *owner;
  fx.Init(44100);
  EXPECT_EQ(fx.samplesPerMs, 44.1f);
  struct Case {
    int32_t index, value;
    const float* field;
    float expected;
  };
  for (Case c : {Case{2, 5, &fx.feedbackLeft, 0.05f},
                 {3, 85, &fx.feedbackRight, 0.85f},
                 {4, 9, &fx.color, 0.09f},
                 {5, 80, &fx.dry, 0.8f},
                 {6, 99, &fx.wet, 0.99f},
                 {6, 30, &fx.wet, 0.3f}}) {
    fx.SetParam(c.index, c.value);
    EXPECT_EQ(*c.field, c.expected) << c.index << " " << c.value;
  }
}

TEST(Delay, PresetsSetTheirValuesAndSilenceTheLines) {
  auto owner = std::make_unique<cDelay>();  // 788 KB: not for the stack
  cDelay& fx = *owner;
  fx.Init(44100);
  EXPECT_EQ(fx.GetNumPresets(), 2);
  std::vector<int32_t> defaults, second;
  for (int i = 0; i < fx.GetNumParams(); ++i) defaults.push_back(fx.GetParam(i));
  EXPECT_EQ(defaults, (std::vector<int32_t>{340, 340, 75, 75, 75, 80, 65, 0}));

  std::vector<float> frames = Noise(2000);
  fx.Process(frames.data(), 2000);
  fx.LoadPreset(1);
  for (int i = 0; i < fx.GetNumParams(); ++i) second.push_back(fx.GetParam(i));
  EXPECT_EQ(second, (std::vector<int32_t>{85, 80, 80, 85, 90, 90, 95, 0}));
  std::vector<float> silence = Frames(44100);
  fx.Process(silence.data(), 44100);
  for (float v : silence) ASSERT_EQ(v, 0.0f);

  fx.LoadPreset(2);  // no such preset: nothing changes
  EXPECT_EQ(fx.GetParam(0), 85);
}

TEST(Delay, ApplyParamsKeepsTheWritePositions) {
  auto fx = PlainDelay(44100, 100, 50);
  std::vector<float> frames = Frames(10000);
  frames[0] = 1000.0f;
  fx->Process(frames.data(), 1000);
  const int32_t left = fx->writeLeft, right = fx->writeRight;
  fx->SetParam(6, 50);
  fx->ApplyParams();
  EXPECT_EQ(fx->writeLeft, left);
  EXPECT_EQ(fx->writeRight, right);
  EXPECT_EQ(fx->wet, 0.5f);
  fx->Process(frames.data() + 2000, 9000);
  // The 4410-frame echo is still where it was, now at half the wet level.
  EXPECT_EQ(Hits(frames, 0), (std::vector<size_t>{0, 4410, 8820}));
  EXPECT_EQ(frames[2 * 4410], 250.0f);
}
