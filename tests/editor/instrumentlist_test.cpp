#include "editor/instrumentlist.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>

#include "editor/patterneditor.h"
#include "editor/synthedit.h"
#include "tests/editor/editorfixture.h"
#include "tests/support/modsong.h"
#include "tests/support/rampwav.h"

namespace {

class InstrumentList : public ::testing::Test {
 protected:
  void SetUp() override {
    dir =
        std::filesystem::temp_directory_path() /
        ("murvelon-instrlist-" + std::to_string(::testing::UnitTest::GetInstance()->random_seed()) +
         "-" + ::testing::UnitTest::GetInstance()->current_test_info()->name());
    std::filesystem::create_directories(dir);
    synth.engineChangeWaitMs = 0;
    tracker.SetInstrumentEditor([this](int32_t block, const int16_t*) { synth.Load(block); }, {});
  }
  void TearDown() override { std::filesystem::remove_all(dir); }

  std::string Path(const char* name) { return (dir / name).string(); }

  // The instrument (1-127) made a sampler on a layer of its own, holding
  // the file.
  void MakeSampler(int32_t number, const char* file) {
    ASSERT_TRUE(WriteRampWav(Path(file), 100, 1));
    tracker.SetInstrument(number);
    synth.ChangeEngine(kGenSampler);
    ASSERT_TRUE(synth.LoadSample(Path(file)));
  }

  void WriteCell(int pattern, int channel, int row, uint8_t instrument) {
    tracker.Edits().EditPattern("Note", pattern, [&](cSongTables& song) {
      song.Cell(pattern, channel, row) = {49, instrument, kNoChange, kNoChange, 0, 0, 0, 0};
      return true;
    });
  }

  struct cSeen {
    int32_t number;
    const char* engine;
    const char* holds;
    bool used;
  };
  void ExpectRows(std::initializer_list<cSeen> seen) {
    for (const cSeen& s : seen) {
      const cInstrumentRow& row = list.Rows()[size_t(s.number - 1)];
      EXPECT_EQ(row.number, s.number);
      EXPECT_EQ(row.engineName, s.engine) << "instrument " << s.number;
      EXPECT_EQ(row.holds, s.holds) << "instrument " << s.number;
      EXPECT_EQ(row.used, s.used) << "instrument " << s.number;
    }
  }

  cTracker tracker{QuietConfig()};
  cPresetMemory presets;
  cSynthEditor synth{tracker, &presets};
  cInstrumentList list{tracker, presets};
  std::filesystem::path dir;
};

TEST_F(InstrumentList, ShowsEveryInstrumentWithWhatItHoldsAndWhetherThePatternsUseIt) {
  EXPECT_TRUE(list.Read());
  ASSERT_EQ(list.Rows().size(), 128u);
  EXPECT_TRUE(list.Rows()[126].selectable);
  EXPECT_FALSE(list.Rows()[127].selectable);
  ExpectRows({{2, "Synthesizer", "-", false}, {128, "Synthesizer", "-", false}});
  EXPECT_FALSE(list.Read());  // nothing changed

  MakeSampler(2, "kick.wav");
  MakeSampler(3, "snare.wav");
  WriteCell(0, 0, 0, 3);
  tracker.Edits().EditSequence([](cSongTables& song) {
    song.SetPattern(1, 7);
    return "Sequence";
  });
  WriteCell(7, 3, 63, 128);  // the last cell of the last played channel
  WriteCell(7, 5, 0, 9);     // beyond the four channels the song plays
  WriteCell(8, 0, 0, 10);    // beyond the patterns the sequence names: the file keeps it
  WriteCell(12, 5, 0, 11);   // beyond them, only in a channel the song does not play
  EXPECT_TRUE(list.Read());
  ExpectRows({{2, "Sampler", "kick.wav", false},
              {3, "Sampler", "snare.wav", true},
              {9, "Synthesizer", "-", false},
              {10, "Synthesizer", "-", true},
              {11, "Synthesizer", "-", false},
              {128, "Synthesizer", "-", true}});
  EXPECT_EQ(InstrumentRowText(list.Rows()[2]),
            "Instrument 3, Sampler, snare.wav, used in the patterns");
  EXPECT_EQ(InstrumentRowText(list.Rows()[0]), "Instrument 1, Synthesizer, nothing loaded");

  // Undo takes the cells, the sequence entry and the second wave away again.
  for (int step = 0; step < 7; ++step) ASSERT_TRUE(tracker.Edits().Undo());
  EXPECT_TRUE(list.Read());
  ExpectRows({{3, "Sampler", "-", false}, {128, "Synthesizer", "-", false}});
}

// A preset's name holds while the instrument keeps the preset's engine, and
// the instrument page's title shows it.
TEST_F(InstrumentList, NamesThePresetLastLoadedOrSavedIntoEachSynthesizer) {
  int told = 0;
  presets.SetListener([&] { ++told; });
  tracker.SetInstrument(4);
  ASSERT_TRUE(synth.SavePreset(false, Path("Saw Bass.zqb")));
  tracker.SetInstrument(6);
  synth.ChangeEngine(kGenFM);
  ASSERT_TRUE(synth.SavePreset(true, Path("Bell.zqf")));
  tracker.SetInstrument(5);
  ASSERT_TRUE(synth.LoadPreset(false, Path("Saw Bass.zqb")));
  EXPECT_FALSE(synth.LoadPreset(true, Path("Bell.zqf")));  // not an FM synth: nothing learnt
  EXPECT_EQ(told, 3);
  list.Read();
  ExpectRows({{4, "Synthesizer", "Saw Bass.zqb", false},
              {5, "Synthesizer", "Saw Bass.zqb", false},
              {6, "FM Synth", "Bell.zqf", false}});
  EXPECT_EQ(InstrumentTitle(4, list.Rows()[3].holds), "Instrument 4: Saw Bass.zqb");
  EXPECT_EQ(InstrumentTitle(7, list.Rows()[6].holds), "Instrument 7");

  tracker.SetInstrument(4);
  synth.ChangeEngine(kGenSampler);  // a wave now, not the preset
  synth.ChangeEngine(kGenBass);     // back, with the defaults: the preset is gone
  list.Read();
  ExpectRows({{4, "Synthesizer", "-", false}, {5, "Synthesizer", "Saw Bass.zqb", false}});
  presets.ForgetAll();
  list.Read();
  ExpectRows({{5, "Synthesizer", "-", false}, {6, "FM Synth", "-", false}});
}

// New, Load and Import replace the instruments; the list read after them
// shows the song that is now in memory.
TEST_F(InstrumentList, FollowsNewLoadAndImport) {
  MakeSampler(2, "kick.wav");
  MakeSampler(3, "snare.wav");
  WriteCell(0, 2, 10, 2);
  ASSERT_EQ(tracker.SaveModule(Path("two.zqm")), 1);

  tracker.NewModule();
  list.Read();
  ExpectRows({{2, "Synthesizer", "-", false}, {3, "Synthesizer", "-", false}});

  ASSERT_EQ(tracker.LoadModule(Path("two.zqm")), 1);
  EXPECT_TRUE(list.Read());
  ExpectRows({{2, "Sampler", "kick.wav", true}, {3, "Sampler", "snare.wav", false}});

  std::vector<uint8_t> mod = BuildModule({{1, 64, 64, 0, 0}, {2, 64, 64, 0, 0}});
  SetModCell(mod, 0, 0, 1, 428, 2, 0, 0);
  std::ofstream(Path("two.mod"), std::ios::binary)
      .write(reinterpret_cast<const char*>(mod.data()), std::streamsize(mod.size()));
  ASSERT_EQ(tracker.LoadModuleMOD(Path("two.mod")), 1);
  EXPECT_TRUE(list.Read());
  EXPECT_EQ(list.Rows()[1].engineName, "Sampler");
  EXPECT_NE(list.Rows()[1].holds, "-");
  EXPECT_TRUE(list.Rows()[1].used);
  EXPECT_FALSE(list.Rows()[2].used);
}

// However the current instrument changes, the follower hears of it: the
// Instr field's path, a MIDI program change, a preset load.
TEST_F(InstrumentList, TheCurrentInstrumentIsFollowedHoweverItChanges) {
  std::vector<int32_t> followed;
  tracker.SetInstrumentFollower([&](int32_t n) { followed.push_back(n); });
  cRecordingHost host;
  cPatternEditor editor(tracker, host);
  editor.SetInstrument(9);
  EXPECT_EQ(list.Current(), 9);
  editor.MidiEvent(cMidiEvent{eMidiKind::program, 11}, {});  // program 12 (11 + 1)
  tracker.SetInstrument(128);                                // cannot be current
  ASSERT_TRUE(synth.SavePreset(false, Path("Pad.zqb")));
  ASSERT_TRUE(synth.LoadPreset(false, Path("Pad.zqb")));
  EXPECT_EQ(followed, (std::vector<int32_t>{9, 12, 12}));
  EXPECT_EQ(list.Current(), 12);
}

}  // namespace
