#include "fx/equalizer.h"

#include <gtest/gtest.h>

#include <cmath>
#include <memory>
#include <numbers>
#include <string>
#include <vector>

#include "fxtestutil.h"

namespace {

std::vector<std::unique_ptr<cEffect>> BothEqualizers() {
  std::vector<std::unique_ptr<cEffect>> eqs;
  eqs.push_back(std::make_unique<cEqualizer5>());
  eqs.push_back(std::make_unique<cEqualizer7>());
  for (auto& eq : eqs) eq->Init(44100);
  return eqs;
}

std::vector<float> Sine(double hz, size_t frames, float amplitude = 10000.0f) {
  std::vector<float> out(2 * frames);
  for (size_t i = 0; i < frames; ++i) {
    out[2 * i] = out[2 * i + 1] =
        amplitude * float(std::sin(2.0 * std::numbers::pi * hz * i / 44100.0));
  }
  return out;
}

// Peak of the left side after the first tenth of a second.
float SettledPeak(const std::vector<float>& frames) {
  float peak = 0.0f;
  for (size_t i = 4410; i < frames.size() / 2; ++i) peak = std::max(peak, std::fabs(frames[2 * i]));
  return peak;
}

}  // namespace

TEST(Equalizer, FlatBandsAndFullDryPassTheSignalUnchanged) {
  for (auto& eq : BothEqualizers()) {
    const std::vector<float> input = Noise(3000);
    std::vector<float> frames = input;
    ProcessInBlocks(*eq, frames);
    EXPECT_EQ(frames, input) << eq->GetName();
  }
}

TEST(Equalizer, HalfDryMixHalvesTheSignalOncePerStage) {
  auto eqs = BothEqualizers();
  const float expected[] = {1.0f / 32.0f, 1.0f / 128.0f};
  for (size_t e = 0; e < eqs.size(); ++e) {
    cEffect& eq = *eqs[e];
    eq.SetParam(eq.GetNumParams() - 1, 50);
    const std::vector<float> input = Noise(1000);
    std::vector<float> frames = input;
    ProcessInBlocks(eq, frames);
    for (size_t i = 0; i < input.size(); ++i) ASSERT_EQ(frames[i], input[i] * expected[e]) << i;
  }
}

TEST(Equalizer, NegativeFullGainSubtractsTwiceTheBand) {
  // The band alone is what a stage adds at gain 50 (band x 1); at -100 it
  // takes away twice that.
  std::vector<float> band(2 * 2000), cut(2 * 2000);
  const std::vector<float> input = Noise(2000);
  for (auto [gain, out] : {std::pair{50, &band}, {-100, &cut}}) {
    cEqualizer5 eq;
    eq.Init(44100);
    eq.SetParam(3, gain);  // the 1 kHz band
    *out = input;
    ProcessInBlocks(eq, *out);
  }
  for (size_t i = 0; i < input.size(); ++i) {
    const float added = band[i] - input[i];
    ASSERT_NEAR(cut[i] - input[i], -2.0f * added, 0.05f + 1e-5f * std::fabs(added)) << i;
  }
}

TEST(Equalizer, ABandLiftsItsOwnRangeAndLeavesOthersAlone) {
  // The 1 kHz band of the 5-band equalizer passes 200-800 Hz of the rate.
  struct Case {
    double hz;
    float low, high;  // bounds of the gain
  };
  for (Case c : {Case{500.0, 2.5f, 3.1f}, {10000.0, 0.95f, 1.05f}}) {
    cEqualizer5 eq;
    eq.Init(44100);
    eq.SetParam(3, 100);
    std::vector<float> frames = Sine(c.hz, 20000);
    ProcessInBlocks(eq, frames);
    const float gain = SettledPeak(frames) / 10000.0f;
    EXPECT_GT(gain, c.low) << c.hz;
    EXPECT_LT(gain, c.high) << c.hz;
  }
}

// A panic clears every effect: the equalizer forgets the sound in its
// filters but keeps sounding as its bands and dry mix say, exactly as a fresh
// one set the same way.
TEST(Equalizer, AfterAPanicTheBandsStillShapeTheSound) {
  auto panicked = BothEqualizers();
  auto fresh = BothEqualizers();
  for (size_t e = 0; e < panicked.size(); ++e) {
    for (cEffect* eq : {panicked[e].get(), fresh[e].get()}) {
      eq->SetParam(1, 80);
      eq->SetParam(3, -60);
      eq->SetParam(eq->GetNumParams() - 1, 50);
    }
    std::vector<float> before = Noise(2000, 99);
    ProcessInBlocks(*panicked[e], before);
    panicked[e]->Clear();

    const std::vector<float> input = Noise(3000);
    std::vector<float> afterPanic = input, reference = input;
    ProcessInBlocks(*panicked[e], afterPanic);
    ProcessInBlocks(*fresh[e], reference);
    EXPECT_EQ(afterPanic, reference) << panicked[e]->GetName();
    EXPECT_EQ(panicked[e]->GetParam(1), 80);

    // The bands are heard: not the dry path alone.
    size_t dryOnly = 0;
    const float dry = e == 0 ? 1.0f / 32.0f : 1.0f / 128.0f;
    for (size_t i = 0; i < input.size(); ++i) dryOnly += afterPanic[i] == input[i] * dry;
    EXPECT_LT(dryOnly, input.size() / 10) << panicked[e]->GetName();
  }
}

TEST(Equalizer, TablesLabelsAndClamps) {
  cEqualizer5 eq5;
  cEqualizer7 eq7;
  eq5.Init(44100);
  eq7.Init(48000);
  EXPECT_EQ(eq5.GetNumParams(), 6);
  EXPECT_EQ(eq7.GetNumParams(), 8);
  EXPECT_STREQ(eq5.GetParamDesc(0)->longLabel, "Frq: 12KHz (%)");
  EXPECT_STREQ(eq5.GetParamDesc(4)->shortLabel, "Frq: 100Hz");
  EXPECT_STREQ(eq7.GetParamDesc(1)->longLabel, "Frq: 4.5KHz (%)");
  EXPECT_EQ(eq7.centres[5], 4650);  // the stage driven by parameter 1
  EXPECT_STREQ(eq7.GetParamDesc(7)->longLabel, "DryMix (%)");
  EXPECT_EQ(eq7.GetParamDesc(7)->defaultValue, 100);
  EXPECT_EQ(eq7.GetParamDesc(8), nullptr);

  eq5.SetParam(0, 500);
  EXPECT_EQ(eq5.GetParam(0), 100);
  eq5.SetParam(5, -20);
  EXPECT_EQ(eq5.GetParam(5), 0);
  EXPECT_EQ(eq5.GetParam(6), -1);

  char text[kFxTextSize] = "untouched";
  eq5.GetParamText(text, 0, 50);
  EXPECT_STREQ(text, "untouched");
}

// The filter as a direct form: the newest sample first in the history, the
// products added in tap order, the history shifted after each sample.
TEST(Equalizer, TheBandFilterMatchesItsDirectFormBitForBit) {
  cFirFilter fast, direct;
  fast.Design(1500, 1800, -70, 44100, 60);
  direct.Design(1500, 1800, -70, 44100, 60);
  const std::vector<float> input = Noise(4000);
  std::vector<float> frames = input;
  size_t done = 0;
  for (int32_t n : {1, 127, 128, 129, 882, 5, 256, 1000, 300, 1172}) {
    fast.Process(frames.data() + 2 * done, n);
    done += size_t(n);
  }
  ASSERT_EQ(done, 4000u);
  for (size_t i = 0; i < 4000; ++i) {
    const float x = input[2 * i];
    direct.history[0] = x;
    float y = 0.0f;
    for (int k = 0; k < kFirTaps; ++k) y += direct.history[k] * direct.taps[k];
    for (int k = kFirTaps - 1; k >= 1; --k) direct.history[k] = direct.history[k - 1];
    ASSERT_EQ(frames[2 * i], float(x * direct.dryFactor + y)) << i;
    ASSERT_EQ(frames[2 * i + 1], input[2 * i + 1]);  // the other side is left alone
  }
  for (int k = 0; k < kFirTaps; ++k) EXPECT_EQ(fast.history[k], direct.history[k]) << k;
}
