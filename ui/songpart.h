#pragma once
// A part of the main window that shows the song: the pattern editor, the
// instrument and channel pages, the scope. The window tells each part when
// the engine exists and when the song changed as a whole.

class cTracker;

// Why the window asks its parts to read the song again.
enum class eSongChange {
  kNewSong,  // New, Load, Import, the engine restart: the cursors go to the start
  kEdited,   // the window changed a setting (the channel count): the cursors stay
  kUndone,   // an undo or a redo: the pattern editor has put the cursors there
};

class TSongPart {
 public:
  virtual ~TSongPart() = default;
  // Once, when start-up has built the engine.
  virtual void Attach(cTracker& tracker) = 0;
  // Read everything again, write nothing back.
  virtual void SongChanged(eSongChange reason) { (void)reason; }
};
