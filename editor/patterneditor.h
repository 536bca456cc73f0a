#pragma once
// The pattern editor: what every key does (the global keys, the pattern
// page's cursor moves, note and hex entry, clearing, row insert and delete,
// transpose, cut/copy/paste), note preview on any page, the sequence view's
// mouse edits and arrows, and the views following playback. It works on the
// controller's song tables, transport and generators, and on the two views;
// the window forwards its key and mouse events here and paints what the
// views drew. Window thread only. Every change of the song goes through the
// controller's edit path, and the player is read through its snapshots.

#include <cstdint>
#include <string>

#include "editor/blockops.h"
#include "editor/editorhost.h"
#include "editor/keys.h"
#include "editor/patternview.h"
#include "editor/sequenceview.h"

class cTracker;
struct cPlayerState;
struct cEditLocation;

// The song that Ctrl+F5 loads, relative to the data folder.
constexpr const char* kQuickLoadSong = "Songs/_Pelvano_05l_ye.zqm";

// Status-bar panel 0's help for the cursor's sub-column.
const char* SubColumnHelp(int subColumn);

class cPatternEditor {
 public:
  // Fills the three clip stores with empty cells.
  cPatternEditor(cTracker& tracker, cEditorHost& host);

  cPatternView& PatternView() { return pattern; }
  cSequenceView& SequenceView() { return sequence; }

  // The key filter: true when the key was consumed. Global keys first, then
  // the handler of the shown page.
  bool AppMessage(const cKey& key);
  bool AppMsgPattern(const cKey& key);
  bool AppMsgPlayNote(const cKey& key);
  bool EditNoteAppMessage(const cKey& key);
  // previewOnly: the instrument and channel pages sound the note whatever
  // the edit mode.
  bool PlayNoteAppMessage(const cKey& key, bool previewOnly = false);

  // Entry at the cursor. semitone kNoteOffSemitone writes a release.
  void InsKeyNote(int semitone, int octaveOffset);
  void InsValNote(int digit);
  // 0: note and instrument, 1: the whole cell, 2: the field under the cursor.
  void ClrValNote(int mode);
  // Note preview on the cursor's channel; kNoteOffSemitone releases it.
  void PlayKeyNote(int semitone, int octaveOffset);
  void NoteHowTo();
  void ChannelNum();

  // Space: stops playback or a preview note, else toggles edit mode.
  void SpaceKey();
  // The Rec button: toggles edit mode.
  void ToggleEditMode();
  int EditMode() const;

  // Cut, copy and paste at the cursor, from the keyboard or the Edit menu.
  void Cut(eClip size);
  void Copy(eClip size);
  void Paste(eClip size);

  // Spin edits; octave held to 0-9, row advance to 0-32, instrument 1-127.
  void SetOctave(int octave);
  void SetRowAdd(int rows);
  void SetInstrument(int instrument);

  // 0: the pattern page; 1: the instrument or the channel page.
  void SetShownPage(int page) { shownPage = page; }
  int ShownPage() const { return shownPage; }

  // Lays the pattern view out for its picture and the song's channel count
  // (again whenever either changes) and redraws both views.
  void StartViews(int patternWidth, int patternHeight);
  // After a new, loaded or imported song: both cursors back to the start.
  void ResetViews();
  // After an undo or a redo: the cursors where the step was made.
  void GoTo(const cEditLocation& where);
  // The sequence view in full, then the pattern view with the pattern and
  // modes of the song position, and the edit-mode display.
  void DrawAll();
  // "PatMsk": channels that do not play at the shown entry drawn darker.
  void SetMaskDisplay(bool on);

  void PatternMouseDown(int x, int y);
  void PatternMouseMove(int x, int y);
  void PatternMouseUp();

  void SequenceMouseDown(int x, int y, int button);
  // The arrows beside the sequence view: -1 up, +1 down. Without Ctrl the
  // player starts the entry's pattern from its first row.
  void SequenceArrow(int direction, bool ctrl);
  void InsertSequenceEntry();
  void DeleteSequenceEntry();

  // The display timer's part while playing: the sequence cursor on the song
  // position, and on the pattern page the pattern view on the playing
  // pattern and row.
  void FollowPlayback(bool followSequence, bool followPattern, bool mask);

  int previewSounding = 0;

 private:
  bool Playing() const;
  // After a key marked "redraw": a fresh working copy, a full draw.
  void Redraw();
  // After a cursor move: a fresh working copy and a draw of what moved.
  void Move();
  void Snapshot();
  // The cursor advanced after an entry, and the entered row drawn.
  void AfterEntry(bool advance);
  // change(cell) on the cursor's cell, as one step; refused (false) on a
  // channel the song lacks or when change refuses.
  bool EditCell(const char* what, auto&& change);
  void ShowEditMode();
  cClipPlace Place() const;
  // The pattern view takes the pattern and modes of the song position;
  // true when they differed.
  bool TakeSongPosition(int position);
  // The pattern view on the playing pattern and row.
  void FollowPattern(const cPlayerState& player, bool mask);
  void SyncEditedChannel();
  // A row insert, delete or transpose on the cursor's track, as one step.
  void EditTrack(const char* what, auto&& change);
  void TabKey(bool ctrl, bool shift);

  cTracker& tracker;
  cEditorHost& host;
  cPatternView pattern;
  cSequenceView sequence;
  int shownPage = 0;
};
