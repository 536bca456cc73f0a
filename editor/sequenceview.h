#pragma once
// The sequence view: seven entries around the cursor (index, pattern, the
// mode of each of the 16 channels), a header and a footer with the song's
// start, repeat and end positions; mouse clicks that edit them, and the
// entry insert and delete buttons. Window thread; Click, InsertEntry and
// DeleteEntry write the song they are given, which the caller hands them
// inside an edit of the sequence.

#include <cstdint>

#include "editor/canvas.h"
#include "song/songtables.h"

constexpr int kSequenceTextChars = 23;
constexpr int kSequenceWidth = kSequenceTextChars * kCharWidth;  // 184 pixels
constexpr int kSequenceHeight = 9 * kLineHeight;                 // 144 pixels

enum class eSequenceClick { kNothing, kCursorMoved, kPatternChanged, kModeChanged, kRangeChanged };

enum : int { kButtonLeft = 1, kButtonRight = 2, kButtonMiddle = 4 };

// "ORD PT CHANNELS BIT SET"
const char* SequenceHeaderText();
// "01F 05 01-\X-----------------": index, pattern and the 16 channel modes.
void SequenceEntryText(const cSongTables& song, int index, char out[kSequenceTextChars]);
// "STA:000 REP:000 END:000"
void SequenceFooterText(const cSongTables& song, char out[kSequenceTextChars]);
cRgb SequenceEntryColour(int index, bool cursor);
constexpr cRgb kSequenceHeaderColour{192, 192, 200};

class cSequenceView {
 public:
  void Start(const cSongTables* tables) {
    song = tables;
    redraw = 4;
  }
  void SetCanvas(cTextCanvas* target) { canvas = target; }

  // Every cursor write is reduced modulo 4096.
  void SetCursor(int position);
  void CursorUp(int n) { SetCursor(cursor - n); }
  void CursorDown(int n) { SetCursor(cursor + n); }

  void Draw();
  void FullDraw();

  // A press at (x, y) in pixels with one of the buttons: the cursor moves,
  // or an entry or the range of the song changes.
  eSequenceClick Click(int x, int y, int button, cSongTables& song);
  // "InsRow": the entries from the cursor move one down (the last is lost)
  // and the cursor's entry becomes pattern 0 with every channel skipped.
  void InsertEntry(cSongTables& song);
  // "DelRow": the entries after the cursor move one up; the last becomes
  // pattern 0 with every channel skipped.
  void DeleteEntry(cSongTables& song);

  int cursor = 0;
  int redraw = 4;
  static constexpr int half = 3;
  static constexpr int lines = 2 * half + 1;

 private:
  void DrawEntryLine(int line);
  void DrawFooter();

  const cSongTables* song = nullptr;
  cTextCanvas* canvas = nullptr;
  int drawnCursor = 0;
};
