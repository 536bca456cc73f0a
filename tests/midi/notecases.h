#pragma once
// MIDI message sequences and what the channels must do with them: played
// straight into the note tracker, and through a real RtMidi client.

#include <string>
#include <vector>

#include "midi/notetracker.h"

struct cMidiStep {
  std::vector<unsigned char> bytes;
  int channel = 0;  // the cursor's channel when the message arrives
};

struct cNoteCase {
  const char* name;
  std::vector<cMidiStep> steps;
  std::vector<std::string> actions;
};

inline cMidiStep On(int note, int velocity, int channel = 0) {
  return {{0x90, (unsigned char)note, (unsigned char)velocity}, channel};
}
inline cMidiStep Off(int note, int channel = 0) {
  return {{0x80, (unsigned char)note, 64}, channel};
}
inline cMidiStep Pedal(bool down) { return {{0xB0, 64, (unsigned char)(down ? 127 : 0)}, 0}; }

inline const std::vector<cNoteCase>& NoteCases() {
  static const std::vector<cNoteCase> cases = {
      {"a note sounds and releases; middle C is C-4",
       {On(60, 100, 3), Off(60, 3)},
       {"start 3 49 100", "release 3"}},
      {"velocity 0 is a note-off, on any MIDI channel",
       {On(60, 90), {{0x95, 62, 0}, 0}, {{0x95, 60, 0}, 0}},
       {"start 0 49 90", "release 0"}},
      {"notes outside 12-119 are ignored, never clamped",
       {On(11, 100), On(120, 100), On(12, 90), On(119, 80), Off(11), Off(120), Off(119)},
       {"start 0 1 90", "start 0 108 80", "release 0"}},
      {"a note-off releases only the channel's last started note",
       {On(60, 100), On(64, 100), Off(60), Off(64)},
       {"start 0 49 100", "start 0 53 100", "release 0"}},
      {"the pedal holds note-offs until it is released",
       {Pedal(true), On(60, 100), Off(60), Pedal(false)},
       {"start 0 49 100", "release 0"}},
      {"a key struck again under the pedal waits for its own note-off",
       {Pedal(true), On(60, 100), Off(60), On(60, 50), Pedal(false), Off(60)},
       {"start 0 49 100", "start 0 49 50", "release 0"}},
      {"a note-off releases the channel the note started on",
       {On(60, 100, 0), Off(60, 5)},
       {"start 0 49 100", "release 0"}},
      {"a key struck again on another channel leaves no note behind",
       {On(60, 100, 0), On(60, 100, 1), Off(60, 1)},
       {"start 0 49 100", "release 0", "start 1 49 100", "release 1"}},
      {"a program change selects the next instrument; 127 has none",
       {{{0xC0, 4}, 0}, {{0xC3, 127}, 0}},
       {"instrument 5"}},
      {"other messages change nothing",
       {{{0xB0, 7, 100}, 0}, {{0xE0, 0, 64}, 0}, {{0xA0, 60, 30}, 0}, Off(61)},
       {}},
  };
  return cases;
}

// Writes what the tracker asks for as text.
class cRecordingSink : public cMidiNoteSink {
 public:
  void StartNote(int channel, int noteByte, int volume) override {
    actions.push_back("start " + std::to_string(channel) + " " + std::to_string(noteByte) + " " +
                      std::to_string(volume));
  }
  void ReleaseNote(int channel) override {
    actions.push_back("release " + std::to_string(channel));
  }
  void SelectInstrument(int instrument) override {
    actions.push_back("instrument " + std::to_string(instrument));
  }
  std::vector<std::string> actions;
};
