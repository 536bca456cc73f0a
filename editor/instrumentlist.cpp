#include "editor/instrumentlist.h"

#include <cstring>

#include "editor/samplerlayers.h"
#include "editor/synthcontrols.h"
#include "engine/wavestore.h"
#include "song/songimage.h"

namespace {

constexpr const char* kNothing = "-";

std::string FileName(const std::string& path) {
  const size_t cut = path.find_last_of('/');
  return cut == std::string::npos ? path : path.substr(cut + 1);
}

}  // namespace

void cPresetMemory::Remember(int32_t block, int32_t engine, const std::string& path) {
  entries[size_t(block & 0x7F)] = {engine, FileName(path)};
  if (onChange) onChange();
}

std::string cPresetMemory::Name(int32_t block, int32_t engine) const {
  const cEntry& entry = entries[size_t(block & 0x7F)];
  return entry.engine == engine ? entry.name : std::string();
}

void cPresetMemory::Forget(int32_t block) {
  cEntry& entry = entries[size_t(block & 0x7F)];
  if (entry.engine < 0) return;
  entry = {};
  if (onChange) onChange();
}

void cPresetMemory::ForgetAll() {
  entries.fill({});
  if (onChange) onChange();
}

std::array<bool, kInstruments + 1> InstrumentsInPatterns(const cSongTables& song) {
  std::array<bool, kInstruments + 1> used{};
  const int patterns = int(PatternsToKeep(song));
  for (int p = 0; p < patterns; ++p) {
    const cCell* cells = song.Pattern(p);
    // The first channelCount channels' cells lie first in the pattern.
    for (int i = 0; i < song.channelCount * kRows; ++i) {
      const uint8_t instrument = cells[i].instrument;
      if (instrument >= 1 && instrument <= kInstruments) used[instrument] = true;
    }
  }
  return used;
}

std::string InstrumentHolds(const cTracker& tracker, const cPresetMemory& presets, int32_t block) {
  const int16_t* params = tracker.GetParams(block);
  if (params == nullptr) return kNothing;
  const int32_t engine = params[kParamGenType];
  if (engine == kGenSampler) {
    const int32_t layer = SamplerLayer(params);
    cWaveEntry wave{};
    if (layer < 0 || !tracker.Waves().GetEntry(layer, &wave) || wave.data == nullptr ||
        wave.length < 1)
      return kNothing;
    const std::string name(wave.name, strnlen(wave.name, kWaveNameBytes));
    return name.empty() ? "Layer " + std::to_string(layer) : name;
  }
  const std::string preset = presets.Name(block, engine);
  return preset.empty() ? kNothing : preset;
}

std::string InstrumentTitle(int32_t number, const std::string& holds) {
  std::string title = "Instrument " + std::to_string(number);
  if (!holds.empty() && holds != kNothing) title += ": " + holds;
  return title;
}

std::string InstrumentRowText(const cInstrumentRow& row) {
  std::string text = "Instrument " + std::to_string(row.number) + ", " + row.engineName + ", " +
                     (row.holds == kNothing ? "nothing loaded" : row.holds);
  if (row.used) text += ", used in the patterns";
  return text;
}

bool cInstrumentList::Read() {
  const std::array<bool, kInstruments + 1> used = InstrumentsInPatterns(tracker.Song());
  std::vector<cInstrumentRow> fresh(kInstruments);
  for (int32_t block = 0; block < kInstruments; ++block) {
    cInstrumentRow& row = fresh[size_t(block)];
    row.number = block + 1;
    row.engine = tracker.GetParam(block, kParamGenType);
    const char* name = EngineName(row.engine);
    row.engineName = name[0] != '\0' ? name : kNothing;
    row.holds = InstrumentHolds(tracker, presets, block);
    row.used = used[size_t(row.number)];
    row.selectable = row.number <= 127;
  }
  if (fresh == rows) return false;
  rows = std::move(fresh);
  return true;
}
