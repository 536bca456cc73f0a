// Note and hex entry into the cell under the cursor, clearing, and note
// preview.

#include <algorithm>
#include <string>

#include "app/tracker.h"
#include "editor/notekeys.h"
#include "editor/patterneditor.h"
#include "editor/patterntext.h"

const char* SubColumnHelp(int subColumn) {
  static constexpr const char* kHelp[kSubColumns] = {"Note",
                                                     "Instrument [01 - 7F]",
                                                     "Instrument [01 - 7F]",
                                                     "Channel Volume [00 - 7F]",
                                                     "Channel Volume [00 - 7F]",
                                                     "Channel Pan [00 - 7F]",
                                                     "Channel Pan [00 - 7F]",
                                                     "FX1 Command",
                                                     "FX1 Command",
                                                     "FX1 Parameter",
                                                     "FX1 Parameter",
                                                     "FX2 Command",
                                                     "FX2 Command",
                                                     "FX2 Parameter",
                                                     "FX2 Parameter"};
  return subColumn >= 0 && subColumn < kSubColumns ? kHelp[subColumn] : "";
}

void cPatternEditor::NoteHowTo() { host.SetStatusText(0, SubColumnHelp(pattern.SubColumn())); }

void cPatternEditor::ChannelNum() {
  host.SetStatusText(0, "Channel: " + std::to_string(pattern.CursorChannel()));
}

bool cPatternEditor::EditNoteAppMessage(const cKey& key) {
  if (pattern.SubColumn() == 0) {
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
  if (editMode != 0 && pattern.SubColumn() != 0) return false;
  const auto note = NoteKeyOf(key);
  if (!note) return false;
  // A held key that only sounds keeps its note sounding rather than
  // starting it again with every repeat of the keyboard.
  if (key.repeat && editMode == 0) return true;
  PlayKeyNote(note->semitone, note->octaveOffset);
  return true;
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
  SyncEditedChannel();
  const int channel = pattern.CursorChannel();
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
  EditCell(release ? "Note Off" : "Note", [&](uint8_t* cell) {
    if (release) {
      cell[0] = kNoteRelease;
    } else {
      cell[0] = note;
      cell[1] = instrument;
    }
    return written = true;
  });
  if (!written) return;
  // While playing the note lands on the playing row and the player moves
  // the view.
  AfterEntry(!Playing());
}

void cPatternEditor::InsValNote(int digit) {
  if (EditMode() == 0 || digit < 0 || digit > 15) return;
  const int sub = pattern.SubColumn();
  if (sub == 0) return;
  bool written = false;
  EditCell("Typing", [&](uint8_t* cell) {
    if (sub <= 2) {
      if (sub == 1 && digit > 7) return false;
      cell[1] =
          sub == 1 ? uint8_t((cell[1] & 0x0F) | digit << 4) : uint8_t((cell[1] & 0xF0) | digit);
    } else if (sub <= 6) {
      uint8_t& value = cell[sub <= 4 ? 2 : 3];
      const bool high = sub == 3 || sub == 5;
      if (high && digit > 9) return false;
      if (value == 0xFF) {
        // 0x80-0x9F are slides: a first 8 or 9 gives a slide of 1, not 0.
        value = high ? uint8_t(digit * 16 + (digit >= 8 ? 1 : 0)) : uint8_t(digit);
      } else {
        value = high ? uint8_t((value & 0x0F) | digit << 4) : uint8_t((value & 0xF0) | digit);
      }
    } else {
      uint8_t& value = cell[4 + (sub - 7) / 2];
      const bool high = (sub - 7) % 2 == 0;
      value = high ? uint8_t((value & 0x0F) | digit << 4) : uint8_t((value & 0xF0) | digit);
    }
    return written = true;
  });
  if (written) AfterEntry(true);
}

void cPatternEditor::ClrValNote(int mode) {
  if (EditMode() == 0) return;
  const int sub = pattern.SubColumn();
  // A clear on a channel the song lacks still moves the cursor on.
  SyncEditedChannel();
  tracker.Edits().EditPattern("Clear", pattern.currentPattern, [&](cSongTables& song) {
    uint8_t* cell = song.Cell(pattern.currentPattern, pattern.CursorChannel(), pattern.cursorRow);
    if (mode == 0) {
      cell[0] = cell[1] = 0;
    } else if (mode == 1) {
      std::copy(kEmptyCell, kEmptyCell + kCellBytes, cell);
    } else if (sub == 0) {
      cell[0] = 0;
    } else if (sub <= 2) {
      cell[1] = 0;
    } else if (sub <= 4) {
      cell[2] = 0xFF;
    } else if (sub <= 6) {
      cell[3] = 0xFF;
    } else if (sub <= 10) {
      cell[4] = cell[5] = 0;
    } else {
      cell[6] = cell[7] = 0;
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
  tracker.PreviewNote(channel, note, song.currentInstrument);
  previewSounding = 1;
}
