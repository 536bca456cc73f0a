#pragma once
// One row of one channel in a pattern: eight bytes, laid out as they lie in
// the pattern store and, byte for byte, in song files. Every reader and
// writer of a cell goes through these names.

#include <cstddef>
#include <cstdint>
#include <type_traits>

constexpr uint8_t kNoteRelease = 109;  // the note byte that releases the sounding note
constexpr uint8_t kMaxNoteByte = 108;  // note number 107, stored plus one
constexpr uint8_t kNoChange = 0xFF;    // a volume or pan byte that changes nothing

struct cCell {
  uint8_t note;        // 1-108: note number + 1; kNoteRelease; 0: none
  uint8_t instrument;  // 1-128: parameter block + 1; 0: none
  // kNoChange; 0x80-0x8F: the note volume up by the low nibble, 0x90-0x9F
  // down; any other value sets it (held to 0-127).
  uint8_t volume;
  // kNoChange; 0-127 sets the pan; 0x80-0x8F slides it right by the low
  // nibble, 0x90-0x9F left; 0xA0-0xFE do nothing.
  uint8_t pan;
  uint8_t command1, parameter1;  // the first effect column
  uint8_t command2, parameter2;  // the second effect column

  // The command words the generators and effect slots receive.
  int Effect1() const { return command1 * 256 + parameter1; }
  int Effect2() const { return command2 * 256 + parameter2; }

  friend bool operator==(const cCell&, const cCell&) = default;
};
static_assert(sizeof(cCell) == 8 && alignof(cCell) == 1, "a cell is eight bytes, unpadded");
static_assert(offsetof(cCell, pan) == 3 && offsetof(cCell, parameter2) == 7);
static_assert(std::is_trivially_copyable_v<cCell> && std::is_standard_layout_v<cCell>);

constexpr cCell kEmptyCell{0, 0, kNoChange, kNoChange, 0, 0, 0, 0};
