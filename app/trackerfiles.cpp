// The controller's file commands: new song, song files, presets and module
// import. Songs are read under the engine lock and copied under it to be
// written after it, and the callers pause the engine around them; presets never hold the lock
// across a file. Songs and modules are read aside and take the place of the song in memory only
// once read: a refused or failed load, and one that runs out of memory, leave it as it was.

#include <algorithm>
#include <cerrno>
#include <new>

#include "app/songsnapshot.h"
#include "app/songstage.h"
#include "app/tracker.h"
#include "song/presets.h"

namespace {

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

std::chrono::nanoseconds cTracker::TakeSnapshot(cSongSnapshot& into) {
  into.ReleaseWaves();
  into.Image().Reserve(*song);
  std::lock_guard<std::recursive_mutex> lock(engineLock);
  const auto since = std::chrono::steady_clock::now();
  into.Image().Take(*song, *effects);
  for (int32_t i = 0; i < kWaveSlots; ++i) into.waves[i] = waves->GetSlot(i);
  return std::chrono::steady_clock::now() - since;
}

// A song too large for the memory left is not saved; the old file stays.
int cTracker::SaveModule(const std::string& path, cFileResult* why) {
  int saved;
  try {
    cSongSnapshot snapshot;
    TakeSnapshot(snapshot);
    saved = snapshot.Save(path, why, eReplaced::kKeepBackup) ? 1 : 0;
  } catch (const std::bad_alloc&) {
    Tell(why, cFileResult::System(ENOMEM));
    saved = 0;
  }
  if (saved == 1) edits->MarkSaved();
  return saved;
}

// A song that took the place of the one in memory starts at entry 0 with an
// empty history; one read only in part is not its file's, so it counts as
// modified from the start.
int cTracker::LoadAside(cFileResult* why,
                        const std::function<int(cSongStage&, cFileResult*)>& load) {
  cFileResult result;
  int loaded = 0;
  {
    std::lock_guard<std::recursive_mutex> lock(engineLock);
    try {
      cSongStage stage(*song, effects->factory, *generators, SongDefaults());
      if (load(stage, &result) == 1) {
        stage.Commit(*song, *effects, *waves, *player);
        loaded = 1;
      }
    } catch (const std::bad_alloc&) {
      result = cFileResult::System(ENOMEM);
    }
  }
  Tell(why, result);
  if (loaded != 1) return 0;
  StartAtFirstEntry();
  edits->Clear();
  if (!result.Ok()) edits->MarkUnsaved();
  return 1;
}

int cTracker::LoadModule(const std::string& path, cFileResult* why) {
  const int loaded = LoadAside(why, [&path](cSongStage& stage, cFileResult* result) {
    return ::LoadModule(path, stage.Song(), stage.Effects(), stage, result);
  });
  if (loaded == 1) {
    std::lock_guard<std::recursive_mutex> lock(engineLock);
    FilterLoadedInstruments();
  }
  return loaded;
}

// The song as the file a save would write, taken in one short hold of the
// lock (effect parameters change while the song plays) and written after.
std::vector<uint8_t> cTracker::SongImage() {
  cSongSnapshot snapshot;
  TakeSnapshot(snapshot);
  return snapshot.Bytes();
}

int cTracker::LoadModuleImage(std::vector<uint8_t> image, cFileResult* why) {
  cFileReader in(std::move(image));
  const int loaded = LoadAside(why, [&in](cSongStage& stage, cFileResult* result) {
    return ReadModule(in, stage.Song(), stage.Effects(), stage, result) ? 1 : 0;
  });
  if (loaded == 1) {
    std::lock_guard<std::recursive_mutex> lock(engineLock);
    FilterLoadedInstruments();
  }
  return loaded;
}

int cTracker::LoadModuleMOD(const std::string& path, cFileResult* why) {
  return LoadAside(why, [&path](cSongStage& stage, cFileResult* result) {
    return ::LoadModuleMOD(path, stage.Song(), stage, result);
  });
}

// Presets are copied under the lock and written after it, or read before
// it and stored through the edit path: a file never waits inside the lock.
int cTracker::SaveSynth(const std::string& path, int32_t block, cFileResult* why) {
  int16_t words[kInstrumentWords];
  CopyInstrument(block, words);
  return ::SaveSynth(path, words, why);
}

int cTracker::SaveFMSynth(const std::string& path, int32_t block, cFileResult* why) {
  int16_t words[kInstrumentWords];
  CopyInstrument(block, words);
  return ::SaveFMSynth(path, words, why);
}

// The preset fills a copy of the block (a preset may hold fewer words than
// the block), which the edit path stores, filtered, as one step.
int cTracker::LoadSynth(const std::string& path, int32_t block, cFileResult* why) {
  int16_t words[kInstrumentWords];
  CopyInstrument(block, words);
  if (::LoadSynth(path, words, why) != 1) return 0;
  edits->PutInstrument("Load Synth", block & 0x7F, words);
  return 1;
}

int cTracker::LoadFMSynth(const std::string& path, int32_t block, cFileResult* why) {
  int16_t words[kInstrumentWords];
  CopyInstrument(block, words);
  if (::LoadFMSynth(path, words, why) != 1) return 0;
  edits->PutInstrument("Load FM Synth", block & 0x7F, words);
  return 1;
}

void cTracker::CopyInstrument(int32_t block, int16_t* words) {
  std::lock_guard<std::recursive_mutex> lock(engineLock);
  const int16_t* params = song->Instrument(block);
  std::copy(params, params + kInstrumentWords, words);
}
