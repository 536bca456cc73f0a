// The pattern page's cursor, row, block and global keys.

#include <cstring>

#include "patterneditor_fixture.h"

TEST_F(PatternEditorTest, RowKeysWrapAndStopWhilePlaying) {
  struct Case {
    int vk, modifiers, from, to;
  };
  for (Case c : {Case{kVkUp, 0, 0, 63},
                 {kVkDown, kModShift, 63, 0},
                 {kVkPrior, 0, 2, 62},
                 {kVkPrior, kModCtrl, 10, 2},
                 {kVkNext, 0, 61, 1},
                 {kVkNext, kModCtrl, 60, 4},
                 {kVkHome, 0, 40, 0},
                 {kVkEnd, kModCtrl, 3, 63},
                 {kVkF1, kModShift, 9, 0},
                 {kVkF2, kModCtrl, 9, 16},
                 {kVkF3, 0, 9, 32},
                 {kVkF4, 0, 9, 48},
                 {kVkF5, 0, 9, 63}}) {
    Cursor(c.from, 17);
    EXPECT_TRUE(Press(c.vk, c.modifiers));
    EXPECT_EQ(view().cursorRow, c.to) << c.vk << " from " << c.from;
    EXPECT_EQ(view().cursorColumn, 17);
  }
  Press(kVkHome, kModCtrl);
  EXPECT_EQ(view().cursorColumn, 0);

  FakePlaying(1);
  Cursor(9, 0);
  EXPECT_TRUE(Press(kVkUp));
  EXPECT_TRUE(Press(kVkF1));
  EXPECT_FALSE(Press(kVkF3));  // these two go on while playing
  EXPECT_FALSE(Press(kVkF4));
  EXPECT_EQ(view().cursorRow, 9);
}

TEST_F(PatternEditorTest, AOneRowMoveScrollsThePicture) {
  Cursor(20, 0);
  Press(kVkHome);  // a full draw on row 0
  patternCanvas.Clear();
  Press(kVkDown);
  EXPECT_EQ(patternCanvas.Count(cDrawn::kScroll), 1);
  EXPECT_EQ(patternCanvas.TextLines().size(), 3u);
  EXPECT_GT(host.patternRepaints, 0);
}

TEST_F(PatternEditorTest, ChannelKeysWrapAroundTheSongsChannels) {
  struct Case {
    int vk, modifiers, from, to;
    const char* help;
  };
  for (Case c : {Case{kVkTab, kModShift, 0, 45, "Note"},  // channel 0 to the last
                 Case{kVkTab, kModShift, 7, 45, "Note"},  // from inside channel 0 too
                 Case{kVkTab, 0, 50, 0, "Note"},          // the last channel to channel 0
                 Case{kVkTab, 0, 20, 30, "Note"}, Case{kVkTab, kModCtrl | kModShift, 50, 0, "Note"},
                 Case{kVkLeft, kModCtrl, 16, 0, "Note"}, Case{kVkRight, kModCtrl, 16, 30, "Note"},
                 Case{kVkLeft, 0, 0, 59, "FX2 Parameter"}, Case{kVkRight, 0, 59, 0, "Note"},
                 Case{kVkRight, 0, 0, 1, "Instrument [01 - 7F]"},
                 Case{kVkLeft, kModShift, 4, 3, "Channel Volume [00 - 7F]"}}) {
    Cursor(5, c.from);
    EXPECT_TRUE(Press(c.vk, c.modifiers));
    EXPECT_EQ(view().cursorColumn, c.to) << c.vk << " from " << c.from;
    EXPECT_EQ(host.status[0], c.help) << c.vk << " from " << c.from;
    EXPECT_EQ(tracker.EditedChannel(), c.to / 15);
  }
  FakePlaying(1);  // columns move while playing
  Cursor(5, 0);
  Press(kVkRight);
  EXPECT_EQ(view().cursorColumn, 1);
}

TEST_F(PatternEditorTest, RowInsertAndDeleteWorkOnTheCursorsTrack) {
  SetEditMode(1);
  auto number = [&](int channel) {
    for (int r = 0; r < kRows; ++r) Cell(channel, r)[0] = uint8_t(r + 1);
  };
  struct Case {
    int vk, modifiers, row;
    int cursorAfter;
    bool modifies;
    std::vector<std::pair<int, int>> notes;  // row, note afterwards
  };
  for (Case c : {
           Case{kVkInsert, 0, 10, 10, true, {{9, 10}, {10, 0}, {11, 11}, {63, 63}}},
           Case{kVkInsert, 0, 63, 63, true, {{62, 63}, {63, 0}}},      // clears row 63 only
           Case{kVkBack, 0, 0, 0, true, {{0, 2}, {62, 64}, {63, 0}}},  // row 0 deletes itself
           Case{kVkBack, 0, 5, 4, true, {{3, 4}, {4, 6}, {63, 0}}},
           Case{kVkBack, kModShift, 5, 5, true, {{4, 5}, {5, 7}}},
           Case{kVkBack, kModCtrl, 5, 5, false, {{5, 6}, {63, 64}}},     // nothing
           Case{kVkInsert, kModShift, 5, 5, false, {{5, 6}, {63, 64}}},  // nothing
       }) {
    number(1);
    number(2);
    Cursor(c.row, 15 + 3);
    tracker.Edits().MarkSaved();
    EXPECT_TRUE(Press(c.vk, c.modifiers));
    EXPECT_EQ(view().cursorRow, c.cursorAfter);
    for (auto [row, note] : c.notes) {
      EXPECT_EQ(Cell(1, row)[0], note) << c.vk << " on row " << c.row << ", row " << row;
    }
    EXPECT_EQ(Cell(2, 5)[0], 6);  // the channel beside it stays
    EXPECT_EQ(tracker.Modified(), c.modifies);
  }
  SetEditMode(0);
  number(1);
  Cursor(5, 15);
  EXPECT_TRUE(Press(kVkInsert));
  EXPECT_TRUE(Press(kVkBack));
  EXPECT_EQ(Cell(1, 5)[0], 6);
  EXPECT_EQ(view().cursorRow, 5);
}

TEST_F(PatternEditorTest, TransposeTheBlockOrTheTrack) {
  SetEditMode(1);
  auto fill = [&] {
    for (int r = 0; r < kRows; ++r) Cell(2, r)[0] = 50;
    Cell(2, 16)[0] = 108;
    Cell(2, 17)[0] = 1;
    Cell(2, 18)[0] = kNoteRelease;
    Cell(2, 19)[0] = 0;
  };
  struct Case {
    int vk, modifiers;
    int row15, row16, row17, row18, row19, row20, row32;
  };
  for (Case c : {Case{kVkAdd, kModShift, 50, 108, 2, kNoteRelease, 0, 51, 50},
                 Case{kVkSubtract, kModShift, 50, 107, 1, kNoteRelease, 0, 49, 50},
                 Case{kVkAdd, kModCtrl, 51, 108, 2, kNoteRelease, 0, 51, 51},
                 Case{kVkSubtract, kModCtrl, 49, 107, 1, kNoteRelease, 0, 49, 49},
                 Case{kVkAdd, 0, 50, 108, 1, kNoteRelease, 0, 50, 50},
                 Case{kVkAdd, kModCtrl | kModShift, 50, 108, 1, kNoteRelease, 0, 50, 50}}) {
    fill();
    Cursor(25, 30);
    EXPECT_TRUE(Press(c.vk, c.modifiers));
    const int rows[] = {15, 16, 17, 18, 19, 20, 32};
    const int want[] = {c.row15, c.row16, c.row17, c.row18, c.row19, c.row20, c.row32};
    for (int i = 0; i < 7; ++i) {
      EXPECT_EQ(Cell(2, rows[i])[0], want[i]) << c.vk << " " << c.modifiers << " row " << rows[i];
    }
  }
}

TEST_F(PatternEditorTest, BlockKeysCutOnlyInEditModeAndCopyAlways) {
  auto mark = [&] {
    for (int c = 0; c < 4; ++c) {
      for (int r = 0; r < kRows; ++r) Cell(c, r)[1] = uint8_t(16 * c + r % 16 + 1);
    }
  };
  mark();
  Cursor(20, 15);  // channel 1, rows 16..31
  // Play mode: cuts go on, copies are made.
  EXPECT_FALSE(Press(kVkF3, kModShift));
  EXPECT_FALSE(Press(kVkF3, kModCtrl | kModShift));
  EXPECT_EQ(Cell(1, 20)[1], 16 + 5);
  tracker.Edits().MarkSaved();
  EXPECT_TRUE(Press(kVkF4, kModCtrl | kModShift));  // copy block
  EXPECT_TRUE(Press(kVkF4, kModShift));             // copy track
  EXPECT_FALSE(tracker.Modified());
  EXPECT_TRUE(Press(kVkF5, kModShift));  // pastes need edit mode
  EXPECT_EQ(Cell(1, 20)[1], 16 + 5);

  SetEditMode(1);
  Cursor(50, 45);  // channel 3, rows 48..63
  EXPECT_TRUE(Press(kVkF5, kModCtrl | kModShift));
  EXPECT_EQ(Cell(3, 50)[1], 16 + 3);  // channel 1's block, row 18
  EXPECT_EQ(Cell(3, 47)[1], 48 + 16);
  EXPECT_TRUE(tracker.Modified());
  Cursor(0, 30);
  EXPECT_TRUE(Press(kVkF5, kModShift));  // the track of channel 1
  EXPECT_EQ(Cell(2, 63)[1], 16 + 16);
  tracker.Edits().MarkSaved();
  EXPECT_TRUE(Press(kVkF3, kModShift));  // cut track
  EXPECT_EQ(Cell(2, 5)[1], 0);
  EXPECT_TRUE(tracker.Modified());
  EXPECT_TRUE(Press(kVkF3, kModCtrl));  // cut pattern
  EXPECT_EQ(Cell(0, 5)[1], 0);
  editor.Paste(eClip::kPattern);  // the Edit menu's paste
  EXPECT_EQ(Cell(0, 5)[1], 6);
  EXPECT_EQ(Cell(2, 5)[1], 0);  // the track was cut before the pattern was taken

  // Copy the pattern from the keyboard; a cut block clears its 16 rows only.
  mark();
  EXPECT_TRUE(Press(kVkF4, kModCtrl));
  Cursor(37, 15);                                   // channel 1, rows 32..47
  EXPECT_TRUE(Press(kVkF3, kModCtrl | kModShift));  // cut block
  EXPECT_EQ(Cell(1, 37)[1], 0);
  EXPECT_EQ(Cell(1, 31)[1], 16 + 16);
  EXPECT_EQ(Cell(1, 48)[1], 16 + 1);
  editor.Paste(eClip::kPattern);
  EXPECT_EQ(Cell(1, 37)[1], 16 + 6);
}

TEST_F(PatternEditorTest, GlobalKeysReachTheWindow) {
  struct Case {
    int vk, modifiers;
    const char* call;
  };
  for (Case c : {Case{kVkEscape, 0, "Panic"},
                 {kVkEscape, kModShift, "EngineRestart"},
                 {kVkF7, 0, "PlayPat"},
                 {kVkF8, 0, "Continue"},
                 {kVkF9, kModCtrl, "Play"},
                 {kVkNumpad7, 0, "Pattern"},
                 {kVkNumpad8, 0, "Chans"},
                 {kVkNumpad9, 0, "Synth"},
                 {kVkF5, kModCtrl, "Load Songs/_Pelvano_05l_ye.zqm"}}) {
    for (int page : {0, 1}) {
      editor.SetShownPage(page);
      host.calls.clear();
      EXPECT_TRUE(Press(c.vk, c.modifiers));
      EXPECT_EQ(host.calls, std::vector<std::string>{c.call}) << c.call << " on page " << page;
    }
  }
  editor.SetShownPage(1);
  Cursor(9, 0);
  EXPECT_TRUE(Press(kVkF5));  // consumed, and nothing on the other pages
  EXPECT_EQ(view().cursorRow, 9);
}

TEST_F(PatternEditorTest, CtrlWithKeysTheEditorDoesNotNameGoesToTheMenus) {
  SetEditMode(1);
  Cursor(0, 0);
  Heard();
  for (int vk : {int('S'), int('N'), int('O'), int('Q'), int('Z')}) {
    EXPECT_FALSE(Press(vk, kModCtrl)) << char(vk);
  }
  EXPECT_EQ(Cell(0, 0)[0], 0);
  EXPECT_TRUE(Heard().empty());
  EXPECT_TRUE(Press('Z', kModShift));  // Shift is no menu key
  EXPECT_EQ(Cell(0, 0)[0], 37);
}
