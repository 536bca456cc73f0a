#pragma once
// The instrument list beside the pages: every instrument of the song with
// its engine, what it holds and whether the song's patterns name it; and
// the names of the presets loaded into or saved from the synthesizers this
// session, which the list and the instrument page's title show. Window
// thread only.

#include <array>
#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "app/tracker.h"

// The preset file each instrument was last given or saved to, by name, for
// as long as the program runs. A name holds while the instrument keeps the
// engine it was for: a sampler made of a synthesizer holds a wave, not the
// preset.
class cPresetMemory {
 public:
  // The file at path was loaded into or saved from the block (0-127), an
  // instrument of the engine.
  void Remember(int32_t block, int32_t engine, const std::string& path);
  // The file's name ("Saw Bass.zqb") when the block is still of that
  // engine; empty otherwise.
  std::string Name(int32_t block, int32_t engine) const;
  // The block took another engine's defaults.
  void Forget(int32_t block);
  // A new song: its instruments came from elsewhere.
  void ForgetAll();
  // Told after every change of a name (the list shows it).
  void SetListener(std::function<void()> listener) { onChange = std::move(listener); }

 private:
  struct cEntry {
    int32_t engine = -1;
    std::string name;
  };
  std::array<cEntry, kInstruments> entries;
  std::function<void()> onChange;
};

struct cInstrumentRow {
  int32_t number = 0;  // 1-128
  int32_t engine = 0;  // word 31
  std::string engineName;
  // The sampler's wave, a synthesizer's preset, "-" for nothing.
  std::string holds;
  bool used = false;        // a pattern's cell names it
  bool selectable = false;  // 1-127 can be made current, 128 cannot

  friend bool operator==(const cInstrumentRow&, const cInstrumentRow&) = default;
};

// Which instrument numbers (1-128) the cells of the song's patterns name:
// the patterns the song file holds (up to the highest the sequence names or
// beyond, to the highest holding anything), in the channels the song plays.
std::array<bool, kInstruments + 1> InstrumentsInPatterns(const cSongTables& song);

// What the block (0-127) holds: the name of the wave on a sampler's layer,
// the name of a synthesizer's last preset, "-" when neither.
std::string InstrumentHolds(const cTracker& tracker, const cPresetMemory& presets, int32_t block);

// The instrument page's title beside its engine box: "Instrument 4: Saw
// Bass.zqb", or "Instrument 4" when it holds nothing.
std::string InstrumentTitle(int32_t number, const std::string& holds);

// "Instrument 4, Synthesizer, Saw Bass.zqb, used in the patterns": the
// row as a screen reader says it.
std::string InstrumentRowText(const cInstrumentRow& row);

class cInstrumentList {
 public:
  cInstrumentList(const cTracker& tracker, const cPresetMemory& presets)
      : tracker(tracker), presets(presets) {}

  // Reads every row from the song; true when a row differs from before.
  bool Read();
  const std::vector<cInstrumentRow>& Rows() const { return rows; }
  // The current instrument (1-127), whose row is selected.
  int32_t Current() const { return tracker.Song().currentInstrument; }

 private:
  const cTracker& tracker;
  const cPresetMemory& presets;
  std::vector<cInstrumentRow> rows;
};
