#pragma once
// The song settings the window's top area edits: the channel-count box, the
// BPM and speed fields and the master knobs. Each change goes through the
// song's edit path; the changes of one field or one knob gesture merge into
// one undo step. The knobs say what they set in the message line.

#include <cstdint>
#include <string>

class cTracker;

class cSongSettingsEditor {
 public:
  explicit cSongSettingsEditor(cTracker& tracker) : tracker(tracker) {}

  // Each returns whether the song changed. The tempo in use follows the
  // song's BPM and speed while the song plays.
  bool SetChannelCount(int32_t count);
  bool SetBpm(int32_t bpm);
  bool SetSpeed(int32_t speed);
  // The message for the status line: what the song holds now ("Master
  // Volume: 60%").
  std::string SetMasterVolume(int32_t knob);
  std::string SetMasterPan(int32_t knob);

 private:
  cTracker& tracker;
};
