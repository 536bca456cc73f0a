#pragma once
// A part of the main window that shows the song: the pattern editor, the
// instrument and channel pages, the scope. The window tells each part when
// the engine exists and when the song changed as a whole.

class cTracker;

class TSongPart {
 public:
  virtual ~TSongPart() = default;
  // Once, when start-up has built the engine.
  virtual void Attach(cTracker& tracker) = 0;
  // After New, Load, Import and a change of the channel count: read
  // everything again, write nothing back.
  virtual void SongChanged() {}
};
