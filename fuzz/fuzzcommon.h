#pragma once
// What the fuzz targets share: one headless controller for the whole run,
// a scratch file for the loaders that read from a path, and the checks every
// loader must leave true: counts inside their tables, loop points inside
// their samples, and no NaN or infinity anywhere in the mix while the loaded
// song plays.

#include <unistd.h>

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

#include "app/tracker.h"
#include "app/trackerinside.h"

inline void FuzzFail(const char* what, int a = 0, int b = 0) {
  std::fprintf(stderr, "invariant broken: %s (%d, %d)\n", what, a, b);
  std::abort();
}

// Created on first use and never destroyed: the process ends with the run.
// Blocks are 20 ms, the shortest the output allows, so that the 50 blocks a
// loaded song plays are one second of it. MURVELON_FUZZ_RATE sets the sample
// rate (default 44100): a long run at 8000 Hz plays the same second of song
// in a sixth of the time.
inline cTracker& FuzzTracker() {
  static cTracker* tracker = [] {
    cConfig config;
    config.cpuCalc = 0;
    config.latency = 20;
    if (const char* rate = std::getenv("MURVELON_FUZZ_RATE")) config.frequency = std::atoi(rate);
    auto* t = new cTracker(config);
    if (!t->SystemStart(false)) std::abort();
    return t;
  }();
  return *tracker;
}

// Writes the bytes to a file of this process's own and returns its path.
inline std::string FuzzFile(const uint8_t* data, size_t size, const char* suffix) {
  const char* folder = access("/dev/shm", W_OK) == 0 ? "/dev/shm" : "/tmp";
  const std::string path =
      std::string(folder) + "/murvelon_fuzz_" + std::to_string(getpid()) + suffix;
  std::FILE* f = std::fopen(path.c_str(), "wb");
  if (!f) std::abort();
  if (size && std::fwrite(data, 1, size, f) != size) std::abort();
  std::fclose(f);
  return path;
}

inline void CheckWaves(const cWavManager& waves) {
  for (int s = 0; s < kWaveSlots; ++s) {
    cWaveEntry e;
    if (!waves.GetEntry(s, &e)) FuzzFail("slot unreadable", s);
    if (e.length < 0) FuzzFail("negative wave length", s, e.length);
    if (e.length == 0) continue;
    if (!e.data) FuzzFail("wave without data", s);
    if (e.loopStart < 0 || e.loopStart >= e.length)
      FuzzFail("loop start outside its wave", s, e.loopStart);
    if (e.loopEnd < e.loopStart || e.loopEnd >= e.length)
      FuzzFail("loop end outside its wave", s, e.loopEnd);
  }
}

inline void CheckSong(cTracker& t) {
  const cSongTables& song = Inside(t).Song();
  if (!kChannelCountRange.Holds(song.channelCount)) FuzzFail("channel count", song.channelCount);
  if (song.start < 0 || song.end >= kPositions || song.start > song.repeat ||
      song.repeat > song.end) {
    FuzzFail("song range", song.start, song.end);
  }
  if (!kMasterVolumeRange.Holds(song.masterVolume)) FuzzFail("master volume", song.masterVolume);
  if (!kMasterPanRange.Holds(song.masterPan)) FuzzFail("master pan", song.masterPan);
  if (!kBpmRange.Holds(song.bpm)) FuzzFail("bpm", song.bpm);
  if (!kSpeedRange.Holds(song.speed)) FuzzFail("speed", song.speed);
  // Every instrument block is already held to its generator's ranges.
  cGenManager& g = Inside(t).Generators();
  for (int b = 0; b < kInstruments; ++b) {
    const int16_t* block = song.Instrument(b);
    cGenerator* kind = g.Generator(block[kParamGenType], 0);
    if (!kind) continue;
    int16_t again[kInstrumentWords];
    std::memcpy(again, block, sizeof again);
    kind->FilterParams(again);
    if (std::memcmp(again, block, sizeof again) != 0) FuzzFail("instrument block", b);
  }
  const cFxChains& fx = Inside(t).Effects();
  for (int s = 0; s < kFxSlots; ++s) {
    for (int c = 0; c < kFxChains; ++c) {
      if (fx.type[s][c] >= uint32_t(kFxTypeCount)) FuzzFail("effect type", c, int(fx.type[s][c]));
      if ((fx.type[s][c] != 0) != (fx.Object(s, c) != nullptr)) FuzzFail("effect object", c, s);
    }
  }
  for (int a = 0; a < kFxAuxBuses; ++a) {
    for (int c = 0; c < kFxChannels; ++c) {
      if (fx.send[a][c] < 0 || fx.send[a][c] > 100) FuzzFail("send level", c, fx.send[a][c]);
    }
  }
  CheckWaves(Inside(t).Waves());
}

// Kept apart and not instrumented for coverage: a traced comparison per
// sample would steer nothing and cost more than the check.
// With a bound, every value must also lie within +/- bound.
__attribute__((no_sanitize("coverage"), noinline)) inline bool AllFinite(const float* values,
                                                                         int count,
                                                                         float bound = INFINITY) {
  for (int i = 0; i < count; ++i) {
    if (!std::isfinite(values[i]) || std::fabs(values[i]) > bound) return false;
  }
  return true;
}

// Plays the loaded song for 50 blocks and looks at every mix buffer.
inline void PlayAndCheck(cTracker& t, int blocks = 50) {
  t.TransportCommand(kTransportPlay);
  cRenderPath& r = Inside(t).Renderer();
  // As the output calls it: flag 1 with the last block of each half.
  const int perHalf = std::max(1, r.HalfFrames() / r.BlockFrames());
  for (int b = 0; b < blocks; ++b) {
    t.RenderCallback(b % perHalf == perHalf - 1 ? 1 : 0);
    for (int m = 0; m < kMixBuffers; ++m) {
      if (!AllFinite(r.ChannelBuffer(m), 2 * r.BlockFrames())) FuzzFail("sound not finite", m);
    }
  }
  t.Panic(1);
  t.TransportCommand(kTransportStop);
}
