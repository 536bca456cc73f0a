#pragma once
// A part of the main window that shows the song: the pattern and sequence
// views, the instrument and channel pages, the scope. The window tells each
// part when the engine exists and when the song changed as a whole.

class cTracker;

class TSongPart {
 public:
  virtual ~TSongPart() = default;
  // Once, when start-up has built the engine.
  virtual void Attach(cTracker& tracker) = 0;
  // After New, Load, Import and a change of the channel count: read
  // everything again, write nothing back.
  virtual void SongChanged() {}
  // Timer1, while the transport plays and the part follows playback: take
  // the engine lock only to read, and paint after releasing it.
  virtual void FollowPlayback() {}
  // Timer2, engine lock held by the caller: copy what the next paint needs
  // and ask for it; paint outside the lock.
  virtual void RefreshDisplay() {}
};
