// How long taking a song snapshot (what an autosave copy and a save write
// from) holds the engine lock while the demo plays on the null device: the
// audio thread waits that long for its next block.
//   snapshot_lock [--rounds N]
// Prints the median and the longest hold over N rounds (default 500) for
// the demo, and for the largest song the tables hold (every pattern of 16
// channels in use, ten seconds of stereo sound in each of 8 slots), and how
// long writing each snapshot's bytes takes afterwards, outside the lock.

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <string>
#include <thread>
#include <vector>

#include "app/songsnapshot.h"
#include "app/tracker.h"
#include "app/trackerinside.h"
#include "lockbench.h"
#include "support/rampwav.h"

namespace {

double Micros(std::chrono::nanoseconds n) { return double(n.count()) / 1000.0; }

void Measure(const char* name, cTracker& t, int rounds, double* worst) {
  cSongSnapshot snapshot;
  std::vector<double> held, written;
  for (int r = 0; r < rounds; ++r) {
    held.push_back(Micros(t.TakeSnapshot(snapshot)));
    const auto since = std::chrono::steady_clock::now();
    const size_t bytes = snapshot.Bytes().size();
    written.push_back(Micros(std::chrono::steady_clock::now() - since));
    if (r == 0) std::printf("%-12s %10zu bytes\n", name, bytes);
    // Room for the audio thread between the rounds.
    std::this_thread::sleep_for(std::chrono::microseconds(500));
  }
  std::sort(written.begin(), written.end());
  const double first = held.front();
  std::sort(held.begin(), held.end());
  std::printf(
      "%-12s lock held: first %8.1f  median %8.1f  99%% %8.1f  max %8.1f us;  "
      "bytes made: median %8.1f us\n",
      name, first, held[held.size() / 2], held[held.size() * 99 / 100], held.back(),
      written[written.size() / 2]);
  *worst = std::max(*worst, held.back());
}

}  // namespace

int main(int argc, char** argv) {
  const int rounds = RoundsOption(argc, argv, "snapshot_lock", 500);
  if (rounds == 0) return 2;
  cTracker t(NullDeviceConfig());
  if (!StartWithDemo(t, "snapshot_lock")) return 1;
  t.TransportCommand(1);
  double worst = 0;
  Measure("demo", t, rounds, &worst);

  // The largest song, still playing the demo's first entries.
  const std::filesystem::path wav = std::filesystem::temp_directory_path() / "snapshot_10s.wav";
  if (!WriteRampWav(wav.string(), 441000, 2)) return 1;
  cWaveSlot sound;
  if (!cWavManager::ReadWav(wav.string(), &sound)) return 1;
  std::filesystem::remove(wav);
  {
    std::lock_guard<std::recursive_mutex> lock(Inside(t).EngineLock());
    cSongTables& song = Inside(t).Song();
    song.SetChannelCount(kChannels);
    song.SetPattern(kPositions - 1, kPatterns - 1);
    for (int p = 0; p < kPatterns; ++p) song.Cell(p, p % kChannels, p % kRows).note = 49;
  }
  for (int slot = 0; slot < 8; ++slot) Inside(t).Waves().PutSlot(100 + slot, sound);
  Measure("largest", t, rounds, &worst);

  std::printf("longest hold: %.1f us (goal: well under 1000)\n", worst);
  t.Shutdown();
  return 0;
}
