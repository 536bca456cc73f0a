#include "editor/sequenceview.h"

#include <gtest/gtest.h>

#include <memory>
#include <string>

#include "editorfixture.h"

namespace {

struct cSequenceFixture {
  cSequenceFixture() {
    view.Start(song.get());
    view.SetCanvas(&canvas);
  }
  std::string Entry(int index) const {
    char text[kSequenceTextChars];
    SequenceEntryText(*song, index, text);
    return std::string(text, kSequenceTextChars);
  }
  std::string Footer() const {
    char text[kSequenceTextChars];
    SequenceFooterText(*song, text);
    return std::string(text, kSequenceTextChars);
  }
  // The pixel of character column c on the entry line `offset` from the cursor.
  static int X(int c) { return c * 8 + 3; }
  static int Y(int offset) { return 16 * (1 + cSequenceView::half + offset) + 5; }
  static constexpr int kFooterY = 16 * 8 + 5;

  std::unique_ptr<cSongTables> song = std::make_unique<cSongTables>();
  cRecordingCanvas canvas;
  cSequenceView view;
};

}  // namespace

TEST(SequenceView, TextsAndColours) {
  cSequenceFixture f;
  f.song->SetPattern(0x1F, 0x05);
  f.song->SetModeWord(0x1F, kModePlay | kModeRelease << 2 | kModeCut << 4 | kModePlay << 30);
  EXPECT_EQ(f.Entry(0x1F), "01F 05 0\\X------------F");
  EXPECT_EQ(f.Entry(4096 + 0x1F), f.Entry(0x1F));
  f.song->start = 0x12;
  f.song->repeat = 0x345;
  f.song->end = 0xFFF;
  EXPECT_EQ(f.Footer(), "STA:012 REP:345 END:FFF");
  EXPECT_EQ(std::string(SequenceHeaderText()), "ORD PT CHANNELS BIT SET");
  EXPECT_EQ(SequenceEntryColour(1, false), (cRgb{216, 216, 200}));
  EXPECT_EQ(SequenceEntryColour(8, false), (cRgb{208, 208, 192}));
  EXPECT_EQ(SequenceEntryColour(3, true), (cRgb{192, 192, 176}));
  EXPECT_EQ(SequenceEntryColour(0, true), (cRgb{184, 184, 168}));

  f.view.FullDraw();  // the cursor on 0: entries FFD..003
  EXPECT_EQ(f.canvas.Line(0), "ORD PT CHANNELS BIT SET");
  EXPECT_EQ(f.canvas.Line(16).substr(0, 3), "FFD");
  EXPECT_EQ(f.canvas.Line(16 * 4).substr(0, 3), "000");
  EXPECT_EQ(f.canvas.Background(0, 16 * 4), (cRgb{184, 184, 168}));
  EXPECT_EQ(f.canvas.Line(16 * 8), f.Footer());
}

TEST(SequenceView, ScrollingByOneOrTwoEntriesDrawsOnlyWhatChanged) {
  cSequenceFixture f;
  f.view.SetCursor(4094);
  f.view.FullDraw();
  f.canvas.Clear();
  f.view.CursorDown(2);  // 4094 -> 0, two entries on
  f.view.Draw();
  EXPECT_EQ(f.view.cursor, 0);
  EXPECT_EQ(f.canvas.Count(cDrawn::kScroll), 1);
  EXPECT_EQ(f.canvas.TextLines().size(), 4u);
  EXPECT_EQ(f.canvas.Line(16 * 4).substr(0, 3), "000");
  EXPECT_EQ(f.canvas.Line(16 * 3).substr(0, 3), "FFF");
  EXPECT_EQ(f.canvas.Line(16 * 7).substr(0, 3), "003");
  f.canvas.Clear();
  f.view.CursorUp(3);
  f.view.Draw();
  EXPECT_EQ(f.canvas.Count(cDrawn::kScroll), 0);  // more than two: a full draw
}

TEST(SequenceView, ClicksOnTheEntries) {
  struct Case {
    const char* what;
    int c, offset, button;
    int cursor;  // afterwards, from 0x100
    eSequenceClick result;
  };
  for (Case c : {
           Case{"first index digit", 0, 0, kButtonLeft, 0x200, eSequenceClick::kCursorMoved},
           Case{"second index digit", 1, 0, kButtonRight, 0xF0, eSequenceClick::kCursorMoved},
           Case{"third index digit", 2, 0, kButtonLeft, 0x101, eSequenceClick::kCursorMoved},
           Case{"middle button", 2, 0, kButtonMiddle, 0x100, eSequenceClick::kNothing},
           Case{"above, left", 1, -2, kButtonLeft, 0xFF, eSequenceClick::kCursorMoved},
           Case{"above, right", 0, -1, kButtonRight, 0xF8, eSequenceClick::kCursorMoved},
           Case{"above, middle", 0, -1, kButtonMiddle, 0xFF, eSequenceClick::kCursorMoved},
           Case{"below, right", 2, 3, kButtonRight, 0x108, eSequenceClick::kCursorMoved},
           Case{"the blank", 3, 0, kButtonLeft, 0x100, eSequenceClick::kNothing},
       }) {
    cSequenceFixture f;
    f.view.SetCursor(0x100);
    EXPECT_EQ(f.view.Click(f.X(c.c), f.Y(c.offset), c.button, *f.song), c.result) << c.what;
    EXPECT_EQ(f.view.cursor, c.cursor) << c.what;
  }
  cSequenceFixture f;
  EXPECT_EQ(f.view.Click(3, 5, kButtonLeft, *f.song), eSequenceClick::kNothing);  // the header
  f.view.Click(f.X(0), f.Y(0), kButtonRight, *f.song);
  EXPECT_EQ(f.view.cursor, 0xF00);  // 0 - 0x100 wraps
}

TEST(SequenceView, ClicksOnPatternDigitsAndChannelModes) {
  cSequenceFixture f;
  f.song->SetPattern(0, 0x05);
  EXPECT_EQ(f.view.Click(f.X(4), f.Y(0), kButtonRight, *f.song), eSequenceClick::kPatternChanged);
  EXPECT_EQ(f.song->GetPattern(0), 0xF5u);
  f.view.Click(f.X(4), f.Y(0), kButtonLeft, *f.song);
  f.view.Click(f.X(5), f.Y(1), kButtonRight, *f.song);  // entry 1: 00 - 1
  EXPECT_EQ(f.song->GetPattern(0), 0x05u);
  EXPECT_EQ(f.song->GetPattern(1), 0xFFu);
  EXPECT_EQ(f.view.Click(f.X(5), f.Y(0), kButtonMiddle, *f.song), eSequenceClick::kNothing);

  // Channel 2 of entry FFF (the line above): +1 with left, -1 with right.
  EXPECT_EQ(f.view.Click(f.X(9), f.Y(-1), kButtonLeft, *f.song), eSequenceClick::kModeChanged);
  EXPECT_EQ(f.song->GetChannelMode(0xFFF, 2), kModePlay);
  f.view.Click(f.X(9), f.Y(-1), kButtonRight, *f.song);
  f.view.Click(f.X(9), f.Y(-1), kButtonRight, *f.song);
  EXPECT_EQ(f.song->GetChannelMode(0xFFF, 2), kModeCut);
  f.view.Click(f.X(22), f.Y(0), kButtonMiddle, *f.song);
  EXPECT_EQ(f.song->GetChannelMode(0, 15), kModePlay);
  EXPECT_EQ(f.song->GetModeWord(0), uint32_t(kModePlay) << 30);
}

TEST(SequenceView, FooterClicksKeepTheRangeInOrder) {
  struct Case {
    const char* what;
    int start, repeat, end;
    int c, button;
    const char* footer;
  };
  for (Case c : {
           Case{"start below 0 wraps", 0, 0, 0, 6, kButtonRight, "STA:FFF REP:FFF END:FFF"},
           Case{"start up pushes end", 0x10, 0x10, 0x10, 5, kButtonLeft, "STA:020 REP:020 END:020"},
           Case{"repeat above end", 0, 0x10, 0x10, 14, kButtonLeft, "STA:000 REP:010 END:010"},
           Case{"end below repeat", 0, 0x10, 0x10, 21, kButtonRight, "STA:000 REP:000 END:000"},
           Case{"end past FFF", 0x100, 0x100, 0xFFF, 20, kButtonLeft, "STA:100 REP:100 END:100"},
           Case{"middle button", 1, 2, 3, 4, kButtonMiddle, "STA:001 REP:002 END:003"},
           Case{"between the fields", 1, 2, 3, 8, kButtonLeft, "STA:001 REP:002 END:003"},
       }) {
    cSequenceFixture f;
    f.song->start = c.start;
    f.song->repeat = c.repeat;
    f.song->end = c.end;
    f.view.Click(f.X(c.c), f.kFooterY, c.button, *f.song);
    EXPECT_EQ(f.Footer(), c.footer) << c.what;
  }
}

TEST(SequenceView, InsertAndDeleteEntries) {
  cSequenceFixture f;
  for (int i = 0; i < 4; ++i) f.song->SetPattern(i, uint32_t(10 + i));
  f.song->SetPattern(4095, 99);
  f.song->SetModeWord(4095, 0x55);
  f.view.SetCursor(1);
  f.view.InsertEntry(*f.song);
  EXPECT_EQ(f.Entry(0).substr(0, 6), "000 0A");
  EXPECT_EQ(f.Entry(1), "001 00 ----------------");
  EXPECT_EQ(f.Entry(2).substr(4, 2), "0B");
  EXPECT_EQ(f.Entry(4).substr(4, 2), "0D");
  f.view.DeleteEntry(*f.song);
  EXPECT_EQ(f.Entry(1).substr(4, 2), "0B");
  EXPECT_EQ(f.Entry(3).substr(4, 2), "0D");
  EXPECT_EQ(f.Entry(4095), "FFF 00 ----------------");

  f.song->SetPattern(4095, 99);
  f.song->SetPattern(4094, 98);
  f.view.SetCursor(4095);
  f.view.InsertEntry(*f.song);  // on the last entry: only that entry is cleared
  EXPECT_EQ(f.Entry(4095), "FFF 00 ----------------");
  EXPECT_EQ(f.song->GetPattern(4094), 98u);
  EXPECT_EQ(f.song->GetPattern(0), 10u);
}
