#pragma once
// The computer keyboard as a piano: two rows of keys give a semitone and an
// octave offset, the same for note entry and for note preview. The piano
// follows the physical keys (the rows where Z..M and Q..U sit on a US
// keyboard, whatever the layout prints on them); hex digits follow the
// printed key.

#include <optional>

#include "editor/keys.h"

constexpr int kNoteOffSemitone = 255;

struct cNoteKey {
  int semitone = 0;      // 0-11, or kNoteOffSemitone
  int octaveOffset = 0;  // 0 or 1
  bool operator==(const cNoteKey&) const = default;
};

// By the US printed key: Z S X D C V G B H N J M , L  and  Q 2 W 3 E R 5 T 6
// Y 7 U, and the backslash key for note-off.
std::optional<cNoteKey> NoteKeyOfVk(int vk);

// The printed key of a US layout at an X11 keycode, for the keys of the
// piano only; 0 for every other keycode.
int UsVkAtScanCode(int scanCode);

// The note key of a press: by its physical key when the platform names one,
// else by the printed key.
std::optional<cNoteKey> NoteKeyOf(const cKey& key);

// (octave offset + octave) x 12 + semitone + 1, held to 1-108.
int NoteValue(const cNoteKey& key, int octave);

// 0-15 for the keys 0-9 and A-F, else -1.
int HexDigitOfVk(int vk);

// '0'..'9' for the keys of the digit row, else 0. Layouts such as AZERTY
// print symbols on that row's unshifted level; the digits are still the
// keys' meaning for hex entry.
int DigitRowVk(int scanCode);
