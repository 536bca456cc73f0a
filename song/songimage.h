#pragma once
// What a song file holds, as plain values: the settings, the sequence
// entries and range, the patterns in use, the instruments, each effect
// slot's type and parameter values, and the send levels. The song writer
// writes from it; the wave list comes from whoever holds the waves.
//
// Taking it is a copy of a few tables and nothing else, so it can be done
// under the engine lock: Reserve sizes the pattern store beforehand, and
// Take then allocates nothing for the same song.

#include <cstdint>
#include <vector>

#include "fx/fxchains.h"
#include "fx/fxfactory.h"
#include "song/songtables.h"

// One effect slot: its type, then its effect's parameter block.
struct cFxSlotImage {
  uint32_t type = 0;
  // -1: the slot has no effect object and nothing follows the type.
  int32_t count = -1;
  int32_t values[kFxMostParams] = {};
};

class cSongImage {
 public:
  // Window thread, without the lock: room for the patterns the song keeps
  // now (PatternsToKeep, looked for here, away from the lock; the window is
  // the only thread that writes patterns). The room never shrinks, so an
  // image taken again and again settles.
  void Reserve(const cSongTables& song);
  // Engine lock held: copies what the file holds.
  void Take(const cSongTables& song, const cFxChains& fx);

  // The settings, the channel count held to 0-16.
  int32_t channels = 0;
  int32_t masterVolume = 0, masterPan = 0, bpm = 0, speed = 0;
  int32_t start = 0, repeat = 0, end = 0;
  int32_t channelVolume[kChannels] = {};
  // Entries 0 to positions - 1: pattern, then channel-mode word.
  uint32_t positions = 0;
  uint32_t sequence[kPositions][2] = {};
  // Patterns 0 to patterns - 1 (up to the highest one the whole sequence
  // names, or beyond it to the highest one that holds anything, as Reserve
  // found), each its first channels x 512 bytes, one after another.
  uint32_t patterns = 0;
  std::vector<uint8_t> cells;
  int16_t instruments[kInstruments][kInstrumentWords] = {};
  cFxSlotImage effects[kFxSlots][kFxChains];
  int32_t send[kFxAuxBuses][kFxChannels] = {};

  const uint8_t* Pattern(uint32_t p) const { return cells.data() + p * PatternBytes(); }
  size_t PatternBytes() const { return kChannelBytes * size_t(channels); }

 private:
  uint32_t reservedPatterns = 0;
};

// The patterns a song file of this song holds: up to the highest pattern
// that any of the 4096 sequence entries names, even beyond the range saved.
uint32_t PatternsInUse(const cSongTables& song);
// Those and, beyond them, up to the highest pattern that holds anything in
// the saved channels: a pattern written before any entry names it is kept.
uint32_t PatternsToKeep(const cSongTables& song);
