#include "song/songtables.h"

#include <gtest/gtest.h>

#include <cstring>

TEST(SongTables, NewSongIsEmptyAndSilent) {
  cSongTables song;
  song.SetPattern(7, 12);
  song.SetChannelMode(7, 3, kModePlay);
  song.Cell(5, 2, 9).note = 40;
  song.Instrument(3)[10] = 99;
  song.Instrument(3)[100] = 77;
  song.mixer.solo = 2;
  song.Reset(cSongDefaults{8, 100, -20, 140, 5, 4, 2});

  for (int pos : {0, 7, 4095}) {
    EXPECT_EQ(song.GetPattern(pos), 0u);
    EXPECT_EQ(song.GetModeWord(pos), 0u);
  }
  for (int p : {0, 5, 255}) {
    for (int c : {0, 15}) {
      EXPECT_EQ(song.Cell(p, c, 63), kEmptyCell);
    }
  }
  EXPECT_EQ(song.Cell(5, 2, 9), kEmptyCell);
  EXPECT_EQ(song.Instrument(3)[10], 0);    // words 0-63 are zeroed
  EXPECT_EQ(song.Instrument(3)[100], 77);  // the rest is the generator defaults' business
  EXPECT_EQ(song.channelCount, 8);
  EXPECT_EQ(song.masterVolume, 100);
  EXPECT_EQ(song.masterPan, -20);
  EXPECT_EQ(song.bpm, 140);
  EXPECT_EQ(song.speed, 5);
  EXPECT_EQ(song.octave, 4);
  EXPECT_EQ(song.rowAdd, 2);
  EXPECT_EQ(song.mixer.solo, -1);
  for (int c = 0; c < kChannels; ++c) {
    EXPECT_EQ(song.mixer.on[c], 1);
    EXPECT_EQ(song.noteVolume[c], 127);
    EXPECT_EQ(song.channelVolume[c], 100);
  }
}

TEST(SongTables, CellsLieChannelMajorInOneBlock) {
  cSongTables song;
  auto at = [&](const cCell* cell) {
    return reinterpret_cast<const uint8_t*>(cell) - song.Memory();
  };
  EXPECT_EQ(at(song.Pattern(0)), ptrdiff_t(kSequenceBytes));
  EXPECT_EQ(at(song.CopyBuffer()), ptrdiff_t(kSequenceBytes + kPatternStoreBytes));
  EXPECT_EQ(at(&song.Cell(3, 5, 7)), ptrdiff_t(kSequenceBytes + 3 * 8192 + 5 * 512 + 7 * 8));
  // The first n channels of a pattern are its first n x 512 bytes.
  EXPECT_EQ(&song.Cell(1, 1, 0) - &song.Cell(1, 0, 63), 1);
}

TEST(SongTables, SequencePositionsWrapAndPatternsKeepEightBits) {
  cSongTables song;
  song.SetPattern(4096 + 3, 300);
  EXPECT_EQ(song.GetPattern(3), 44u);
  song.SetPattern(0, 9);
  EXPECT_EQ(song.GetPattern(4096), 9u);

  song.SetChannelMode(10, 15, kModeCut);
  song.SetChannelMode(10, 0, kModeRelease);
  song.SetChannelMode(10, 16 + 1, 5);  // channel mod 16, mode & 3
  EXPECT_EQ(song.GetChannelMode(10, 15), kModeCut);
  EXPECT_EQ(song.GetChannelMode(10, 0), kModeRelease);
  EXPECT_EQ(song.GetChannelMode(10, 1), kModePlay);
  EXPECT_EQ(song.GetModeWord(10), (3u << 30) | (1u << 2) | 2u);
  song.SetChannelMode(10, 15, kModeSkip);
  EXPECT_EQ(song.GetChannelMode(10, 15), kModeSkip);
  EXPECT_EQ(song.GetModeWord(10), (1u << 2) | 2u);
}

TEST(SongTables, RangeNormalisesToStartRepeatEnd) {
  struct Case {
    int start, end, repeat;
    int wantStart, wantEnd, wantRepeat;
  };
  for (auto c : {Case{10, 5, 2, 10, 10, 10}, Case{0, 20, 30, 0, 20, 20}, Case{3, 8, 5, 3, 8, 5},
                 Case{4095, 0, 0, 4095, 4095, 4095}, Case{-1, 5, 3, 4095, 4095, 4095},
                 Case{4096 + 7, 4096 + 2, 9, 7, 7, 7}}) {
    cSongTables song;
    song.start = c.start;
    song.end = c.end;
    song.repeat = c.repeat;
    song.NormaliseRange();
    EXPECT_EQ(song.start, c.wantStart);
    EXPECT_EQ(song.end, c.wantEnd);
    EXPECT_EQ(song.repeat, c.wantRepeat);
  }
}

TEST(SongTables, ChannelCountOutsideRangeIsRefused) {
  cSongTables song;
  ASSERT_TRUE(song.SetChannelCount(6));
  for (int bad : {17, -1, 100}) {
    EXPECT_FALSE(song.SetChannelCount(bad));
    EXPECT_EQ(song.channelCount, 6);
  }
  EXPECT_TRUE(song.SetChannelCount(0));
  EXPECT_EQ(song.channelCount, 0);
  EXPECT_TRUE(song.SetChannelCount(16));
}

TEST(SongTables, SoloOverridesOnFlags) {
  cSongTables song;
  song.mixer.on[1] = 0;
  EXPECT_TRUE(song.IsActive(0));
  EXPECT_FALSE(song.IsActive(1));
  song.mixer.solo = 1;
  EXPECT_TRUE(song.IsActive(1));
  EXPECT_FALSE(song.IsActive(0));
}
