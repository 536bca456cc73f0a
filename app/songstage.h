#pragma once
// A song loaded aside: tables, effect chains and a wave store of its own,
// filled from a file while the song in memory stays as it is, and handed
// over in one step that cannot fail once the file was read. A load that is
// refused, fails part-way or runs out of memory leaves the song in memory
// untouched.

#include <cstdint>

#include "engine/genmanager.h"
#include "engine/wavestore.h"
#include "fx/fxchains.h"
#include "sequencer/player.h"
#include "song/modimport.h"
#include "song/songfile.h"
#include "song/songtables.h"

class cSongStage : public cSongFileHost, public cModHost {
 public:
  // Starts from a copy of the song in memory, so that what a reset leaves
  // alone (the copy buffer, the instruments' upper words) stays as it is;
  // effects are built as the song's own are. Allocates the tables: may
  // throw std::bad_alloc. Engine lock held.
  cSongStage(const cSongTables& current, const cFxFactory& factory, cGenManager& generators,
             const cSongDefaults& defaults);

  cSongTables& Song() { return *song; }
  cFxChains& Effects() { return effects; }

  // The song reset, aside: tables to the defaults, instruments to the
  // virtual-analogue defaults, no effects, no waves.
  void NewModule() override;
  cEffect* CreateEffect(int chain, int slot, uint32_t type) override;
  bool ReadWaveList(cFileReader& in, cFileResult* why) override {
    return waves.ReadWaveList(in, why);
  }
  uint64_t LargestWaveList() const override { return cWavManager::kLargestWaveListBytes; }
  void SetCurrentTempo(int32_t bpm, int32_t speed) override;
  bool StoreWave(int slot, const char* name, const int8_t* data, int32_t frames, uint32_t flags,
                 int32_t loopStart, int32_t loopEnd) override;
  void SamplerDefaults(int16_t* block) override;
  void SetGeneratorType(int channel, int32_t type) override;

  // Makes the song read aside the song in memory: its tables, effects and
  // waves, the tempo and generator kinds a module import sets, and the
  // generator selection a reset leaves. Nothing here allocates or fails;
  // the replaced effects and waves go with the stage. Engine lock held.
  void Commit(cSongTables& current, cFxChains& currentEffects, cWavManager& currentWaves,
              cPlayer& player);

 private:
  cGenManager& generators;
  const cSongDefaults defaults;
  std::unique_ptr<cSongTables> song;
  cFxChains effects;
  cWavManager waves;
  bool tempoSet = false;
  int32_t bpm = 0, speed = 0;
  int32_t generatorType[kGenChannels];
};
