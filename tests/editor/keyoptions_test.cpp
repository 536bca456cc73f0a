// What typing does as the settings choose: previews that stop when their
// key is let go, hex digits that advance digit by digit or field by field,
// and the keypad's octave and instrument keys.

#include "editor/keyoptions.h"

#include <algorithm>

#include "app/config.h"
#include "app/trackerinside.h"
#include "patterneditor_fixture.h"

namespace {

bool Released(const std::vector<std::string>& calls) {
  return std::find(calls.begin(), calls.end(), "NoteOff") != calls.end();
}

}  // namespace

// Each case presses and lets go keys on the pattern page in play mode, the
// cursor on channel 0; "released" is the channel whose note the last let-go
// key released, -1 for none.
TEST_F(PatternEditorTest, ALetGoKeyReleasesTheNoteItStillSoundsAndNothingElse) {
  enum Kind { kDown, kUp, kRepeatUp, kTab, kOther };
  struct Step {
    Kind kind;
    int vk = 0, scanCode = 0, modifiers = 0;
  };
  struct Case {
    const char* name;
    std::vector<Step> steps;
    int released;
    int sounding;  // the preview-sounding flag after the last step
  };
  const Case cases[] = {
      {"press and let go", {{kDown, 'Z', 52}, {kUp, 'Z', 52}}, 0, 0},
      {"a repeat's release is no release", {{kDown, 'Z', 52}, {kRepeatUp, 'Z', 52}}, -1, 1},
      {"German Y, the US Z key", {{kDown, 'Y', 52}, {kUp, 'Y', 52}}, 0, 0},
      {"Shift pressed meanwhile: the same physical key",
       {{kDown, '2', 11}, {kUp, '@', 11, kModShift}},
       0,
       0},
      {"without scan codes, by the printed key", {{kDown, 'Z'}, {kUp, 'Z'}}, 0, 0},
      {"a later key took the channel", {{kDown, 'Z', 52}, {kDown, 'X', 53}, {kUp, 'Z', 52}}, -1, 1},
      {"and its own release stops it",
       {{kDown, 'Z', 52}, {kDown, 'X', 53}, {kUp, 'Z', 52}, {kUp, 'X', 53}},
       0,
       0},
      {"Q and comma play the same note, as two keys",
       {{kDown, 'Q', 24}, {kDown, kVkOemComma, 59}, {kUp, 'Q', 24}},
       -1,
       1},
      {"another note started on the channel since: it may still sound",
       {{kDown, 'Z', 52}, {kOther}, {kUp, 'Z', 52}},
       -1,
       1},
      {"the cursor moved on: its own channel stops",
       {{kDown, 'Z', 52}, {kTab}, {kUp, 'Z', 52}},
       0,
       0},
      {"two channels: one let go, one still held",
       {{kDown, 'Z', 52}, {kTab}, {kDown, 'X', 53}, {kUp, 'Z', 52}},
       0,
       1},
      {"a key that previewed nothing", {{kUp, 'Z', 52}}, -1, 0},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    Cursor(0, 0);
    editor.previewSounding = 0;
    for (int ch = 0; ch < 4; ++ch) Heard(ch);
    for (const Step& s : c.steps) {
      for (int ch = 0; ch < 4; ++ch) Heard(ch);
      const cKey key{s.vk, s.scanCode, s.modifiers, s.kind == kRepeatUp};
      if (s.kind == kDown) {
        EXPECT_TRUE(editor.AppMessage(key));
      } else if (s.kind == kTab) {
        Press(kVkTab);
      } else if (s.kind == kOther) {
        tracker.PreviewNote(0, 40, 1);  // as a MIDI key or a row would start one
      } else {
        editor.KeyUpAppMessage(key);
      }
    }
    for (int ch = 0; ch < 4; ++ch) EXPECT_EQ(Released(Heard(ch)), ch == c.released) << ch;
    EXPECT_EQ(editor.previewSounding, c.sounding);
    // What was let go is forgotten: the next test starts afresh.
    editor.KeyUpAppMessage(cKey{'X', 53});
    editor.KeyUpAppMessage(cKey{kVkOemComma, 59});
  }
}

// In edit mode a let-go key releases what it wrote and sounded, and writes
// nothing; on the other pages it releases as well; with the setting off the
// note sounds on until Space.
TEST_F(PatternEditorTest, ReleasingWritesNothingAndTheSettingTurnsItOff) {
  SetEditMode(1);
  Cursor(0, 0);
  Press('Z', 0, 52);
  Heard();
  EXPECT_TRUE(editor.KeyUpAppMessage(cKey{'Z', 52}));
  EXPECT_TRUE(Released(Heard()));
  EXPECT_EQ(Cell(0, 0).note, 37);
  EXPECT_EQ(Cell(0, 1), kEmptyCell);
  EXPECT_EQ(view().cursorRow, 1);

  editor.SetShownPage(1);
  Press('X', 0, 53);
  EXPECT_TRUE(editor.KeyUpAppMessage(cKey{'X', 53}));
  EXPECT_TRUE(Released(Heard()));
  editor.SetShownPage(0);

  SetEditMode(0);
  editor.SetKeyOptions(cKeyOptions{false, eDigitAdvance::kDigit});
  Press('Z', 0, 52);
  Heard();
  EXPECT_FALSE(editor.KeyUpAppMessage(cKey{'Z', 52}));
  EXPECT_FALSE(Released(Heard()));
  EXPECT_EQ(editor.previewSounding, 1);
  // Space stops it and leaves the mode as it was.
  Press(kVkSpace);
  EXPECT_EQ(editor.previewSounding, 0);
  EXPECT_EQ(editor.EditMode(), 0);
}

// A key held while the window loses the keyboard never sends its release:
// its note stops then, unless another has started on the channel since.
TEST_F(PatternEditorTest, KeysHeldWhenTheKeyboardIsLostStopTheirNotes) {
  Press('Z', 0, 52);
  Press(kVkTab);
  Press('X', 0, 53);
  tracker.PreviewNote(1, 40, 1);  // channel 1's key no longer holds the last note
  Heard(0);
  Heard(1);
  editor.KeyboardLost();
  EXPECT_TRUE(Released(Heard(0)));
  EXPECT_FALSE(Released(Heard(1)));
  EXPECT_EQ(editor.previewSounding, 0);
  EXPECT_FALSE(editor.KeyUpAppMessage(cKey{'Z', 52}));  // forgotten: a late release does nothing
  EXPECT_FALSE(Released(Heard(0)));
}

// Two digits typed into a field, from its first digit: row by row, or the
// whole value on one row.
TEST_F(PatternEditorTest, HexDigitsAdvanceByDigitOrByField) {
  SetEditMode(1);
  struct Case {
    eDigitAdvance advance;
    int rowAdd, subColumn;
    const char* typed;
    uint8_t cCell::*byte;
    uint8_t onRow10, onRow11;  // the byte on rows 10 and 11 after typing
    int row, cursorSub;        // where the cursor ends
  };
  const auto digit = eDigitAdvance::kDigit, field = eDigitAdvance::kField;
  const Case cases[] = {
      {digit, 1, 3, "01", &cCell::volume, 0x00, 0x10, 12, 3},
      {field, 1, 3, "01", &cCell::volume, 0x01, 0xFF, 11, 3},
      {field, 1, 3, "9", &cCell::volume, 0x91, 0xFF, 10, 4},
      {field, 1, 1, "1F", &cCell::instrument, 0x1F, 0x00, 11, 1},
      {field, 1, 1, "8", &cCell::instrument, 0x00, 0x00, 10, 1},  // refused: stays
      {field, 1, 2, "A", &cCell::instrument, 0x0A, 0x00, 11, 1},
      {field, 4, 13, "C3", &cCell::parameter2, 0xC3, 0x00, 14, 13},
      {field, 0, 7, "0A5", &cCell::command1, 0x5A, 0x00, 10, 8},
      {field, 1, 9, "1234", &cCell::parameter1, 0x12, 0x34, 12, 9},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(std::string(c.advance == field ? "field " : "digit ") + c.typed + " at " +
                 std::to_string(c.subColumn));
    editor.SetKeyOptions(cKeyOptions{true, c.advance});
    editor.SetRowAdd(c.rowAdd);
    Cell(0, 10) = Cell(0, 11) = kEmptyCell;
    Cursor(10, c.subColumn);
    for (const char* k = c.typed; *k != 0; ++k) Press(*k);
    EXPECT_EQ(Cell(0, 10).*c.byte, c.onRow10);
    EXPECT_EQ(Cell(0, 11).*c.byte, c.onRow11);
    EXPECT_EQ(view().cursorRow, c.row);
    EXPECT_EQ(view().SubColumn(), c.cursorSub);
    EXPECT_EQ(view().CursorChannel(), 0);
  }
}

TEST(KeyOptions, TheSettingsAsTheFileWritesThem) {
  struct Case {
    const char* text;
    eDigitAdvance advance;
  };
  for (Case c : {Case{"digit", eDigitAdvance::kDigit},
                 {"field", eDigitAdvance::kField},
                 {"Field", eDigitAdvance::kField},
                 {"fields", eDigitAdvance::kDigit},
                 {"", eDigitAdvance::kDigit}})
    EXPECT_EQ(DigitAdvanceOf(c.text), c.advance) << c.text;
  cConfig config;
  EXPECT_TRUE(KeyOptionsOf(config).previewRelease);
  EXPECT_EQ(KeyOptionsOf(config).digitAdvance, eDigitAdvance::kDigit);
  config.previewRelease = 0;
  config.digitAdvance = "field";
  EXPECT_FALSE(KeyOptionsOf(config).previewRelease);
  EXPECT_EQ(KeyOptionsOf(config).digitAdvance, eDigitAdvance::kField);
}

// Keypad / and * step the octave, with Ctrl the instrument, on every page
// and while playing; the window's fields are told.
TEST_F(PatternEditorTest, KeypadSlashAndStarStepTheOctaveAndTheInstrument) {
  struct Case {
    int vk, modifiers, page, octaveBefore, instrumentBefore, octave, instrument;
  };
  for (Case c : {Case{kVkDivide, 0, 0, 3, 5, 2, 5},
                 {kVkMultiply, 0, 1, 3, 5, 4, 5},
                 {kVkMultiply, kModShift, 0, 9, 5, 9, 5},
                 {kVkDivide, 0, 0, 0, 5, 0, 5},
                 {kVkDivide, kModCtrl, 0, 3, 5, 3, 4},
                 {kVkMultiply, kModCtrl, 1, 3, 5, 3, 6},
                 {kVkDivide, kModCtrl, 0, 3, 1, 3, 1},
                 {kVkMultiply, kModCtrl | kModShift, 0, 3, 127, 3, 127}}) {
    editor.SetShownPage(c.page);
    editor.SetOctave(c.octaveBefore);
    editor.SetInstrument(c.instrumentBefore);
    FakePlaying(c.page);
    const int shows = host.entryFieldShows;
    EXPECT_TRUE(Press(c.vk, c.modifiers));
    EXPECT_EQ(song().octave, c.octave) << c.vk << " " << c.modifiers;
    EXPECT_EQ(song().currentInstrument, c.instrument) << c.vk << " " << c.modifiers;
    EXPECT_EQ(host.entryFieldShows, shows + 1);
  }
  FakePlaying(0);
  editor.SetShownPage(0);
  Cursor(0, 0);
  editor.SetOctave(3);
  Press(kVkMultiply);
  Press('Z');
  EXPECT_TRUE(HeardNote(0, 48));  // C-4
}
