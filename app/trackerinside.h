#pragma once
// The engine's parts, writable, for what builds songs in code: the tests,
// the command-line tool's composers, the benches and the fuzz targets, and
// the controller's own file hosts. The window and the editors never include
// this: they change the song through cTracker::Edits() and read it through
// cTracker's read-only accessors.

#include "app/tracker.h"

struct cTrackerInside {
  cTracker& t;

  std::recursive_mutex& EngineLock() { return t.engineLock; }
  cSongTables& Song() { return *t.song; }
  cPlayer& Player() { return *t.player; }
  cGenManager& Generators() { return *t.generators; }
  cWavManager& Waves() { return *t.waves; }
  cFxChains& Effects() { return *t.effects; }
  cRenderPath& Renderer() { return *t.renderer; }

  void ResetSong() { t.ResetSong(); }
  std::unique_ptr<cEffect> NewFxModule(int32_t type) { return t.NewFxModule(type); }
  void ChangeFxModule(int chain, int slot, int32_t type) { t.ChangeFxModule(chain, slot, type); }
  void AllocateFxModules() { t.AllocateFxModules(); }
  void DestroyFxModules() { t.DestroyFxModules(); }
  cEffect* GetFxObjPtr(int slot, int chain) { return t.GetFxObjPtr(slot, chain); }
  void SetSend(int channel, int aux, int32_t level) { t.SetSend(channel, aux, level); }
  int16_t* GetParams(int32_t block) { return t.instruments->GetParams(block); }
  void SetParam(int32_t block, int32_t word, int16_t value) { t.SetParam(block, word, value); }
  void SetParams(int32_t block, int32_t word, int16_t value) { t.SetParams(block, word, value); }
  void FilterParams(int16_t* params) { t.FilterParams(params); }
  void DefaultParams(int32_t block) { t.DefaultParams(block); }
};

inline cTrackerInside Inside(cTracker& t) { return cTrackerInside{t}; }
