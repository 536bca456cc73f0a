#include "song/songtables.h"

#include <algorithm>
#include <cstring>

cSongTables::cSongTables() : memory(new uint8_t[kSongMemoryBytes]()) {
  std::memset(instruments, 0, sizeof instruments);
  Reset(cSongDefaults{});
}

void cSongTables::ClearPattern(int pattern) {
  uint8_t* p = PatternStore() + size_t(pattern & 0xFF) * kPatternBytes;
  // One empty cell, then the cleared part copied onto the rest, doubling.
  std::memcpy(p, kEmptyCell, kCellBytes);
  for (size_t done = kCellBytes; done < kPatternBytes; done *= 2) {
    std::memcpy(p + done, p, std::min(done, kPatternBytes - done));
  }
}

uint32_t cSongTables::GetPattern(int position) const { return Entry(position)[0]; }

void cSongTables::SetPattern(int position, uint32_t pattern) {
  Entry(position)[0] = pattern & 0xFF;
}

uint32_t cSongTables::GetModeWord(int position) const { return Entry(position)[1]; }

void cSongTables::SetModeWord(int position, uint32_t modes) { Entry(position)[1] = modes; }

int cSongTables::GetChannelMode(int position, int channel) const {
  return int((Entry(position)[1] >> (2 * (channel & 0x0F))) & 3);
}

void cSongTables::SetChannelMode(int position, int channel, int mode) {
  const int shift = 2 * (channel & 0x0F);
  uint32_t& word = Entry(position)[1];
  word = (word & ~(3u << shift)) | (uint32_t(mode & 3) << shift);
}

// Each position wraps within 0-4095 before the range is put in order:
// a start stepped below 0 becomes FFF and the order still holds.
void cSongTables::NormaliseRange() {
  start &= 0xFFF;
  end &= 0xFFF;
  repeat &= 0xFFF;
  if (start > end) end = start;
  if (start > repeat) repeat = start;
  if (end < repeat) repeat = end;
}

bool cSongTables::SetChannelCount(int count) {
  if (!kChannelCountRange.Holds(count)) return false;
  channelCount = count;
  return true;
}

void cSongTables::Reset(const cSongDefaults& defaults) {
  bpm = defaults.bpm;
  speed = defaults.speed;
  masterVolume = defaults.masterVolume;
  masterPan = defaults.masterPan;
  for (int c = 0; c < kChannels; ++c) {
    channelVolume[c] = 100;
    mixer.on[c] = 1;
    noteVolume[c] = 127;
  }
  mixer.solo = -1;
  start = end = repeat = 0;
  std::memset(Sequence(), 0, kSequenceBytes);
  for (int p = 0; p < kPatterns; ++p) ClearPattern(p);
  for (auto& block : instruments) std::fill_n(block, 64, int16_t{0});
  if (!SetChannelCount(defaults.channels)) channelCount = 4;
  currentInstrument = 1;
  octave = defaults.octave;
  rowAdd = defaults.rowAdd;
}

// The size of the fields copied below: a field added to the class must be
// copied there too.
static_assert(sizeof(cSongTables) == 33016, "copy the new field in CopyFrom");

void cSongTables::CopyFrom(const cSongTables& other) {
  std::memcpy(memory.get(), other.memory.get(), kSongMemoryBytes);
  std::memcpy(instruments, other.instruments, sizeof instruments);
  channelCount = other.channelCount;
  masterVolume = other.masterVolume;
  masterPan = other.masterPan;
  bpm = other.bpm;
  speed = other.speed;
  start = other.start;
  end = other.end;
  repeat = other.repeat;
  std::memcpy(channelVolume, other.channelVolume, sizeof channelVolume);
  mixer = other.mixer;
  std::memcpy(noteVolume, other.noteVolume, sizeof noteVolume);
  currentInstrument = other.currentInstrument;
  octave = other.octave;
  rowAdd = other.rowAdd;
}
