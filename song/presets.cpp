#include "song/presets.h"

#include <cstring>

#include "song/filereader.h"
#include "song/filewriter.h"
#include "song/songtables.h"

namespace {

// An instrument of another generator type is not this kind of preset.
int SavePreset(const std::string& path, const int16_t* block, int16_t type, const char* magic,
               cFileResult* why) {
  if (block[31] != type) {
    Tell(why, cFileResult::NotThisKind());
    return 0;
  }
  cFileWriter out;
  out.WriteBytes(magic, 4);
  out.WriteBytes(block, sizeof(int16_t) * kInstrumentWords);
  return out.Commit(path, why) ? 1 : 0;
}

int LoadPreset(const std::string& path, int16_t* block, const char* magic, cFileResult* why) {
  cFileReader in;
  if (!in.Open(path, why)) return 0;
  if (!in.Matches(0, magic, 4)) {
    Tell(why, in.FaultOr(cFileResult::NotThisKind()));
    return 0;
  }
  in.Seek(4);
  // The whole block, word 31 too. A file cut short is refused with the block
  // untouched, rather than loaded half over the instrument it replaces.
  int16_t words[kInstrumentWords];
  if (!in.ReadBytes(words, sizeof words)) {
    Tell(why, in.FaultOr(cFileResult::EndsEarly()));
    return 0;
  }
  std::memcpy(block, words, sizeof words);
  Tell(why, {});
  return 1;
}

}  // namespace

int SaveSynth(const std::string& path, const int16_t* block, cFileResult* why) {
  return SavePreset(path, block, 0, "ZQB1", why);
}
int SaveFMSynth(const std::string& path, const int16_t* block, cFileResult* why) {
  return SavePreset(path, block, 2, "ZQF1", why);
}
int LoadSynth(const std::string& path, int16_t* block, cFileResult* why) {
  return LoadPreset(path, block, "ZQB1", why);
}
int LoadFMSynth(const std::string& path, int16_t* block, cFileResult* why) {
  return LoadPreset(path, block, "ZQF1", why);
}
