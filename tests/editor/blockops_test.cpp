#include "editor/blockops.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <memory>

namespace {

// Every cell of the song's patterns different: note = row + 1, instrument =
// channel + 1, volume = pattern.
std::unique_ptr<cSongTables> FilledSong() {
  auto song = std::make_unique<cSongTables>();
  ClearClipStores(*song);
  for (int p = 0; p < 3; ++p) {
    for (int c = 0; c < kChannels; ++c) {
      for (int r = 0; r < kRows; ++r) {
        cCell& cell = song->Cell(p, c, r);
        cell.note = uint8_t(r + 1);
        cell.instrument = uint8_t(c + 1);
        cell.volume = uint8_t(p);
      }
    }
  }
  return song;
}

bool IsEmpty(const cCell& cell) { return cell == kEmptyCell; }

}  // namespace

TEST(BlockOps, TheBlockIsTheQuarterOfTheTrackThatHoldsTheCursor) {
  auto song = FilledSong();
  CopyToClip(*song, eClip::kBlock, {0, 2, 21});     // rows 16..31
  PasteFromClip(*song, eClip::kBlock, {1, 5, 63});  // lands on rows 48..63
  for (int r = 0; r < 16; ++r) {
    EXPECT_EQ(song->Cell(1, 5, 48 + r).note, 17 + r);
    EXPECT_EQ(song->Cell(1, 5, 48 + r).instrument, 3);
    EXPECT_EQ(song->Cell(1, 5, 48 + r).volume, 0);
  }
  EXPECT_EQ(song->Cell(1, 5, 47).note, 48);       // the quarter above untouched
  EXPECT_EQ(song->Cell(1, 4, 48).instrument, 5);  // and the channel beside it

  CutToClip(*song, eClip::kBlock, {0, 2, 3});
  for (int r = 0; r < 16; ++r) EXPECT_TRUE(IsEmpty(song->Cell(0, 2, r)));
  EXPECT_EQ(song->Cell(0, 2, 16).note, 17);
}

TEST(BlockOps, CutTrackEmptiesOnlyThatChannel) {
  auto song = FilledSong();
  CutToClip(*song, eClip::kTrack, {1, 3, 40});
  for (int r = 0; r < kRows; ++r) {
    EXPECT_TRUE(IsEmpty(song->Cell(1, 3, r)));
    EXPECT_EQ(song->Cell(1, 3, r).volume, 0xFF);
    EXPECT_EQ(song->Cell(1, 3, r).pan, 0xFF);
    EXPECT_EQ(song->Cell(1, 2, r).instrument, 3);
    EXPECT_EQ(song->Cell(1, 4, r).instrument, 5);
  }
  PasteFromClip(*song, eClip::kTrack, {2, 0, 0});
  EXPECT_EQ(song->Cell(2, 0, 10).instrument, 4);  // channel 3's cells, pattern 1's volume
  EXPECT_EQ(song->Cell(2, 0, 10).volume, 1);
}

TEST(BlockOps, APastedPatternIsByteIdenticalInAll16ChannelSlots) {
  auto song = FilledSong();
  CopyToClip(*song, eClip::kPattern, {0, 7, 7});
  PasteFromClip(*song, eClip::kPattern, {2, 0, 0});
  EXPECT_TRUE(std::equal(song->Pattern(0), song->Pattern(0) + kChannels * kRows, song->Pattern(2)));
  CutToClip(*song, eClip::kPattern, {1, 0, 0});
  for (int c = 0; c < kChannels; ++c) EXPECT_TRUE(IsEmpty(song->Cell(1, c, 63)));
  PasteFromClip(*song, eClip::kPattern, {0, 0, 0});
  EXPECT_EQ(song->Cell(0, 15, 63).volume, 1);  // pattern 1's cells, pasted twice over
  PasteFromClip(*song, eClip::kPattern, {2, 0, 0});
  EXPECT_TRUE(std::equal(song->Pattern(0), song->Pattern(0) + kChannels * kRows, song->Pattern(2)));
}

TEST(BlockOps, EveryStoreStartsEmptyAndKeepsItsOwnContents) {
  auto song = FilledSong();
  PasteFromClip(*song, eClip::kPattern, {0, 0, 0});  // before any copy
  for (int c = 0; c < kChannels; ++c) {
    for (int r = 0; r < kRows; ++r) EXPECT_TRUE(IsEmpty(song->Cell(0, c, r)));
  }
  CopyToClip(*song, eClip::kTrack, {1, 1, 0});
  CopyToClip(*song, eClip::kBlock, {2, 6, 0});
  PasteFromClip(*song, eClip::kTrack, {0, 0, 0});
  EXPECT_EQ(song->Cell(0, 0, 33).instrument, 2);  // the earlier track, not the block
  EXPECT_EQ(song->Cell(0, 0, 33).volume, 1);
  EXPECT_EQ(song->Cell(0, 0, 33).note, 34);
}
