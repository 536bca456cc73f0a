#include "editor/patterneditor.h"

#include <algorithm>
#include <mutex>

#include "app/tracker.h"

using cLock = std::lock_guard<std::recursive_mutex>;

cPatternEditor::cPatternEditor(cTracker& t, cEditorHost& h) : tracker(t), host(h) {
  cLock lock(tracker.EngineLock());
  ClearClipStores(tracker.Song());
  sequence.Start(&tracker.Song());
}

bool cPatternEditor::Playing() const {
  cLock lock(tracker.EngineLock());
  return tracker.Player().playing != 0;
}

int cPatternEditor::EditMode() const {
  cLock lock(tracker.EngineLock());
  return tracker.Player().editMode;
}

void cPatternEditor::Snapshot() {
  cLock lock(tracker.EngineLock());
  pattern.Snapshot(tracker.Song().Cell(pattern.currentPattern, 0, 0));
}

void cPatternEditor::Redraw() {
  Snapshot();
  pattern.redraw = 4;
  pattern.Draw();
  host.RepaintPattern();
}

void cPatternEditor::Move() {
  Snapshot();
  pattern.Draw();
  host.RepaintPattern();
}

void cPatternEditor::SyncEditedChannel() { tracker.SetEditedChannel(pattern.CursorChannel()); }

cClipPlace cPatternEditor::Place() const {
  return cClipPlace{pattern.currentPattern, pattern.CursorChannel(), pattern.cursorRow};
}

void cPatternEditor::ShowEditMode() {
  pattern.editMode = EditMode();
  pattern.NormaliseColumn();
  host.ShowEditMode(pattern.editMode);
  host.RepaintPattern();
}

void cPatternEditor::ToggleEditMode() {
  tracker.TransportCommand(kTransportEditMode);
  ShowEditMode();
}

void cPatternEditor::Cut(eClip size) {
  {
    cLock lock(tracker.EngineLock());
    CutToClip(tracker.Song(), size, Place());
    tracker.Song().modified = true;
  }
  Redraw();
}

void cPatternEditor::Copy(eClip size) {
  cLock lock(tracker.EngineLock());
  CopyToClip(tracker.Song(), size, Place());
}

void cPatternEditor::Paste(eClip size) {
  {
    cLock lock(tracker.EngineLock());
    PasteFromClip(tracker.Song(), size, Place());
    tracker.Song().modified = true;
  }
  Redraw();
}

void cPatternEditor::SetOctave(int octave) {
  cLock lock(tracker.EngineLock());
  tracker.Song().octave = std::clamp(octave, 0, 9);
}

void cPatternEditor::SetRowAdd(int rows) {
  cLock lock(tracker.EngineLock());
  tracker.Song().rowAdd = std::clamp(rows, 0, 32);
}

void cPatternEditor::SetInstrument(int instrument) { tracker.SetInstrument(instrument); }

bool cPatternEditor::TakeSongPosition() {
  const cSongTables& song = tracker.Song();
  const int position = tracker.Player().position;
  const int shown = int(song.GetPattern(position) & 0xFF);
  const uint32_t modes = song.GetModeWord(position);
  if (shown == pattern.currentPattern && modes == pattern.modeWord) return false;
  pattern.currentPattern = shown;
  pattern.modeWord = modes;
  pattern.Snapshot(song.Cell(shown, 0, 0));
  pattern.redraw = 4;
  return true;
}

void cPatternEditor::StartViews(int patternWidth, int patternHeight) {
  int channels;
  {
    cLock lock(tracker.EngineLock());
    channels = tracker.Song().channelCount;
  }
  pattern.Start(patternWidth, patternHeight, channels);
  sequence.Start(&tracker.Song());
  SyncEditedChannel();
  DrawAll();
}

void cPatternEditor::ResetViews() {
  sequence.SetCursor(0);
  pattern.SetRow(0);
  pattern.cursorColumn = 0;
  pattern.firstVisible = 0;
  StartViews(pattern.width, pattern.height);
}

void cPatternEditor::DrawAll() {
  sequence.redraw = 4;
  sequence.Draw();
  host.RepaintSequence();
  {
    cLock lock(tracker.EngineLock());
    if (!TakeSongPosition()) pattern.Snapshot(tracker.Song().Cell(pattern.currentPattern, 0, 0));
  }
  pattern.editMode = EditMode();
  pattern.redraw = 4;
  pattern.Draw();
  host.RepaintPattern();
  host.ShowEditMode(pattern.editMode);
}

void cPatternEditor::SetMaskDisplay(bool on) {
  pattern.maskDisplay = on ? 1 : 0;
  pattern.redraw = 4;
  pattern.Draw();
  host.RepaintPattern();
}

// A press on the scroll bar scrolls the channels; a press on a cell puts
// the cursor there: its column at any time, its row, as the arrow keys do,
// only while the transport stands.
void cPatternEditor::PatternMouseDown(int x, int y) {
  pattern.MouseDown(x, y);
  int row, column;
  if (!pattern.dragging && pattern.CellAt(x, y, &row, &column)) {
    {
      cLock lock(tracker.EngineLock());
      if (tracker.Player().playing == 0) pattern.SetRow(row);
    }
    pattern.cursorColumn = column;
    pattern.NormaliseColumn();
    NoteHowTo();
  }
  SyncEditedChannel();
  host.RepaintPattern();
}

void cPatternEditor::PatternMouseMove(int x, int y) {
  if (!pattern.dragging) return;
  pattern.MouseMove(x, y);
  SyncEditedChannel();
  host.RepaintPattern();
}

void cPatternEditor::PatternMouseUp() { pattern.MouseUp(); }

void cPatternEditor::SequenceMouseDown(int x, int y, int button) {
  bool patternChanged = false;
  {
    cLock lock(tracker.EngineLock());
    cSongTables& song = tracker.Song();
    cPlayer& player = tracker.Player();
    const eSequenceClick result = sequence.Click(x, y, button);
    if (result == eSequenceClick::kNothing) return;
    if (result == eSequenceClick::kCursorMoved) {
      player.position = sequence.cursor;
      player.LoadPosition();
    } else {
      song.modified = true;
      if (result == eSequenceClick::kModeChanged)
        player.modeWord = song.GetModeWord(player.position);
    }
    patternChanged = TakeSongPosition();
  }
  sequence.Draw();
  host.RepaintSequence();
  if (patternChanged) {
    pattern.Draw();
    host.RepaintPattern();
  }
}

void cPatternEditor::SequenceArrow(int direction, bool ctrl) {
  bool patternChanged = false;
  bool playing;
  {
    cLock lock(tracker.EngineLock());
    cSongTables& song = tracker.Song();
    cPlayer& player = tracker.Player();
    playing = player.playing != 0;
    sequence.SetCursor(sequence.cursor + (direction < 0 ? -1 : 1));
    player.position = sequence.cursor;
    if (!ctrl) {
      player.LoadPosition();
      player.row = -1;  // the next row played is the pattern's first
      patternChanged = TakeSongPosition();
      cGenManager& generators = tracker.Generators();
      const int channels = std::clamp(song.channelCount, 0, kChannels);
      for (int c = 0; c < channels; ++c) {
        generators.currentChannel = c;
        generators.CutChannel();
      }
    }
  }
  sequence.Draw();
  host.RepaintSequence();
  if (patternChanged && !playing) {
    pattern.Draw();
    host.RepaintPattern();
  }
}

void cPatternEditor::InsertSequenceEntry() {
  {
    cLock lock(tracker.EngineLock());
    sequence.InsertEntry();
    tracker.Song().modified = true;
  }
  sequence.Draw();
  host.RepaintSequence();
}

void cPatternEditor::DeleteSequenceEntry() {
  {
    cLock lock(tracker.EngineLock());
    sequence.DeleteEntry();
    tracker.Song().modified = true;
  }
  sequence.Draw();
  host.RepaintSequence();
}

// Both views are read from one moment of the player: one lock per tick.
void cPatternEditor::FollowPlayback(bool followSequence, bool followPattern, bool mask) {
  followPattern = followPattern && shownPage == 0;
  int position;
  {
    cLock lock(tracker.EngineLock());
    const cPlayer& player = tracker.Player();
    if (player.playing == 0) return;
    position = player.position;
    if (followPattern) FollowPattern(player, mask);
  }
  if (followSequence) {
    sequence.SetCursor(position);
    sequence.Draw();
    host.RepaintSequence();
  }
  if (!followPattern) return;
  pattern.Draw();
  host.RepaintPattern();
}

void cPatternEditor::FollowPattern(const cPlayer& player, bool mask) {
  const int shown = player.pattern & 0xFF;
  if (pattern.maskDisplay != int(mask) || shown != pattern.currentPattern ||
      player.modeWord != pattern.modeWord) {
    pattern.maskDisplay = mask ? 1 : 0;
    pattern.currentPattern = shown;
    pattern.modeWord = player.modeWord;
    pattern.redraw = 4;
  }
  pattern.Snapshot(tracker.Song().Cell(shown, 0, 0));
  // -1 stands for "before the first row" after a jump; the view waits.
  if (player.row >= 0 && player.row < kRows) pattern.SetRow(player.row);
}
