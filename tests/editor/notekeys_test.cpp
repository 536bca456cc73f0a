#include "editor/notekeys.h"

#include <gtest/gtest.h>

TEST(NoteKeys, NoteValuesByOctaveClampedToTheNoteRange) {
  struct Case {
    int vk;
    int octave;
    int value;
  };
  for (Case c : {Case{'Z', 3, 37},
                 {'Q', 3, 49},
                 {kVkOemComma, 3, 49},
                 {'L', 3, 50},
                 {'M', 8, 108},  // (0 + 8) x 12 + 11 + 1
                 {'U', 9, 108},  // 132, held to the top note
                 {'Z', 0, 1},
                 {'7', 2, 47},
                 {'S', 0, 2}}) {
    auto key = NoteKeyOfVk(c.vk);
    ASSERT_TRUE(key) << c.vk;
    EXPECT_EQ(NoteValue(*key, c.octave), c.value) << char(c.vk) << " octave " << c.octave;
  }
  EXPECT_EQ(NoteKeyOfVk(kVkOem5), (cNoteKey{kNoteOffSemitone, 0}));
  for (int vk : std::initializer_list<int>{'A', 'F', 'I', 'K', 'O', 'P', '1', '4', '8', '9', '0',
                                           kVkSpace}) {
    EXPECT_FALSE(NoteKeyOfVk(vk)) << vk;
  }
}

// The piano stays under the same fingers: the key where a US keyboard has Z
// is C whatever it prints (Y on German, W on French keyboards).
TEST(NoteKeys, ThePhysicalKeyDecidesWhenThePlatformNamesIt) {
  struct Case {
    int vk;        // printed key
    int scanCode;  // X11 keycode
    std::optional<cNoteKey> note;
  };
  for (Case c : {
           Case{'Z', 52, cNoteKey{0, 0}},                 // US
           Case{'Y', 52, cNoteKey{0, 0}},                 // German: Y where US has Z
           Case{'Z', 29, cNoteKey{9, 1}},                 // German: Z where US has Y
           Case{'W', 52, cNoteKey{0, 0}},                 // French: W where US has Z
           Case{'A', 24, cNoteKey{0, 1}},                 // French: A where US has Q
           Case{'Q', 38, std::nullopt},                   // French: Q where US has A
           Case{',', 58, cNoteKey{11, 0}},                // French: comma where US has M
           Case{'M', 47, std::nullopt},                   // French: M where US has ;
           Case{'#', 51, cNoteKey{kNoteOffSemitone, 0}},  // German: # at backslash
           Case{'Z', 0, cNoteKey{0, 0}},                  // no keycode: the printed key
       }) {
    EXPECT_EQ(NoteKeyOf(cKey{c.vk, c.scanCode, 0}), c.note) << c.vk << " at " << c.scanCode;
  }
}

TEST(NoteKeys, HexDigitsFollowThePrintedKeyAndTheDigitRow) {
  EXPECT_EQ(HexDigitOfVk('0'), 0);
  EXPECT_EQ(HexDigitOfVk('9'), 9);
  EXPECT_EQ(HexDigitOfVk('A'), 10);
  EXPECT_EQ(HexDigitOfVk('F'), 15);
  EXPECT_EQ(HexDigitOfVk('G'), -1);
  EXPECT_EQ(HexDigitOfVk(kVkNumpad0), -1);
  EXPECT_EQ(DigitRowVk(10), '1');
  EXPECT_EQ(DigitRowVk(18), '9');
  EXPECT_EQ(DigitRowVk(19), '0');
  EXPECT_EQ(DigitRowVk(9), 0);   // Escape
  EXPECT_EQ(DigitRowVk(20), 0);  // the key right of 0
}
