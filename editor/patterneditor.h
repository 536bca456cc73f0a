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
#include <span>
#include <string>

#include "editor/blockops.h"
#include "editor/editorhost.h"
#include "editor/keyoptions.h"
#include "editor/keys.h"
#include "editor/keytable.h"
#include "editor/patternview.h"
#include "editor/previewkeys.h"
#include "editor/sequenceview.h"
#include "midi/notetracker.h"

class cTracker;
struct cMidiEvent;
struct cPlayerState;
struct cEditLocation;

// The song that Ctrl+F5 loads, relative to the data folder.
constexpr const char* kQuickLoadSong = "Songs/_Pelvano_05l_ye.zqm";

// What a MIDI note writes besides the note and the current instrument.
struct cMidiEntryOptions {
  bool velocity = false;  // the velocity into the volume column
  bool noteOff = false;   // a note-off that releases its channel writes "off"
};

class cPatternEditor {
 public:
  // Fills the three clip stores with empty cells.
  cPatternEditor(cTracker& tracker, cEditorHost& host);

  cPatternView& PatternView() { return pattern; }
  cSequenceView& SequenceView() { return sequence; }

  // Every key of every page, in the order the key filter tries them.
  static std::span<const cKeyRow> Keys();

  // The key filter: true when the key was consumed. The key runs on the
  // shown page: the first row of Keys() that names it decides; a key that
  // no row names is a note or a digit, or with Ctrl the menus'.
  bool AppMessage(const cKey& key);
  bool AppMsgPattern(const cKey& key);
  bool AppMsgPlayNote(const cKey& key);
  bool EditNoteAppMessage(const cKey& key);
  // previewOnly: the instrument and channel pages sound the note whatever
  // the edit mode.
  bool PlayNoteAppMessage(const cKey& key, bool previewOnly = false);
  // A key let go, on any page (an auto-repeat's release is none). With
  // preview release on, the note the key previewed is released when it is
  // still the last note started on its channel, and nothing is written.
  // True when the key had started a preview.
  bool KeyUpAppMessage(const cKey& key);
  // The window lost the keyboard (another window, a dialog): the releases
  // of the keys held now never come, so their previews stop here.
  void KeyboardLost();

  // Whether previews stop with their keys and how hex digits advance; they
  // start as the controller's settings say.
  void SetKeyOptions(const cKeyOptions& chosen) { options = chosen; }
  const cKeyOptions& KeyOptions() const { return options; }

  // Entry at the cursor. semitone kNoteOffSemitone writes a release.
  void InsKeyNote(int semitone, int octaveOffset);
  void InsValNote(int digit);
  // 0: note and instrument, 1: the whole cell, 2: the field under the cursor.
  void ClrValNote(int mode);
  // Note preview on the cursor's channel; kNoteOffSemitone releases it.
  void PlayKeyNote(int semitone, int octaveOffset);
  // A MIDI event as the window takes it (the engine has sounded it). In
  // edit mode on the pattern page a note is written as a note key writes
  // it, into the note column of the cursor's channel whatever its
  // sub-column, and a note-off that releases a channel may write "off" on
  // the row the cursor then is; a program change selects the instrument.
  // True when the current instrument changed.
  bool MidiEvent(const cMidiEvent& event, const cMidiEntryOptions& options);
  // The MIDI input changed or closed: no key is held any more.
  void ForgetMidiNotes();
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

  // F6: the cursor's channel on or off at the shown sequence entry.
  // Shift+F6: every channel of the song on at every entry from the song's
  // start to its end. Each is one step of the history.
  void SwitchChannel();
  void SwitchAllChannelsOn();

  // Spin edits; octave held to 0-9, row advance to 0-32, instrument 1-127.
  void SetOctave(int octave);
  void SetRowAdd(int rows);
  void SetInstrument(int instrument);
  // The keypad's / and *: the octave or (with Ctrl) the instrument one down
  // or up, held to the fields' ranges; the window's fields follow.
  void StepOctave(int step);
  void StepInstrument(int step);

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
  // After a hex digit typed into the sub-column: the cursor moves on as
  // the digit-advance option says.
  void AfterDigit(const cSubColumn& typed);
  // change(cell) on the cursor's cell, as one step; refused (false) on a
  // channel the song lacks or when change refuses.
  bool EditCell(const char* what, auto&& change);
  // The same on another channel than the cursor's.
  bool EditCellOn(int channel, const char* what, auto&& change);
  // A MIDI note or release, written where a note key would write it.
  void WriteMidiCell(int channel, uint8_t note, int volume);
  void ShowEditMode();
  // A note written or previewed on a channel that is off at the shown
  // entry: the message label says how to switch it on.
  void HintIfChannelOff(int channel);
  // After a change of the sequence: both views show it.
  void ShowSequenceChange();
  cClipPlace Place() const;
  // The pattern view takes the pattern and modes of the song position;
  // true when they differed.
  bool TakeSongPosition(int position);
  // The pattern view on the playing pattern and row.
  void FollowPattern(const cPlayerState& player, bool mask);
  void SyncEditedChannel();
  // Runs the first row of Keys() that names the key on the page; false when
  // none does. *consumed: whether the key stops here.
  bool RunKey(const cKey& key, uint8_t page, bool* consumed);
  void AfterKey(uint8_t then, uint8_t page);
  // A row insert, delete or transpose on the cursor's track, as one step.
  void EditTrack(const char* what, auto&& change);
  void InsertRow();
  void DeleteRow();
  void Transpose(eClip range, int step);

  cTracker& tracker;
  cEditorHost& host;
  cPatternView pattern;
  cSequenceView sequence;
  int shownPage = 0;
  int shownEntry = 0;          // the sequence entry whose pattern and modes the view shows
  cMidiNoteTracker midiNotes;  // the keys held, as the engine tracks them
  cKeyOptions options;
  cPreviewKeys previewKeys;     // the computer keys whose previews sound
  uint32_t previewStarted = 0;  // what the last preview's note-on answered
};
