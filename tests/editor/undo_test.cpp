// Every kind of edit, made as the editors make it, then undone and redone:
// the saved song is byte for byte what it was before the edit after the
// undo, and what it was after the edit after the redo.

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <functional>
#include <iterator>
#include <string>
#include <vector>

#include "editor/chanspage.h"
#include "editor/fxparmform.h"
#include "editor/synthcontrols.h"
#include "editor/synthedit.h"
#include "patterneditor_fixture.h"
#include "support/rampwav.h"

namespace {

constexpr const char* kDemo = MURVELON_SOURCE_DIR "/Songs/demo.zqm";

class UndoTest : public PatternEditorTest {
 protected:
  void SetUp() override {
    dir = std::filesystem::temp_directory_path() /
          ("murvelon-undo-" + std::to_string(::testing::UnitTest::GetInstance()->random_seed()) +
           "-" + ::testing::UnitTest::GetInstance()->current_test_info()->name());
    std::filesystem::create_directories(dir);
    ASSERT_EQ(tracker.LoadModule(kDemo), 1);
    editor.ResetViews();
    synth.engineChangeWaitMs = 0;
    chans.Attach(tracker);
  }
  void TearDown() override { std::filesystem::remove_all(dir); }

  // The song as its file holds it.
  std::vector<char> Bytes() {
    const std::string path = (dir / "song.zqm").string();
    EXPECT_EQ(tracker.SaveModule(path), 1);
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), {}};
  }
  std::string Path(const char* name) { return (dir / name).string(); }
  // Index of a control of the instrument page that edits its word with a
  // plain write (a knob of the oscillator page).
  static int32_t OscillatorKnob() {
    const auto table = SynthControls();
    for (size_t i = 0; i < table.size(); ++i) {
      if (table[i].page == kPageOscillators && table[i].kind == cControlKind::Knob &&
          table[i].word >= 0)
        return int32_t(i);
    }
    return -1;
  }

  std::filesystem::path dir;
  cSynthEditor synth{tracker};
  cChansPage chans;
  cFxParmForm form;
};

TEST_F(UndoTest, EveryKindOfEditUndoesToTheBytesBeforeAndRedoesToTheBytesAfter) {
  struct Case {
    const char* what;
    std::function<void()> setUp;  // not part of the step
    std::function<void()> edit;
  };
  auto nothing = [] {};
  auto editMode = [this] {
    SetEditMode(1);
    Cursor(3, 0);
  };
  auto sampler = [this] {
    tracker.SetInstrument(9);
    synth.Load(8);
    synth.ChangeEngine(kGenSampler);
    ASSERT_TRUE(WriteRampWav(Path("ramp.wav"), 300, 1));
  };
  auto withWave = [this, sampler] {
    sampler();
    ASSERT_TRUE(synth.LoadSample(Path("ramp.wav")));
  };
  auto flanger = [this] {
    chans.SelectChain(2);
    chans.ChangeType(1, 7);
    ASSERT_TRUE(form.Open(tracker, 2, 1));
    ASSERT_GT(form.PresetCount(), 1);
  };
  const int32_t knob = OscillatorKnob();
  ASSERT_GE(knob, 0);
  const int seqY = 16 * (1 + cSequenceView::half) + 5;

  const Case cases[] = {
      {"a typed note", editMode, [this] { Press('Q'); }},
      {"a typed digit",
       [=, this] {
         editMode();
         Cursor(3, 1);
       },
       [this] { Press('3'); }},
      {"a note-off", editMode, [this] { Press(kVkOem5); }},
      {"a cleared cell",
       [=, this] {
         editMode();
         Press('Q');
         Cursor(3, 0);
       },
       [this] { Press(kVkDelete, kModCtrl); }},
      {"a row inserted",
       [=, this] {
         editMode();
         Press('Q');
         Cursor(0, 0);
       },
       [this] { Press(kVkInsert); }},
      {"a row deleted",
       [=, this] {
         editMode();
         Press('Q');
         Cursor(1, 0);
       },
       [this] { Press(kVkBack); }},
      {"a track cut",
       [=, this] {
         editMode();
         Press('Q');
       },
       [this] { Press(kVkF3, kModShift); }},
      {"a block pasted",
       [=, this] {
         editMode();
         Press('Q');
         Press(kVkF4, kModShift | kModCtrl);
         Cursor(20, 0);
       },
       [this] { Press(kVkF5, kModShift | kModCtrl); }},
      {"a block transposed",
       [=, this] {
         editMode();
         Press('Q');
         Cursor(3, 0);
       },
       [this] { Press(kVkAdd, kModShift); }},
      {"a sequence pattern", nothing,
       [&] { editor.SequenceMouseDown(5 * 8 + 3, seqY, kButtonLeft); }},
      {"a channel mode", nothing, [&] { editor.SequenceMouseDown(9 * 8 + 3, seqY, kButtonLeft); }},
      {"the song range", nothing,
       [&] { editor.SequenceMouseDown(22 * 8 + 3, 16 * 8 + 5, kButtonLeft); }},
      {"an entry inserted", nothing, [this] { editor.InsertSequenceEntry(); }},
      {"an entry deleted", nothing, [this] { editor.DeleteSequenceEntry(); }},
      {"the channel count", nothing, [this] { tracker.Edits().SetChannelCount(9); }},
      {"the BPM", nothing, [this] { tracker.Edits().SetBpm(90); }},
      {"the speed", nothing, [this] { tracker.Edits().SetSpeed(3); }},
      {"the master volume", nothing, [this] { tracker.Edits().SetMasterVolume(60); }},
      {"the master pan", nothing, [this] { tracker.Edits().SetMasterPan(-40); }},
      {"a channel volume", nothing, [this] { chans.SetChannelVolume(2, 250); }},
      {"an instrument word", [this] { synth.Load(0); },
       [&] { synth.ControlChanged(knob, synth.ControlValue(knob) == 10 ? 20 : 10); }},
      {"the engine", [this] { synth.Load(3); }, [this] { synth.ChangeEngine(kGenFM); }},
      {"a preset loaded",
       [&] {
         synth.Load(5);
         synth.ChangeEngine(kGenBass);
         synth.ControlChanged(knob, synth.ControlValue(knob) == 10 ? 20 : 10);
         ASSERT_TRUE(synth.SavePreset(false, Path("p.zqb")));
         synth.Load(6);
         synth.ChangeEngine(kGenBass);
       },
       [this] { ASSERT_TRUE(synth.LoadPreset(false, Path("p.zqb"))); }},
      {"the layer", sampler, [this] { synth.ControlChanged(FindSynthControl("SE_Layer"), 7); }},
      {"a sample loaded", sampler, [this] { ASSERT_TRUE(synth.LoadSample(Path("ramp.wav"))); }},
      {"a sample deleted", withWave, [this] { synth.DeleteSample(); }},
      {"the loop points", withWave,
       [this] {
         synth.Sample().SetImageSize(300, 100);
         synth.Sample().SetLoopStartByPixel(100);
       }},
      {"the loop mode", withWave, [this] { synth.Sample().SetLoopMode(kLoopPingpong); }},
      {"an effect type", [this] { chans.SelectChain(1); },
       [this] { chans.ChangeType(0, chans.Type(0) == 2 ? 3 : 2); }},
      {"an effect parameter", flanger,
       [this] {
         const cFxParmRow& row = form.Rows()[0];
         form.SetParam(0, row.value < row.maximum ? row.value + 1 : row.value - 1);
       }},
      {"an effect preset", flanger, [this] { form.PresetClick(form.PresetCount() - 1); }},
      {"a send", [this] { chans.SelectChain(3); }, [this] { chans.SetSend(2, 40); }},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    ASSERT_EQ(tracker.LoadModule(kDemo), 1);
    editor.ResetViews();
    SetEditMode(0);
    c.setUp();
    const std::vector<char> before = Bytes();
    const size_t steps = tracker.Edits().History().Steps();
    tracker.Edits().CloseStep();
    c.edit();
    const std::vector<char> after = Bytes();
    ASSERT_NE(before, after);
    ASSERT_EQ(tracker.Edits().History().Steps(), steps + 1) << "one step";
    ASSERT_TRUE(tracker.Edits().Undo());
    EXPECT_EQ(Bytes(), before);
    ASSERT_TRUE(tracker.Edits().Redo());
    EXPECT_EQ(Bytes(), after);
  }
}

// The moves of one drag are one step; the next drag is another.
TEST_F(UndoTest, OneDragIsOneStep) {
  const int32_t was = tracker.Song().channelVolume[1];
  chans.SetChannelVolume(1, 120);
  chans.SetChannelVolume(1, 140);
  chans.SetChannelVolume(1, 160);
  EXPECT_EQ(tracker.Edits().History().Steps(), 1u);
  EXPECT_EQ(tracker.Edits().UndoText(), "Undo Channel Volume");
  tracker.Edits().CloseStep();
  chans.SetChannelVolume(1, 180);
  EXPECT_EQ(tracker.Edits().History().Steps(), 2u);
  ASSERT_TRUE(tracker.Edits().Undo());
  EXPECT_EQ(tracker.Song().channelVolume[1], 160);
  ASSERT_TRUE(tracker.Edits().Undo());
  EXPECT_EQ(tracker.Song().channelVolume[1], was);
  // Another control never merges into the drag of the first.
  tracker.Edits().Redo();
  chans.SetChannelVolume(2, 50);
  EXPECT_EQ(tracker.Edits().History().Steps(), 2u);
  EXPECT_FALSE(tracker.Edits().CanRedo());
}

// Going away from the saved song and back leaves it unmodified; any other
// state is modified. New and Load start an empty history.
TEST_F(UndoTest, TheSavePointAndANewSong) {
  EXPECT_FALSE(tracker.Modified());
  tracker.Edits().SetBpm(100);
  tracker.Edits().SetSpeed(4);
  EXPECT_TRUE(tracker.Modified());
  Bytes();  // saved
  EXPECT_FALSE(tracker.Modified());
  tracker.Edits().Undo();
  EXPECT_TRUE(tracker.Modified());
  tracker.Edits().Redo();
  EXPECT_FALSE(tracker.Modified());
  tracker.Edits().Undo();
  tracker.Edits().Undo();
  tracker.Edits().SetMasterVolume(10);  // the saved state can no longer be reached
  EXPECT_TRUE(tracker.Modified());
  while (tracker.Edits().Undo()) EXPECT_TRUE(tracker.Modified());

  tracker.NewModule();
  EXPECT_FALSE(tracker.Edits().CanUndo());
  EXPECT_FALSE(tracker.Edits().CanRedo());
  EXPECT_FALSE(tracker.Modified());
  EXPECT_EQ(tracker.Edits().UndoText(), "Undo");
}

// Stopped, undo takes the song position, the sequence cursor and the pattern
// cursor back to where the step was made.
TEST_F(UndoTest, UndoGoesWhereTheStepWasMade) {
  SetEditMode(1);
  editor.SequenceArrow(1, false);  // entry 1
  Cursor(7, 15);                   // channel 1, row 7
  Press('Q');
  editor.SequenceArrow(-1, false);
  Cursor(30, 45);
  cEditLocation where;
  ASSERT_TRUE(tracker.Edits().Undo(&where));
  EXPECT_EQ(where.position, 1);
  EXPECT_EQ(where.channel, 1);
  EXPECT_EQ(where.row, 7);
  editor.GoTo(where);
  EXPECT_EQ(tracker.PlayerState().position, 1);
  EXPECT_EQ(editor.SequenceView().cursor, 1);
  EXPECT_EQ(view().cursorRow, 7);
  EXPECT_EQ(view().CursorChannel(), 1);
  EXPECT_EQ(view().currentPattern, int(tracker.Song().GetPattern(1)));
}

// After New or Load the song position, the sequence cursor and the pattern
// view agree on entry 0, and notes typed go where the cursor shows.
TEST_F(UndoTest, ALoadStartsEverythingAtEntryZero) {
  editor.SequenceArrow(1, false);
  editor.SequenceArrow(1, false);
  ASSERT_EQ(tracker.PlayerState().position, 2);
  ASSERT_EQ(tracker.LoadModule(kDemo), 1);
  editor.ResetViews();
  EXPECT_EQ(tracker.PlayerState().position, 0);
  EXPECT_EQ(editor.SequenceView().cursor, 0);
  EXPECT_EQ(view().currentPattern, int(tracker.Song().GetPattern(0)));
}

}  // namespace
