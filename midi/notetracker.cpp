#include "midi/notetracker.h"

#include <algorithm>
#include <iterator>

void cMidiNoteTracker::Clear() {
  std::fill(std::begin(held), std::end(held), int8_t(-1));
  std::fill(std::begin(sustained), std::end(sustained), false);
  std::fill(std::begin(lastStarted), std::end(lastStarted), int8_t(-1));
  pedalDown = false;
}

void cMidiNoteTracker::Feed(const cMidiEvent& event, int channel, cMidiNoteSink& sink) {
  switch (event.kind) {
    case eMidiKind::noteOn: {
      const int noteByte = MidiNoteByte(event.number);
      if (noteByte == 0 || channel < 0 || channel >= kChannels) return;
      const int note = event.number;
      // The same key struck again where the cursor has moved on: the
      // channel it sounded on would never hear its note-off.
      const int before = held[note];
      if (before >= 0 && before != channel && lastStarted[before] == note) {
        sink.ReleaseNote(before);
        lastStarted[before] = -1;
      }
      held[note] = int8_t(channel);
      sustained[note] = false;
      lastStarted[channel] = int8_t(note);
      sink.StartNote(channel, noteByte, event.value);
      return;
    }
    case eMidiKind::noteOff:
      if (held[event.number] < 0) return;
      if (pedalDown) {
        sustained[event.number] = true;
      } else {
        NoteOff(event.number, sink);
      }
      return;
    case eMidiKind::pedal:
      pedalDown = event.value != 0;
      if (!pedalDown) {
        for (int note = 0; note < 128; ++note) {
          if (sustained[note]) NoteOff(note, sink);
        }
      }
      return;
    case eMidiKind::program:
      // Instrument 128 cannot be the current one.
      if (event.number + 1 <= 127) sink.SelectInstrument(event.number + 1);
      return;
    case eMidiKind::none:
      return;
  }
}

void cMidiNoteTracker::NoteOff(int note, cMidiNoteSink& sink) {
  const int channel = held[note];
  held[note] = -1;
  sustained[note] = false;
  if (channel >= 0 && lastStarted[channel] == note) {
    sink.ReleaseNote(channel);
    lastStarted[channel] = -1;
  }
}

void cMidiNoteTracker::StopAll(cMidiNoteSink& sink) {
  for (int channel = 0; channel < kChannels; ++channel) {
    if (lastStarted[channel] >= 0) sink.ReleaseNote(channel);
  }
  Clear();
}
