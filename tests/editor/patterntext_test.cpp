#include "editor/patterntext.h"

#include <gtest/gtest.h>

#include <string>

namespace {

std::string Text(const cCell& cell) {
  char out[kChannelChars];
  ChannelText(cell, out);
  return std::string(out, kChannelChars);
}

}  // namespace

TEST(PatternText, ChannelTexts) {
  struct Case {
    cCell cell;
    const char* text;
  };
  for (Case c : {
           Case{{0, 0, 0xFF, 0xFF, 0, 0, 0, 0}, " ... .. .. .. .... .... "},
           Case{{1, 1, 0x40, 0x7F, 0x0F, 0x06, 0xA1, 0x20}, " C-0 01 40 7F 0F06 A120 "},
           Case{{108, 0x80, 0x85, 0x93, 0, 0x10, 0, 0}, " B-8 80 +5 -3 0010 .... "},
           Case{{109, 0, 0x8F, 0xFE, 0x10, 0, 0, 1}, " off .. +F -E 1000 0001 "},
           Case{{14, 0x7F, 0x00, 0xA5, 0, 0, 0, 0}, " C#1 7F 00 -5 .... .... "},
           Case{{200, 0, 0xFF, 0xFF, 0, 0, 0, 0}, " ??? .. .. .. .... .... "},
       }) {
    EXPECT_EQ(Text(c.cell), c.text);
  }
}

TEST(PatternText, NoteNamesAndRowNumbers) {
  char name[3];
  for (auto [note, text] :
       {std::pair{1, "C-0"}, {12, "B-0"}, {13, "C-1"}, {50, "C#4"}, {107, "A#8"}, {0, "..."}}) {
    NoteName(uint8_t(note), name);
    EXPECT_EQ(std::string(name, 3), text);
  }
  char number[3];
  RowNumberText(7, number);
  EXPECT_EQ(std::string(number, 3), "07 ");
  RowNumberText(63, number);
  EXPECT_EQ(std::string(number, 3), "63 ");
  RowNumberText(-1, number);
  EXPECT_EQ(std::string(number, 3), "   ");
  RowNumberText(64, number);
  EXPECT_EQ(std::string(number, 3), "   ");
}

TEST(PatternText, RowColours) {
  struct Case {
    int row;
    bool masked, cursor;
    cRgb colour;
  };
  for (Case c : {Case{0, false, false, {184, 184, 168}},
                 {16, true, false, {168, 168, 152}},
                 {32, false, true, {184, 184, 192}},
                 {48, true, true, {168, 168, 176}},
                 {4, false, false, {200, 200, 184}},
                 {20, true, false, {184, 184, 168}},
                 {8, false, true, {192, 192, 200}},
                 {12, true, true, {176, 176, 184}},
                 {5, false, false, {208, 208, 192}},
                 {63, true, false, {192, 192, 176}},
                 {1, false, true, {200, 200, 208}},
                 {2, true, true, {184, 184, 192}},
                 {-1, false, false, {200, 200, 184}},
                 {64, true, false, {184, 184, 168}},
                 {-3, false, true, {192, 192, 200}},
                 {70, true, true, {176, 176, 184}}}) {
    EXPECT_EQ(PatternRowColour(c.row, c.masked, c.cursor), c.colour)
        << c.row << " " << c.masked << " " << c.cursor;
  }
}

TEST(PatternText, SubColumnPositions) {
  EXPECT_EQ(SubColumnPosition(0, 0), 4);
  EXPECT_EQ(SubColumnPosition(0, 14), 25);
  EXPECT_EQ(SubColumnPosition(2, 3), 11 + 48);
  // Each sub-column sits on its field in the channel's text.
  const std::string text = Text(cCell{13, 0x12, 0x34, 0x56, 0x78, 0x9A, 0xBC, 0xDE});
  EXPECT_EQ(text.substr(SubColumnPosition(0, 0) - 3, 3), "C-1");
  std::string digits;
  for (int k = 1; k < kSubColumns; ++k) digits += text[SubColumnPosition(0, k) - 3];
  EXPECT_EQ(digits, "123456789ABCDE");
}
