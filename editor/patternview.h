#pragma once
// The pattern view's state and drawing: the cursor (row, column, first
// visible channel), the layout that follows the picture's size, a working
// copy of the shown pattern that every drawing reads, and what to draw after
// a change: the whole picture, the picture moved by a few rows with only the
// exposed rows drawn, or just the cursor row. Window thread only; the
// working copy is taken under the engine lock by the caller.

#include <cstdint>

#include "editor/canvas.h"
#include "editor/subcolumns.h"
#include "song/songtables.h"

class cPatternView {
 public:
  // Lays the view out for a picture of width x height pixels and a song of
  // `channels` channels (0-16). The cursor stays where it was when it still
  // lies in the song; the next draw is a full one.
  void Start(int width, int height, int channels);
  void SetCanvas(cTextCanvas* target) { canvas = target; }

  // Copies the shown pattern (its 1024 cells) into the working copy.
  void Snapshot(const cCell* pattern);
  const cCell& WorkingCell(int channel, int row) const { return work[channel & 15][row & 63]; }

  // The cursor row with wrap-around: past the last row continues on row 0.
  void SetRow(int row);
  void RowUp(int n) { SetRow(cursorRow - n); }
  void RowDown(int n) { SetRow(cursorRow + n); }

  // Column moves; each ends with NormaliseColumn.
  void ColumnLeft();
  void ColumnRight();
  void NextChannel();
  void PreviousChannel();
  // Wraps the column into the song's channels and scrolls the view so that
  // the cursor is seen; draws what that changed.
  void NormaliseColumn();
  // The cursor on the first channel's note, that channel at the left edge;
  // the next draw is a full one. The row stays.
  void CursorHome();

  int CursorChannel() const { return cursorColumn / kSubColumns; }
  int SubColumn() const { return cursorColumn % kSubColumns; }
  bool Masked(int channel) const;

  // Full when requested or when the row moved by more than half - 1 rows;
  // otherwise moves the picture and draws the exposed rows and the old and
  // new cursor rows; nothing when the row did not change.
  void Draw();
  // The next Draw draws the whole picture.
  void RequestFullDraw() { fullDrawRequested = true; }
  void FullDraw();
  void DrawCursorRow();

  // The cell under the point (x, y) of the picture as drawn: its row and
  // its column (channel x 15 + the nearest sub-column). False off the rows
  // of the pattern and the song's channels.
  bool CellAt(int x, int y, int* row, int* column) const;

  // The scroll bar under the rows: a press on it (or any position while
  // dragging) centres the view's channels on x. 1 when the bar reacted.
  int ScrollTo(int x, int y, bool dragging);
  void MouseDown(int x, int y) { dragging = ScrollTo(x, y, false) != 0; }
  void MouseMove(int x, int y) {
    if (dragging) ScrollTo(x, y, true);
  }
  void MouseUp() { dragging = false; }

  // Layout, in pixels.
  int BarTop() const { return kLineHeight * (1 + visibleRows); }
  int RowTop(int line) const { return kLineHeight * (1 + line); }
  // x of the cursor mark and its width.
  int CursorX() const;
  int CursorWidth() const { return kCharWidth * SubColumnOf(SubColumn()).width; }
  // The ends of the mark on the scroll bar; equal when there is none.
  void ScrollMark(int* x1, int* x2) const;
  // Channels drawn: the visible ones that the song has.
  int ShownChannels() const;

  int width = 0, height = 0;
  int rows = kRows;
  int channels = 0;
  int visibleChannels = 0;
  int visibleRows = 5;  // odd
  int half = 2;
  int cursorRow = 0;
  int cursorColumn = 0;  // channel x 15 + sub-column
  int firstVisible = 0;  // first visible channel
  int currentPattern = 0;
  uint32_t modeWord = 0;
  int editMode = 0;     // the cursor's colour: red in edit mode, yellow in play mode
  int maskDisplay = 1;  // channels that do not play at the shown entry are darker
  bool dragging = false;

 private:
  void DrawLine(int line, bool asCursorRow);
  void DrawHeader();
  void DrawBar();
  bool ScrollChannelsToCursor();

  cTextCanvas* canvas = nullptr;
  bool fullDrawRequested = true;
  int drawnRow = 0;  // the cursor row of the picture as drawn
  cCell work[kChannels][kRows] = {};
};
