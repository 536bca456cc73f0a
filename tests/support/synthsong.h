#pragma once
// Songs composed in code that the benchmarks, the soak and the sound digests
// play: sixteen synthesizer channels (a mixed and a heavy one), and the
// composed module imported.

#include <unistd.h>

#include <cstdio>
#include <string>
#include <vector>

#include "app/tracker.h"
#include "app/trackerinside.h"
#include "support/busysong.h"
#include "support/modsong.h"

// Sixteen channels of notes (a chord spread over the channels, a note on
// every other row), a reverberator in the first slot of every channel; the
// instrument of each channel is `even` or `odd` by the channel's parity.
inline void ComposeSynthChannels(cTracker& t, uint8_t even, uint8_t odd) {
  std::lock_guard<std::recursive_mutex> lock(Inside(t).EngineLock());
  cSongTables& song = Inside(t).Song();
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
        cell[1] = c % 2 == 0 ? even : odd;
      }
    }
  }
  for (int c = 0; c < 16; ++c) {
    Inside(t).Effects().type[0][c] = 3;
    Inside(t).Effects().ChangeFxModule(c, 0, 3);
  }
}

// Virtual-analogue and FM channels in turn, each instrument as it comes.
// Call after SystemStart.
inline void ComposeSynthSong(cTracker& t) {
  {
    std::lock_guard<std::recursive_mutex> lock(Inside(t).EngineLock());
    Inside(t).Song().Instrument(kBusyFM - 1)[kParamGenType] = kGenFM;
    Inside(t).DefaultParams(kBusyFM - 1);
  }
  ComposeSynthChannels(t, kBusyBass, kBusyFM);
}

// The heaviest synthesizer song a musician writes: the virtual-analogue
// voice on all sixteen channels, in its stereo mode (two oscillator groups,
// two filters) through the four-pole low-pass. Call after SystemStart.
inline void ComposeHeavySynthSong(cTracker& t) {
  {
    std::lock_guard<std::recursive_mutex> lock(Inside(t).EngineLock());
    Inside(t).DefaultParams(kBusyBass - 1);
    int16_t* bass = Inside(t).Song().Instrument(kBusyBass - 1);
    bass[40] = 2;  // stereo mode
    bass[21] = 3;  // four-pole low-pass
  }
  ComposeSynthChannels(t, kBusyBass, kBusyBass);
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
