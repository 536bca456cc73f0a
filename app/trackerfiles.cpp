// The controller's file commands: new song, song files, presets and module
// import. Each holds the engine lock for the whole operation; the callers
// pause the engine around them. Songs and modules are read aside and take
// the place of the song in memory only once read: a refused or failed load,
// and one that runs out of memory, leave it as it was.

#include <cerrno>
#include <new>

#include "app/songstage.h"
#include "app/tracker.h"
#include "song/presets.h"

namespace {

// What saving a song needs from the engine: the wave store's list.
class cTrackerSongHost : public cSongFileHost {
 public:
  explicit cTrackerSongHost(cWavManager& waves) : waves(waves) {}
  void NewModule() override {}
  cEffect* CreateEffect(int, int, uint32_t) override { return nullptr; }
  void WriteWaveList(cFileWriter& out) override { waves.WriteWaveList(out); }

 private:
  cWavManager& waves;
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

// A song too large for the memory left is not saved; the old file stays.
int cTracker::SaveModule(const std::string& path, cFileResult* why) {
  std::lock_guard<std::recursive_mutex> lock(engineLock);
  try {
    cTrackerSongHost host(*waves);
    return ::SaveModule(path, *song, *effects, host, why);
  } catch (const std::bad_alloc&) {
    Tell(why, cFileResult::System(ENOMEM));
    return 0;
  }
}

int cTracker::LoadAside(cFileResult* why,
                        const std::function<int(cSongStage&, cFileResult*)>& load) {
  try {
    cSongStage stage(*song, effects->factory, *generators, SongDefaults());
    cFileResult result;
    if (load(stage, &result) != 1) {
      Tell(why, result);
      return 0;
    }
    stage.Commit(*song, *effects, *waves, *player);
    Tell(why, result);
    return 1;
  } catch (const std::bad_alloc&) {
    Tell(why, cFileResult::System(ENOMEM));
    return 0;
  }
}

int cTracker::LoadModule(const std::string& path, cFileResult* why) {
  std::lock_guard<std::recursive_mutex> lock(engineLock);
  const int loaded = LoadAside(why, [&path](cSongStage& stage, cFileResult* result) {
    return ::LoadModule(path, stage.Song(), stage.Effects(), stage, result);
  });
  if (loaded == 1) FilterLoadedInstruments();
  return loaded;
}

int cTracker::LoadModuleMOD(const std::string& path, cFileResult* why) {
  std::lock_guard<std::recursive_mutex> lock(engineLock);
  return LoadAside(why, [&path](cSongStage& stage, cFileResult* result) {
    return ::LoadModuleMOD(path, stage.Song(), stage, result);
  });
}

int cTracker::SaveSynth(const std::string& path, int32_t block, cFileResult* why) {
  std::lock_guard<std::recursive_mutex> lock(engineLock);
  return ::SaveSynth(path, song->Instrument(block), why);
}

int cTracker::LoadSynth(const std::string& path, int32_t block, cFileResult* why) {
  std::lock_guard<std::recursive_mutex> lock(engineLock);
  const int loaded = ::LoadSynth(path, song->Instrument(block), why);
  if (loaded == 1) FilterLoadedBlock(*generators, song->Instrument(block));
  return loaded;
}

int cTracker::SaveFMSynth(const std::string& path, int32_t block, cFileResult* why) {
  std::lock_guard<std::recursive_mutex> lock(engineLock);
  return ::SaveFMSynth(path, song->Instrument(block), why);
}

int cTracker::LoadFMSynth(const std::string& path, int32_t block, cFileResult* why) {
  std::lock_guard<std::recursive_mutex> lock(engineLock);
  const int loaded = ::LoadFMSynth(path, song->Instrument(block), why);
  if (loaded == 1) FilterLoadedBlock(*generators, song->Instrument(block));
  return loaded;
}
