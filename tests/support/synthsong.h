#pragma once
// Songs composed in code that the benchmarks, the soak and the sound digests
// play: sixteen synthesizer channels, and the composed module imported.

#include <unistd.h>

#include <cstdio>
#include <string>
#include <vector>

#include "app/tracker.h"
#include "app/trackerinside.h"
#include "support/busysong.h"
#include "support/modsong.h"

// Sixteen channels of virtual-analogue and FM notes (a chord spread over the
// channels, a note on every other row), a reverberator in the first slot of
// every channel. Call after SystemStart.
inline void ComposeSynthSong(cTracker& t) {
  std::lock_guard<std::recursive_mutex> lock(Inside(t).EngineLock());
  cSongTables& song = Inside(t).Song();
  song.Instrument(kBusyFM - 1)[kParamGenType] = kGenFM;
  Inside(t).DefaultParams(kBusyFM - 1);
  song.SetChannelCount(16);
  for (int p = 0; p < 2; ++p) {
    song.SetPattern(p, uint32_t(p));
    song.SetModeWord(p, 0x55555555u);
  }
  song.start = song.repeat = 0;
  song.end = 1;
  const int chord[4] = {0, 4, 7, 11};
  for (int p = 0; p < 2; ++p) {
    for (int c = 0; c < 16; ++c) {
      for (int r = 0; r < kRows; r += 2) {
        uint8_t* cell = song.Cell(p, c, r);
        cell[0] = uint8_t(25 + 12 * (c % 4) + chord[(c / 4 + r / 8 + p) % 4]);
        cell[1] = uint8_t(c % 2 == 0 ? kBusyBass : kBusyFM);
      }
    }
  }
  for (int c = 0; c < 16; ++c) {
    Inside(t).Effects().type[0][c] = 3;
    Inside(t).Effects().ChangeFxModule(c, 0, 3);
  }
}

// Imports module bytes through a scratch file, as the program imports one.
inline bool LoadModuleBytes(cTracker& t, const std::vector<uint8_t>& bytes) {
  const std::string path = "/tmp/murvelon_module_" + std::to_string(::getpid()) + ".mod";
  std::FILE* f = std::fopen(path.c_str(), "wb");
  if (!f) return false;
  const bool written = std::fwrite(bytes.data(), 1, bytes.size(), f) == bytes.size();
  const bool closed = std::fclose(f) == 0;
  const bool ok = written && closed && t.LoadModuleMOD(path) == 1;
  std::remove(path.c_str());
  return ok;
}

inline bool LoadComposedModule(cTracker& t) { return LoadModuleBytes(t, ComposeModule()); }
