#include "editor/notekeys.h"

#include <algorithm>
#include <iterator>

#include "song/songtables.h"

namespace {

struct cNoteKeyRow {
  int vk;
  cNoteKey note;
};

constexpr cNoteKeyRow kNoteKeys[] = {
    {'Z', {0, 0}},         {'S', {1, 0}},  {'X', {2, 0}},
    {'D', {3, 0}},         {'C', {4, 0}},  {'V', {5, 0}},
    {'G', {6, 0}},         {'B', {7, 0}},  {'H', {8, 0}},
    {'N', {9, 0}},         {'J', {10, 0}}, {'M', {11, 0}},
    {kVkOemComma, {0, 1}}, {'L', {1, 1}},  {'Q', {0, 1}},
    {'2', {1, 1}},         {'W', {2, 1}},  {'3', {3, 1}},
    {'E', {4, 1}},         {'R', {5, 1}},  {'5', {6, 1}},
    {'T', {7, 1}},         {'6', {8, 1}},  {'Y', {9, 1}},
    {'7', {10, 1}},        {'U', {11, 1}}, {kVkOem5, {kNoteOffSemitone, 0}},
};

struct cScanCodeRow {
  int scanCode;  // X11 keycode: the kernel's evdev code + 8
  int vk;        // what a US layout prints there
};

constexpr cScanCodeRow kPianoScanCodes[] = {
    {11, '2'},         {12, '3'}, {14, '5'}, {15, '6'}, {16, '7'},  // digit row
    {24, 'Q'},         {25, 'W'}, {26, 'E'}, {27, 'R'}, {28, 'T'}, {29, 'Y'}, {30, 'U'},
    {39, 'S'},         {40, 'D'}, {42, 'G'}, {43, 'H'}, {44, 'J'}, {46, 'L'},  // home row
    {51, kVkOem5},                                                             // backslash
    {52, 'Z'},         {53, 'X'}, {54, 'C'}, {55, 'V'}, {56, 'B'}, {57, 'N'}, {58, 'M'},
    {59, kVkOemComma},
};

// Keys 1..9 and 0 of the digit row lie at X11 keycodes 10..19.
constexpr int kDigitRowFirst = 10;
constexpr int kDigitRowLast = 19;

}  // namespace

std::optional<cNoteKey> NoteKeyOfVk(int vk) {
  const auto* row = std::find_if(std::begin(kNoteKeys), std::end(kNoteKeys),
                                 [vk](const cNoteKeyRow& r) { return r.vk == vk; });
  if (row == std::end(kNoteKeys)) return std::nullopt;
  return row->note;
}

int UsVkAtScanCode(int scanCode) {
  const auto* row =
      std::find_if(std::begin(kPianoScanCodes), std::end(kPianoScanCodes),
                   [scanCode](const cScanCodeRow& r) { return r.scanCode == scanCode; });
  return row == std::end(kPianoScanCodes) ? 0 : row->vk;
}

std::optional<cNoteKey> NoteKeyOf(const cKey& key) {
  if (key.scanCode == 0) return NoteKeyOfVk(key.vk);
  const int usVk = UsVkAtScanCode(key.scanCode);
  if (usVk == 0) return std::nullopt;
  return NoteKeyOfVk(usVk);
}

int NoteValue(const cNoteKey& key, int octave) {
  return std::clamp((key.octaveOffset + octave) * 12 + key.semitone + 1, 1, int(kMaxNoteByte));
}

int HexDigitOfVk(int vk) {
  if (vk >= '0' && vk <= '9') return vk - '0';
  if (vk >= 'A' && vk <= 'F') return vk - 'A' + 10;
  return -1;
}

int DigitRowVk(int scanCode) {
  if (scanCode < kDigitRowFirst || scanCode > kDigitRowLast) return 0;
  return scanCode == kDigitRowLast ? '0' : '1' + (scanCode - kDigitRowFirst);
}
