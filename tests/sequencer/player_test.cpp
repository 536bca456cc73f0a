#include <gtest/gtest.h>

#include <cstring>

#include "app/trackerinside.h"
#include "fixture.h"

TEST_F(SequencerFixture, TempoGivesWholeFramesPerTickTruncated) {
  struct Case {
    int32_t bpm, usedBpm, samplesPerTick;
  };
  for (auto c : {Case{125, 125, 882}, Case{126, 126, 874}, Case{32, 32, 3445}, Case{255, 255, 432},
                 // a damaged song's tempo never reaches the division unclamped
                 Case{0, 32, 3445}, Case{-7, 32, 3445}, Case{200000, 255, 432}}) {
    t.SetBPM(c.bpm);
    EXPECT_EQ(Player().currentBpm, c.usedBpm) << c.bpm;
    EXPECT_EQ(Player().samplesPerTick, c.samplesPerTick) << c.bpm;
  }
  t.SetBPM(126);
  EXPECT_EQ(Player().ticksPerSecond, 50.4000015f);

  // However low the rate, a tick lasts at least one frame.
  cPlayer slow(10, 2, Song(), Inside(t).Generators(), Inside(t).Effects(), Inside(t).Renderer());
  slow.SetBPM(255);
  EXPECT_EQ(slow.samplesPerTick, 1);
}

TEST_F(SequencerFixture, ARowLastsSpeedTicksButAtLeastTwo) {
  struct Case {
    int32_t speed, ticksPerRow;
  };
  for (auto c : {Case{1, 2}, Case{2, 2}, Case{3, 3}, Case{6, 6}, Case{31, 31}}) {
    Song().speed = c.speed;
    Start();
    int ticks = 0;
    while (Player().row == 0 && ticks < 100) {
      Player().ProcessTick();
      ++ticks;
    }
    EXPECT_EQ(ticks, c.ticksPerRow) << "speed " << c.speed;
    // The generators' per-tick work runs between the row's first and last tick.
    std::vector<std::string> expected;
    for (int k = 1; k <= c.speed - 2; ++k) expected.push_back("Tick " + std::to_string(k));
    EXPECT_EQ(Only(Log(3), "Tick"), expected) << "speed " << c.speed;
    EXPECT_TRUE(Only(Log(4), "Tick").empty());  // not a channel in use
  }
}

TEST_F(SequencerFixture, SpeedZeroHaltsRowsWhileNotesKeepSounding) {
  SetCell(0, 0, 0, {49, 0, 0xFF, 0xFF, 0x0F, 0x00, 0, 0});
  Start();
  for (int b = 0; b < 10; ++b) t.RenderCallback(0);
  EXPECT_EQ(Player().currentSpeed, 0);
  EXPECT_EQ(Player().row, 0);
  EXPECT_EQ(Player().tick, 1);
  EXPECT_EQ(Only(Log(0), "NoteOn"), std::vector<std::string>{"NoteOn 48"});
  EXPECT_TRUE(Only(Log(0), "NoteOff").empty());
  EXPECT_EQ(gen[0][kGenBass]->framesRendered, 10L * 882);

  t.TransportCommand(kTransportContinue);
  EXPECT_EQ(Player().currentSpeed, Song().speed);
}

TEST_F(SequencerFixture, EveryTickLastsItsFramesAcrossBlocks) {
  struct Case {
    int32_t bpm, samplesPerTick;
  };
  for (auto c : {Case{40, 2756}, Case{255, 432}}) {
    Song().bpm = c.bpm;
    Song().speed = 31;
    Start();
    gen[0][kGenBass]->framesRendered = 0;
    gen[0][kGenBass]->tickFrames.clear();
    for (int b = 0; b < 40; ++b) t.RenderCallback(0);
    // Tick i of the song begins at frame i x samples per tick; within a row
    // of 31 ticks, ticks 1-29 reach the generators.
    std::vector<long> expected;
    for (long i = 0; i * c.samplesPerTick < 40L * 882; ++i) {
      if (i % 31 >= 1 && i % 31 <= 29) expected.push_back(i * c.samplesPerTick);
    }
    EXPECT_EQ(gen[0][kGenBass]->tickFrames, expected) << c.bpm << " BPM";
    t.TransportCommand(kTransportStop);
    Inside(t).Renderer().tickRemainder = 0;
  }
}

TEST_F(SequencerFixture, TheSequenceWrapsFromEndToRepeat) {
  Song().end = 5;
  Song().repeat = 2;
  Song().speed = 1;  // two ticks a row
  for (int p = 0; p <= 5; ++p) Song().SetPattern(p, 10 + p);
  Song().SetModeWord(3, 0x5);
  Start();
  std::vector<int> positions{Player().position}, wraps{Player().wrapCount};
  for (int n = 0; n < 10; ++n) {
    Ticks(2 * kRows);
    EXPECT_EQ(Player().row, 0);
    EXPECT_EQ(Player().pattern, 10 + Player().position);
    EXPECT_EQ(Player().modeWord, Song().GetModeWord(Player().position));
    positions.push_back(Player().position);
    wraps.push_back(Player().wrapCount);
  }
  EXPECT_EQ(positions, (std::vector<int>{0, 1, 2, 3, 4, 5, 2, 3, 4, 5, 2}));
  // The song has played once exactly when the end leads back to the repeat.
  EXPECT_EQ(wraps, (std::vector<int>{0, 0, 0, 0, 0, 0, 1, 1, 1, 1, 2}));
}

TEST_F(SequencerFixture, WrapsAreCountedOnBreaksButNotInAPatternLoop) {
  Song().end = 1;
  Song().repeat = 0;
  Song().speed = 1;
  Song().SetPattern(1, 1);
  SetCell(1, 2, 0, Command(0x0D, 0x08));  // leaves the last position at once
  Start();
  Ticks(2 * kRows);  // position 0 plays through
  EXPECT_EQ(Player().position, 1);
  EXPECT_EQ(Player().wrapCount, 0);
  Ticks(1);
  EXPECT_EQ(Player().position, 0);
  EXPECT_EQ(Player().wrapCount, 1);

  // Play pattern at the last position never leaves it.
  Player().position = 1;
  Start(kTransportPlayPattern);
  EXPECT_EQ(Player().wrapCount, 0);
  Ticks(2 * kRows * 3);
  EXPECT_EQ(Player().position, 1);
  EXPECT_EQ(Player().wrapCount, 0);

  // Every start counts afresh; a stop keeps the count for whoever reads it.
  t.TransportCommand(kTransportStop);
  Player().wrapCount = 3;
  t.TransportCommand(kTransportStop);
  EXPECT_EQ(Player().wrapCount, 3);
  for (int32_t command : {kTransportPlay, kTransportContinue, kTransportPlayPattern}) {
    Player().wrapCount = 3;
    t.TransportCommand(command);
    EXPECT_EQ(Player().wrapCount, 0) << command;
  }
}

TEST_F(SequencerFixture, ContinueRestartsThePositionAndPlayTheSequence) {
  Song().start = Song().repeat = 1;
  Song().end = 5;
  Song().speed = 1;
  Song().SetPattern(3, 7);
  Start();
  EXPECT_EQ(Player().position, 1);
  Ticks(2 * kRows * 2 + 2 * 10);  // position 3, row 10
  ASSERT_EQ(Player().position, 3);
  ASSERT_EQ(Player().row, 10);
  Song().noteVolume[2] = 5;

  t.TransportCommand(kTransportStop);
  t.TransportCommand(kTransportContinue);
  EXPECT_EQ(Player().position, 3);
  EXPECT_EQ(Player().pattern, 7);
  EXPECT_EQ(Player().row, 0);
  EXPECT_EQ(Player().tick, 0);
  EXPECT_EQ(Song().noteVolume[2], 127);
  EXPECT_EQ(Player().patternLoop, 0);

  t.TransportCommand(kTransportPlay);
  EXPECT_EQ(Player().position, 1);
  EXPECT_EQ(Player().row, 0);
}

TEST_F(SequencerFixture, PlayPatternRepeatsOnePatternEvenAtTheEnd) {
  Song().end = Song().repeat = 2;
  Song().SetPattern(2, 9);
  Song().speed = 1;
  Player().position = 2;
  Start(kTransportPlayPattern);
  EXPECT_EQ(Player().patternLoop, 1);
  for (int n = 0; n < 3; ++n) {
    Ticks(2 * kRows);
    EXPECT_EQ(Player().position, 2);
    EXPECT_EQ(Player().pattern, 9);
    EXPECT_EQ(Player().row, 0);
  }
  // A pattern break only moves the row.
  SetCell(9, 1, 0, Command(0x0D, 0x05));
  Ticks(2);
  EXPECT_EQ(Player().position, 2);
  EXPECT_EQ(Player().row, 5);
}

TEST_F(SequencerFixture, TransportCommandsRunTheirSteps) {
  Song().SetChannelCount(2);
  auto first = std::make_unique<cRecordingFx>();
  auto last = std::make_unique<cRecordingFx>();
  cRecordingFx* fx[2] = {first.get(), last.get()};
  Inside(t).Effects().object[0][0] = std::move(first);
  Inside(t).Effects().object[3][kFxChains - 1] = std::move(last);

  using Calls = std::vector<std::string>;
  t.TransportCommand(kTransportPlay);
  for (auto& channel : gen) {
    for (auto* g : channel) EXPECT_EQ(g->calls, (Calls{"SetPlaying 1", "Reset"}));
  }
  for (auto* f : fx) EXPECT_EQ(f->applies, 1);
  EXPECT_EQ(Player().playing, 1);
  EXPECT_EQ(Player().patternLoop, 0);
  EXPECT_EQ(Player().timer1Running, 1);

  ClearCalls();
  Player().SetSpeed(3);  // as an effect command would
  Player().SetBPM(200);
  t.TransportCommand(kTransportStop);
  for (int c = 0; c < kChannels; ++c) {
    const Calls expected = c < 2 ? Calls{"SetPlaying 0", "FastRelease"} : Calls{"SetPlaying 0"};
    for (auto* g : gen[c]) EXPECT_EQ(g->calls, expected) << "channel " << c;
  }
  for (auto* f : fx) EXPECT_EQ(f->applies, 2);
  EXPECT_EQ(Player().playing, 0);
  EXPECT_EQ(Player().timer1Running, 0);
  EXPECT_EQ(Player().currentSpeed, Song().speed);
  EXPECT_EQ(Player().currentBpm, Song().bpm);

  // The edit-mode toggle leaves the flag set and re-applies nothing.
  ClearCalls();
  EXPECT_STREQ(Player().ModeText(), "Play Mode");
  t.TransportCommand(kTransportEditMode);
  EXPECT_EQ(Player().editMode, 1);
  EXPECT_STREQ(Player().ModeText(), "Edit Mode");
  for (auto& channel : gen) {
    for (auto* g : channel) EXPECT_EQ(g->calls, Calls{"SetPlaying 1"});
  }
  for (auto* f : fx) EXPECT_EQ(f->applies, 2);
  t.TransportCommand(kTransportEditMode);
  EXPECT_EQ(Player().editMode, 0);

  ClearCalls();
  for (int32_t other : {5, -1, 1000}) t.TransportCommand(other);
  for (auto& channel : gen) {
    for (auto* g : channel) EXPECT_TRUE(g->calls.empty());
  }
  EXPECT_EQ(Player().playing, 0);
  EXPECT_EQ(Player().editMode, 0);
}

TEST_F(SequencerFixture, NothingTicksWhileStopped) {
  SetCell(0, 0, 0, {49, 0, 0xFF, 0xFF, 0, 0, 0, 0});
  for (int b = 0; b < 5; ++b) t.RenderCallback(0);
  EXPECT_TRUE(Log(0).empty());
  EXPECT_EQ(Player().tick, 0);
}

TEST_F(SequencerFixture, PanicSilencesGeneratorsEffectsAndBuffers) {
  auto effect = std::make_unique<cRecordingFx>();
  cRecordingFx* fx = effect.get();
  Inside(t).Effects().object[2][kChannels + 1] = std::move(effect);
  Inside(t).Renderer().ChannelBuffer(3)[10] = 5.0f;
  Inside(t).Renderer().OutputAccumulator()[7] = 99;

  t.Panic(0);
  EXPECT_EQ(fx->clears, 0);
  t.Panic();
  EXPECT_EQ(fx->clears, 1);
  for (auto& channel : gen) {
    for (auto* g : channel) EXPECT_EQ(g->calls, (std::vector<std::string>{"Reset", "Reset"}));
  }
  EXPECT_EQ(Inside(t).Renderer().ChannelBuffer(3)[10], 0.0f);
  EXPECT_EQ(Inside(t).Renderer().OutputAccumulator()[7], 0);
}

TEST_F(SequencerFixture, DisplayFollowIntervalIsHalfRowsOrFixed) {
  struct Case {
    int32_t mult, bpm, speed, ms;
  };
  for (auto c :
       {Case{25, 125, 6, 25}, Case{20, 32, 31, 20}, Case{2, 125, 6, 120}, Case{1, 126, 6, 59},
        Case{2, 255, 1, 40}, Case{2, 125, 0, 40}, Case{19, 32, 31, 23007}}) {
    cPlayer p(44100, c.mult, Song(), Inside(t).Generators(), Inside(t).Effects(),
              Inside(t).Renderer());
    p.SetBPM(c.bpm);
    p.SetSpeed(c.speed);
    EXPECT_EQ(p.Timer1Interval(), c.ms) << c.mult << " " << c.bpm << " " << c.speed;
  }
  // Recomputed on stop and on every position reset, from the song's tempo.
  Song().bpm = 125;
  Song().speed = 6;
  t.TransportCommand(kTransportPlay);
  EXPECT_EQ(Player().timer1Interval, 120);
}
