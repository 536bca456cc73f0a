#pragma once
// Import of four-channel ProTracker modules ("M.K."): sequence, patterns,
// samples as waves and one sampler instrument per sample. What the program
// cannot express is dropped.

#include <cstdint>
#include <string>

#include "song/filereader.h"
#include "song/songtables.h"

// What the import needs from the rest of the engine.
class cModHost {
 public:
  virtual ~cModHost() = default;
  virtual void NewModule() = 0;
  // Makes BPM and speed the player's current ones as well.
  virtual void SetCurrentTempo(int32_t bpm, int32_t speed) = 0;
  // Stores signed 8-bit sample data as wave slot; false leaves it empty.
  virtual bool StoreWave(int slot, const char* name, const int8_t* data, int32_t frames,
                         uint32_t flags, int32_t loopStart, int32_t loopEnd) = 0;
  // The sampler's default parameter block.
  virtual void SamplerDefaults(int16_t* block) = 0;
  virtual void SetGeneratorType(int channel, int32_t type) = 0;
};

// 1 on success; 0 for an unreadable file or another signature, with the song
// untouched. A truncated file is read as far as it goes: 1, and why says
// where it ended. A read the system refused part-way gives 0 after the
// reset.
int LoadModuleMOD(const std::string& path, cSongTables& song, cModHost& host,
                  cFileResult* why = nullptr);
bool ReadModuleMOD(cFileReader& in, cSongTables& song, cModHost& host, cFileResult* why = nullptr);

// Note byte of a period: 25 + its index in the finetune-0 table, 0 for none.
uint8_t ModPeriodToNote(int period);
