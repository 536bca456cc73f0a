// The keyboard: the global keys, the pattern page's keys and the other
// pages' note preview.

#include <algorithm>

#include "app/tracker.h"
#include "editor/patterneditor.h"
#include "editor/trackedit.h"

bool cPatternEditor::AppMessage(const cKey& key) {
  bool handled = true;
  switch (key.vk) {
    case kVkEscape:
      if (key.Shift()) {
        host.EngineRestart();
      } else {
        host.PanicClick();
      }
      break;
    case kVkSpace:
      SpaceKey();
      break;
    case kVkNumpad7:
      host.PatternClick();
      break;
    case kVkNumpad8:
      host.ChansClick();
      break;
    case kVkNumpad9:
      host.SynthClick();
      break;
    case kVkF5:
      // Ctrl+F5 is the quick load; the other forms of F5 move and paste on
      // the pattern page, and are nothing elsewhere.
      if (key.Ctrl() && !key.Shift()) {
        host.LoadSongFile(kQuickLoadSong);
      } else if (shownPage == 0) {
        AppMsgPattern(key);
      }
      break;
    case kVkF7:
      host.PlayPatClick();
      break;
    case kVkF8:
      host.ContinueClick();
      break;
    case kVkF9:
      host.PlayClick();
      break;
    default:
      handled = shownPage == 0 ? AppMsgPattern(key) : AppMsgPlayNote(key);
      break;
  }
  SyncEditedChannel();
  return handled;
}

void cPatternEditor::SpaceKey() {
  if (Playing() || previewSounding != 0) {
    host.StopClick();
    previewSounding = 0;
  } else {
    tracker.TransportCommand(kTransportEditMode);
  }
  ShowEditMode();
}

bool cPatternEditor::AppMsgPattern(const cKey& key) {
  const bool shift = key.Shift();
  const bool ctrl = key.Ctrl();
  const bool edit = EditMode() != 0;
  const bool playing = Playing();

  // Rows move by key only while stopped: while playing, the display timer
  // sets the row.
  auto moveRow = [&](auto&& change) {
    if (playing) return;
    change();
    Move();
  };

  switch (key.vk) {
    case kVkUp:
      moveRow([&] { pattern.RowUp(1); });
      return true;
    case kVkDown:
      moveRow([&] { pattern.RowDown(1); });
      return true;
    case kVkPrior:
      moveRow([&] { pattern.RowUp(ctrl ? 8 : 4); });
      return true;
    case kVkNext:
      moveRow([&] { pattern.RowDown(ctrl ? 8 : 4); });
      return true;
    case kVkHome:
      moveRow([&] {
        pattern.SetRow(0);
        if (ctrl) {
          pattern.cursorColumn = 0;
          pattern.firstVisible = 0;
        }
        pattern.redraw = 4;
      });
      NoteHowTo();
      return true;
    case kVkEnd:
      moveRow([&] {
        pattern.SetRow(pattern.rows - 1);
        pattern.redraw = 4;
      });
      return true;
    case kVkLeft:
      if (ctrl) {
        pattern.PreviousChannel();
      } else {
        pattern.ColumnLeft();
      }
      host.RepaintPattern();
      NoteHowTo();
      return true;
    case kVkRight:
      if (ctrl) {
        pattern.NextChannel();
      } else {
        pattern.ColumnRight();
      }
      host.RepaintPattern();
      NoteHowTo();
      return true;
    case kVkTab:
      TabKey(ctrl, shift);
      host.RepaintPattern();
      NoteHowTo();
      return true;
    case kVkF1:
      moveRow([&] { pattern.SetRow(0); });
      return true;
    case kVkF2:
      moveRow([&] { pattern.SetRow(16); });
      return true;
    case kVkF3:
      if (!shift && !ctrl) {
        if (playing) return false;
        moveRow([&] { pattern.SetRow(32); });
        return true;
      }
      if (!edit) return false;
      Cut(shift && ctrl ? eClip::kBlock : ctrl ? eClip::kPattern : eClip::kTrack);
      return true;
    case kVkF4:
      if (!shift && !ctrl) {
        if (playing) return false;
        moveRow([&] { pattern.SetRow(48); });
        return true;
      }
      Copy(shift && ctrl ? eClip::kBlock : ctrl ? eClip::kPattern : eClip::kTrack);
      return true;
    case kVkF5:
      // Ctrl alone never arrives here: it is the quick load.
      if (!shift && !ctrl) {
        moveRow([&] { pattern.SetRow(pattern.rows - 1); });
      } else if (edit) {
        Paste(ctrl ? eClip::kBlock : eClip::kTrack);
      }
      return true;
    case kVkInsert:
      if (!edit) return true;
      if (!shift && !ctrl)
        EditTrack("Insert Row", [&](cSongTables& song) {
          InsertTrackRow(song, pattern.currentPattern, pattern.CursorChannel(), pattern.cursorRow);
        });
      Redraw();
      return true;
    case kVkBack:
      if (!edit) return true;
      if (!ctrl) {
        if (!shift) pattern.SetRow(std::max(pattern.cursorRow - 1, 0));
        EditTrack("Delete Row", [&](cSongTables& song) {
          DeleteTrackRow(song, pattern.currentPattern, pattern.CursorChannel(), pattern.cursorRow);
        });
      }
      Redraw();
      return true;
    case kVkAdd:
    case kVkSubtract:
      if (!edit) return true;
      if (shift != ctrl) {
        const int step = key.vk == kVkAdd ? 1 : -1;
        // Shift: the cursor's block of 16 rows; Ctrl: the whole track.
        const int first = shift ? pattern.cursorRow / kBlockRows * kBlockRows : 0;
        EditTrack(shift ? "Transpose Block" : "Transpose Track", [&](cSongTables& song) {
          TransposeTrack(song, pattern.currentPattern, pattern.CursorChannel(), first,
                         shift ? kBlockRows : kRows, step);
        });
      }
      Redraw();
      return true;
    case kVkDelete:
      if (edit) ClrValNote(ctrl ? 1 : 0);
      return true;
    case kVkOemPeriod:
      if (edit) ClrValNote(2);
      return true;
    default:
      break;
  }

  // Keys with Ctrl that nothing above names are the menus' shortcuts.
  if (ctrl) return false;
  bool handled = false;
  if (edit) handled = EditNoteAppMessage(key);
  if (PlayNoteAppMessage(key)) handled = true;
  return handled;
}

void cPatternEditor::EditTrack(const char* what, auto&& change) {
  SyncEditedChannel();
  tracker.Edits().EditPattern(what, pattern.currentPattern, [&](cSongTables& song) {
    change(song);
    return true;
  });
}

// Tab: the next channel; with Shift the one before; with Ctrl the first.
void cPatternEditor::TabKey(bool ctrl, bool shift) {
  if (ctrl) {
    pattern.cursorColumn = 0;
    pattern.firstVisible = 0;
    pattern.redraw = 4;
    pattern.Draw();
  } else if (shift) {
    pattern.PreviousChannel();
  } else {
    pattern.NextChannel();
  }
}

bool cPatternEditor::AppMsgPlayNote(const cKey& key) {
  if (key.vk == kVkTab) {
    TabKey(key.Ctrl(), key.Shift());
    ChannelNum();
    return true;
  }
  if (key.Ctrl()) return false;
  // Every note key previews here and nothing is written.
  return PlayNoteAppMessage(key, true);
}
