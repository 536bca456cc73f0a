// The sequence view's edits as they reach the player and the pattern view,
// the views following playback, and the redraws of whole views.

#include <mutex>

#include "app/trackerinside.h"
#include "editor/patterntext.h"
#include "patterneditor_fixture.h"

namespace {

constexpr int kCursorLineY = 16 * 4 + 5;  // the sequence view's cursor entry
int X(int c) { return c * 8 + 3; }

}  // namespace

TEST_F(PatternEditorTest, ASequenceClickMovesTheSongPositionAndTheShownPattern) {
  song().SetPattern(1, 7);
  song().SetModeWord(1, 0x55);
  Cell(0, 0)[0] = 1;  // pattern 0 differs from pattern 7
  tracker.Edits().MarkSaved();
  editor.SequenceMouseDown(X(2), kCursorLineY, kButtonLeft);  // index + 1
  EXPECT_EQ(editor.SequenceView().cursor, 1);
  EXPECT_EQ(Inside(tracker).Player().position, 1);
  EXPECT_EQ(Inside(tracker).Player().pattern, 7);
  EXPECT_EQ(Inside(tracker).Player().modeWord, 0x55u);
  EXPECT_EQ(view().currentPattern, 7);
  EXPECT_EQ(view().modeWord, 0x55u);
  EXPECT_EQ(view().WorkingCell(0, 0)[0], 0);
  EXPECT_FALSE(tracker.Modified());  // a cursor is no part of the song

  // A mode changed at the song position reaches the player and the view.
  editor.SequenceMouseDown(X(7 + 1), kCursorLineY, kButtonRight);
  EXPECT_EQ(song().GetModeWord(1), 0x51u);
  EXPECT_EQ(Inside(tracker).Player().modeWord, 0x51u);
  EXPECT_EQ(view().modeWord, 0x51u);
  EXPECT_TRUE(tracker.Modified());

  // A pattern number changed at the song position: the view shows it.
  editor.SequenceMouseDown(X(5), kCursorLineY, kButtonRight);
  EXPECT_EQ(view().currentPattern, 6);

  tracker.Edits().MarkSaved();
  editor.SequenceMouseDown(X(6), 16 * 8 + 5, kButtonLeft);  // end + 1
  EXPECT_EQ(song().end, 1);
  EXPECT_TRUE(tracker.Modified());
}

TEST_F(PatternEditorTest, TheArrowsStartTheEntrysPatternFromItsFirstRow) {
  song().SetPattern(1, 3);
  Heard();
  editor.SequenceArrow(+1, false);
  EXPECT_EQ(Inside(tracker).Player().position, 1);
  EXPECT_EQ(Inside(tracker).Player().pattern, 3);
  EXPECT_EQ(Inside(tracker).Player().row, -1);
  EXPECT_EQ(view().currentPattern, 3);
  EXPECT_EQ(Heard(0), std::vector<std::string>{"FastRelease"});
  EXPECT_EQ(Heard(3), std::vector<std::string>{"FastRelease"});

  // With Ctrl only the position moves.
  editor.SequenceArrow(-1, true);
  EXPECT_EQ(Inside(tracker).Player().position, 0);
  EXPECT_EQ(Inside(tracker).Player().pattern, 3);
  EXPECT_TRUE(Heard(0).empty());
  editor.SequenceArrow(-1, true);
  EXPECT_EQ(editor.SequenceView().cursor, 4095);
}

TEST_F(PatternEditorTest, SequenceInsertAndDeleteMarkTheSongModified) {
  song().SetPattern(0, 9);
  tracker.Edits().MarkSaved();
  editor.InsertSequenceEntry();
  EXPECT_EQ(song().GetPattern(1), 9u);
  EXPECT_TRUE(tracker.Modified());
  tracker.Edits().MarkSaved();
  editor.DeleteSequenceEntry();
  EXPECT_EQ(song().GetPattern(0), 9u);
  EXPECT_TRUE(tracker.Modified());
}

TEST_F(PatternEditorTest, TheViewsFollowPlaybackOnThePatternPage) {
  song().SetPattern(5, 2);
  song().SetModeWord(5, 1);
  editor.FollowPlayback(true, true, true);  // stopped: nothing follows
  EXPECT_EQ(editor.SequenceView().cursor, 0);
  {
    std::lock_guard<std::recursive_mutex> lock(Inside(tracker).EngineLock());
    cPlayer& player = Inside(tracker).Player();
    player.playing = 1;
    player.position = 5;
    player.pattern = 2;
    player.modeWord = 1;
    player.row = 17;
  }
  editor.FollowPlayback(true, true, false);
  EXPECT_EQ(editor.SequenceView().cursor, 5);
  EXPECT_EQ(view().currentPattern, 2);
  EXPECT_EQ(view().modeWord, 1u);
  EXPECT_EQ(view().cursorRow, 17);
  EXPECT_EQ(view().maskDisplay, 0);

  Inside(tracker).Player().row = 18;
  editor.SetShownPage(1);
  editor.FollowPlayback(false, true, true);
  EXPECT_EQ(view().cursorRow, 17);
  editor.SetShownPage(0);
  Inside(tracker).Player().row = -1;  // after an arrow: the view waits for row 0
  editor.FollowPlayback(false, true, true);
  EXPECT_EQ(view().cursorRow, 17);
}

TEST_F(PatternEditorTest, DrawAllShowsTheSongPositionsPatternAndTheMode) {
  song().SetPattern(0, 4);
  song().Cell(4, 1, 0)[0] = 13;
  editor.DrawAll();
  EXPECT_EQ(view().currentPattern, 4);
  const int y = view().RowTop(view().half);
  EXPECT_EQ(patternCanvas.Line(y, 24 + 192 + 8, 3), "C-1");
  EXPECT_EQ(sequenceCanvas.Line(0), "ORD PT CHANNELS BIT SET");
  EXPECT_EQ(host.shownEditMode, 0);
  // The channel count's change lays the view out again.
  {
    std::lock_guard<std::recursive_mutex> lock(Inside(tracker).EngineLock());
    song().SetChannelCount(0);
  }
  editor.StartViews(800, 400);
  EXPECT_EQ(view().visibleChannels, 0);
  SetEditMode(1);
  Press('Z');
  EXPECT_EQ(Cell(0, 0)[0], 0);  // no channel to write into
}

// A press on a cell puts the cursor there; while playing only the column
// moves, as the arrow keys leave the row to the player.
TEST_F(PatternEditorTest, APressOnACellPutsTheCursorThere) {
  Cursor(10, 0);
  const int y = view().RowTop(view().half + 3) + 4;  // row 13
  const int volume = SubColumnPosition(1, 3) * kCharWidth + 2;
  editor.PatternMouseDown(volume, y);
  editor.PatternMouseUp();
  EXPECT_EQ(view().cursorRow, 13);
  EXPECT_EQ(view().cursorColumn, 15 + 3);
  EXPECT_EQ(host.status[0], "Channel Volume [00 - 7F]");
  EXPECT_EQ(tracker.EditedChannel(), 1);

  FakePlaying(1);
  editor.PatternMouseDown(SubColumnPosition(2, 0) * kCharWidth, view().RowTop(view().half - 2));
  EXPECT_EQ(view().cursorRow, 13);
  EXPECT_EQ(view().cursorColumn, 30);
}
