// The controller's file commands: new song, song files, presets and module
// import. Songs are read and written under the engine lock, and the callers
// pause the engine around them; presets never hold the lock across a file.

#include <algorithm>
#include <vector>

#include "app/tracker.h"
#include "app/trackerinside.h"
#include "engine/sampler.h"
#include "song/modimport.h"
#include "song/presets.h"
#include "song/songfile.h"

namespace {

// What the song file needs from the engine: the reset, effect creation and
// the wave store's list.
class cTrackerSongHost : public cSongFileHost {
 public:
  explicit cTrackerSongHost(cTracker& tracker) : tracker{tracker} {}
  void NewModule() override { tracker.ResetSong(); }
  cEffect* CreateEffect(int chain, int slot, uint32_t type) override {
    cFxChains& fx = tracker.Effects();
    fx.type[slot & 3][chain] = type;
    fx.ChangeFxModule(chain, slot, int32_t(type));
    return fx.GetFxObjPtr(slot, chain);
  }
  void WriteWaveList(cFileWriter& out) override { tracker.Waves().WriteWaveList(out); }
  bool ReadWaveList(cFileReader& in) override { return tracker.Waves().ReadWaveList(in); }

 private:
  cTrackerInside tracker;
};

class cTrackerModHost : public cModHost {
 public:
  explicit cTrackerModHost(cTracker& tracker) : tracker{tracker} {}
  void NewModule() override { tracker.ResetSong(); }
  void SetCurrentTempo(int32_t bpm, int32_t speed) override {
    tracker.Player().SetBPM(bpm);
    tracker.Player().SetSpeed(speed);
  }
  bool StoreWave(int slot, const char* name, const int8_t* data, int32_t frames, uint32_t flags,
                 int32_t loopStart, int32_t loopEnd) override {
    // Signed 8-bit samples become value x 256 in the wave's 16 bits.
    samples.resize(size_t(frames));
    for (int32_t i = 0; i < frames; ++i) samples[size_t(i)] = int16_t(data[i] * 256);
    return tracker.Waves().SetSlot(slot, samples.data(), frames, flags, loopStart, loopEnd, name);
  }
  void SamplerDefaults(int16_t* block) override {
    if (cSampler* sampler = tracker.Generators().Sampler(0)) sampler->GetDefaults(block);
  }
  void SetGeneratorType(int channel, int32_t type) override {
    tracker.Generators().generatorType[channel & 0x0F] = type;
  }

 private:
  cTrackerInside tracker;
  std::vector<int16_t> samples;
};

// Every word of a block from a file into the range its generator offers, as
// the editor keeps them: a damaged file must not reach a generator with
// values that make its sound infinite. Blocks this program wrote are in
// range already and stay as they are.
// An unknown type has no generator to play it and is left as it is.
void FilterLoadedBlock(cGenManager& generators, int16_t* block) {
  if (cGenerator* kind = generators.Generator(block[kParamGenType], 0)) kind->FilterParams(block);
}

}  // namespace

void cTracker::FilterLoadedInstruments() {
  for (int i = 0; i < kInstruments; ++i) FilterLoadedBlock(*generators, song->Instrument(i));
}

// A new, loaded or imported song starts with an empty history, as saved,
// and with the song position, the pattern and the row of entry 0.
void cTracker::NewModule() {
  {
    std::lock_guard<std::recursive_mutex> lock(engineLock);
    ResetSong();
    SilenceAll(true);
  }
  StartAtFirstEntry();
  edits->Clear();
}

int cTracker::SaveModule(const std::string& path) {
  int saved;
  {
    std::lock_guard<std::recursive_mutex> lock(engineLock);
    cTrackerSongHost host(*this);
    saved = ::SaveModule(path, *song, *effects, host);
  }
  if (saved == 1) edits->MarkSaved();
  return saved;
}

int cTracker::LoadModule(const std::string& path) {
  int loaded;
  {
    std::lock_guard<std::recursive_mutex> lock(engineLock);
    cTrackerSongHost host(*this);
    loaded = ::LoadModule(path, *song, *effects, host);
    if (loaded == 1) FilterLoadedInstruments();
  }
  if (loaded == 1) {
    StartAtFirstEntry();
    edits->Clear();
  }
  return loaded;
}

int cTracker::LoadModuleMOD(const std::string& path) {
  int loaded;
  {
    std::lock_guard<std::recursive_mutex> lock(engineLock);
    cTrackerModHost host(*this);
    loaded = ::LoadModuleMOD(path, *song, host);
  }
  if (loaded == 1) {
    StartAtFirstEntry();
    edits->Clear();
  }
  return loaded;
}

// Presets are copied under the lock and written after it, or read before
// it and stored through the edit path: a file never waits inside the lock.
int cTracker::SaveSynth(const std::string& path, int32_t block) {
  int16_t words[kInstrumentWords];
  {
    std::lock_guard<std::recursive_mutex> lock(engineLock);
    const int16_t* params = song->Instrument(block);
    std::copy(params, params + kInstrumentWords, words);
  }
  return ::SaveSynth(path, words);
}

int cTracker::SaveFMSynth(const std::string& path, int32_t block) {
  int16_t words[kInstrumentWords];
  {
    std::lock_guard<std::recursive_mutex> lock(engineLock);
    const int16_t* params = song->Instrument(block);
    std::copy(params, params + kInstrumentWords, words);
  }
  return ::SaveFMSynth(path, words);
}

// The preset fills a copy of the block (a preset may hold fewer words than
// the block), which the edit path stores as one step.
int cTracker::LoadSynth(const std::string& path, int32_t block) {
  int16_t words[kInstrumentWords];
  const int16_t* params = song->Instrument(block);
  std::copy(params, params + kInstrumentWords, words);
  if (::LoadSynth(path, words) != 1) return 0;
  edits->PutInstrument("Load Synth", block & 0x7F, words);
  return 1;
}

int cTracker::LoadFMSynth(const std::string& path, int32_t block) {
  int16_t words[kInstrumentWords];
  const int16_t* params = song->Instrument(block);
  std::copy(params, params + kInstrumentWords, words);
  if (::LoadFMSynth(path, words) != 1) return 0;
  edits->PutInstrument("Load FM Synth", block & 0x7F, words);
  return 1;
}
