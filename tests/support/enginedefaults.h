#pragma once
// An instrument block as a generator kind's defaults leave it: the words the
// kind does not set keep their values, and word 31 names the kind. The
// output thread may render through the same generators meanwhile: the
// engine lock is held.

#include <cstdint>
#include <mutex>
#include <vector>

#include "app/tracker.h"
#include "app/trackerinside.h"
#include "engine/generator.h"
#include "engine/genmanager.h"

inline std::vector<int16_t> EngineDefaults(cTracker& t, std::vector<int16_t> block,
                                           int32_t engine) {
  std::lock_guard<std::recursive_mutex> lock(Inside(t).EngineLock());
  cGenManager& g = Inside(t).Generators();
  const int32_t saved = g.generatorType[0];
  g.currentChannel = 0;
  g.SelectGenerator(engine);
  g.GetDefaults(block.data());
  g.SelectGenerator(saved);
  block[kParamGenType] = int16_t(engine);
  return block;
}
