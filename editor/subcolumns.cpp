#include "editor/subcolumns.h"

#include "engine/commands.h"

uint8_t cSubColumn::Typed(uint8_t value, int digit) const {
  const bool high = nibble == eNibble::kHigh;
  // An empty volume or pan starts from nothing. 0x80-0x9F are slides there,
  // so a first 8 or 9 gives a slide of 1 rather than a slide of 0.
  if (value == kNoChange && kEmptyCell.*field == kNoChange)
    return high ? uint8_t(digit * 16 + (digit >= 8 ? 1 : 0)) : uint8_t(digit);
  return high ? uint8_t((value & 0x0F) | digit << 4) : uint8_t((value & 0xF0) | digit);
}

void cSubColumn::Clear(cCell& cell) const {
  for (uint8_t cCell::*cleared : clears) {
    if (cleared != nullptr) cell.*cleared = kEmptyCell.*cleared;
  }
}

std::string CursorHelpText(int subColumn, const cCell& cell) {
  const cSubColumn& column = SubColumnOf(subColumn);
  std::string text = column.help;
  if (!IsEffectSubColumn(subColumn)) return text;
  const uint8_t command = cell.*column.clears[0], parameter = cell.*column.clears[1];
  if (command != 0) text += ": " + CommandText(command, parameter);
  return text;
}
