// Typing into the pattern: notes, hex digits, clearing, and note preview.

#include <algorithm>
#include <cstring>

#include "app/trackerinside.h"
#include "editor/patterntext.h"
#include "patterneditor_fixture.h"

TEST_F(PatternEditorTest, NoteKeysWriteTheNoteAndTheCurrentInstrumentAndSoundIt) {
  struct Case {
    int vk, octave;
    uint8_t written;
    const char* heard;
  };
  for (Case c : {Case{'M', 8, 108, "NoteOn 107"},
                 {'U', 9, 108, "NoteOn 107"},
                 {'Z', 0, 1, "NoteOn 0"},
                 {'Q', 3, 49, "NoteOn 48"},
                 {kVkOem5, 3, kNoteRelease, "NoteOff"}}) {
    SetEditMode(1);
    editor.SetOctave(c.octave);
    editor.SetInstrument(5);
    Cursor(10, 0);
    std::copy(kEmptyCell, kEmptyCell + kCellBytes, Cell(0, 10));
    tracker.Edits().MarkSaved();
    EXPECT_TRUE(Press(c.vk));
    EXPECT_EQ(Cell(0, 10)[0], c.written) << char(c.vk);
    if (c.written != kNoteRelease) {
      EXPECT_EQ(Cell(0, 10)[1], 5);
    }
    EXPECT_TRUE(tracker.Modified());
    EXPECT_EQ(view().cursorRow, 11);
    const auto heard = Heard();
    EXPECT_NE(std::find(heard.begin(), heard.end(), c.heard), heard.end()) << char(c.vk);
    // The picture shows the note on the row the cursor left.
    const int y = view().RowTop(view().half - 1);
    char name[3];
    NoteName(c.written, name);
    EXPECT_EQ(patternCanvas.Line(y, 32, 3), std::string(name, 3));
  }
}

TEST_F(PatternEditorTest, TheRowAdvanceWrapsAndMayBeZero) {
  SetEditMode(1);
  struct Case {
    int row, rowAdd, after;
  };
  for (Case c : {Case{63, 1, 0}, {62, 4, 2}, {5, 16, 21}, {20, 0, 20}}) {
    editor.SetRowAdd(c.rowAdd);
    Cursor(c.row, 0);
    Press('Z');
    EXPECT_EQ(view().cursorRow, c.after) << c.row << " + " << c.rowAdd;
    EXPECT_EQ(Cell(0, c.row)[0], 37);
  }
  // A row advance of 0 still shows the note at once.
  EXPECT_EQ(patternCanvas.Line(view().RowTop(view().half), 32, 3), "C-3");
  editor.SetRowAdd(99);
  EXPECT_EQ(song().rowAdd, 32);
  editor.SetOctave(-3);
  EXPECT_EQ(song().octave, 0);
}

TEST_F(PatternEditorTest, WhilePlayingANoteStaysOnTheRowButADigitMovesOn) {
  SetEditMode(1);
  FakePlaying(1);
  Cursor(8, 0);
  Press('Z');
  EXPECT_EQ(Cell(0, 8)[0], 37);
  EXPECT_EQ(view().cursorRow, 8);
  Cursor(8, 2);
  Press('3');
  EXPECT_EQ(Cell(0, 8)[1], 0x03);
  EXPECT_EQ(view().cursorRow, 9);
}

TEST_F(PatternEditorTest, HexDigitsAndTheirRefusals) {
  SetEditMode(1);
  struct Case {
    int subColumn, byte;
    uint8_t before;
    int vk;
    uint8_t after;  // equal to before: refused, and the cursor stays
  };
  for (Case c : {
           Case{1, 1, 0x00, '8', 0x00},  Case{1, 1, 0x05, '7', 0x75},  Case{2, 1, 0x75, 'F', 0x7F},
           Case{3, 2, 0xFF, '9', 0x91},  Case{4, 2, 0x91, '4', 0x94},  Case{3, 2, 0x40, 'A', 0x40},
           Case{3, 2, 0x40, '9', 0x90},  Case{3, 2, 0xFF, '8', 0x81},  Case{3, 2, 0xFF, '7', 0x70},
           Case{4, 2, 0xFF, 'C', 0x0C},  Case{5, 3, 0xFF, '2', 0x20},  Case{6, 3, 0x20, 'B', 0x2B},
           Case{5, 3, 0x20, 'E', 0x20},  Case{7, 4, 0x00, 'A', 0xA0},  Case{8, 4, 0xA0, '3', 0xA3},
           Case{9, 5, 0x00, 'F', 0xF0},  Case{10, 5, 0xF0, '1', 0xF1}, Case{11, 6, 0x12, 'D', 0xD2},
           Case{12, 6, 0xD2, 'E', 0xDE}, Case{13, 7, 0x00, '9', 0x90}, Case{14, 7, 0x90, '9', 0x99},
       }) {
    Cursor(30, 15 + c.subColumn);  // channel 1
    Cell(1, 30)[c.byte] = c.before;
    tracker.Edits().MarkSaved();
    EXPECT_TRUE(Press(c.vk));
    EXPECT_EQ(Cell(1, 30)[c.byte], c.after) << "sub " << c.subColumn << " key " << char(c.vk);
    const bool refused = c.after == c.before;
    EXPECT_EQ(view().cursorRow, refused ? 30 : 31) << "sub " << c.subColumn;
    EXPECT_EQ(tracker.Modified(), !refused);
  }
  // Not a hex digit: not consumed, nothing written.
  Cursor(30, 15 + 7);
  EXPECT_FALSE(Press('G'));
  EXPECT_EQ(view().cursorRow, 30);
}

TEST_F(PatternEditorTest, EntryIsRefusedOnAChannelTheSongDoesNotHave) {
  SetEditMode(1);
  editor.StartViews(800, 400);
  view().cursorColumn = 3 * 15;
  {
    std::lock_guard<std::recursive_mutex> lock(Inside(tracker).EngineLock());
    song().channelCount = 3;  // the view still shows 4
  }
  tracker.Edits().MarkSaved();
  Press('Z');
  view().cursorColumn = 3 * 15 + 2;
  Press('1');
  EXPECT_EQ(Cell(3, 0)[0], 0);
  EXPECT_EQ(Cell(3, 0)[1], 0);
  EXPECT_EQ(view().cursorRow, 0);
  EXPECT_FALSE(tracker.Modified());
}

TEST_F(PatternEditorTest, ClearingTheCellOrTheFieldUnderTheCursor) {
  SetEditMode(1);
  const uint8_t full[8] = {37, 2, 0x40, 0x20, 0x0A, 0x0B, 0x0C, 0x0D};
  struct Case {
    int vk, modifiers, subColumn;
    uint8_t after[8];
  };
  for (Case c : {
           Case{kVkDelete, 0, 5, {0, 0, 0x40, 0x20, 0x0A, 0x0B, 0x0C, 0x0D}},
           Case{kVkDelete, kModCtrl, 5, {0, 0, 0xFF, 0xFF, 0, 0, 0, 0}},
           Case{kVkOemPeriod, 0, 0, {0, 2, 0x40, 0x20, 0x0A, 0x0B, 0x0C, 0x0D}},
           Case{kVkOemPeriod, kModShift, 2, {37, 0, 0x40, 0x20, 0x0A, 0x0B, 0x0C, 0x0D}},
           Case{kVkOemPeriod, 0, 3, {37, 2, 0xFF, 0x20, 0x0A, 0x0B, 0x0C, 0x0D}},
           Case{kVkOemPeriod, 0, 6, {37, 2, 0x40, 0xFF, 0x0A, 0x0B, 0x0C, 0x0D}},
           Case{kVkOemPeriod, 0, 9, {37, 2, 0x40, 0x20, 0, 0, 0x0C, 0x0D}},
           Case{kVkOemPeriod, kModCtrl, 12, {37, 2, 0x40, 0x20, 0x0A, 0x0B, 0, 0}},
       }) {
    Cursor(7, 15 * 2 + c.subColumn);
    std::memcpy(Cell(2, 7), full, 8);
    tracker.Edits().MarkSaved();
    EXPECT_TRUE(Press(c.vk, c.modifiers));
    EXPECT_EQ(std::vector<uint8_t>(Cell(2, 7), Cell(2, 7) + 8),
              std::vector<uint8_t>(c.after, c.after + 8))
        << c.vk << " on sub-column " << c.subColumn;
    EXPECT_TRUE(tracker.Modified());
    EXPECT_EQ(view().cursorRow, 8);
  }
  // Consumed in play mode too, doing nothing.
  SetEditMode(0);
  Cursor(7, 30);
  std::memcpy(Cell(2, 7), full, 8);
  EXPECT_TRUE(Press(kVkDelete, kModCtrl));
  EXPECT_TRUE(Press(kVkOemPeriod));
  EXPECT_EQ(Cell(2, 7)[0], 37);
  EXPECT_EQ(view().cursorRow, 7);
}

TEST_F(PatternEditorTest, PlayModeSoundsWithoutWriting) {
  Cursor(4, 0);
  ASSERT_EQ(editor.EditMode(), 0);
  EXPECT_TRUE(Press('Z'));
  EXPECT_TRUE(HeardNote(0, 36));
  EXPECT_EQ(Cell(0, 4)[0], 0);
  EXPECT_EQ(view().cursorRow, 4);
  EXPECT_EQ(editor.previewSounding, 1);
  // Off a note column too; a key that is no note goes on.
  Cursor(4, 16 + 2);
  EXPECT_TRUE(Press('C'));
  EXPECT_TRUE(HeardNote(1, 40));
  EXPECT_FALSE(Press('A'));
  EXPECT_TRUE(Press(kVkOem5));
  EXPECT_EQ(Heard(1), std::vector<std::string>{"NoteOff"});
}

// A held key repeats: a note that only sounds keeps sounding instead of
// starting again with each repeat; in edit mode each repeat is an entry.
TEST_F(PatternEditorTest, AHeldNoteKeySoundsOnceUnlessItWrites) {
  cKey held{'Z', 0, 0, true};
  Cursor(4, 0);
  EXPECT_TRUE(Press('Z'));
  EXPECT_TRUE(HeardNote(0, 36));
  EXPECT_TRUE(editor.AppMessage(held));
  EXPECT_TRUE(Heard().empty());
  editor.SetShownPage(1);
  EXPECT_TRUE(editor.AppMessage(held));
  EXPECT_TRUE(Heard().empty());
  editor.SetShownPage(0);

  SetEditMode(1);
  EXPECT_TRUE(editor.AppMessage(held));
  EXPECT_TRUE(editor.AppMessage(held));
  EXPECT_EQ(Cell(0, 4)[0], 37);
  EXPECT_EQ(Cell(0, 5)[0], 37);
  EXPECT_EQ(view().cursorRow, 6);
  EXPECT_TRUE(HeardNote(0, 36));
}

TEST_F(PatternEditorTest, OnADigitColumnNoteKeysNeitherWriteNorSoundUnlessTheyAreDigits) {
  SetEditMode(1);
  Cursor(12, 4);  // the volume's low digit
  Heard();
  EXPECT_FALSE(Press('Z'));
  EXPECT_EQ(Cell(0, 12)[2], 0xFF);
  EXPECT_EQ(view().cursorRow, 12);
  EXPECT_TRUE(Press('C'));
  EXPECT_EQ(Cell(0, 12)[2], 12);
  EXPECT_TRUE(Heard().empty());
}

TEST_F(PatternEditorTest, SpaceStopsAPreviewAndKeepsTheMode) {
  for (int mode : {0, 1}) {
    SetEditMode(mode);
    Cursor(0, 0);
    Press('Q');
    host.calls.clear();
    EXPECT_TRUE(Press(kVkSpace));
    EXPECT_EQ(host.calls, std::vector<std::string>{"Stop"});
    EXPECT_EQ(editor.EditMode(), mode);
    EXPECT_EQ(host.shownEditMode, mode);
    EXPECT_EQ(editor.previewSounding, 0);
    Press(kVkSpace);  // now it toggles
    EXPECT_EQ(editor.EditMode(), 1 - mode);
    EXPECT_EQ(host.shownEditMode, 1 - mode);
  }
  // While playing, Space stops and keeps the mode as well.
  SetEditMode(1);
  FakePlaying(1);
  Press(kVkSpace);
  EXPECT_EQ(editor.EditMode(), 1);
  EXPECT_EQ(Inside(tracker).Player().playing, 0);
}

TEST_F(PatternEditorTest, TheOtherPagesOnlyPreviewAndTabMovesTheChannel) {
  SetEditMode(1);
  editor.SetShownPage(1);
  Cursor(3, 0);
  EXPECT_TRUE(Press('Z'));
  EXPECT_TRUE(HeardNote(0, 36));
  EXPECT_EQ(Cell(0, 3)[0], 0);
  EXPECT_EQ(editor.EditMode(), 1);
  EXPECT_TRUE(Press(kVkTab));
  EXPECT_EQ(host.status[0], "Channel: 1");
  EXPECT_EQ(tracker.EditedChannel(), 1);
  EXPECT_TRUE(Press(kVkTab, kModShift));
  Press(kVkTab, kModShift);
  EXPECT_EQ(host.status[0], "Channel: 3");
  EXPECT_FALSE(Press(kVkDelete));  // what is no note goes on
  EXPECT_FALSE(Press('A'));
  EXPECT_FALSE(Press('Z', kModCtrl));
  EXPECT_EQ(Cell(3, 3)[0], 0);
}

// German and French keyboards print other letters on the piano's keys; the
// notes stay where a US keyboard has them, and the printed digits still
// enter hex.
TEST_F(PatternEditorTest, NotesFollowThePhysicalKeysOnOtherLayouts) {
  SetEditMode(1);
  editor.SetRowAdd(1);
  struct Case {
    int vk, scanCode;
    uint8_t note;
  };
  for (Case c : {Case{'Y', 52, 37},  // German Y, US Z: C
                 {'Z', 29, 58},      // German Z, US Y: A, an octave up
                 {'W', 52, 37},      // French W, US Z: C
                 {'A', 24, 49},      // French A, US Q: C, an octave up
                 {',', 58, 48},      // French comma, US M: B
                 {'Z', 25, 51}}) {   // French Z, US W: D, an octave up
    Cursor(0, 0);
    EXPECT_TRUE(Press(c.vk, 0, c.scanCode));
    EXPECT_EQ(Cell(0, 0)[0], c.note) << char(c.vk) << " at " << c.scanCode;
  }
  Cursor(0, 0);
  EXPECT_FALSE(Press('Q', 0, 38));  // French Q sits where US has A: no note
  EXPECT_EQ(view().cursorRow, 0);
  Cursor(0, 1);
  EXPECT_TRUE(Press('5', 0, 14));  // a digit of the digit row enters hex
  EXPECT_EQ(Cell(0, 0)[1], 0x51);  // over instrument 1
}
