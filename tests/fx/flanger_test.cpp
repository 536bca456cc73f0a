#include "fx/flanger.h"

#include <gtest/gtest.h>

#include <cmath>
#include <memory>
#include <random>
#include <vector>

template <class T>
static std::unique_ptr<T> NewFx(int32_t rate = 44100) {
  auto fx = std::make_unique<T>();
  fx->Init(rate);
  return fx;
}

// Wet only, no feedback, a still LFO: the lines are plain delays.
static std::unique_ptr<cFlanger> PlainDelays(int32_t time, int32_t amount, int32_t phase) {
  auto fx = NewFx<cFlanger>();
  fx->SetParam(cFlanger::kTime, time);
  fx->SetParam(cFlanger::kLfoAmp, amount);
  fx->SetParam(cFlanger::kLfoSpeed, 0);
  fx->SetParam(cFlanger::kLfoPhase, phase);
  fx->SetParam(cFlanger::kFeedbackLeft, 0);
  fx->SetParam(cFlanger::kOutDry, 0);
  fx->SetParam(cFlanger::kOutWet, 256);
  return fx;
}

// Frames of an impulse of 1 on both sides at frame 0.
static std::vector<float> Impulse(int n) {
  std::vector<float> b(2 * n, 0.0f);
  b[0] = b[1] = 1.0f;
  return b;
}

// The frame at which the first non-zero sample of one side appears, or -1.
static int Lag(const std::vector<float>& frames, int side) {
  for (size_t i = side; i < frames.size(); i += 2)
    if (frames[i] != 0.0f) return int(i / 2);
  return -1;
}

TEST(Flanger, TimeOneDelaysBothLinesByOneSampleWhateverTheSweep) {
  auto fx = NewFx<cFlanger>();
  fx->SetParam(cFlanger::kTime, 1);  // depth (time - 1) x amount / 256 = 0
  fx->SetParam(cFlanger::kLfoSpeed, 32768);
  fx->SetParam(cFlanger::kFeedbackLeft, 0);
  fx->SetParam(cFlanger::kOutDry, 0);
  std::mt19937 rng(7);
  std::uniform_real_distribution<float> noise(-1.0f, 1.0f);
  std::vector<float> in(2 * 882);
  for (float& s : in) s = noise(rng);
  auto out = in;
  fx->Process(out.data(), 882);
  EXPECT_EQ(out[0], 0.0f);
  EXPECT_EQ(out[1], 0.0f);
  for (size_t i = 2; i < out.size(); ++i) ASSERT_EQ(out[i], in[i - 2]) << i;
}

TEST(Flanger, DepthIsAmountOver256TimesTimeMinusOne) {
  // A still LFO at position 0: the left line reads sine 0, the right line
  // reads the phase offset (128 is a quarter period: sine 1).
  struct Case {
    int32_t amount, phase;
    int leftLag, rightLag;
  };
  for (auto c : {Case{256, 128, 257, 513}, Case{128, 128, 257, 385}, Case{1, 128, 257, 258},
                 Case{256, 0, 257, 257}}) {
    auto fx = PlainDelays(257, c.amount, c.phase);
    auto b = Impulse(600);
    fx->Process(b.data(), 600);
    EXPECT_EQ(Lag(b, 0), c.leftLag) << c.amount << " " << c.phase;
    EXPECT_EQ(Lag(b, 1), c.rightLag) << c.amount << " " << c.phase;
  }
}

TEST(Flanger, LfoSpeedIsInUnitsOfThirtyMicrohertz) {
  // 25000 x 0.00003 Hz = 0.75 Hz; at 24576 Hz a quarter period (the sweep's
  // peak, delay time + depth = 513) is reached after 8192 frames.
  auto fx = NewFx<cFlanger>(24576);
  fx->SetParam(cFlanger::kTime, 257);
  fx->SetParam(cFlanger::kLfoAmp, 256);
  fx->SetParam(cFlanger::kLfoSpeed, 25000);
  fx->SetParam(cFlanger::kLfoPhase, 0);
  fx->SetParam(cFlanger::kFeedbackLeft, 0);
  fx->SetParam(cFlanger::kOutDry, 0);
  const int start = 8192 - 513;
  std::vector<float> b(2 * 9000, 0.0f);
  b[2 * start] = 1.0f;
  fx->Process(b.data(), 9000);
  EXPECT_NEAR(Lag(b, 0) - start, 513, 2);
}

TEST(Flanger, BothPathsFeedBackByFeedBackLeft) {
  // Time 1: each pass through a line is one sample. An impulse into the left
  // line returns on the left, crosses to the right line scaled by g, back to
  // the left scaled by g again, and so on.
  for (int32_t right : {-100, 0, 49, 100}) {
    auto fx = PlainDelays(1, 1, 0);
    fx->SetParam(cFlanger::kFeedbackLeft, 50);
    fx->SetParam(cFlanger::kFeedbackRight, right);  // stored, but idle
    std::vector<float> b(2 * 6, 0.0f);
    b[0] = 1.0f;
    fx->Process(b.data(), 6);
    EXPECT_EQ(b, (std::vector<float>{0, 0, 1, 0, 0, 0.5f, 0.25f, 0, 0, 0.125f, 0.0625f, 0}))
        << right;
    EXPECT_EQ(fx->GetParam(cFlanger::kFeedbackRight), right);
  }
}

TEST(Flanger, DryAndWetScaleByOver256AndNegativeDryInverts) {
  auto fx = PlainDelays(1, 1, 0);
  fx->SetParam(cFlanger::kOutDry, -256);
  fx->SetParam(cFlanger::kOutWet, 0);
  std::vector<float> b = {100.0f, -30.0f, 7.0f, 9.0f};
  fx->Process(b.data(), 2);
  EXPECT_EQ(b, (std::vector<float>{-100.0f, 30.0f, -7.0f, -9.0f}));

  fx->SetParam(cFlanger::kOutDry, 64);
  b = {100.0f, -30.0f};
  fx->Process(b.data(), 1);
  EXPECT_EQ(b, (std::vector<float>{25.0f, -7.5f}));
}

TEST(Flanger, ClearRestartsTheWritePointButKeepsTheEchoes) {
  auto fx = PlainDelays(100, 1, 0);
  // The impulse goes in on frame 1955, into index 1956 of both lines.
  std::vector<float> b(2 * 1960, 0.0f);
  b[2 * 1955] = 1.0f;
  fx->Process(b.data(), 1960);
  fx->Clear();
  std::vector<float> after(2 * 200, 0.0f);
  fx->Process(after.data(), 200);
  // From write index 0 the read point 100 behind reaches index 1956 after 8
  // frames; without Clear the echo would have come 95 frames later.
  EXPECT_EQ(Lag(after, 0), 7);
  EXPECT_EQ(after[2 * 7], 1.0f);
}

TEST(Flanger, PresetsAndTexts) {
  auto fx = NewFx<cFlanger>();
  EXPECT_EQ(fx->GetNumPresets(), 3);
  const int32_t presets[3][8] = {{75, 246, 3748, 32, 65, 49, 256, 256},
                                 {227, 246, 23543, 112, 28, -24, 236, 256},
                                 {325, 100, 12973, 124, 64, 65, 144, 256}};
  for (int p : {1, 2, 0}) {
    fx->LoadPreset(p);
    for (int32_t i = 0; i < 8; ++i) EXPECT_EQ(fx->GetParam(i), presets[p][i]) << p << " " << i;
  }
  fx->LoadPreset(3);  // no such preset: nothing changes
  for (int32_t i = 0; i < 8; ++i) EXPECT_EQ(fx->GetParam(i), presets[0][i]) << i;

  struct Case {
    int32_t index, value;
    const char* text;
  };
  for (auto c : {Case{0, 75, "75 ms"}, Case{1, 246, "96.1 %"}, Case{2, 3748, "0.1124 Hz"},
                 Case{3, 32, "45.0\u00B0"}, Case{3, 256, "360.0\u00B0"}, Case{4, 65, "65.0 %"},
                 Case{5, -24, "-24.0 %"}, Case{6, -256, "-100.0 %"}, Case{7, 128, "50.0 %"}}) {
    char text[kFxTextSize] = {};
    fx->GetParamText(text, c.index, c.value);
    EXPECT_STREQ(text, c.text) << c.index;
  }
  EXPECT_STREQ(fx->GetParamDesc(4)->shortLabel, "FeedBack L");
  EXPECT_STREQ(fx->GetParamDesc(5)->longLabel, "FeedBack Right");
}

TEST(Flanger2, EachSideHasItsOwnTimeDepthAndPhase) {
  auto fx = NewFx<cFlanger2>();
  const int32_t values[] = {100, 300, 0, 0, 256, 128, 0, 0, 128, 0, 0, 256};
  for (int32_t i = 0; i < cFlanger2::kNumParams; ++i) fx->SetParam(i, values[i]);
  auto b = Impulse(700);
  fx->Process(b.data(), 700);
  EXPECT_EQ(Lag(b, 0), 100 + 99);  // left: quarter period, full depth 99
  EXPECT_EQ(Lag(b, 1), 300);       // right: phase 0, sine 0

  EXPECT_EQ(fx->GetNumPresets(), 1);
  char text[kFxTextSize] = {};
  fx->GetParamText(text, cFlanger2::kLfoPhaseR, 160);
  EXPECT_STREQ(text, "225.0\u00B0");
  fx->GetParamText(text, cFlanger2::kTimeR, 75);
  EXPECT_STREQ(text, "75 ms");
  fx->GetParamText(text, cFlanger2::kLfoSpeedL, 3748);
  EXPECT_STREQ(text, "0.1124 Hz");
  EXPECT_STREQ(fx->GetParamDesc(cFlanger2::kLfoAmpR)->longLabel, "LFOAmpR");
}

TEST(Flanger2, EachSideSweepsAtItsOwnSpeed) {
  // Left still at a quarter period (delay 100 + 99); right at 0.75 Hz, which
  // at 24576 Hz reaches its peak (300 + 299) after 8192 frames.
  auto fx = NewFx<cFlanger2>(24576);
  const int32_t values[] = {100, 300, 0, 25000, 256, 256, 0, 0, 128, 0, 0, 256};
  for (int32_t i = 0; i < cFlanger2::kNumParams; ++i) fx->SetParam(i, values[i]);
  const int start = 8192 - 599;
  std::vector<float> b(2 * 9000, 0.0f);
  b[2 * start] = b[2 * start + 1] = 1.0f;
  fx->Process(b.data(), 9000);
  EXPECT_EQ(Lag(b, 0) - start, 199);
  EXPECT_NEAR(Lag(b, 1) - start, 599, 2);
}

TEST(Flanger2, BothPathsFeedBackByFeedBackLeft) {
  auto fx = NewFx<cFlanger2>();
  const int32_t values[] = {1, 1, 0, 0, 1, 1, 50, -100, 0, 0, 0, 256};
  for (int32_t i = 0; i < cFlanger2::kNumParams; ++i) fx->SetParam(i, values[i]);
  std::vector<float> b(2 * 6, 0.0f);
  b[1] = 1.0f;  // into the right line this time
  fx->Process(b.data(), 6);
  EXPECT_EQ(b, (std::vector<float>{0, 0, 0, 1, 0.5f, 0, 0, 0.25f, 0.125f, 0, 0, 0.0625f}));
}

// A damaged song file may hold any value; the lines must stay inside their
// memory and the feedback at or below unity.
TEST(Flanger, DamagedValuesAreHeldToTheirRanges) {
  auto fx = NewFx<cFlanger>();
  struct Case {
    int32_t index, value, stored;
  };
  for (auto c :
       {Case{0, 5000, 1024}, Case{0, -7, 1}, Case{1, 1000, 256}, Case{1, 0, 1},
        Case{2, 1 << 30, 32768}, Case{2, -1, 0}, Case{3, 999, 256}, Case{3, -5, 0},
        Case{4, 500, 100}, Case{5, -500, -100}, Case{6, 4096, 256}, Case{7, -4096, -256}}) {
    fx->SetParam(c.index, c.value);
    EXPECT_EQ(fx->GetParam(c.index), c.stored) << c.index << " " << c.value;
  }
}

template <class T>
static void RunDamaged(const std::vector<int32_t>& values) {
  auto fx = NewFx<T>();
  for (int32_t i = 0; i < T::kNumParams; ++i) fx->SetParam(i, values[size_t(i)]);
  std::mt19937 rng(3);
  std::uniform_real_distribution<float> noise(-1.0f, 1.0f);
  std::vector<float> b(2 * 882);
  float peak = 0.0f;
  for (int block = 0; block < 100; ++block) {
    for (float& s : b) s = noise(rng);
    fx->Process(b.data(), 882);
    for (float s : b) peak = std::fmax(peak, std::fabs(s));
  }
  EXPECT_TRUE(std::isfinite(peak));
  EXPECT_LT(peak, 1000.0f);  // unity feedback grows no faster than a random walk
}

TEST(Flanger, DamagedValuesKeepTheOutputBounded) {
  RunDamaged<cFlanger>({100000, 100000, 100000000, 100000, 2000, 2000, 100000, 100000});
  RunDamaged<cFlanger2>({-9, 100000, 100000000, 100000000, 100000, 100000, -2000, 2000, 100000,
                         -100000, 100000, 100000});
}
