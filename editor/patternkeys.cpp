// The keyboard: one table of every key the editor knows, on the pattern
// page and on the others, and the filter that runs it.

#include <algorithm>

#include "app/tracker.h"
#include "editor/patterneditor.h"
#include "editor/subcolumns.h"
#include "editor/trackedit.h"

namespace {

// What the help line and the manual say; each doc is told once, with the
// keys of every row that points to it.
constexpr cKeyDoc kSpaceDoc{"Space edit/play",
                            "Stop when playing or when a note sounds; otherwise switch between "
                            "play mode (note keys only sound) and edit mode (they write into the "
                            "pattern)."};
constexpr cKeyDoc kPlayDoc{"F9 play", "Play the song from its start."};
constexpr cKeyDoc kPlayPatternDoc{"F7 pattern", "Play the current pattern over and over."};
constexpr cKeyDoc kContinueDoc{"F8 continue", "Continue from the current pattern."};
constexpr cKeyDoc kPanicDoc{"Esc panic", "Silence every voice."};
constexpr cKeyDoc kRestartDoc{
    nullptr, "Restart the sound engine on a new song, after asking about unsaved changes."};
constexpr cKeyDoc kPagesDoc{nullptr, "The pattern page, the channel page, the instrument page."};
constexpr cKeyDoc kOctaveDoc{"Keypad / * octave",
                             "The octave of the note keys one down or up (the Octave field)."};
constexpr cKeyDoc kInstrumentDoc{"Ctrl+Keypad / * instrument",
                                 "The previous or the next instrument (the Instr field), from 1 "
                                 "to 127."};
constexpr cKeyDoc kSwitchChannelDoc{
    "F6 channel on/off",
    "Switch the cursor's channel on or off at the sequence entry shown; a new song starts with "
    "every channel off (a dash in the sequence), so that it is silent until they are switched "
    "on."};
constexpr cKeyDoc kAllChannelsOnDoc{
    "Shift+F6 all on",
    "Switch every channel of the song on at every sequence entry from the song's start to its "
    "end."};
constexpr cKeyDoc kRowMoveDoc{nullptr,
                              "The cursor one row up or down, four rows with Page Up and Page "
                              "Down, eight with Ctrl, while stopped; the rows wrap around."};
constexpr cKeyDoc kHomeEndDoc{nullptr,
                              "The cursor to the first or the last row, while stopped; Ctrl+Home "
                              "also to the first channel."};
constexpr cKeyDoc kColumnDoc{
    nullptr,
    "The cursor one column left or right; with Ctrl, and with Tab and Shift+Tab, to the next or "
    "the previous channel; with Ctrl+Tab to the first channel. On the instrument and channel pages "
    "Tab chooses the channel the note keys play on."};
constexpr cKeyDoc kRowJumpDoc{"F1-F5 rows", "The cursor to row 0, 16, 32, 48, 63 (while stopped)."};
constexpr cKeyDoc kTrackDoc{"Shift+F3/F4/F5 cut/copy/paste track",
                            "Cut, copy and paste the cursor's track, the 64 rows of its channel; "
                            "cut and paste in edit mode."};
constexpr cKeyDoc kPatternDoc{"Ctrl+F3/F4 pattern",
                              "Cut and copy the pattern with all its channels; cut in edit mode. "
                              "The Edit menu pastes it."};
constexpr cKeyDoc kBlockDoc{"Ctrl+Shift+F3/F4/F5 block",
                            "Cut, copy and paste the cursor's block, the quarter of its track that "
                            "holds the cursor (16 rows); cut and paste in edit mode."};
constexpr cKeyDoc kRowEditDoc{"Ins/Bksp row",
                              "In edit mode: insert a row at the cursor, or delete the row above "
                              "it (with Shift the cursor's row); the rest of the cursor's track "
                              "moves down or up."};
constexpr cKeyDoc kClearDoc{nullptr,
                            "In edit mode: clear the note and the instrument, with Ctrl the whole "
                            "cell, with the full stop the field under the cursor."};
constexpr cKeyDoc kTransposeDoc{"Keypad +/- transpose",
                                "In edit mode: transpose the cursor's block (Shift) or track "
                                "(Ctrl) by a semitone."};

}  // namespace

std::span<const cKeyRow> cPatternEditor::Keys() {
  using E = cPatternEditor;
  using enum eKeyWhen;
  constexpr eRefused kGoesOn = eRefused::kPassedOn, kStays = eRefused::kConsumed;
  constexpr uint8_t kAll = kEveryPage, kPattern = kPatternPage;
  // The first row that names the key, its modifiers and the shown page
  // decides; the catch-all forms of a key come after its others.
  // clang-format off
  static constexpr cKeyRow kKeys[] = {
    // key           modifiers      pages       when       refused   action, then, doc
    {kVkSpace,       kAnyModifiers, kAll,       kAlways,   kStays,   [](E& e) { e.SpaceKey(); }, kThenNothing, &kSpaceDoc},
    {kVkF9,          kAnyModifiers, kAll,       kAlways,   kStays,   [](E& e) { e.host.PlayClick(); }, kThenNothing, &kPlayDoc},
    {kVkF7,          kAnyModifiers, kAll,       kAlways,   kStays,   [](E& e) { e.host.PlayPatClick(); }, kThenNothing, &kPlayPatternDoc},
    {kVkF8,          kAnyModifiers, kAll,       kAlways,   kStays,   [](E& e) { e.host.ContinueClick(); }, kThenNothing, &kContinueDoc},
    {kVkEscape,      kWithoutShift, kAll,       kAlways,   kStays,   [](E& e) { e.host.PanicClick(); }, kThenNothing, &kPanicDoc},
    {kVkEscape,      kWithShift,    kAll,       kAlways,   kStays,   [](E& e) { e.host.EngineRestart(); }, kThenNothing, &kRestartDoc},
    {kVkNumpad7,     kAnyModifiers, kAll,       kAlways,   kStays,   [](E& e) { e.host.PatternClick(); }, kThenNothing, &kPagesDoc},
    {kVkNumpad8,     kAnyModifiers, kAll,       kAlways,   kStays,   [](E& e) { e.host.ChansClick(); }, kThenNothing, &kPagesDoc},
    {kVkNumpad9,     kAnyModifiers, kAll,       kAlways,   kStays,   [](E& e) { e.host.SynthClick(); }, kThenNothing, &kPagesDoc},
    // Also while playing and on every page: the note keys play in the new octave.
    {kVkDivide,      kWithoutCtrl,  kAll,       kAlways,   kStays,   [](E& e) { e.StepOctave(-1); }, kThenNothing, &kOctaveDoc},
    {kVkMultiply,    kWithoutCtrl,  kAll,       kAlways,   kStays,   [](E& e) { e.StepOctave(1); }, kThenNothing, &kOctaveDoc},
    {kVkDivide,      kWithCtrl,     kAll,       kAlways,   kStays,   [](E& e) { e.StepInstrument(-1); }, kThenNothing, &kInstrumentDoc},
    {kVkMultiply,    kWithCtrl,     kAll,       kAlways,   kStays,   [](E& e) { e.StepInstrument(1); }, kThenNothing, &kInstrumentDoc},
    {kVkF6,          kNoModifiers,  kAll,       kAlways,   kStays,   [](E& e) { e.SwitchChannel(); }, kThenNothing, &kSwitchChannelDoc},
    {kVkF6,          kShiftOnly,    kAll,       kAlways,   kStays,   [](E& e) { e.SwitchAllChannelsOn(); }, kThenNothing, &kAllChannelsOnDoc},
    // The quick load; F5's other forms are the pattern page's, and nothing elsewhere.
    {kVkF5,          kCtrlOnly,     kAll,       kAlways,   kStays,   [](E& e) { e.host.LoadSongFile(kQuickLoadSong); }, kThenNothing, nullptr},
    {kVkF5,          kAnyModifiers, kOtherPages, kAlways,  kStays,   nullptr, kThenNothing, nullptr},

    // Rows move by key only while stopped: while playing, the display timer sets the row.
    {kVkUp,          kAnyModifiers, kPattern,   kStopped,  kStays,   [](E& e) { e.pattern.RowUp(1); }, kThenMove, &kRowMoveDoc},
    {kVkDown,        kAnyModifiers, kPattern,   kStopped,  kStays,   [](E& e) { e.pattern.RowDown(1); }, kThenMove, &kRowMoveDoc},
    {kVkPrior,       kWithoutCtrl,  kPattern,   kStopped,  kStays,   [](E& e) { e.pattern.RowUp(4); }, kThenMove, &kRowMoveDoc},
    {kVkNext,        kWithoutCtrl,  kPattern,   kStopped,  kStays,   [](E& e) { e.pattern.RowDown(4); }, kThenMove, &kRowMoveDoc},
    {kVkPrior,       kWithCtrl,     kPattern,   kStopped,  kStays,   [](E& e) { e.pattern.RowUp(8); }, kThenMove, &kRowMoveDoc},
    {kVkNext,        kWithCtrl,     kPattern,   kStopped,  kStays,   [](E& e) { e.pattern.RowDown(8); }, kThenMove, &kRowMoveDoc},
    {kVkHome,        kWithoutCtrl,  kPattern,   kStopped,  kStays,   [](E& e) { e.pattern.SetRow(0); e.pattern.RequestFullDraw(); }, kThenMove | kThenHelp, &kHomeEndDoc},
    {kVkHome,        kWithCtrl,     kPattern,   kStopped,  kStays,   [](E& e) { e.pattern.SetRow(0); e.pattern.CursorHome(); }, kThenMove | kThenHelp, &kHomeEndDoc},
    {kVkEnd,         kAnyModifiers, kPattern,   kStopped,  kStays,   [](E& e) { e.pattern.SetRow(kRows - 1); e.pattern.RequestFullDraw(); }, kThenMove, &kHomeEndDoc},

    // Column moves, also while playing.
    {kVkLeft,        kWithoutCtrl,  kPattern,   kAlways,   kStays,   [](E& e) { e.pattern.ColumnLeft(); }, kThenRepaint | kThenHelp, &kColumnDoc},
    {kVkRight,       kWithoutCtrl,  kPattern,   kAlways,   kStays,   [](E& e) { e.pattern.ColumnRight(); }, kThenRepaint | kThenHelp, &kColumnDoc},
    {kVkLeft,        kWithCtrl,     kPattern,   kAlways,   kStays,   [](E& e) { e.pattern.PreviousChannel(); }, kThenRepaint | kThenHelp, &kColumnDoc},
    {kVkRight,       kWithCtrl,     kPattern,   kAlways,   kStays,   [](E& e) { e.pattern.NextChannel(); }, kThenRepaint | kThenHelp, &kColumnDoc},
    {kVkTab,         kNoModifiers,  kAll,       kAlways,   kStays,   [](E& e) { e.pattern.NextChannel(); }, kThenRepaint | kThenHelp, &kColumnDoc},
    {kVkTab,         kShiftOnly,    kAll,       kAlways,   kStays,   [](E& e) { e.pattern.PreviousChannel(); }, kThenRepaint | kThenHelp, &kColumnDoc},
    {kVkTab,         kWithCtrl,     kAll,       kAlways,   kStays,   [](E& e) { e.pattern.CursorHome(); e.pattern.Draw(); }, kThenRepaint | kThenHelp, &kColumnDoc},

    // F1 to F5 jump to rows; F3 and F4 go on to the menus while playing.
    {kVkF1,          kAnyModifiers, kPattern,   kStopped,  kStays,   [](E& e) { e.pattern.SetRow(0); }, kThenMove, &kRowJumpDoc},
    {kVkF2,          kAnyModifiers, kPattern,   kStopped,  kStays,   [](E& e) { e.pattern.SetRow(16); }, kThenMove, &kRowJumpDoc},
    {kVkF3,          kNoModifiers,  kPattern,   kStopped,  kGoesOn,  [](E& e) { e.pattern.SetRow(32); }, kThenMove, &kRowJumpDoc},
    {kVkF4,          kNoModifiers,  kPattern,   kStopped,  kGoesOn,  [](E& e) { e.pattern.SetRow(48); }, kThenMove, &kRowJumpDoc},
    {kVkF5,          kNoModifiers,  kPattern,   kStopped,  kStays,   [](E& e) { e.pattern.SetRow(kRows - 1); }, kThenMove, &kRowJumpDoc},

    // Cut, copy and paste: a cut goes on to the menus outside edit mode.
    {kVkF3,          kShiftOnly,    kPattern,   kEditMode, kGoesOn,  [](E& e) { e.Cut(eClip::kTrack); }, kThenNothing, &kTrackDoc},
    {kVkF4,          kShiftOnly,    kPattern,   kAlways,   kStays,   [](E& e) { e.Copy(eClip::kTrack); }, kThenNothing, &kTrackDoc},
    {kVkF5,          kShiftOnly,    kPattern,   kEditMode, kStays,   [](E& e) { e.Paste(eClip::kTrack); }, kThenNothing, &kTrackDoc},
    {kVkF3,          kCtrlOnly,     kPattern,   kEditMode, kGoesOn,  [](E& e) { e.Cut(eClip::kPattern); }, kThenNothing, &kPatternDoc},
    {kVkF4,          kCtrlOnly,     kPattern,   kAlways,   kStays,   [](E& e) { e.Copy(eClip::kPattern); }, kThenNothing, &kPatternDoc},
    {kVkF3,          kCtrlShift,    kPattern,   kEditMode, kGoesOn,  [](E& e) { e.Cut(eClip::kBlock); }, kThenNothing, &kBlockDoc},
    {kVkF4,          kCtrlShift,    kPattern,   kAlways,   kStays,   [](E& e) { e.Copy(eClip::kBlock); }, kThenNothing, &kBlockDoc},
    {kVkF5,          kCtrlShift,    kPattern,   kEditMode, kStays,   [](E& e) { e.Paste(eClip::kBlock); }, kThenNothing, &kBlockDoc},

    // Edits of the cursor's track; their other forms only redraw.
    {kVkInsert,      kNoModifiers,  kPattern,   kEditMode, kStays,   [](E& e) { e.InsertRow(); }, kThenRedraw, &kRowEditDoc},
    {kVkBack,        kNoModifiers,  kPattern,   kEditMode, kStays,   [](E& e) { e.pattern.SetRow(std::max(e.pattern.cursorRow - 1, 0)); e.DeleteRow(); }, kThenRedraw, &kRowEditDoc},
    {kVkBack,        kShiftOnly,    kPattern,   kEditMode, kStays,   [](E& e) { e.DeleteRow(); }, kThenRedraw, &kRowEditDoc},
    {kVkInsert,      kAnyModifiers, kPattern,   kEditMode, kStays,   nullptr, kThenRedraw, nullptr},
    {kVkBack,        kAnyModifiers, kPattern,   kEditMode, kStays,   nullptr, kThenRedraw, nullptr},
    {kVkDelete,      kWithoutCtrl,  kPattern,   kEditMode, kStays,   [](E& e) { e.ClrValNote(0); }, kThenNothing, &kClearDoc},
    {kVkDelete,      kWithCtrl,     kPattern,   kEditMode, kStays,   [](E& e) { e.ClrValNote(1); }, kThenNothing, &kClearDoc},
    {kVkOemPeriod,   kAnyModifiers, kPattern,   kEditMode, kStays,   [](E& e) { e.ClrValNote(2); }, kThenNothing, &kClearDoc},
    {kVkAdd,         kShiftOnly,    kPattern,   kEditMode, kStays,   [](E& e) { e.Transpose(eClip::kBlock, 1); }, kThenRedraw, &kTransposeDoc},
    {kVkSubtract,    kShiftOnly,    kPattern,   kEditMode, kStays,   [](E& e) { e.Transpose(eClip::kBlock, -1); }, kThenRedraw, &kTransposeDoc},
    {kVkAdd,         kCtrlOnly,     kPattern,   kEditMode, kStays,   [](E& e) { e.Transpose(eClip::kTrack, 1); }, kThenRedraw, &kTransposeDoc},
    {kVkSubtract,    kCtrlOnly,     kPattern,   kEditMode, kStays,   [](E& e) { e.Transpose(eClip::kTrack, -1); }, kThenRedraw, &kTransposeDoc},
    {kVkAdd,         kAnyModifiers, kPattern,   kEditMode, kStays,   nullptr, kThenRedraw, nullptr},
    {kVkSubtract,    kAnyModifiers, kPattern,   kEditMode, kStays,   nullptr, kThenRedraw, nullptr},
  };
  // clang-format on
  return kKeys;
}

bool cPatternEditor::AppMessage(const cKey& key) {
  const bool consumed = shownPage == 0 ? AppMsgPattern(key) : AppMsgPlayNote(key);
  SyncEditedChannel();
  // A key may have changed the command under the cursor, or the row: the
  // help of an effect column names the command it now holds.
  if (consumed && shownPage == 0 && IsEffectSubColumn(pattern.SubColumn())) NoteHowTo();
  return consumed;
}

bool cPatternEditor::AppMsgPattern(const cKey& key) {
  bool consumed = false;
  if (RunKey(key, kPatternPage, &consumed)) return consumed;
  // Keys with Ctrl that no row names are the menus' shortcuts.
  if (key.Ctrl()) return false;
  if (EditMode() != 0) consumed = EditNoteAppMessage(key);
  if (PlayNoteAppMessage(key)) consumed = true;
  return consumed;
}

bool cPatternEditor::AppMsgPlayNote(const cKey& key) {
  bool consumed = false;
  if (RunKey(key, kOtherPages, &consumed)) return consumed;
  if (key.Ctrl()) return false;
  // Every note key previews here and nothing is written.
  return PlayNoteAppMessage(key, true);
}

bool cPatternEditor::RunKey(const cKey& key, uint8_t page, bool* consumed) {
  const auto keys = Keys();
  const auto row =
      std::find_if(keys.begin(), keys.end(), [&](const cKeyRow& r) { return r.Names(key, page); });
  if (row == keys.end()) return false;
  const bool allowed = row->when == eKeyWhen::kAlways ||
                       (row->when == eKeyWhen::kStopped && !Playing()) ||
                       (row->when == eKeyWhen::kEditMode && EditMode() != 0);
  if (allowed) {
    if (row->action != nullptr) row->action(*this);
    AfterKey(row->then, page);
  } else if (row->then & kThenHelp) {
    AfterKey(kThenHelp, page);
  }
  *consumed = allowed || row->refused == eRefused::kConsumed;
  return true;
}

void cPatternEditor::AfterKey(uint8_t then, uint8_t page) {
  if (then & kThenRedraw) {
    Redraw();
  } else if (then & kThenMove) {
    Move();
  } else if ((then & kThenRepaint) && page == kPatternPage) {
    // The other pages cover the pattern picture: Tab there only draws it.
    host.RepaintPattern();
  }
  if (then & kThenHelp) {
    if (page == kPatternPage) {
      NoteHowTo();
    } else {
      ChannelNum();
    }
  }
}

void cPatternEditor::SpaceKey() {
  if (Playing() || previewSounding != 0) {
    host.StopClick();
    previewSounding = 0;
    previewKeys.Clear();
  } else {
    tracker.TransportCommand(kTransportEditMode);
  }
  ShowEditMode();
}

void cPatternEditor::EditTrack(const char* what, auto&& change) {
  SyncEditedChannel();
  tracker.Edits().EditPattern(what, pattern.currentPattern, [&](cSongTables& song) {
    change(song, pattern.currentPattern, pattern.CursorChannel());
    return true;
  });
}

void cPatternEditor::InsertRow() {
  EditTrack("Insert Row", [&](cSongTables& song, int shown, int channel) {
    InsertTrackRow(song, shown, channel, pattern.cursorRow);
  });
}

void cPatternEditor::DeleteRow() {
  EditTrack("Delete Row", [&](cSongTables& song, int shown, int channel) {
    DeleteTrackRow(song, shown, channel, pattern.cursorRow);
  });
}

// The block: the cursor's 16 rows; the track: all of them.
void cPatternEditor::Transpose(eClip range, int step) {
  const bool block = range == eClip::kBlock;
  const int first = block ? pattern.cursorRow / kBlockRows * kBlockRows : 0;
  EditTrack(block ? "Transpose Block" : "Transpose Track",
            [&](cSongTables& song, int shown, int channel) {
              TransposeTrack(song, shown, channel, first, block ? kBlockRows : kRows, step);
            });
}
