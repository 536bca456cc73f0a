#pragma once
// One step of the edit history: what an edit changed, as the values before
// and after it, so that undo puts back exactly the bytes of before and redo
// those of after. Only song data is held here: what the song file stores
// (patterns, sequence and range, song settings, instruments, effect types,
// parameters and sends, waves). Plain data; cSongEdits applies it.

#include <cstddef>
#include <cstdint>
#include <string>
#include <variant>
#include <vector>

#include "engine/wavestore.h"
#include "song/songtables.h"

// Where an edit was made: the song position whose entry the pattern view
// showed, and the pattern cursor's channel and row.
struct cEditLocation {
  int32_t position = 0;
  int32_t channel = 0;
  int32_t row = 0;
};

// Cells of one pattern; a cell is channel x 64 + row.
struct cCellChange {
  uint16_t cell;
  uint8_t before[kCellBytes];
  uint8_t after[kCellBytes];
};
struct cPatternDelta {
  int32_t pattern = 0;
  std::vector<cCellChange> cells;
};

// Sequence entries (pattern number and mode word) and the range.
struct cEntryChange {
  uint16_t position;
  uint32_t before[2];
  uint32_t after[2];
};
struct cSequenceRange {
  int32_t start = 0, repeat = 0, end = 0;
  bool operator==(const cSequenceRange&) const = default;
};
struct cSequenceDelta {
  std::vector<cEntryChange> entries;
  cSequenceRange before, after;
};

// The song settings the file stores in its general section.
struct cSongSettings {
  int32_t channelCount = 4;
  int32_t masterVolume = 120;
  int32_t masterPan = 0;
  int32_t bpm = 126;
  int32_t speed = 6;
  int32_t channelVolume[kChannels] = {};
  bool operator==(const cSongSettings&) const = default;
};
struct cSettingsDelta {
  cSongSettings before, after;
};

struct cInstrumentDelta {
  int32_t block = 0;
  int16_t before[kInstrumentWords];
  int16_t after[kInstrumentWords];
};

// An effect slot as the song file stores it: its type and the values its
// parameters read back.
constexpr int kMaxEffectParams = 32;
struct cEffectState {
  uint32_t type = 0;
  int32_t count = 0;
  int32_t params[kMaxEffectParams] = {};
  bool operator==(const cEffectState&) const = default;
};
struct cEffectDelta {
  int32_t chain = 0, slot = 0;
  cEffectState before, after;
};

// Send levels of the 16 channels to the 4 aux buses.
struct cSendTable {
  int32_t level[kAuxBuses][kChannels] = {};
  bool operator==(const cSendTable&) const = default;
};
struct cSendsDelta {
  cSendTable before, after;
};

struct cWaveDelta {
  int32_t slot = 0;
  cWaveSlot before, after;
};

using cEditDelta = std::variant<cPatternDelta, cSequenceDelta, cSettingsDelta, cInstrumentDelta,
                                cEffectDelta, cSendsDelta, cWaveDelta>;

struct cEditStep {
  std::string name;  // "Cut Track": the Edit menu says "Undo Cut Track"
  cEditLocation where;
  std::vector<cEditDelta> deltas;
  // Edits with the same non-zero key that follow each other while the step
  // is open (one drag of one control) merge into this step.
  uint32_t mergeKey = 0;
  // Bytes the step keeps alive: its own size and the wave buffers it holds.
  size_t Bytes() const;
};

// Merges a later step into an earlier one of the same edit: the earlier
// step's before values stay and the later step's after values win.
void MergeStep(cEditStep& into, cEditStep&& later);
