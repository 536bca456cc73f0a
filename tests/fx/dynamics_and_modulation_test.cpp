// What all six of the compressor, shaper, flanger and expander effects share:
// names, parameter tables, the out-of-range answers, preset 0 and a save and
// reload of every parameter.
#include <gtest/gtest.h>

#include <cstring>
#include <functional>
#include <memory>

#include "fx/compressor.h"
#include "fx/distortion.h"
#include "fx/flanger.h"
#include "fx/stereo.h"

struct EffectCase {
  std::function<std::unique_ptr<cEffect>()> make;
  const char* name;
  int32_t params;
  int32_t presets;
};

static const EffectCase effectCases[] = {
    {[] { return std::make_unique<cCompressor>(); }, "Compressor", 6, 2},
    {[] { return std::make_unique<cDistorter>(); }, "Distorter", 3, 1},
    {[] { return std::make_unique<cOverdrive>(); }, "Overdrive", 4, 1},
    {[] { return std::make_unique<cFlanger>(); }, "Flanger/Chorus", 8, 3},
    {[] { return std::make_unique<cFlanger2>(); }, "Flanger/Chorus 2", 12, 1},
    {[] { return std::make_unique<cStereo>(); }, "Stereo Expander", 1, 1},
};

TEST(EffectContract, NamesTablesAndOutOfRangeAnswers) {
  for (const auto& c : effectCases) {
    auto fx = c.make();
    fx->Init(44100);
    EXPECT_STREQ(fx->GetName(), c.name);
    ASSERT_EQ(fx->GetNumParams(), c.params) << c.name;
    EXPECT_EQ(fx->GetNumPresets(), c.presets) << c.name;
    for (int32_t i = 0; i < c.params; ++i) {
      const cFxParamDesc* d = fx->GetParamDesc(i);
      ASSERT_NE(d, nullptr) << c.name << " " << i;
      EXPECT_EQ(d->flags, 0) << c.name << " " << i;
      EXPECT_LE(d->minimum, d->defaultValue) << c.name << " " << i;
      EXPECT_LE(d->defaultValue, d->maximum) << c.name << " " << i;
      EXPECT_EQ(fx->GetParam(i), d->defaultValue) << c.name << " " << i;  // Init loads preset 0
    }
    for (int32_t bad : {-1, c.params, 1000}) {
      EXPECT_EQ(fx->GetParam(bad), -1) << c.name;
      EXPECT_EQ(fx->GetParamDesc(bad), nullptr) << c.name;
      fx->SetParam(bad, 1);
      char text[kFxTextSize];
      std::memset(text, 'x', sizeof text);
      fx->GetParamText(text, bad, 1);
      EXPECT_EQ(text[0], 'x') << c.name;
    }
    for (int32_t i = 0; i < c.params; ++i)
      EXPECT_EQ(fx->GetParam(i), fx->GetParamDesc(i)->defaultValue);
    EXPECT_EQ(fx->Process(nullptr, 0), 0);
  }
}

TEST(EffectContract, SaveAndReloadReproducesEveryParameter) {
  for (const auto& c : effectCases) {
    auto fx = c.make();
    fx->Init(48000);
    // A third of the way up each range, away from every default.
    for (int32_t i = 0; i < c.params; ++i) {
      const cFxParamDesc* d = fx->GetParamDesc(i);
      fx->SetParam(i, d->minimum + (d->maximum - d->minimum + 2) / 3);
    }
    fx->ApplyParams();  // keeps what is stored
    int32_t saved[16];
    for (int32_t i = 0; i < c.params; ++i) saved[i] = fx->GetParam(i);

    auto loaded = c.make();
    loaded->Init(48000);
    for (int32_t i = 0; i < c.params; ++i) loaded->SetParam(i, saved[i]);
    for (int32_t i = 0; i < c.params; ++i) {
      EXPECT_EQ(loaded->GetParam(i), saved[i]) << c.name << " " << i;
      EXPECT_NE(saved[i], fx->GetParamDesc(i)->defaultValue) << c.name << " " << i;
    }
    loaded->LoadPreset(0);
    for (int32_t i = 0; i < c.params; ++i)
      EXPECT_EQ(loaded->GetParam(i), loaded->GetParamDesc(i)->defaultValue);
  }
}
