#pragma once
// Turns MIDI events into what the channels do: start a note, release a
// channel, select an instrument. The keys held are tracked by note number so
// that no note sticks. A channel sounds one note at a time (the synths are
// monophonic and a sampler's note-on releases its voices), so a note-off
// releases a channel only when its note is the last one started there; a
// note-off that comes while the sustain pedal is down waits for the pedal.
// Plain state in fixed tables: the engine feeds it under the engine lock.

#include <cstdint>

#include "midi/midimessage.h"

class cMidiNoteSink {
 public:
  virtual ~cMidiNoteSink() = default;
  // noteByte 1-108, volume 1-127.
  virtual void StartNote(int channel, int noteByte, int volume) = 0;
  virtual void ReleaseNote(int channel) = 0;
  // instrument 1-127.
  virtual void SelectInstrument(int instrument) = 0;
};

class cMidiNoteTracker {
 public:
  static constexpr int kChannels = 16;

  cMidiNoteTracker() { Clear(); }

  // A note-on sounds on channel (0-15), the cursor's channel of the moment;
  // its note-off releases the channel it started on.
  void Feed(const cMidiEvent& event, int channel, cMidiNoteSink& sink);
  // Releases every channel sounding a note started here and forgets every
  // key and the pedal: the input changed or closed.
  void StopAll(cMidiNoteSink& sink);

  // The channel a MIDI note sounds on, -1 when it is not held.
  int HeldChannel(int midiNote) const {
    return midiNote >= 0 && midiNote < 128 ? held[midiNote] : -1;
  }

 private:
  void Clear();
  void NoteOff(int note, cMidiNoteSink& sink);

  int8_t held[128];               // channel of each key held (or sustained), -1 none
  bool sustained[128];            // its note-off came while the pedal was down
  int8_t lastStarted[kChannels];  // MIDI note last started on each channel, -1 none
  bool pedalDown;
};
