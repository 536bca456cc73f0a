#pragma once
// The fifteen sub-columns through which the cursor reaches a channel's cell
// in the pattern view: the byte each one edits, which half of it a typed
// digit sets and how high that digit may go, what "clear the field"
// empties, where it is drawn and what the status bar says about it. Note
// and hex entry, clearing, the row text and the cursor all read this table.

#include <cstdint>
#include <string>

#include "song/cell.h"

constexpr int kSubColumns = 15;
constexpr int kNoteSubColumn = 0;

enum class eNibble : uint8_t {
  kNote,  // the note keys write the whole byte
  kHigh,
  kLow,
};

struct cSubColumn {
  uint8_t cCell::*field;  // the byte it edits
  eNibble nibble;         // the half a typed digit sets
  uint8_t maxDigit;       // digits above it are refused
  // The bytes "clear the field" gives their empty values; the second may be
  // null.
  uint8_t cCell::*clears[2];
  int position;  // character column within the channel's part of a row
  int width;     // characters under the cursor mark
  const char* help;

  // The byte after typing digit (0 to maxDigit) into value.
  uint8_t Typed(uint8_t value, int digit) const;
  void Clear(cCell& cell) const;
};

// clang-format off
inline constexpr cSubColumn kSubColumnTable[kSubColumns] = {
    // byte               half            max  clear the field                        at  wide
    {&cCell::note,       eNibble::kNote, 0,   {&cCell::note, nullptr},                 1, 3, "Note"},
    {&cCell::instrument, eNibble::kHigh, 7,   {&cCell::instrument, nullptr},           5, 1, "Instrument [01 - 7F]"},
    {&cCell::instrument, eNibble::kLow,  15,  {&cCell::instrument, nullptr},           6, 1, "Instrument [01 - 7F]"},
    {&cCell::volume,     eNibble::kHigh, 9,   {&cCell::volume, nullptr},               8, 1, "Channel Volume [00 - 7F]"},
    {&cCell::volume,     eNibble::kLow,  15,  {&cCell::volume, nullptr},               9, 1, "Channel Volume [00 - 7F]"},
    {&cCell::pan,        eNibble::kHigh, 9,   {&cCell::pan, nullptr},                 11, 1, "Channel Pan [00 - 7F]"},
    {&cCell::pan,        eNibble::kLow,  15,  {&cCell::pan, nullptr},                 12, 1, "Channel Pan [00 - 7F]"},
    {&cCell::command1,   eNibble::kHigh, 15,  {&cCell::command1, &cCell::parameter1}, 14, 1, "FX1 Command"},
    {&cCell::command1,   eNibble::kLow,  15,  {&cCell::command1, &cCell::parameter1}, 15, 1, "FX1 Command"},
    {&cCell::parameter1, eNibble::kHigh, 15,  {&cCell::command1, &cCell::parameter1}, 16, 1, "FX1 Parameter"},
    {&cCell::parameter1, eNibble::kLow,  15,  {&cCell::command1, &cCell::parameter1}, 17, 1, "FX1 Parameter"},
    {&cCell::command2,   eNibble::kHigh, 15,  {&cCell::command2, &cCell::parameter2}, 19, 1, "FX2 Command"},
    {&cCell::command2,   eNibble::kLow,  15,  {&cCell::command2, &cCell::parameter2}, 20, 1, "FX2 Command"},
    {&cCell::parameter2, eNibble::kHigh, 15,  {&cCell::command2, &cCell::parameter2}, 21, 1, "FX2 Parameter"},
    {&cCell::parameter2, eNibble::kLow,  15,  {&cCell::command2, &cCell::parameter2}, 22, 1, "FX2 Parameter"},
};
// clang-format on

// Sub-column k of the table, k held to 0-14.
constexpr const cSubColumn& SubColumnOf(int k) {
  return kSubColumnTable[k < 0 ? 0 : k >= kSubColumns ? kSubColumns - 1 : k];
}

// Where a byte of the cell starts in the channel's part of a row: the
// position of the first sub-column that edits it.
constexpr int FieldPosition(uint8_t cCell::*field) {
  for (const cSubColumn& column : kSubColumnTable) {
    if (column.field == field) return column.position;
  }
  return 0;
}

// The FX1 and FX2 command and parameter digits.
constexpr bool IsEffectSubColumn(int subColumn) {
  // Only an effect column's field clears as a pair: its command and parameter.
  return SubColumnOf(subColumn).clears[1] != nullptr;
}

// What the status bar says about a sub-column of a cell: its description
// and, on an effect column holding a command, the command's name and what
// its parameter does ("FX1 Command: 0A Volume slide, up 4, down 0").
std::string CursorHelpText(int subColumn, const cCell& cell);
