#include "editor/patterntext.h"

#include <cstring>

#include "song/songtables.h"

namespace {

constexpr char kHex[] = "0123456789ABCDEF";
constexpr char kSemitoneNames[12][3] = {{'C', '-'}, {'C', '#'}, {'D', '-'}, {'D', '#'},
                                        {'E', '-'}, {'F', '-'}, {'F', '#'}, {'G', '-'},
                                        {'G', '#'}, {'A', '-'}, {'A', '#'}, {'B', '-'}};
constexpr int kSubColumnBase[kSubColumns] = {4,  8,  9,  11, 12, 14, 15, 17,
                                             18, 19, 20, 22, 23, 24, 25};

void HexByte(uint8_t value, char* out) {
  out[0] = kHex[value >> 4];
  out[1] = kHex[value & 15];
}

void EffectText(uint8_t command, uint8_t parameter, char* out) {
  if (command == 0 && parameter == 0) {
    std::memcpy(out, "....", 4);
    return;
  }
  HexByte(command, out);
  HexByte(parameter, out + 2);
}

}  // namespace

void NoteName(uint8_t note, char out[3]) {
  if (note == 0) {
    std::memcpy(out, "...", 3);
  } else if (note <= kMaxNoteByte) {
    out[0] = kSemitoneNames[(note - 1) % 12][0];
    out[1] = kSemitoneNames[(note - 1) % 12][1];
    out[2] = char('0' + (note - 1) / 12);
  } else if (note == kNoteRelease) {
    std::memcpy(out, "off", 3);
  } else {
    std::memcpy(out, "???", 3);  // only a damaged file holds these
  }
}

void VolumeText(uint8_t value, char out[2]) {
  if (value == 0xFF) {
    out[0] = out[1] = '.';
  } else if (value < 0x80) {
    HexByte(value, out);
  } else {
    out[0] = value < 0x90 ? '+' : '-';
    out[1] = kHex[value & 15];
  }
}

void ChannelText(const uint8_t* cell, char out[kChannelChars]) {
  std::memset(out, ' ', kChannelChars);
  NoteName(cell[0], out + 1);
  if (cell[1] == 0) {
    out[5] = out[6] = '.';
  } else {
    HexByte(cell[1], out + 5);
  }
  VolumeText(cell[2], out + 8);
  VolumeText(cell[3], out + 11);
  EffectText(cell[4], cell[5], out + 14);
  EffectText(cell[6], cell[7], out + 19);
}

void RowNumberText(int row, char out[kRowNumberChars]) {
  out[2] = ' ';
  if (row < 0 || row > 63) {
    out[0] = out[1] = ' ';
    return;
  }
  out[0] = char('0' + row / 10);
  out[1] = char('0' + row % 10);
}

int SubColumnPosition(int channel, int subColumn) {
  return kSubColumnBase[subColumn] + kChannelChars * channel;
}

cRgb PatternRowColour(int row, bool masked, bool cursorRow) {
  // Columns: plain, plain masked, cursor, cursor masked.
  static constexpr cRgb kSixteenth[4] = {
      {184, 184, 168}, {168, 168, 152}, {184, 184, 192}, {168, 168, 176}};
  static constexpr cRgb kFourth[4] = {
      {200, 200, 184}, {184, 184, 168}, {192, 192, 200}, {176, 176, 184}};
  static constexpr cRgb kOther[4] = {
      {208, 208, 192}, {192, 192, 176}, {200, 200, 208}, {184, 184, 192}};
  const int column = (cursorRow ? 2 : 0) + (masked ? 1 : 0);
  if (row < 0 || row > 63) return kFourth[column];  // outside the pattern
  if (row % 16 == 0) return kSixteenth[column];
  if (row % 4 == 0) return kFourth[column];
  return kOther[column];
}
