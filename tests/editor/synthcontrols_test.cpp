#include "editor/synthcontrols.h"

#include <gtest/gtest.h>

#include <cstring>
#include <set>
#include <string>

#include "editor/envelope.h"

namespace {

const cSynthControl& Control(const char* name) {
  const int32_t i = FindSynthControl(name);
  EXPECT_GE(i, 0) << name;
  return SynthControls()[size_t(i)];
}

TEST(SynthControls, EachWordHasOneControlOnThePagesOfItsEngine) {
  // Two controls writing one word would leave another word unreachable.
  for (int32_t engine = 0; engine < kGenKinds; ++engine) {
    std::set<int32_t> words;
    for (const cSynthControl& c : SynthControls()) {
      if (c.word < 0 || (c.page != kStrip && !PageShown(c.page, engine))) continue;
      EXPECT_TRUE(words.insert(c.word).second) << c.name << " writes word " << c.word << " again";
      EXPECT_LT(c.word, 128) << c.name;
    }
  }
}

TEST(SynthControls, RangesAndHandlersAgreeWithTheKinds) {
  std::set<std::string> names;
  for (const cSynthControl& c : SynthControls()) {
    SCOPED_TRACE(c.name);
    EXPECT_TRUE(names.insert(c.name).second);
    if (c.kind == cControlKind::Button) {
      EXPECT_EQ(c.handler, cSynthHandler::None);
      EXPECT_STRNE(c.label, "");
      continue;
    }
    EXPECT_LT(c.min, c.max);
    EXPECT_GE(c.initial, c.min);
    EXPECT_LE(c.initial, c.max);
    // A finetune that goes down to -100 goes up to 100.
    if (c.min == -100) {
      EXPECT_EQ(c.max, 100);
    }
    const bool invertingHandler =
        c.handler == cSynthHandler::TrackBar2Change || c.handler == cSynthHandler::CheckBox3Click;
    EXPECT_EQ(c.inverted, invertingHandler);
    if (c.kind == cControlKind::Knob) {
      EXPECT_TRUE(HandlerRule(c.handler).paramText);
    }
  }
  // Every envelope picture's knobs sit in its group on its page.
  for (const cEnvelopeImage& image : EnvelopeImages()) {
    int found = 0;
    for (const cSynthControl& c : SynthControls()) {
      if (c.page == image.page && c.kind == cControlKind::Knob && c.word >= image.firstWord &&
          c.word < image.firstWord + 5 && std::strcmp(c.group, image.group) == 0) {
        EXPECT_TRUE(HandlerRule(c.handler).redrawEnvelopes) << c.name;
        ++found;
      }
    }
    EXPECT_EQ(found, 5) << image.name;
  }
}

TEST(SynthControls, InvertedControlsWriteTheOppositeEnd) {
  struct Case {
    const char* control;
    int32_t value;
    int16_t word;
  };
  for (Case c : {Case{"TrackBar9", 0, 127},  // "FB" at the top
                 {"TrackBar9", 127, 0},      // and at the bottom
                 {"TrackBar4", 27, 100},
                 {"CheckBox3", 1, 0},  // "No RST" checked
                 {"CheckBox3", 0, 1},
                 {"CheckBox5", 1, 0},  // "Keyb" checked
                 {"CheckBox8", 1, 1},  // "Multiplier" is not inverted
                 {"CheckBox8", 0, 0},
                 {"mKnob32", -100, -100},
                 {"TrackBar39", 3, 3}}) {
    const cSynthControl& control = Control(c.control);
    SCOPED_TRACE(c.control);
    EXPECT_EQ(WordFromControlValue(control, c.value), c.word);
    EXPECT_EQ(ControlValueFromWord(control, c.word), c.value);  // and back
  }
  // Only the words 1 (checked) or 0 (inverted: checked) tick a box.
  EXPECT_EQ(ControlValueFromWord(Control("CheckBox8"), 2), 0);
  EXPECT_EQ(ControlValueFromWord(Control("CheckBox3"), 2), 0);
  // The volume bar shows the low seven bits of its word.
  EXPECT_EQ(ControlValueFromWord(Control("TrackBar1"), 200), 72);
}

TEST(SynthControls, EachEngineShowsItsPages) {
  struct Case {
    int32_t engine;
    bool shown[kSynthPages];
  };
  for (Case c : {Case{kGenBass, {true, true, false, false}},
                 {kGenSampler, {false, false, true, false}},
                 {kGenFM, {false, false, false, true}},
                 {7, {false, false, false, false}}}) {
    for (int32_t page = 0; page < kSynthPages; ++page) {
      EXPECT_EQ(PageShown(page, c.engine), c.shown[page]) << c.engine << " " << page;
    }
  }
}

TEST(EnvelopePicture, SegmentsAreAtMost35PixelsAndHold0IsMarked) {
  const cEnvelopeShape shape = EnvelopeShape(200, 10, 63, 0, 120, 40);
  EXPECT_EQ(shape.outline[0].x, 0);
  EXPECT_EQ(shape.outline[0].y, 40);
  EXPECT_EQ(shape.outline[1].x, 35);  // the attack edge
  EXPECT_EQ(shape.outline[1].y, 2);
  EXPECT_EQ(shape.outline[2].x, 35 + 11);
  EXPECT_EQ(shape.outline[2].y, 40 - 20);  // round(64 / 127 x 39)
  EXPECT_EQ(shape.outline[3].x, 46);       // no hold time
  EXPECT_EQ(shape.outline[4].x, 120);
  EXPECT_TRUE(shape.holdLine);
  EXPECT_EQ(shape.holdX, 46);

  const cEnvelopeShape held = EnvelopeShape(0, 255, 126, 20, 120, 40);
  EXPECT_EQ(held.outline[1].x, 1);
  EXPECT_EQ(held.outline[2].x, 36);
  EXPECT_EQ(held.outline[3].x, 56);
  EXPECT_EQ(held.outline[3].y, 1);  // full sustain: just below the top
  EXPECT_FALSE(held.holdLine);
}

TEST(SynthControls, EveryControlHasANameOfItsOwn) {
  std::set<std::string> names;
  for (size_t i = 0; i < SynthControls().size(); ++i) {
    const std::string& name = ControlAccessibleName(int32_t(i));
    EXPECT_FALSE(name.empty()) << SynthControls()[i].name;
    EXPECT_TRUE(names.insert(name).second) << name;
  }
  // The label alone where it is the only one; its group, and then its
  // engine, where labels repeat.
  struct Case {
    const char* control;
    const char* name;
  };
  for (Case c : {Case{"mKnob23", "Cutoff"},
                 {"SE_Layer", "Layer n."},
                 {"SpinEdit5", "Oscillator 2 Detune"},
                 {"CheckBox4", "Filter Envelope No RST"},
                 {"mKnob25", "Filter LFO Freq"},
                 {"mKnob71", "Synthesizer Volume Envelope Decay curve"},
                 {"mKnob31", "Attack"},
                 {"mKnob110", "FM Synth Volume Envelope Attack"},
                 {"SpinEditTune", "Synthesizer Tune"},
                 {"SE_Tune", "Sampler Tune"},
                 {"SpeedButton6", "FM Synth Load Synth"},
                 {"ComboBox1", "Engine"},
                 {"ComboBox2", "Loop Mode"}}) {
    EXPECT_EQ(ControlAccessibleName(FindSynthControl(c.control)), c.name) << c.control;
  }
}

}  // namespace
