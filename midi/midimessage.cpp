#include "midi/midimessage.h"

namespace {

constexpr uint8_t kNoteOff = 0x80;
constexpr uint8_t kNoteOn = 0x90;
constexpr uint8_t kController = 0xB0;
constexpr uint8_t kProgramChange = 0xC0;
constexpr uint8_t kSustainPedal = 64;

}  // namespace

cMidiEvent DecodeMidi(const uint8_t* bytes, size_t count) {
  cMidiEvent event;
  if (bytes == nullptr || count < 2) return event;
  const uint8_t status = bytes[0] & 0xF0;
  const uint8_t first = bytes[1];
  if (first > 127) return event;
  if (status == kProgramChange) {
    event.kind = eMidiKind::program;
    event.number = first;
    return event;
  }
  if (count < 3 || bytes[2] > 127) return event;
  const uint8_t second = bytes[2];
  if (status == kNoteOn && second > 0) {
    event.kind = eMidiKind::noteOn;
    event.number = first;
    event.value = second;
  } else if (status == kNoteOn || status == kNoteOff) {
    event.kind = eMidiKind::noteOff;
    event.number = first;
  } else if (status == kController && first == kSustainPedal) {
    event.kind = eMidiKind::pedal;
    event.value = second >= 64 ? 1 : 0;
  }
  return event;
}

int MidiNoteByte(int midiNote) { return midiNote >= 12 && midiNote <= 119 ? midiNote - 11 : 0; }
