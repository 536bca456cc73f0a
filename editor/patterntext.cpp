#include "editor/patterntext.h"

#include <cstring>

#include "song/songtables.h"

namespace {

constexpr char kHex[] = "0123456789ABCDEF";
constexpr char kSemitoneNames[12][3] = {{'C', '-'}, {'C', '#'}, {'D', '-'}, {'D', '#'},
                                        {'E', '-'}, {'F', '-'}, {'F', '#'}, {'G', '-'},
                                        {'G', '#'}, {'A', '-'}, {'A', '#'}, {'B', '-'}};

// Where each field of a cell is drawn: under its sub-columns.
constexpr int kNoteAt = FieldPosition(&cCell::note);
constexpr int kInstrumentAt = FieldPosition(&cCell::instrument);
constexpr int kVolumeAt = FieldPosition(&cCell::volume);
constexpr int kPanAt = FieldPosition(&cCell::pan);
constexpr int kEffect1At = FieldPosition(&cCell::command1);
constexpr int kEffect2At = FieldPosition(&cCell::command2);

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
  if (value == kNoChange) {
    out[0] = out[1] = '.';
  } else if (value < 0x80) {
    HexByte(value, out);
  } else {
    out[0] = value < 0x90 ? '+' : '-';
    out[1] = kHex[value & 15];
  }
}

void ChannelText(const cCell& cell, char out[kChannelChars]) {
  std::memset(out, ' ', kChannelChars);
  NoteName(cell.note, out + kNoteAt);
  if (cell.instrument == 0) {
    out[kInstrumentAt] = out[kInstrumentAt + 1] = '.';
  } else {
    HexByte(cell.instrument, out + kInstrumentAt);
  }
  VolumeText(cell.volume, out + kVolumeAt);
  VolumeText(cell.pan, out + kPanAt);
  EffectText(cell.command1, cell.parameter1, out + kEffect1At);
  EffectText(cell.command2, cell.parameter2, out + kEffect2At);
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
  return kRowNumberChars + kChannelChars * channel + SubColumnOf(subColumn).position;
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
