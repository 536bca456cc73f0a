#include "editor/patterneditor.h"

#include <algorithm>

#include "app/tracker.h"
#include "editor/channelswitch.h"

cPatternEditor::cPatternEditor(cTracker& t, cEditorHost& h)
    : tracker(t), host(h), options(KeyOptionsOf(t.Config())) {
  tracker.Edits().UseClipStores([](cSongTables& song) { ClearClipStores(song); });
  sequence.Start(&tracker.Song());
}

bool cPatternEditor::Playing() const { return tracker.PlayerState().playing != 0; }

int cPatternEditor::EditMode() const { return tracker.PlayerState().editMode; }

// The song's cells change on this thread only: the working copy is read
// from them directly.
void cPatternEditor::Snapshot() {
  pattern.Snapshot(tracker.Song().Pattern(pattern.currentPattern));
}

void cPatternEditor::Redraw() {
  Snapshot();
  pattern.FullDraw();
  host.RepaintPattern();
}

void cPatternEditor::Move() {
  Snapshot();
  pattern.Draw();
  host.RepaintPattern();
}

// The edited channel (whose generators the instrument operations address)
// and the place each undo step records follow the cursor.
void cPatternEditor::SyncEditedChannel() {
  tracker.SetEditedChannel(pattern.CursorChannel());
  tracker.Edits().SetCursor(pattern.CursorChannel(), pattern.cursorRow);
}

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

namespace {

const char* ClipName(const char* verb, eClip size) {
  static constexpr const char* kNames[2][3] = {{"Cut Pattern", "Cut Track", "Cut Block"},
                                               {"Paste Pattern", "Paste Track", "Paste Block"}};
  return kNames[verb[0] == 'P' ? 1 : 0][int(size)];
}

}  // namespace

void cPatternEditor::Cut(eClip size) {
  SyncEditedChannel();
  tracker.Edits().EditPattern(ClipName("Cut", size), pattern.currentPattern,
                              [&](cSongTables& song) {
                                CutToClip(song, size, Place());
                                return true;
                              });
  Redraw();
}

void cPatternEditor::Copy(eClip size) {
  tracker.Edits().UseClipStores([&](cSongTables& song) { CopyToClip(song, size, Place()); });
}

void cPatternEditor::Paste(eClip size) {
  SyncEditedChannel();
  tracker.Edits().EditPattern(ClipName("Paste", size), pattern.currentPattern,
                              [&](cSongTables& song) {
                                PasteFromClip(song, size, Place());
                                return true;
                              });
  Redraw();
}

void cPatternEditor::SetOctave(int octave) { tracker.SetOctave(octave); }

void cPatternEditor::SetRowAdd(int rows) { tracker.SetRowAdd(rows); }

void cPatternEditor::SetInstrument(int instrument) { tracker.SetInstrument(instrument); }

void cPatternEditor::StepOctave(int step) {
  SetOctave(tracker.Song().octave + step);
  host.ShowEntryFields();
}

void cPatternEditor::StepInstrument(int step) {
  SetInstrument(std::clamp(tracker.Song().currentInstrument + step, 1, 127));
  host.ShowEntryFields();
}

bool cPatternEditor::TakeSongPosition(int position) {
  const cSongTables& song = tracker.Song();
  const int shown = int(song.GetPattern(position) & 0xFF);
  const uint32_t modes = song.GetModeWord(position);
  shownEntry = position & 0xFFF;
  if (shown == pattern.currentPattern && modes == pattern.modeWord) return false;
  pattern.currentPattern = shown;
  pattern.modeWord = modes;
  pattern.Snapshot(song.Pattern(shown));
  pattern.RequestFullDraw();
  return true;
}

void cPatternEditor::StartViews(int patternWidth, int patternHeight) {
  pattern.Start(patternWidth, patternHeight, tracker.Song().channelCount);
  sequence.Start(&tracker.Song());
  SyncEditedChannel();
  DrawAll();
}

void cPatternEditor::ResetViews() {
  sequence.SetCursor(0);
  pattern.SetRow(0);
  pattern.CursorHome();
  StartViews(pattern.width, pattern.height);
}

// Undo and redo bring the cursors to where the step was made: stopped, the
// sequence cursor and the pattern view on its entry (the controller has put
// the song position there); playing, only the channel and the row.
void cPatternEditor::GoTo(const cEditLocation& where) {
  if (!Playing()) sequence.SetCursor(where.position);
  pattern.SetRow(where.row);
  pattern.cursorColumn = where.channel * kSubColumns + pattern.SubColumn();
  StartViews(pattern.width, pattern.height);
}

void cPatternEditor::DrawAll() {
  sequence.FullDraw();
  host.RepaintSequence();
  if (!TakeSongPosition(tracker.PlayerState().position)) Snapshot();
  pattern.editMode = EditMode();
  pattern.FullDraw();
  host.RepaintPattern();
  host.ShowEditMode(pattern.editMode);
}

void cPatternEditor::SetMaskDisplay(bool on) {
  pattern.maskDisplay = on ? 1 : 0;
  pattern.FullDraw();
  host.RepaintPattern();
}

// A press on the scroll bar scrolls the channels; a press on a cell puts
// the cursor there: its column at any time, its row, as the arrow keys do,
// only while the transport stands.
void cPatternEditor::PatternMouseDown(int x, int y) {
  pattern.MouseDown(x, y);
  int row, column;
  if (!pattern.dragging && pattern.CellAt(x, y, &row, &column)) {
    if (!Playing()) pattern.SetRow(row);
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

namespace {

const char* SequenceStepName(eSequenceClick result) {
  switch (result) {
    case eSequenceClick::kPatternChanged:
      return "Sequence Pattern";
    case eSequenceClick::kModeChanged:
      return "Channel Mode";
    case eSequenceClick::kRangeChanged:
      return "Song Range";
    default:
      return nullptr;
  }
}

}  // namespace

// A click that moves the cursor moves the song position; one that changes
// an entry or the range is an edit.
void cPatternEditor::SequenceMouseDown(int x, int y, int button) {
  eSequenceClick result = eSequenceClick::kNothing;
  tracker.Edits().EditSequence([&](cSongTables& song) {
    result = sequence.Click(x, y, button, song);
    return SequenceStepName(result);
  });
  if (result == eSequenceClick::kNothing) return;
  if (result == eSequenceClick::kCursorMoved) tracker.SetSongPosition(sequence.cursor);
  const bool patternChanged = TakeSongPosition(tracker.PlayerState().position);
  sequence.Draw();
  host.RepaintSequence();
  if (patternChanged) {
    pattern.Draw();
    host.RepaintPattern();
  }
}

void cPatternEditor::SequenceArrow(int direction, bool ctrl) {
  const bool playing = Playing();
  sequence.SetCursor(sequence.cursor + (direction < 0 ? -1 : 1));
  bool patternChanged = false;
  if (ctrl) {
    // The pattern playing now plays to its end; the next follows the cursor.
    tracker.SetSongPosition(sequence.cursor, cTracker::eSongJump::kPositionOnly);
  } else {
    tracker.SetSongPosition(sequence.cursor, cTracker::eSongJump::kRestartEntry);
    patternChanged = TakeSongPosition(sequence.cursor);
  }
  sequence.Draw();
  host.RepaintSequence();
  if (patternChanged && !playing) {
    pattern.Draw();
    host.RepaintPattern();
  }
}

void cPatternEditor::SwitchChannel() {
  SyncEditedChannel();
  const int channel = pattern.CursorChannel();
  // The pattern page shows the entry it follows; on the other pages, while
  // the song plays, the entry that sounds is the one meant.
  int entry = shownEntry;
  if (shownPage != 0) {
    const cPlayerState player = tracker.PlayerState();
    if (player.playing != 0) entry = player.position;
  }
  const bool changed = tracker.Edits().EditSequence([&](cSongTables& song) -> const char* {
    const bool wasOff = song.GetChannelMode(entry, channel) == kModeSkip;
    if (!::SwitchChannel(song, entry, channel)) return nullptr;
    return wasOff ? "Channel On" : "Channel Off";
  });
  if (changed) ShowSequenceChange();
}

void cPatternEditor::SwitchAllChannelsOn() {
  SyncEditedChannel();
  const bool changed = tracker.Edits().EditSequence([&](cSongTables& song) -> const char* {
    return ::SwitchAllChannelsOn(song) ? "All Channels On" : nullptr;
  });
  if (changed) ShowSequenceChange();
}

// The header's "off" and the masked colours follow the shown entry's modes.
void cPatternEditor::ShowSequenceChange() {
  sequence.FullDraw();
  host.RepaintSequence();
  pattern.modeWord = tracker.Song().GetModeWord(shownEntry);
  pattern.FullDraw();
  host.RepaintPattern();
}

void cPatternEditor::HintIfChannelOff(int channel) {
  if (channel < tracker.Song().channelCount && ChannelOff(pattern.modeWord, channel))
    host.SystemMessage(ChannelOffHint(channel, shownEntry));
}

void cPatternEditor::InsertSequenceEntry() {
  tracker.Edits().EditSequence([&](cSongTables& song) {
    sequence.InsertEntry(song);
    return "Insert Entry";
  });
  sequence.Draw();
  host.RepaintSequence();
}

void cPatternEditor::DeleteSequenceEntry() {
  tracker.Edits().EditSequence([&](cSongTables& song) {
    sequence.DeleteEntry(song);
    return "Delete Entry";
  });
  sequence.Draw();
  host.RepaintSequence();
}

// Both views are read from one moment of the player.
void cPatternEditor::FollowPlayback(bool followSequence, bool followPattern, bool mask) {
  followPattern = followPattern && shownPage == 0;
  const cPlayerState player = tracker.PlayerState();
  if (player.playing == 0) return;
  if (followSequence) {
    sequence.SetCursor(player.position);
    sequence.Draw();
    host.RepaintSequence();
  }
  if (!followPattern) return;
  FollowPattern(player, mask);
  pattern.Draw();
  host.RepaintPattern();
}

void cPatternEditor::FollowPattern(const cPlayerState& player, bool mask) {
  const int shown = player.pattern & 0xFF;
  if (pattern.maskDisplay != int(mask) || shown != pattern.currentPattern ||
      player.modeWord != pattern.modeWord) {
    pattern.maskDisplay = mask ? 1 : 0;
    pattern.currentPattern = shown;
    pattern.modeWord = player.modeWord;
    pattern.RequestFullDraw();
  }
  shownEntry = player.position & 0xFFF;
  pattern.Snapshot(tracker.Song().Pattern(shown));
  // -1 stands for "before the first row" after a jump; the view waits.
  if (player.row >= 0 && player.row < kRows) pattern.SetRow(player.row);
}
