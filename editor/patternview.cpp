#include "editor/patternview.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstring>

#include "editor/channelswitch.h"
#include "editor/patterntext.h"

void cPatternView::Start(int w, int h, int count) {
  width = std::max(w, 0);
  height = std::max(h, 0);
  channels = std::clamp(count, 0, kChannels);
  visibleChannels =
      std::clamp((width - kRowNumberChars * kCharWidth) / kChannelWidth + 1, 0, channels);
  // An odd count, so that the cursor row sits in the middle; rounded down so
  // that the header, the rows and the scroll bar all fit.
  int lines = height / kLineHeight - 2;
  if (lines % 2 == 0) --lines;
  visibleRows = std::max(lines, 5);
  half = visibleRows / 2;
  if (channels == 0) {
    cursorColumn = 0;
  } else if (cursorColumn >= channels * kSubColumns) {
    cursorColumn = (channels - 1) * kSubColumns;
  }
  firstVisible = std::clamp(firstVisible, 0, std::max(channels - visibleChannels, 0));
  ScrollChannelsToCursor();
  RequestFullDraw();
}

void cPatternView::Snapshot(const cCell* pattern) {
  std::copy_n(pattern, kChannels * kRows, &work[0][0]);
}

void cPatternView::SetRow(int row) {
  if (rows <= 0) return;
  row %= rows;
  if (row < 0) row += rows;
  cursorRow = row;
}

void cPatternView::ColumnLeft() {
  --cursorColumn;
  NormaliseColumn();
}

void cPatternView::ColumnRight() {
  ++cursorColumn;
  NormaliseColumn();
}

void cPatternView::NextChannel() {
  cursorColumn = (cursorColumn / kSubColumns + 1) * kSubColumns;
  NormaliseColumn();
}

// From channel 0 the step lands on -15, which wraps to the last channel.
void cPatternView::PreviousChannel() {
  cursorColumn = (cursorColumn / kSubColumns - 1) * kSubColumns;
  NormaliseColumn();
}

void cPatternView::CursorHome() {
  cursorColumn = 0;
  firstVisible = 0;
  RequestFullDraw();
}

void cPatternView::NormaliseColumn() {
  const int total = channels * kSubColumns;
  if (total == 0) {
    cursorColumn = 0;
    firstVisible = 0;
    FullDraw();
    return;
  }
  if (cursorColumn < 0) {
    cursorColumn = (cursorColumn % total + total) % total;
    firstVisible = std::max(channels - visibleChannels, 0);
    ScrollChannelsToCursor();
    FullDraw();
  } else if (cursorColumn >= total) {
    cursorColumn %= total;
    firstVisible = 0;
    ScrollChannelsToCursor();
    FullDraw();
  } else if (ScrollChannelsToCursor()) {
    FullDraw();
  } else {
    DrawCursorRow();
  }
}

// A cursor left of the first visible channel brings its channel to the
// left edge; one whose mark ends beyond the right edge scrolls the channels
// one at a time, never past its own channel. True when the view scrolled.
bool cPatternView::ScrollChannelsToCursor() {
  const int before = firstVisible;
  const int channel = CursorChannel();
  if (channel < firstVisible) firstVisible = channel;
  while (firstVisible < channel && CursorX() + CursorWidth() > width) ++firstVisible;
  return firstVisible != before;
}

bool cPatternView::Masked(int channel) const {
  return maskDisplay != 0 && ((modeWord >> (2 * channel)) & 3) != kModePlay;
}

int cPatternView::CursorX() const {
  return kCharWidth * SubColumnPosition(CursorChannel(), SubColumn()) -
         kChannelWidth * firstVisible;
}

int cPatternView::ShownChannels() const {
  return std::clamp(std::min(visibleChannels, channels - firstVisible), 0, kChannels);
}

void cPatternView::ScrollMark(int* x1, int* x2) const {
  *x1 = *x2 = 0;
  if (channels <= 0) return;
  const double s = double(width) / channels;
  *x1 = int(std::lround(firstVisible * s + 2));
  *x2 = int(std::lround((firstVisible + visibleChannels) * s - 2));
}

void cPatternView::Draw() {
  if (fullDrawRequested) {
    FullDraw();
    return;
  }
  const int moved = cursorRow - drawnRow;
  if (moved == 0) return;
  if (std::abs(moved) > half - 1) {
    FullDraw();
    return;
  }
  if (canvas == nullptr) return;
  drawnRow = cursorRow;
  ScrollLines(*canvas, RowTop(0), visibleRows, half, moved,
              [this](int line) { DrawLine(line, line == half); });
}

void cPatternView::FullDraw() {
  fullDrawRequested = false;
  drawnRow = cursorRow;
  if (canvas == nullptr) return;
  DrawHeader();
  for (int line = 0; line < visibleRows; ++line) DrawLine(line, line == half);
  DrawBar();
}

void cPatternView::DrawCursorRow() {
  if (fullDrawRequested || drawnRow != cursorRow) {
    Draw();
    return;
  }
  if (canvas != nullptr) DrawLine(half, true);
}

void cPatternView::DrawHeader() {
  char text[kRowNumberChars + kChannels * kChannelChars];
  std::memset(text, ' ', sizeof text);
  const int shown = ShownChannels();
  for (int i = 0; i < shown; ++i) {
    char label[9];
    const int channel = firstVisible + i;
    std::snprintf(label, sizeof label, " CHN %02d", channel % 100);
    char* place = text + kRowNumberChars + i * kChannelChars;
    std::memcpy(place, label, 7);
    // A channel skipped at the shown entry says so: the darker colour alone
    // is easily missed, and a new song starts with every channel off.
    if (ChannelOff(modeWord, channel)) std::memcpy(place + 8, "off", 3);
  }
  const int length = kRowNumberChars + shown * kChannelChars;
  canvas->Text(0, 0, std::string_view(text, size_t(length)), kPatternHeaderColour);
  const int end = length * kCharWidth;
  if (end < width) canvas->Fill(end, 0, width - end, kLineHeight, kPatternBlankColour);
}

void cPatternView::DrawLine(int line, bool asCursorRow) {
  const int row = drawnRow - half + line;
  const int y = RowTop(line);
  const bool inside = row >= 0 && row < rows;

  char number[kRowNumberChars];
  RowNumberText(inside ? row : -1, number);
  canvas->Text(0, y, std::string_view(number, kRowNumberChars),
               PatternRowColour(inside ? row : -1, false, asCursorRow));

  const int shown = ShownChannels();
  char text[kChannelChars];
  for (int i = 0; i < shown; ++i) {
    const int channel = firstVisible + i;
    if (inside) {
      ChannelText(WorkingCell(channel, row), text);
    } else {
      std::memset(text, ' ', kChannelChars);
    }
    canvas->Text(kRowNumberChars * kCharWidth + i * kChannelWidth, y,
                 std::string_view(text, kChannelChars),
                 PatternRowColour(inside ? row : -1, Masked(channel), asCursorRow));
  }
  const int end = kRowNumberChars * kCharWidth + shown * kChannelWidth;
  if (end < width) canvas->Fill(end, y, width - end, kLineHeight, kPatternBlankColour);
  for (int k = 0; k <= shown; ++k) {
    const int x = 25 + kChannelWidth * k;
    if (x < width) canvas->Fill(x, y, 1, kLineHeight, kBlack);
  }

  if (!asCursorRow || CursorChannel() >= channels) return;
  const int x = CursorX();
  if (x < 0 || x > width) return;
  const cRgb colour = editMode != 0 ? kEditCursorColour : kPlayCursorColour;
  for (int dy : {0, 1, 13, 14}) canvas->Fill(x, y + dy, CursorWidth(), 1, colour);
}

void cPatternView::DrawBar() {
  const int top = BarTop();
  canvas->Fill(0, top, width, kLineHeight, kBlack);
  int x1, x2;
  ScrollMark(&x1, &x2);
  if (x2 > x1) canvas->Fill(x1, top + 1, x2 - x1, kLineHeight - 2, kScrollMarkColour);
  const int below = top + kLineHeight;
  if (below < height) canvas->Fill(0, below, width, height - below, kPatternBlankColour);
}

bool cPatternView::CellAt(int x, int y, int* row, int* column) const {
  if (x < 0 || y < RowTop(0) || y >= BarTop()) return false;
  const int r = drawnRow - half + (y - RowTop(0)) / kLineHeight;
  const int character = x / kCharWidth - kRowNumberChars;
  if (r < 0 || r >= rows || character < 0) return false;
  const int shown = character / kChannelChars;
  if (shown >= ShownChannels()) return false;
  // Characters as in channel 0's part of a row; the blank between two
  // fields belongs to the one on its left, the note's three to the note.
  const int at = kRowNumberChars + character % kChannelChars;
  int sub = 0;
  for (int k = 1; k < kSubColumns; ++k) {
    if (SubColumnPosition(0, k) <= at) sub = k;
  }
  *row = r;
  *column = (firstVisible + shown) * kSubColumns + sub;
  return true;
}

int cPatternView::ScrollTo(int x, int y, bool isDragging) {
  if (visibleChannels >= channels) return 0;
  if (!isDragging && y < BarTop()) return 0;
  const double s = double(width) / channels;
  const double centred = std::round(x - visibleChannels * s / 2);
  const int first = std::clamp(int(std::lround(centred / s)), 0, channels - visibleChannels);
  const int channel = std::clamp(CursorChannel(), first, first + visibleChannels - 1);
  const bool scrolled = first != firstVisible;
  const bool columnMoved = channel * kSubColumns != cursorColumn;
  firstVisible = first;
  cursorColumn = channel * kSubColumns;
  if (scrolled) {
    FullDraw();
  } else if (columnMoved) {
    DrawCursorRow();
  }
  return 1;
}
