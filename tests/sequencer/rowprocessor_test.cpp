#include <gtest/gtest.h>

#include "app/trackerinside.h"
#include "fixture.h"

using Calls = std::vector<std::string>;

TEST_F(SequencerFixture, ACellTurnsIntoCallsInOrder) {
  Song().Instrument(2)[kParamGenType] = kGenBass;
  SetCell(0, 1, 0, {49, 3, 0x40, 0x85, 0xA3, 0x40, 0x01, 0x05});
  auto effect = std::make_unique<cRecordingFx>();
  cRecordingFx* fx = effect.get();
  effect->rowFlag = 1;
  Inside(t).Effects().object[0][1] = std::move(effect);
  Start();
  Song().noteVolume[1] = 20;
  Player().ProcessTick();

  EXPECT_EQ(Log(1), (Calls{"SetParams", "SetInstrumentNumber 3", "SetCommand 0 41792",
                           "SetCommand 1 261", "NoteOn 48", "PanSlide 5"}));
  EXPECT_EQ(Song().noteVolume[1], 0x40);
  EXPECT_EQ(fx->commands, std::vector<int32_t>{0xA340});
  EXPECT_EQ(fx->seconds, std::vector<int32_t>{0});
  EXPECT_EQ(fx->rowFlag, 0);
  // An empty cell still sends both command columns and the instrument byte.
  EXPECT_EQ(Log(2), (Calls{"SetInstrumentNumber 0", "SetCommand 0 0", "SetCommand 1 0"}));
}

TEST_F(SequencerFixture, VolumeBytesSetOrSlideTheNoteVolume) {
  struct Case {
    int32_t before;
    uint8_t byte;
    int32_t after;
  };
  for (auto c : {Case{100, 0x20, 32}, Case{100, 0xC8, 127}, Case{125, 0x85, 127}, Case{1, 0x93, 0},
                 Case{60, 0x9F, 45}, Case{60, 0x80, 60}, Case{60, 0xFF, 60}, Case{60, 0x00, 0}}) {
    SetCell(0, 0, 0, {0, 0, c.byte, 0xFF, 0, 0, 0, 0});
    Start();
    Song().noteVolume[0] = c.before;
    Player().ProcessTick();
    EXPECT_EQ(Song().noteVolume[0], c.after) << std::hex << int(c.byte);
  }
}

TEST_F(SequencerFixture, PanBytesSetOrSlideThePan) {
  struct Case {
    uint8_t byte;
    const char* call;  // null: no pan call
  };
  for (auto c :
       {Case{0x85, "PanSlide 5"}, Case{0x93, "PanSlide -3"}, Case{0x7F, "SetPan 127"},
        Case{0x00, "SetPan 0"}, Case{0xA5, nullptr}, Case{0xFE, nullptr}, Case{0xFF, nullptr}}) {
    SetCell(0, 0, 0, {0, 0, 0xFF, c.byte, 0, 0, 0, 0});
    Start();
    Player().ProcessTick();
    Calls pan = Only(Log(0), "SetPan");
    for (const auto& s : Only(Log(0), "PanSlide")) pan.push_back(s);
    EXPECT_EQ(pan, c.call ? Calls{c.call} : Calls{}) << std::hex << int(c.byte);
  }
}

TEST_F(SequencerFixture, CommandsAThroughDReachTheChannelsSlots) {
  struct Case {
    uint8_t command;
    int slot;  // -1: no slot
  };
  for (auto c : {Case{0xA3, 0}, Case{0xB1, 1}, Case{0xC0, 2}, Case{0xDF, 3}, Case{0x9F, -1},
                 Case{0xE0, -1}, Case{0x0D, -1}}) {
    for (int column = 0; column < 2; ++column) {
      cRecordingFx* fx[kFxSlots];
      for (int s = 0; s < kFxSlots; ++s) {
        auto effect = std::make_unique<cRecordingFx>();
        fx[s] = effect.get();
        Inside(t).Effects().object[s][3] = std::move(effect);
      }
      std::array<uint8_t, 8> cell{0, 0, 0xFF, 0xFF, 0, 0, 0, 0};
      cell[4 + 2 * column] = c.command;
      cell[5 + 2 * column] = 0x40;
      SetCell(0, 3, 0, cell);
      Start();
      Player().ProcessTick();
      const int32_t word = c.command * 256 + 0x40;
      for (int s = 0; s < kFxSlots; ++s) {
        EXPECT_EQ(fx[s]->commands,
                  s == c.slot ? std::vector<int32_t>{word} : std::vector<int32_t>{})
            << std::hex << int(c.command) << " column " << column;
      }
      EXPECT_EQ(Only(Log(3), "SetCommand " + std::to_string(column)),
                Calls{"SetCommand " + std::to_string(column) + " " + std::to_string(word)});
    }
  }
  // An empty slot takes no command.
  Inside(t).Effects().object[0][3].reset();
  SetCell(0, 3, 0, Command(0xA1, 0x10));
  Start();
  Player().ProcessTick();
}

TEST_F(SequencerFixture, AnInstrumentWithoutANoteReloadsWithoutRetrigger) {
  Song().Instrument(2)[kParamGenType] = kGenSampler;
  SetCell(0, 0, 0, {49, 0, 0xFF, 0xFF, 0, 0, 0, 0});
  SetCell(0, 0, 1, {0, 3, 0xFF, 0xFF, 0, 0, 0, 0});
  Song().speed = 2;
  Start();
  Ticks(2);
  Song().noteVolume[0] = 40;
  ClearCalls();
  Ticks(1);
  EXPECT_EQ(Inside(t).Generators().generatorType[0], kGenSampler);
  EXPECT_EQ(Log(0, kGenSampler),
            (Calls{"SetParams", "SetInstrumentNumber 3", "SetCommand 0 0", "SetCommand 1 0"}));
  EXPECT_TRUE(Log(0, kGenBass).empty());
  EXPECT_EQ(Song().noteVolume[0], 127);

  // A release with an instrument applies the instrument first.
  SetCell(0, 1, 0, {kNoteRelease, 5, 0xFF, 0xFF, 0, 0, 0, 0});
  Song().Instrument(4)[kParamGenType] = kGenFM;
  Start();
  Ticks(1);
  EXPECT_EQ(Log(1, kGenFM), (Calls{"SetParams", "SetInstrumentNumber 5", "SetCommand 0 0",
                                   "SetCommand 1 0", "NoteOff"}));
  EXPECT_EQ(Log(1, kGenBass), Calls{"NoteOff"});
}

TEST_F(SequencerFixture, DamagedCellBytesAreIgnored) {
  struct Case {
    uint8_t note, instrument;
  };
  for (auto c : {Case{110, 0}, Case{200, 0}, Case{255, 0}, Case{0, 129}, Case{0, 255}}) {
    SetCell(0, 0, 0, {c.note, c.instrument, 0xFF, 0xFF, 0, 0, 0, 0});
    Start();
    Song().noteVolume[0] = 50;
    Player().ProcessTick();
    for (auto* g : gen[0]) {
      EXPECT_TRUE(Only(g->calls, "NoteOn").empty()) << int(c.note);
      EXPECT_TRUE(Only(g->calls, "SetParams").empty()) << int(c.instrument);
    }
    EXPECT_EQ(Only(Log(0), "SetInstrumentNumber"), Calls{"SetInstrumentNumber 0"});
    EXPECT_EQ(Song().noteVolume[0], 50);
  }
}

TEST_F(SequencerFixture, ReleaseAndCutModesActOnEveryRowWithoutReadingTheCell) {
  Song().SetModeWord(0, (1u << 6) | (0u << 4) | (3u << 2) | 2u);  // 2, 3, 0, 1
  for (int c = 0; c < 4; ++c) {
    for (int r = 0; r < 2; ++r) SetCell(0, c, r, {49, 1, 0x10, 0x10, 0x0F, 0x20, 0, 0});
  }
  Song().speed = 2;
  Start();
  Ticks(4);
  for (auto* g : gen[0]) EXPECT_EQ(g->calls, (Calls{"NoteOff", "NoteOff"}));
  for (auto* g : gen[1]) EXPECT_EQ(g->calls, (Calls{"FastRelease", "FastRelease"}));
  for (auto* g : gen[2]) EXPECT_TRUE(g->calls.empty());
  EXPECT_EQ(Only(Log(3), "NoteOn"), (Calls{"NoteOn 48", "NoteOn 48"}));
}

TEST_F(SequencerFixture, SpeedAndTempoCommandsTakeEffectAtOnce) {
  struct Case {
    uint8_t parameter;
    int32_t speed, bpm;
  };
  for (auto c : {Case{0x1F, 31, 126}, Case{0x20, 6, 32}, Case{0xFF, 6, 255}, Case{0x00, 0, 126}}) {
    SetCell(0, 2, 0, {0, 0, 0xFF, 0xFF, 0, 0, 0x0F, c.parameter});
    Start();
    Player().ProcessTick();
    EXPECT_EQ(Player().currentSpeed, c.speed) << int(c.parameter);
    EXPECT_EQ(Player().currentBpm, c.bpm) << int(c.parameter);
    EXPECT_EQ(Song().speed, 6);  // the song's own settings stay
    EXPECT_EQ(Song().bpm, 126);
  }
  EXPECT_EQ(Player().samplesPerTick, 874);
}

TEST_F(SequencerFixture, PatternBreaksMoveOnAfterTheWholeRow) {
  Song().end = 3;
  for (int p = 0; p <= 3; ++p) Song().SetPattern(p, 20 + p);
  Song().speed = 2;
  SetCell(20, 0, 0, Command(0x0D, 0x50));
  SetCell(20, 1, 0, {10, 0, 0xFF, 0xFF, 0, 0, 0, 0});
  SetCell(21, 1, 0, {30, 0, 0xFF, 0xFF, 0, 0, 0, 0});
  SetCell(21, 2, 16, {40, 0, 0xFF, 0xFF, 0, 0, 0, 0});
  Start();
  Ticks(1);
  // Channel 1 read its cell of the row that was playing.
  EXPECT_EQ(Only(Log(1), "NoteOn"), Calls{"NoteOn 9"});
  EXPECT_EQ(Player().position, 1);
  EXPECT_EQ(Player().pattern, 21);
  Ticks(2);
  EXPECT_EQ(Player().row, 16);
  EXPECT_EQ(Only(Log(2), "NoteOn"), Calls{"NoteOn 39"});

  // Two breaks in one row advance twice and continue at the second's row.
  SetCell(21, 0, 16, Command(0x0D, 0x05));
  SetCell(21, 3, 16, {0, 0, 0xFF, 0xFF, 0, 0, 0x0D, 0x07});
  Player().row = 16;
  Player().tick = 0;
  Ticks(2);
  EXPECT_EQ(Player().position, 3);
  EXPECT_EQ(Player().pattern, 23);
  EXPECT_EQ(Player().row, 7);

  // From the end the break goes to the repeat position.
  SetCell(23, 0, 7, Command(0x0D, 0x00));
  Ticks(2);
  EXPECT_EQ(Player().position, 0);
  EXPECT_EQ(Player().row, 0);
}

TEST_F(SequencerFixture, ARowOutsideThePatternIsNeverRead) {
  SetCell(0, 0, 0, {49, 0, 0xFF, 0xFF, 0, 0, 0, 0});
  Song().speed = 3;
  Start();
  Player().row = -1;  // as a view leaves it
  Ticks(1);
  EXPECT_TRUE(Log(0).empty());
  Ticks(2);
  EXPECT_EQ(Player().row, 0);
  Ticks(1);
  EXPECT_EQ(Only(Log(0), "NoteOn"), Calls{"NoteOn 48"});
}
