// The controller's file commands: new song, song files, presets and module
// import. Each holds the engine lock for the whole operation; the callers
// pause the engine around them.

#include <vector>

#include "app/tracker.h"
#include "engine/sampler.h"
#include "song/modimport.h"
#include "song/presets.h"
#include "song/songfile.h"

namespace {

// What the song file needs from the engine: the reset, effect creation and
// the wave store's list.
class cTrackerSongHost : public cSongFileHost {
 public:
  explicit cTrackerSongHost(cTracker& tracker) : tracker(tracker) {}
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
  cTracker& tracker;
};

class cTrackerModHost : public cModHost {
 public:
  explicit cTrackerModHost(cTracker& tracker) : tracker(tracker) {}
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
  cTracker& tracker;
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

void cTracker::NewModule() {
  std::lock_guard<std::recursive_mutex> lock(engineLock);
  ResetSong();
  SilenceAll(true);
}

int cTracker::SaveModule(const std::string& path) {
  std::lock_guard<std::recursive_mutex> lock(engineLock);
  cTrackerSongHost host(*this);
  return ::SaveModule(path, *song, *effects, host);
}

int cTracker::LoadModule(const std::string& path) {
  std::lock_guard<std::recursive_mutex> lock(engineLock);
  cTrackerSongHost host(*this);
  const int loaded = ::LoadModule(path, *song, *effects, host);
  if (loaded == 1) FilterLoadedInstruments();
  return loaded;
}

std::vector<uint8_t> cTracker::SongImage() {
  std::lock_guard<std::recursive_mutex> lock(engineLock);
  cTrackerSongHost host(*this);
  cFileWriter out;
  WriteModule(out, *song, *effects, host);
  return out.Bytes();
}

int cTracker::LoadModuleImage(std::vector<uint8_t> image) {
  std::lock_guard<std::recursive_mutex> lock(engineLock);
  cTrackerSongHost host(*this);
  cFileReader in(std::move(image));
  const bool loaded = ReadModule(in, *song, *effects, host);
  if (loaded) FilterLoadedInstruments();
  return loaded ? 1 : 0;
}

int cTracker::LoadModuleMOD(const std::string& path) {
  std::lock_guard<std::recursive_mutex> lock(engineLock);
  cTrackerModHost host(*this);
  return ::LoadModuleMOD(path, *song, host);
}

int cTracker::SaveSynth(const std::string& path, int32_t block) {
  std::lock_guard<std::recursive_mutex> lock(engineLock);
  return ::SaveSynth(path, song->Instrument(block));
}

int cTracker::LoadSynth(const std::string& path, int32_t block) {
  std::lock_guard<std::recursive_mutex> lock(engineLock);
  const int loaded = ::LoadSynth(path, song->Instrument(block));
  if (loaded == 1) FilterLoadedBlock(*generators, song->Instrument(block));
  return loaded;
}

int cTracker::SaveFMSynth(const std::string& path, int32_t block) {
  std::lock_guard<std::recursive_mutex> lock(engineLock);
  return ::SaveFMSynth(path, song->Instrument(block));
}

int cTracker::LoadFMSynth(const std::string& path, int32_t block) {
  std::lock_guard<std::recursive_mutex> lock(engineLock);
  const int loaded = ::LoadFMSynth(path, song->Instrument(block));
  if (loaded == 1) FilterLoadedBlock(*generators, song->Instrument(block));
  return loaded;
}
