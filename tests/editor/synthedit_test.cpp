#include "editor/synthedit.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <cstring>
#include <filesystem>
#include <vector>

#include "app/trackerinside.h"
#include "editor/samplerlayers.h"
#include "tests/support/enginedefaults.h"
#include "tests/support/rampwav.h"

namespace {

cConfig QuietConfig() {
  cConfig config;
  config.cpuCalc = 0;
  return config;
}

void WriteWav(const std::filesystem::path& path, int32_t frames, int32_t channels) {
  ASSERT_TRUE(WriteRampWav(path.string(), frames, channels));
}

class SynthEdit : public ::testing::Test {
 protected:
  void SetUp() override {
    editor.engineChangeWaitMs = 0;
    tracker.SetInstrumentEditor([this](int32_t block, const int16_t*) { editor.Load(block); },
                                [this] { ++refreshes; });
    tracker.SetInstrument(5);
    tracker.Edits().MarkSaved();
    dir = std::filesystem::temp_directory_path() /
          ("murvelon-synth-" + std::to_string(::testing::UnitTest::GetInstance()->random_seed()) +
           "-" + ::testing::UnitTest::GetInstance()->current_test_info()->name());
    std::filesystem::create_directories(dir);
  }
  void TearDown() override { std::filesystem::remove_all(dir); }

  cControlResult Change(const char* name, int32_t value) {
    const int32_t index = FindSynthControl(name);
    EXPECT_GE(index, 0) << name;
    return editor.ControlChanged(index, value);
  }
  int16_t Word(int32_t word) { return tracker.GetParam(4, word); }
  void SetWord(int32_t word, int16_t value) { Inside(tracker).GetParams(4)[word] = value; }
  std::vector<int16_t> Block() {
    const int16_t* p = Inside(tracker).GetParams(4);
    return std::vector<int16_t>(p, p + 128);
  }
  // The block as the engine's defaults leave it: words the engine does not
  // use keep their values.
  std::vector<int16_t> Defaults(int32_t engine) { return EngineDefaults(tracker, Block(), engine); }

  cTracker tracker{QuietConfig()};
  cSynthEditor editor{tracker};
  int refreshes = 0;
  std::filesystem::path dir;
};

TEST_F(SynthEdit, ControlsWriteTheirWordsAndMarkTheSong) {
  EXPECT_EQ(editor.Block(), 4);
  cControlResult r = Change("TrackBar9", 0);  // "FB" at the top
  EXPECT_TRUE(r.wrote);
  EXPECT_EQ(Word(48), 127);
  EXPECT_EQ(r.text, "127");
  EXPECT_TRUE(tracker.Modified());
  Change("TrackBar9", 127);
  EXPECT_EQ(Word(48), 0);

  Change("CheckBox4", 1);  // the filter envelope's "No RST"
  EXPECT_EQ(Word(54), 0);
  Change("CheckBox4", 0);
  EXPECT_EQ(Word(54), 1);
  Change("CheckBox3", 1);
  EXPECT_EQ(Word(53), 0);
  Change("CheckBox5", 1);  // "Keyb"
  EXPECT_EQ(Word(55), 0);

  r = Change("mKnob23", 200);  // "Cutoff"
  EXPECT_EQ(Word(22), 200);
  EXPECT_EQ(r.text, "200");
  EXPECT_FALSE(r.redrawEnvelopes);
  r = Change("mKnob17", 30);  // the volume envelope's attack
  EXPECT_EQ(Word(11), 30);
  EXPECT_TRUE(r.redrawEnvelopes);
  r = Change("SpinEdit3", -100);
  EXPECT_EQ(Word(39), -100);
  EXPECT_EQ(r.text, "");  // spin edits show no text
  Change("SpinEditTune", -24);
  EXPECT_EQ(Word(65), -24);
  r = Change("TrackBar36", 90);  // the Distorter's "Clamp"
  EXPECT_EQ(Word(36), 90);
  EXPECT_TRUE(r.redrawEnvelopes);
  EXPECT_EQ(r.text, "");
}

TEST_F(SynthEdit, ARefreshWritesNothing) {
  const std::vector<int16_t> before = Block();
  editor.BeginRefresh();
  const auto controls = SynthControls();
  for (size_t i = 0; i < controls.size(); ++i) {
    // What a widget reports when it is set to something else.
    const cControlResult r = editor.ControlChanged(int32_t(i), controls[i].max);
    EXPECT_FALSE(r.wrote) << controls[i].name;
  }
  editor.EndRefresh();
  EXPECT_EQ(Block(), before);
  EXPECT_FALSE(tracker.Modified());
  EXPECT_EQ(Inside(tracker).Generators().generatorType[0], kGenBass);
}

TEST_F(SynthEdit, ControlsShowTheWordsOfTheBlock) {
  SetWord(48, 100);
  SetWord(53, 0);
  SetWord(0, 200);
  struct Case {
    const char* control;
    int32_t value;
  };
  for (Case c : {Case{"TrackBar9", 27},
                 {"CheckBox3", 1},
                 {"TrackBar1", 72},
                 {"ComboBox1", 0},
                 {"mKnob23", Word(22)}}) {
    EXPECT_EQ(editor.ControlValue(FindSynthControl(c.control)), c.value) << c.control;
  }
}

TEST_F(SynthEdit, TheEngineChangeResetsTheInstrumentToTheNewDefaults) {
  tracker.SetEditedChannel(3);
  std::vector<int16_t> defaults = Defaults(kGenSampler);
  cControlResult r = Change("ComboBox1", kGenSampler);
  EXPECT_TRUE(r.refresh);
  EXPECT_EQ(Block(), defaults);
  EXPECT_EQ(editor.Engine(), kGenSampler);
  EXPECT_TRUE(tracker.Modified());
  // The edited channel plays it, and its writes reach a sampler.
  EXPECT_EQ(Inside(tracker).Generators().generatorType[3], kGenSampler);
  for (int32_t page = 0; page < kSynthPages; ++page) {
    EXPECT_EQ(PageShown(page, editor.Engine()), page == kPageSample);
  }
  // The sample page shows layer 0 now.
  EXPECT_EQ(editor.Sample().Slot(), 0);

  Change("SE_Tune", 5);
  EXPECT_EQ(Word(4), 5);
  Change("SE_Tune", 0);  // what a double click does
  EXPECT_EQ(Word(4), 0);
  Change("SE_Fine", -128);
  EXPECT_EQ(Word(3), -128);

  defaults = Defaults(kGenFM);
  Change("ComboBox1", kGenFM);
  EXPECT_EQ(Block(), defaults);
}

TEST_F(SynthEdit, KnobDefaultsAreTheInstrumentEnginesAndTextsReadItsWords) {
  auto Default = [this](const char* name) {
    return editor.DefaultControlValue(FindSynthControl(name));
  };
  Change("mKnob17", 200);
  EXPECT_EQ(Default("mKnob17"), Defaults(kGenBass)[11]);
  EXPECT_EQ(Default("mKnob32"), Defaults(kGenBass)[32]);
  // The LFO's rate range (word 51) sets what its rate word means.
  SetWord(51, 1);
  EXPECT_EQ(editor.ValueText(FindSynthControl("mKnob25"), 16), "0.50 Hz");

  Change("ComboBox1", kGenSampler);
  EXPECT_EQ(Default("mKnob37"), 112);  // the sampler's sustain
  Change("ComboBox1", kGenFM);
  EXPECT_EQ(Default("mKnob112"), Defaults(kGenFM)[18]);
  EXPECT_EQ(Default("mKnob120"), Defaults(kGenFM)[7]);
}

TEST_F(SynthEdit, EnvelopePicturesFollowTheirWords) {
  SetWord(11, 200);  // attack
  SetWord(14, 0);    // hold
  const cEnvelopeImage& image = EnvelopeImages()[0];
  ASSERT_STREQ(image.name, "Image_A");
  const cEnvelopeShape shape = editor.Envelope(image, 120, 40);
  EXPECT_EQ(shape.outline[1].x, 35);
  EXPECT_TRUE(shape.holdLine);
}

TEST_F(SynthEdit, SamplesLoadIntoTheLayerAndGo) {
  Change("ComboBox1", kGenSampler);
  tracker.Edits().MarkSaved();
  EXPECT_FALSE(editor.LoadSample((dir / "missing.wav").string()));
  EXPECT_FALSE(tracker.Modified());

  Change("SE_Layer", 5);
  EXPECT_EQ(Word(2), 5);
  EXPECT_TRUE(tracker.Modified());
  tracker.Edits().MarkSaved();
  WriteWav(dir / "pad.wav", 1000, 2);
  ASSERT_TRUE(editor.LoadSample((dir / "pad.wav").string()));
  EXPECT_TRUE(tracker.Modified());
  cSampleEditor& sample = editor.Sample();
  EXPECT_EQ(sample.Slot(), 5);
  EXPECT_EQ(sample.NameText(), "pad.wav:  1000 (Stereo)");
  EXPECT_EQ(sample.ViewEnd(), 999);

  cControlResult r = Change("ComboBox2", kLoopForward);
  EXPECT_TRUE(r.wrote);
  EXPECT_TRUE(r.sampleChanged);
  EXPECT_EQ(editor.ControlValue(FindSynthControl("ComboBox2")), kLoopForward);

  editor.DeleteSample();
  EXPECT_FALSE(Inside(tracker).Waves().InUse(5));
  EXPECT_EQ(sample.NameText(), "No sample loaded.");
  EXPECT_EQ(editor.ControlValue(FindSynthControl("ComboBox2")), kLoopNone);
}

TEST_F(SynthEdit, ALoadedWaveAndItsLoopComeBackWithTheSong) {
  Change("ComboBox1", kGenSampler);
  Change("SE_Layer", 5);
  WriteWav(dir / "loop.wav", 1000, 1);
  ASSERT_TRUE(editor.LoadSample((dir / "loop.wav").string()));
  cSampleEditor& sample = editor.Sample();
  sample.SetImageSize(100, 60);
  ASSERT_TRUE(sample.MouseDown(25, 0));   // loop start at frame 250
  ASSERT_TRUE(sample.MouseDown(75, 59));  // loop end at frame 750
  Change("ComboBox2", kLoopPingpong);
  const std::string song = (dir / "song.zqm").string();
  ASSERT_EQ(tracker.SaveModule(song), 1);

  cTracker other(QuietConfig());
  ASSERT_EQ(other.LoadModule(song), 1);
  cWaveEntry e;
  ASSERT_TRUE(Inside(other).Waves().GetEntry(5, &e));
  EXPECT_EQ(e.length, 1000);
  EXPECT_EQ(e.loopStart, 250);
  EXPECT_EQ(e.loopEnd, 750);
  EXPECT_EQ(e.flags & kWaveLoopModeMask, uint32_t(kLoopPingpong));
  EXPECT_EQ(e.data[kWaveMargin + 999], int16_t(999 * 7));
  EXPECT_EQ(other.GetParam(4, 2), 5);
}

TEST_F(SynthEdit, PresetsLoadOnlyIntoTheirEngine) {
  Change("mKnob23", 77);
  const std::string bass = (dir / "warm.zqb").string();
  ASSERT_TRUE(editor.SavePreset(false, bass));
  EXPECT_FALSE(editor.SavePreset(true, (dir / "warm.zqf").string()));
  EXPECT_FALSE(std::filesystem::exists(dir / "warm.zqf"));
  EXPECT_EQ(editor.PresetName(false), bass);  // the next save offers it again
  EXPECT_EQ(editor.PresetName(true), "FMSynth");

  Change("mKnob23", 10);
  tracker.Edits().MarkSaved();
  const int before = refreshes;
  ASSERT_TRUE(editor.LoadPreset(false, bass));
  EXPECT_EQ(Word(22), 77);
  EXPECT_TRUE(tracker.Modified());
  EXPECT_EQ(refreshes, before + 1);  // the instrument was selected again
  EXPECT_EQ(editor.PresetName(false), bass);

  Change("ComboBox1", kGenSampler);
  const std::vector<int16_t> sampler = Block();
  EXPECT_FALSE(editor.LoadPreset(false, bass));
  EXPECT_FALSE(editor.SavePreset(false, (dir / "s.zqb").string()));
  EXPECT_EQ(Block(), sampler);
}

}  // namespace

// Which layer a block made a sampler takes: waves and other samplers' layers
// are taken, the block's own old layer and the synths' word 2 are not.
TEST_F(SynthEdit, ANewSamplerTakesTheLowestLayerNobodyHolds) {
  WriteWav(dir / "one.wav", 100, 1);
  cWaveSlot sound;
  ASSERT_TRUE(cWavManager::ReadWav((dir / "one.wav").string(), &sound));
  struct Case {
    const char* what;
    std::vector<int32_t> waves;                       // layers that hold a wave
    std::vector<std::pair<int32_t, int32_t>> blocks;  // (block, layer) made samplers
    int32_t expected;
  };
  std::vector<int32_t> all(kWaveSlots);
  for (int32_t i = 0; i < kWaveSlots; ++i) all[size_t(i)] = i;
  const Case cases[] = {
      {"nothing held", {}, {}, 0},
      {"instrument 4 on layer 0 as at start-up, waves on 1 and 2", {1, 2}, {{3, 0}}, 3},
      {"a sampler on 1, waves on 0 and 2", {0, 2}, {{9, 1}}, 3},
      {"the block's own old layer is free", {}, {{4, 0}, {3, 1}}, 0},
      {"every layer holds a wave", all, {}, 0},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    cTracker t(QuietConfig());
    for (const int32_t layer : c.waves) Inside(t).Waves().PutSlot(layer, sound);
    for (const auto& [block, layer] : c.blocks) {
      Inside(t).GetParams(block)[kParamGenType] = kGenSampler;
      Inside(t).GetParams(block)[2] = int16_t(layer);
    }
    Inside(t).GetParams(6)[kParamGenType] = kGenFM;  // a synth's word 2 names no layer
    Inside(t).GetParams(6)[2] = 3;
    EXPECT_EQ(FreeSamplerLayer(t, 4), c.expected);
  }
  // Word 2 = 255 is a sampler without a sample: it names no layer, not 127.
  cTracker t(QuietConfig());
  Inside(t).GetParams(3)[kParamGenType] = kGenSampler;
  Inside(t).GetParams(3)[2] = 255;
  EXPECT_TRUE(OtherSamplersOnLayer(t, 127, 4).empty());
  EXPECT_EQ(SamplerLayer(t.GetParams(3)), -1);
}

// Two samplers made one after the other keep their own samples through a
// save and a load; a layer made shared on purpose says so and asks.
TEST_F(SynthEdit, SamplersKeepTheirOwnSamples) {
  WriteWav(dir / "kick.wav", 300, 1);
  WriteWav(dir / "snare.wav", 500, 1);
  tracker.SetInstrument(2);
  Change("ComboBox1", kGenSampler);
  ASSERT_TRUE(editor.LoadSample((dir / "kick.wav").string()));
  tracker.SetInstrument(3);
  Change("ComboBox1", kGenSampler);
  ASSERT_TRUE(editor.LoadSample((dir / "snare.wav").string()));
  EXPECT_NE(tracker.GetParam(1, 2), tracker.GetParam(2, 2));
  EXPECT_TRUE(editor.LayerSharedWith().empty());

  const std::string song = (dir / "two.zqm").string();
  ASSERT_EQ(tracker.SaveModule(song), 1);
  cTracker other(QuietConfig());
  ASSERT_EQ(other.LoadModule(song), 1);
  for (const auto& [block, length] : {std::pair{1, 300}, std::pair{2, 500}}) {
    cWaveEntry e;
    ASSERT_TRUE(Inside(other).Waves().GetEntry(other.GetParam(block, 2), &e));
    EXPECT_EQ(e.length, length);
  }

  // A sample that does not load leaves the wave as it was.
  std::FILE* bad = std::fopen((dir / "bad.wav").string().c_str(), "wb");
  ASSERT_TRUE(bad);
  std::fputs("RIFF but nothing more", bad);
  std::fclose(bad);
  const int32_t layer = editor.Layer();
  const cWaveSlot before = tracker.Waves().GetSlot(layer);
  const std::vector<int16_t> wordsBefore(tracker.GetParams(2),
                                         tracker.GetParams(2) + kInstrumentWords);
  tracker.Edits().MarkSaved();
  EXPECT_FALSE(editor.LoadSample((dir / "bad.wav").string()));
  EXPECT_EQ(tracker.Waves().GetSlot(layer).buffer, before.buffer);
  EXPECT_EQ(std::vector<int16_t>(tracker.GetParams(2), tracker.GetParams(2) + kInstrumentWords),
            wordsBefore);
  EXPECT_FALSE(tracker.Modified());

  // Instruments 7 and 2 set to the snare's layer share it with 3.
  tracker.SetInstrument(7);
  Change("ComboBox1", kGenSampler);
  Change("SE_Layer", layer);
  tracker.SetInstrument(2);
  Change("SE_Layer", layer);
  tracker.SetInstrument(3);
  EXPECT_EQ(editor.LayerSharedWith(), (std::vector<int32_t>{2, 7}));
  EXPECT_EQ(SharedLayerQuestion(layer, editor.LayerSharedWith(), true),
            "Layer " + std::to_string(layer) +
                " is also used by instruments 2, 7: replace its sample for all of them?");
  EXPECT_EQ(SharedLayerText({4}), "Also used by instrument 4.");
  EXPECT_EQ(SharedLayerText({}), "");
}
