// The status bar's help on an effect column names the command under the
// cursor, as the cursor moves and as digits are typed.

#include "app/trackerinside.h"
#include "editor/keys.h"
#include "patterneditor_fixture.h"

TEST_F(PatternEditorTest, TheHelpOfAnEffectColumnNamesTheCommandUnderTheCursor) {
  SetEditMode(1);
  song().rowAdd = 0;
  Cell(1, 4) = {0, 0, kNoChange, kNoChange, 0x0A, 0x40, 0x0F, 0x7D};
  Cursor(4, 15 + 6);  // channel 1's pan, low digit
  Press(kVkRight);
  EXPECT_EQ(host.status[0], "FX1 Command: 0A Volume slide, up 4, down 0");
  Press(kVkRight);
  Press(kVkRight);
  EXPECT_EQ(host.status[0], "FX1 Parameter: 0A Volume slide, up 4, down 0");
  Press(kVkRight);
  Press(kVkRight);
  EXPECT_EQ(host.status[0], "FX2 Command: 0F Speed / tempo, BPM 125");

  // Typed digits: the text follows the command as it is written.
  Press('1');
  EXPECT_EQ(host.status[0], "FX2 Command: 1F no such command");
  Press(kVkRight);
  Press('A');
  EXPECT_EQ(host.status[0], "FX2 Command: 1A Keep voices");
  // A row without a command keeps the plain help.
  Press(kVkDown);
  EXPECT_EQ(host.status[0], "FX2 Command");
  // Other columns keep theirs.
  Cursor(4, 15 + 2);
  Press(kVkLeft);
  EXPECT_EQ(host.status[0], "Instrument [01 - 7F]");
}
