#pragma once
// What a MIDI message means to the program. Messages on every MIDI channel
// count; everything but notes, the sustain pedal and program changes is
// ignored.

#include <cstddef>
#include <cstdint>

enum class eMidiKind : uint8_t { none, noteOn, noteOff, pedal, program };

struct cMidiEvent {
  eMidiKind kind = eMidiKind::none;
  uint8_t number = 0;     // note 0-127 or program 0-127
  uint8_t value = 0;      // note-on velocity 1-127; pedal 1 down, 0 up
  int64_t arrivalNs = 0;  // steady clock when the message reached the program
};

// A note-on with velocity 0 is a note-off; the pedal is controller 64, down
// from 64 on. Truncated messages and data bytes with the top bit set give
// none.
cMidiEvent DecodeMidi(const uint8_t* bytes, size_t count);

// MIDI notes 12-119 are note bytes 1-108 (MIDI 60, middle C, enters C-4,
// byte 49); 0 for a note outside. Never clamped: two keys must not merge.
int MidiNoteByte(int midiNote);
