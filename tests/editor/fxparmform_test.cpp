#include "editor/fxparmform.h"

#include <gtest/gtest.h>

#include "app/tracker.h"
#include "app/trackerinside.h"

namespace {

// A tracker at BPM 140 and speed 6 with an effect of the type in slot 0 of
// channel chain 1.
struct cFormFixture {
  explicit cFormFixture(int32_t type) : t(Config()) {
    Inside(t).Effects().type[0][1] = uint32_t(type);
    Inside(t).ChangeFxModule(1, 0, type);
  }
  static cConfig Config() {
    cConfig config;
    config.cpuCalc = 0;
    config.bpm = 140;
    config.speed = 6;
    return config;
  }
  cEffect& Fx() { return *Inside(t).GetFxObjPtr(0, 1); }
  std::string Text(int index) {
    char text[kFxTextSize] = {};
    Fx().GetParamText(text, index, Fx().GetParam(index));
    return text;
  }
  cTracker t;
};

}  // namespace

TEST(FxParmForm, RowsComeFromTheDescriptors) {
  cFormFixture f(2);
  cFxParmForm form;
  ASSERT_TRUE(form.Open(f.t, 1, 0));
  EXPECT_EQ(form.Caption(), "Delay + Feedback");
  ASSERT_EQ(form.Rows().size(), 8u);
  const cFxParmRow& left = form.Rows()[0];
  EXPECT_EQ(left.label, "Delay Left (ms)");
  EXPECT_EQ(left.minimum, 0);
  EXPECT_EQ(left.maximum, 1024);
  EXPECT_EQ(left.tickInterval, 102);
  EXPECT_EQ(left.value, 340);
  EXPECT_EQ(left.text, "340 ms");
  EXPECT_EQ(left.minimumText, "0 ms");
  EXPECT_EQ(left.maximumText, "1024 ms");
  for (int i = 0; i < 8; ++i) {
    EXPECT_EQ(form.Rows()[size_t(i)].tempoSync, i < 2) << i;
    EXPECT_EQ(form.Rows()[size_t(i)].text, f.Text(i)) << i;
  }
  EXPECT_EQ(form.PresetCount(), 2);
  EXPECT_EQ(cFxParmForm::PresetCaption(0), "Default");
  EXPECT_EQ(cFxParmForm::PresetCaption(1), "1");
  EXPECT_EQ(cFxParmForm::TempoCaption(0), "1x");
  EXPECT_EQ(cFxParmForm::TempoCaption(7), "8x");
  EXPECT_FALSE(f.t.Modified());  // opening changes nothing

  form.Close();
  EXPECT_FALSE(form.IsOpen());
  EXPECT_TRUE(form.Rows().empty());
}

TEST(FxParmForm, ATempoButtonSetsRowsOfTheSongTempo) {
  cFormFixture f(2);
  cFxParmForm form;
  ASSERT_TRUE(form.Open(f.t, 1, 0));
  form.TempoClick(0, 3);  // four rows at 140 BPM, speed 6
  EXPECT_EQ(f.Fx().GetParam(0), 428);
  EXPECT_EQ(form.Rows()[0].value, 428);
  EXPECT_EQ(form.Rows()[0].text, "428 ms");
  EXPECT_EQ(form.Rows()[1].value, 340);
  EXPECT_TRUE(f.t.Modified());

  Inside(f.t).Song().speed = 31;  // eight rows of 553 ms: more than the delay holds
  form.TempoClick(1, 7);
  EXPECT_EQ(form.Rows()[1].value, f.Fx().GetParam(1));
  EXPECT_LE(form.Rows()[1].value, 1024);
}

TEST(FxParmForm, APresetSetsEveryValueAndTheRowsFollow) {
  cFormFixture f(2);
  cFxParmForm form;
  ASSERT_TRUE(form.Open(f.t, 1, 0));
  form.PresetClick(1);
  const int32_t preset1[8] = {85, 80, 80, 85, 90, 90, 95, 0};
  for (int i = 0; i < 8; ++i) {
    EXPECT_EQ(f.Fx().GetParam(i), preset1[i]) << i;
    EXPECT_EQ(form.Rows()[size_t(i)].value, preset1[i]) << i;
    EXPECT_EQ(form.Rows()[size_t(i)].text, f.Text(i)) << i;
  }
  EXPECT_TRUE(f.t.Modified());
  f.t.Edits().MarkSaved();
  form.PresetClick(2);  // the delay has no third preset
  EXPECT_FALSE(f.t.Modified());
  form.PresetClick(0);
  EXPECT_EQ(form.Rows()[0].value, 340);
}

TEST(FxParmForm, ABarMoveSetsTheValueTheEffectKeeps) {
  cFormFixture f(3);
  cFxParmForm form;
  ASSERT_TRUE(form.Open(f.t, 1, 0));
  EXPECT_EQ(form.Caption(), "Reverberator");
  form.SetParam(1, 400);
  EXPECT_EQ(f.Fx().GetParam(1), 400);
  EXPECT_EQ(form.Rows()[1].text, f.Text(1));
  EXPECT_TRUE(f.t.Modified());
  form.SetParam(1, 5000);
  EXPECT_EQ(form.Rows()[1].value, f.Fx().GetParam(1));
  f.t.Edits().MarkSaved();
  form.SetParam(1, form.Rows()[1].value);  // the bar set to the shown value
  form.SetParam(9, 10);
  EXPECT_FALSE(f.t.Modified());
}

TEST(FxParmForm, Geometry) {
  cFormFixture delay(2);
  cFxParmForm form;
  ASSERT_TRUE(form.Open(delay.t, 1, 0));
  EXPECT_EQ(form.ClientHeight(), 64 + 28 * 8);
  EXPECT_EQ(form.BarRect(0).width, 278);  // room for the tempo buttons
  EXPECT_EQ(form.BarRect(2).width, 448);
  EXPECT_EQ(form.BarRect(2).top, 16 + 28 * 2 - 2);
  EXPECT_EQ(form.TempoRect(1, 7).left, 352 + 140);
  EXPECT_EQ(form.TempoRect(1, 0).top, 16 + 28 - 4);
  EXPECT_EQ(form.ClientWidth(), 576);
  // Two presets, right-aligned with 2 pixels between them.
  const cFormRect def = form.PresetRect(0), one = form.PresetRect(1);
  EXPECT_EQ(def.left, 576 - 24 - 3 * 24);
  EXPECT_EQ(def.top, 24 + 28 * 8);
  EXPECT_EQ(def.width, 44);
  EXPECT_EQ(one.left, def.left + 44 + 2);
  EXPECT_EQ(one.width, 22);

  // Wider columns move what is right of them and widen the window; narrower
  // ones keep the narrowest.
  form.SetColumns(130, 70);
  EXPECT_EQ(form.LabelRect(0).width, 130);
  EXPECT_EQ(form.BarRect(0).left, 68 + 70);
  EXPECT_EQ(form.BarRect(0).width, 278);
  EXPECT_EQ(form.TempoRect(0, 0).left, 352 + 70);
  EXPECT_EQ(form.ValueRect(0).left, 516 + 70);
  EXPECT_EQ(form.ValueRect(0).width, 70);
  EXPECT_EQ(form.ClientWidth(), 576 + 70 + 14);
  EXPECT_EQ(form.PresetRect(0).left, 576 + 84 - 24 - 3 * 24);
  form.SetColumns(10, 10);
  EXPECT_EQ(form.ClientWidth(), 576);
  EXPECT_EQ(form.BarRect(0).left, 68);

  cFormFixture reverb(3);
  ASSERT_TRUE(form.Open(reverb.t, 1, 0));
  EXPECT_EQ(form.Rows().size(), 5u);
  EXPECT_EQ(form.ClientHeight(), 64 + 28 * 5);
  EXPECT_EQ(form.PresetCount(), 1);
  EXPECT_EQ(form.PresetRect(0).left, 576 - 24 - 2 * 24);
}
