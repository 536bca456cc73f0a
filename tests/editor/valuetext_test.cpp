#include "editor/valuetext.h"

#include <gtest/gtest.h>

#include <string>

namespace {

const cSynthControl& Control(const char* name) {
  const int32_t i = FindSynthControl(name);
  EXPECT_GE(i, 0) << name;
  return SynthControls()[size_t(i)];
}

TEST(ValueText, KnobsSpeakTheUnitsTheirEnginesGiveTheWords) {
  int16_t block[128] = {};
  block[51] = 2;  // the filter LFO's rate range: 16 << 2
  struct Case {
    const char* control;
    int32_t value;
    const char* text;
  };
  for (Case c : {
           Case{"mKnob17", 0, "1 ms"},  // attack 0 is the shortest, not none
           {"mKnob17", 3, "30 ms"},
           {"mKnob21", 255, "2550 ms"},       // release
           {"mKnob20", 0, "Until note-off"},  // hold 0
           {"mKnob20", 12, "120 ms"},
           {"mKnob19", 127, "100%"},  // sustain level
           {"mKnob19", 48, "38%"},
           {"mKnob70", -127, "-100%"},  // a curve bends both ways
           {"mKnob23", 255, "100%"},    // cutoff, a fraction of 255
           {"mKnob24", 208, "208"},     // resonance has no unit
           {"mKnob32", 31, "24%"},      // filter envelope amount
           {"mKnob25", 5, "0.08 Hz"},   // the filter LFO in range 2
           {"mKnob28", 5, "0.31 Hz"},   // the pulse width LFO in range 0
           {"mKnob42", 255, "15.94 Hz"},
           {"mKnob43", 16, "\u00b10.20 semitones"},  // pitch LFO depth
           {"mKnob27", 64, "180\u00b0"},             // LFO start phase
           {"mKnob46", 50, "1000 ms"},               // pitch LFO wait
           {"mKnob5", 0, "Off"},                     // glide
           {"mKnob5", 20, "20"},
           {"mKnob1", -40, "-40"},  // envelope to pitch: a plain number
           {"mKnob41", 0, "2 ms"},  // the sampler's release starts at 2 ms
           {"mKnob31", 0, "1 ms"},
           {"mKnob38", 0, "Until note-off"},
           {"mKnob120", 127, "100%"},  // FM depth
           {"mKnob121", 0, "0%"},      // FM feedback
           {"mKnob115", 7, "70 ms"},   // FM hold
           {"mKnob117", 64, "50%"},
           {"SpinEdit2", -12, "-12"},  // not a knob: the number
       }) {
    EXPECT_EQ(ControlValueText(Control(c.control), c.value, block), c.text) << c.control;
  }
}

TEST(ValueText, WaveformFieldsNameTheirWaveforms) {
  struct Case {
    const char* control;
    int32_t value;
    const char* name;
  };
  for (Case c : {Case{"SpinEdit1", 0, "Saw"},
                 {"SpinEdit4", 1, "Pulse"},
                 {"SpinEdit11", 4, "Inverted Saw"},
                 {"SpinEdit11", 5, "Off"},
                 {"SpinEdit105", 0, "Sine"},
                 {"SpinEdit106", 2, "Half Sine"},
                 {"SpinEdit106", 3, "Quarter Sine"}}) {
    const char* name = WaveformName(Control(c.control), c.value);
    ASSERT_NE(name, nullptr) << c.control;
    EXPECT_STREQ(name, c.name) << c.control << " " << c.value;
    EXPECT_EQ(ControlValueText(Control(c.control), c.value, nullptr),
              std::to_string(c.value) + " " + c.name);
  }
  EXPECT_EQ(WaveformName(Control("SpinEdit2"), 0), nullptr);  // Detune
  EXPECT_EQ(WaveformName(Control("mKnob5"), 0), nullptr);
}

}  // namespace
