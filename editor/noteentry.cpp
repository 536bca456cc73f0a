// Note and hex entry into the cell under the cursor, clearing, and note
// preview.

#include <algorithm>
#include <functional>
#include <string>

#include "app/tracker.h"
#include "editor/notekeys.h"
#include "editor/patterneditor.h"
#include "editor/patterntext.h"
#include "editor/subcolumns.h"
#include "midi/midimessage.h"

void cPatternEditor::NoteHowTo() {
  const cSongTables& song = tracker.Song();
  const int channel = pattern.CursorChannel();
  const cCell cell = channel < song.channelCount
                         ? song.Cell(pattern.currentPattern, channel, pattern.cursorRow)
                         : kEmptyCell;
  host.SetStatusText(0, CursorHelpText(pattern.SubColumn(), cell));
}

void cPatternEditor::ChannelNum() {
  host.SetStatusText(0, "Channel: " + std::to_string(pattern.CursorChannel()));
}

bool cPatternEditor::EditNoteAppMessage(const cKey& key) {
  if (pattern.SubColumn() == kNoteSubColumn) {
    const auto note = NoteKeyOf(key);
    if (!note) return false;
    InsKeyNote(note->semitone, note->octaveOffset);
    return true;
  }
  const int digit = HexDigitOfVk(key.vk);
  if (digit < 0) return false;
  InsValNote(digit);
  return true;
}

bool cPatternEditor::PlayNoteAppMessage(const cKey& key, bool previewOnly) {
  const int editMode = previewOnly ? 0 : EditMode();
  if (editMode != 0 && pattern.SubColumn() != kNoteSubColumn) return false;
  const auto note = NoteKeyOf(key);
  if (!note) return false;
  // A held key that only sounds keeps its note sounding rather than
  // starting it again with every repeat of the keyboard.
  if (key.repeat && editMode == 0) return true;
  PlayKeyNote(note->semitone, note->octaveOffset);
  if (note->semitone == kNoteOffSemitone) {
    previewKeys.Forget(pattern.CursorChannel());
  } else {
    previewKeys.Started(PreviewKeyOf(key), pattern.CursorChannel(), previewStarted);
  }
  return true;
}

bool cPatternEditor::KeyUpAppMessage(const cKey& key) {
  if (key.repeat || !options.previewRelease) return false;
  const auto held = previewKeys.Released(PreviewKeyOf(key));
  if (!held) return false;
  // The release a note-off key makes, on the channel the note sounds on,
  // and only while no other note has started there since.
  // The flag stays while anything another note started may still sound.
  if (tracker.ReleasePreviewIfLast(held->channel, held->started) && !previewKeys.AnyHeld())
    previewSounding = 0;
  return true;
}

void cPatternEditor::KeyboardLost() {
  if (!options.previewRelease) return;
  bool released = false;
  for (const cPreviewKeys::cHeld& held : previewKeys.ReleaseAll())
    released = tracker.ReleasePreviewIfLast(held.channel, held.started) || released;
  if (released) previewSounding = 0;
}

// After an entry: the cursor moves on by the row advance when asked, and the
// view shows the changed cell, also when the cursor stayed on its row.
void cPatternEditor::AfterEntry(bool advance) {
  Snapshot();
  if (advance) pattern.RowDown(tracker.Song().rowAdd);
  pattern.DrawCursorRow();
  host.RepaintPattern();
}

// One typed entry is one step of the history, made where the cursor is.
bool cPatternEditor::EditCell(const char* what, auto&& change) {
  return EditCellOn(pattern.CursorChannel(), what, change);
}

bool cPatternEditor::EditCellOn(int channel, const char* what, auto&& change) {
  SyncEditedChannel();
  const int row = pattern.cursorRow;
  return tracker.Edits().EditPattern(what, pattern.currentPattern, [&](cSongTables& song) {
    if (channel >= song.channelCount) return false;
    return change(song.Cell(pattern.currentPattern, channel, row));
  });
}

void cPatternEditor::InsKeyNote(int semitone, int octaveOffset) {
  const bool release = semitone == kNoteOffSemitone;
  // A note typed in starts the channel's effects afresh, as a row does.
  if (!release) tracker.RestartChannelEffects(pattern.CursorChannel());
  const cSongTables& song = tracker.Song();
  const uint8_t note = uint8_t(NoteValue(cNoteKey{semitone, octaveOffset}, song.octave));
  const uint8_t instrument = uint8_t(song.currentInstrument);
  bool written = false;
  EditCell(release ? "Note Off" : "Note", [&](cCell& cell) {
    if (release) {
      cell.note = kNoteRelease;
    } else {
      cell.note = note;
      cell.instrument = instrument;
    }
    return written = true;
  });
  if (!written) return;
  if (!release) HintIfChannelOff(pattern.CursorChannel());
  // While playing the note lands on the playing row and the player moves
  // the view.
  AfterEntry(!Playing());
}

void cPatternEditor::InsValNote(int digit) {
  if (EditMode() == 0) return;
  const cSubColumn& column = SubColumnOf(pattern.SubColumn());
  if (column.nibble == eNibble::kNote || digit < 0 || digit > column.maxDigit) return;
  bool written = false;
  EditCell("Typing", [&](cCell& cell) {
    uint8_t& value = cell.*column.field;
    value = column.Typed(value, digit);
    return written = true;
  });
  if (written) AfterDigit(column);
}

// Field by field, the high digit moves to the low one on the same row, and
// the low one back to the high one and on by the row advance.
void cPatternEditor::AfterDigit(const cSubColumn& typed) {
  if (options.digitAdvance == eDigitAdvance::kDigit) {
    AfterEntry(true);
    return;
  }
  const bool last = typed.nibble != eNibble::kHigh;
  // As the arrow keys move it, so that the view follows a digit off its edge.
  if (last) {
    pattern.ColumnLeft();
  } else {
    pattern.ColumnRight();
  }
  AfterEntry(last);
}

void cPatternEditor::ClrValNote(int mode) {
  if (EditMode() == 0) return;
  const cSubColumn& column = SubColumnOf(pattern.SubColumn());
  // A clear on a channel the song lacks still moves the cursor on.
  SyncEditedChannel();
  tracker.Edits().EditPattern("Clear", pattern.currentPattern, [&](cSongTables& song) {
    cCell& cell = song.Cell(pattern.currentPattern, pattern.CursorChannel(), pattern.cursorRow);
    if (mode == 0) {
      cell.note = kEmptyCell.note;
      cell.instrument = kEmptyCell.instrument;
    } else if (mode == 1) {
      cell = kEmptyCell;
    } else {
      column.Clear(cell);
    }
    return true;
  });
  AfterEntry(true);
}

void cPatternEditor::PlayKeyNote(int semitone, int octaveOffset) {
  const int channel = pattern.CursorChannel();
  if (semitone == kNoteOffSemitone) {
    tracker.ReleasePreview(channel);
    return;
  }
  const cSongTables& song = tracker.Song();
  const int note = NoteValue(cNoteKey{semitone, octaveOffset}, song.octave);
  previewStarted = tracker.PreviewNote(channel, note, song.currentInstrument);
  previewSounding = 1;
  HintIfChannelOff(channel);
}

namespace {

// What the note tracker decides, handed to the editor.
class cWindowNotes : public cMidiNoteSink {
 public:
  std::function<void(int, int, int)> start;
  std::function<void(int)> release;
  std::function<void(int)> select;
  void StartNote(int channel, int noteByte, int volume) override {
    start(channel, noteByte, volume);
  }
  void ReleaseNote(int channel) override { release(channel); }
  void SelectInstrument(int instrument) override { select(instrument); }
};

}  // namespace

bool cPatternEditor::MidiEvent(const cMidiEvent& event, const cMidiEntryOptions& options) {
  // The keys are tracked whatever the mode, so that a key held into edit
  // mode releases as the engine releases it.
  const bool write = EditMode() != 0 && shownPage == 0;
  bool selected = false;
  cWindowNotes notes;
  notes.start = [&](int channel, int noteByte, int volume) {
    if (write) WriteMidiCell(channel, uint8_t(noteByte), options.velocity ? volume : -1);
  };
  notes.release = [&](int channel) {
    if (write && options.noteOff) WriteMidiCell(channel, kNoteRelease, -1);
  };
  notes.select = [&](int instrument) {
    SetInstrument(instrument);
    selected = true;
  };
  midiNotes.Feed(event, pattern.CursorChannel(), notes);
  return selected;
}

void cPatternEditor::ForgetMidiNotes() {
  cWindowNotes nothing;
  nothing.release = [](int) {};
  midiNotes.StopAll(nothing);
}

// volume -1 leaves the volume column as it is.
void cPatternEditor::WriteMidiCell(int channel, uint8_t note, int volume) {
  const bool playing = Playing();
  // While playing the note lands on the row playing now, which the display
  // timer may not have shown yet.
  if (playing && shownPage == 0) FollowPattern(tracker.PlayerState(), pattern.maskDisplay != 0);
  const bool release = note == kNoteRelease;
  if (!release) tracker.RestartChannelEffects(channel);
  const uint8_t instrument = uint8_t(tracker.Song().currentInstrument);
  const bool written = EditCellOn(channel, release ? "Note Off" : "Note", [&](cCell& cell) {
    cell.note = note;
    if (!release) cell.instrument = instrument;
    if (volume >= 0) cell.volume = uint8_t(volume);
    return true;
  });
  if (!written) return;
  if (!release) HintIfChannelOff(channel);
  AfterEntry(!playing);
}
