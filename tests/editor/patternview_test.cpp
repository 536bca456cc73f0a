#include "editor/patternview.h"

#include <gtest/gtest.h>

#include "editor/patterntext.h"
#include "editorfixture.h"

namespace {

// A view over a pattern whose cells name their channel and row: instrument
// = channel + 1, volume = row.
struct cViewFixture {
  cViewFixture(int width, int height, int channels) {
    for (int c = 0; c < kChannels; ++c) {
      for (int r = 0; r < kRows; ++r) {
        cCell& cell = pattern[c * kRows + r];
        cell = kEmptyCell;
        cell.instrument = uint8_t(c + 1);
        cell.volume = uint8_t(r);
      }
    }
    view.SetCanvas(&canvas);
    view.Start(width, height, channels);
    view.Snapshot(pattern);
  }
  cCell pattern[kChannels * kRows];
  cRecordingCanvas canvas;
  cPatternView view;
};

}  // namespace

TEST(PatternView, LayoutFollowsThePictureSize) {
  struct Case {
    int width, height, channels;
    int visibleChannels, visibleRows;
  };
  for (Case c : {Case{792, 400, 4, 4, 23},
                 {1920, 1080, 16, 10, 65},
                 {800, 176, 16, 5, 9},
                 {800, 160, 8, 5, 7},  // 8 rows would put the scroll bar off the picture
                 {100, 50, 1, 1, 5},
                 {800, 400, 0, 0, 23},
                 {10, 10, 16, 1, 5}}) {
    cPatternView view;
    view.Start(c.width, c.height, c.channels);
    EXPECT_EQ(view.visibleChannels, c.visibleChannels) << c.width << "x" << c.height;
    EXPECT_EQ(view.visibleRows, c.visibleRows) << c.width << "x" << c.height;
    EXPECT_EQ(view.half, c.visibleRows / 2);
    if (c.height >= 7 * kLineHeight) {
      EXPECT_LE(view.BarTop() + kLineHeight, c.height);
    }
  }
}

TEST(PatternView, FullDrawShowsHeaderRowsAndOutsideRowsAsBlanks) {
  cViewFixture f(800, 176, 4);  // 9 rows, the cursor row in the middle
  f.view.FullDraw();
  // A new song's channels are all off, and the header says so.
  EXPECT_EQ(f.canvas.Line(0).substr(0, 21), "    CHN 00 off       ");
  EXPECT_EQ(f.canvas.Line(0).substr(3 + 3 * 24, 8), " CHN 03 ");
  EXPECT_EQ(f.canvas.Background(0, 0), kPatternHeaderColour);
  // Rows -4..-1 above row 0: blanks in the outside colours.
  for (int line = 0; line < 4; ++line) {
    const int y = f.view.RowTop(line);
    EXPECT_EQ(f.canvas.Line(y), std::string(3 + 4 * 24, ' '));
    EXPECT_EQ(f.canvas.Background(3 * 8, y), (cRgb{184, 184, 168}));  // masked: no channel plays
  }
  const int cursorY = f.view.RowTop(4);
  EXPECT_EQ(f.canvas.Line(cursorY, 0, 27), "00  ... 01 00 .. .... .... ");
  EXPECT_EQ(f.canvas.Background(0, cursorY), (cRgb{184, 184, 192}));  // cursor row, unmasked
  EXPECT_EQ(f.canvas.Line(f.view.RowTop(8), 0, 3), "04 ");
  // The scroll bar under the rows, its mark over the whole bar at 4 of 4.
  const auto bars = f.canvas.Fills(kBlack);
  ASSERT_FALSE(bars.empty());
  EXPECT_EQ(bars.back().y, f.view.BarTop());
  const auto marks = f.canvas.Fills(kScrollMarkColour);
  ASSERT_EQ(marks.size(), 1u);
  EXPECT_EQ(marks[0].x, 2);
  EXPECT_EQ(marks[0].x + marks[0].w, 798);
}

TEST(PatternView, AReleaseChannelIsMaskedOnlyWhileMaskingIsOn) {
  cViewFixture f(800, 176, 4);
  f.view.modeWord = kModePlay | kModeRelease << 2 | kModeCut << 4;  // channel 3 skips
  f.view.SetRow(5);
  const int y = f.view.RowTop(f.view.half);
  const int x1 = 24 + 192;  // channel 1's first pixel
  for (int mask : {1, 0}) {
    f.view.maskDisplay = mask;
    f.view.FullDraw();
    EXPECT_EQ(f.canvas.Background(24, y), (cRgb{200, 200, 208})) << mask;  // channel 0 plays
    const cRgb release = f.canvas.Background(x1, y);
    EXPECT_EQ(release, (mask ? cRgb{184, 184, 192} : cRgb{200, 200, 208})) << mask;
    EXPECT_EQ(f.canvas.Background(0, y), (cRgb{200, 200, 208}));        // the row number never
    EXPECT_EQ(f.canvas.Background(24, y - 16), (cRgb{200, 200, 184}));  // row 4, plain
    // Only the skipped channel is "off" in the header, masked or not; release
    // and cut are masked but play.
    for (int channel = 0; channel < 4; ++channel)
      EXPECT_EQ(f.canvas.Line(0, (3 + 24 * channel + 8) * 8, 3), channel == 3 ? "off" : "   ")
          << channel << " " << mask;
  }
}

TEST(PatternView, TheCursorMarkIsRedInEditModeAndYellowInPlayMode) {
  cViewFixture f(800, 176, 8);
  const int y = f.view.RowTop(f.view.half);
  struct Case {
    int column, editMode;
    int x, width;
    cRgb colour;
  };
  for (Case c : {Case{0, 1, 32, 24, kEditCursorColour},
                 {0, 0, 32, 24, kPlayCursorColour},
                 {16, 1, 8 * (8 + 24), 8, kEditCursorColour},      // channel 1, instrument high
                 {44, 0, 8 * (25 + 48), 8, kPlayCursorColour}}) {  // channel 2, last digit
    f.canvas.Clear();
    f.view.cursorColumn = c.column;
    f.view.editMode = c.editMode;
    f.view.FullDraw();
    const auto lines = f.canvas.Fills(c.colour);
    ASSERT_EQ(lines.size(), 4u) << c.column;
    int dy[4];
    for (int i = 0; i < 4; ++i) {
      EXPECT_EQ(lines[i].x, c.x);
      EXPECT_EQ(lines[i].w, c.width);
      EXPECT_EQ(lines[i].h, 1);
      dy[i] = lines[i].y - y;
    }
    EXPECT_EQ(std::vector<int>(dy, dy + 4), (std::vector<int>{0, 1, 13, 14}));
  }
}

// Moving by fewer than half rows moves the picture and draws the exposed
// rows and the two cursor rows; the result equals a full draw.
TEST(PatternView, ASmallRowMoveScrollsAndDrawsOnlyWhatChanged) {
  for (int move : {1, 2, 3, -1, -3}) {
    cViewFixture f(800, 176, 4);  // half 4: moves up to 3 rows scroll
    f.view.SetRow(30);
    f.view.FullDraw();
    f.canvas.Clear();
    f.view.RowDown(move);
    f.view.Draw();
    EXPECT_EQ(f.canvas.Count(cDrawn::kScroll), 1) << move;
    EXPECT_EQ(f.canvas.calls[0].w, -move * kLineHeight);
    EXPECT_EQ(int(f.canvas.TextLines().size()), std::abs(move) + 2) << move;

    cViewFixture full(800, 176, 4);
    full.view.SetRow(30 + move);
    full.view.FullDraw();
    for (int line = 0; line < f.view.visibleRows; ++line) {
      const int y = f.view.RowTop(line);
      EXPECT_EQ(f.canvas.Line(y), full.canvas.Line(y)) << move << " line " << line;
      EXPECT_EQ(f.canvas.Background(0, y), full.canvas.Background(0, y)) << move;
    }
  }
}

TEST(PatternView, ALargeMoveDrawsEverythingAndNoMoveNothing) {
  cViewFixture f(800, 176, 4);
  f.view.FullDraw();
  f.canvas.Clear();
  f.view.Draw();
  EXPECT_TRUE(f.canvas.calls.empty());
  f.view.RowDown(4);
  f.view.Draw();
  EXPECT_EQ(f.canvas.Count(cDrawn::kScroll), 0);
  EXPECT_EQ(int(f.canvas.TextLines().size()), 1 + f.view.visibleRows);
  f.canvas.Clear();
  f.view.SetRow(63);
  f.view.RowDown(1);  // wraps to row 0: far away on the picture
  EXPECT_EQ(f.view.cursorRow, 0);
  f.view.Draw();
  EXPECT_EQ(f.canvas.Count(cDrawn::kScroll), 0);
}

TEST(PatternView, TheScrollBarCentresTheChannelsOnThePress) {
  cViewFixture f(800, 176, 16);  // 5 visible channels, s = 50 pixels a channel
  ASSERT_EQ(f.view.visibleChannels, 5);
  const int bar = f.view.BarTop() + 4;
  EXPECT_EQ(f.view.ScrollTo(400, 20, false), 0);  // a press on the rows
  EXPECT_EQ(f.view.ScrollTo(400, bar, false), 1);
  EXPECT_EQ(f.view.firstVisible, 6);       // round(round(400 - 125) / 50)
  EXPECT_EQ(f.view.cursorColumn, 6 * 15);  // pulled in, on its note
  int x1, x2;
  f.view.ScrollMark(&x1, &x2);
  EXPECT_EQ(x1, 302);
  EXPECT_EQ(x2, 548);
  f.view.MouseDown(400, bar);
  f.view.MouseMove(790, 10);  // a drag follows the pointer anywhere
  EXPECT_EQ(f.view.firstVisible, 11);
  f.view.MouseUp();
  f.view.MouseMove(0, bar);
  EXPECT_EQ(f.view.firstVisible, 11);
  EXPECT_EQ(f.view.ScrollTo(-500, bar, false), 1);
  EXPECT_EQ(f.view.firstVisible, 0);
  EXPECT_EQ(f.view.cursorColumn, 4 * 15);
}

TEST(PatternView, APressFindsTheCellUnderIt) {
  cViewFixture f(800, 176, 16);  // nine rows, the cursor row 0 in the middle
  ASSERT_EQ(f.view.half, 4);
  auto x = [](int character) { return character * kCharWidth + 3; };
  struct Case {
    int x, line, firstVisible;
    bool found;
    int row, column;
  };
  for (Case c : {Case{x(4), 4, 0, true, 0, 0},     // the note
                 {x(6), 5, 0, true, 1, 0},         // its last character
                 {x(7), 5, 0, true, 1, 0},         // the blank after it
                 {x(10), 6, 0, true, 2, 2},        // between instrument and volume
                 {x(11), 6, 0, true, 2, 3},        // the volume's high digit
                 {x(26), 8, 0, true, 4, 14},       // the last blank of channel 0
                 {x(27), 8, 0, true, 4, 15},       // channel 1 begins
                 {x(24 + 22), 7, 0, true, 3, 26},  // channel 1's FX2 command
                 {x(4), 7, 2, true, 3, 30},        // scrolled: channel 2 first
                 {x(1), 5, 0, false, 0, 0},        // the row numbers
                 {x(4), 3, 0, false, 0, 0},        // above row 0
                 {x(4), -1, 0, false, 0, 0}}) {    // the header
    f.view.firstVisible = c.firstVisible;
    int row = -9, column = -9;
    const int y = f.view.RowTop(c.line) + 5;
    EXPECT_EQ(f.view.CellAt(c.x, y, &row, &column), c.found) << c.x << "," << c.line;
    if (!c.found) continue;
    EXPECT_EQ(row, c.row) << c.x << "," << c.line;
    EXPECT_EQ(column, c.column) << c.x << "," << c.line;
  }
  int row, column;
  EXPECT_FALSE(f.view.CellAt(x(4), f.view.BarTop() + 2, &row, &column));
  // Beyond the song's last channel.
  cViewFixture narrow(1200, 176, 4);
  EXPECT_FALSE(narrow.view.CellAt(x(3 + 4 * 24 + 1), narrow.view.RowTop(4), &row, &column));
}

TEST(PatternView, TheScrollBarIgnoresPressesWhenAllChannelsShow) {
  for (int channels : {4, 1, 0}) {
    cViewFixture f(800, 176, channels);
    f.view.FullDraw();
    f.canvas.Clear();
    EXPECT_EQ(f.view.ScrollTo(400, f.view.BarTop() + 4, false), 0);
    EXPECT_EQ(f.view.ScrollTo(400, 0, true), 0);
    EXPECT_TRUE(f.canvas.calls.empty());
  }
}

TEST(PatternView, ColumnsWrapAndTheViewFollowsTheCursor) {
  cViewFixture f(800, 176, 16);  // channels 0-4 visible, the fifth cut off
  f.view.ColumnLeft();
  EXPECT_EQ(f.view.cursorColumn, 16 * 15 - 1);
  EXPECT_GE(f.view.firstVisible, 11);
  EXPECT_LE(f.view.CursorX() + f.view.CursorWidth(), 800);
  f.view.ColumnRight();
  EXPECT_EQ(f.view.cursorColumn, 0);
  EXPECT_EQ(f.view.firstVisible, 0);
  // Channel 3's last digit still shows; channel 4, cut off at the right
  // edge, scrolls the view by one channel, and its last digit then shows.
  f.view.cursorColumn = 3 * 15 + 14;
  f.view.NormaliseColumn();
  EXPECT_EQ(f.view.firstVisible, 0);
  f.view.NextChannel();
  EXPECT_EQ(f.view.cursorColumn, 60);
  EXPECT_EQ(f.view.firstVisible, 1);
  f.view.cursorColumn = 4 * 15 + 14;
  f.view.NormaliseColumn();
  EXPECT_EQ(f.view.firstVisible, 1);
  f.view.PreviousChannel();
  f.view.PreviousChannel();
  f.view.ColumnLeft();  // channel 1's last digit, still in view
  EXPECT_EQ(f.view.firstVisible, 1);
  f.view.cursorColumn = 0;
  f.view.NormaliseColumn();
  EXPECT_EQ(f.view.firstVisible, 0);
}

TEST(PatternView, NoChannelsOrOneChannelDrawWithoutDividingByZero) {
  for (int channels : {0, 1}) {
    cViewFixture f(800, 176, channels);
    f.view.FullDraw();
    f.view.ColumnLeft();
    f.view.NextChannel();
    f.view.PreviousChannel();
    EXPECT_EQ(f.view.CursorChannel(), 0);
    EXPECT_EQ(f.view.firstVisible, 0);
    int x1, x2;
    f.view.ScrollMark(&x1, &x2);
    if (channels == 0) {
      EXPECT_EQ(x1, x2);
    }
    EXPECT_EQ(f.canvas.Fills(kEditCursorColour).size() + f.canvas.Fills(kPlayCursorColour).size(),
              channels == 0 ? 0u : 4u * 4);  // four draws of the cursor row
  }
}
