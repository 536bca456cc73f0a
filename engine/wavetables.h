#pragma once
// The wavetable store: single-cycle tables shared by every virtual-analogue
// voice. A sine of 4096 points, a sine of 2048 points and a set of
// band-limited saws, one per harmonic count the note range needs, with an
// index that maps an oscillator's frequency in whole Hz to its saw.
//
// The saw set is expensive to build, so it is cached on disk as raw
// little-endian words: 32,768 index entries (int32, the float offset of a
// table from the start of the tables), then 112 tables of 4096 floats,
// 1,966,080 bytes in all. Built once before the engine runs; read-only
// afterwards, so the audio thread may read it without a lock.

#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

class cFileReader;

constexpr int kWaveSize = 4096;           // points in one cycle
constexpr int kWaveIndexEntries = 32768;  // one per whole Hz
constexpr int kWaveTablesMax = 112;       // room in the cache block
constexpr size_t kWaveCacheWords = kWaveIndexEntries + size_t(kWaveTablesMax) * kWaveSize;
constexpr size_t kWaveCacheBytes = kWaveCacheWords * 4;
static_assert(kWaveCacheBytes == 1966080);

class cWavetables {
 public:
  cWavetables();

  // Stores the rate, fills the sines and loads the saw set from cachePath,
  // or builds it and writes it there (creating the folders). An empty path
  // builds in memory and writes nothing. A cache that is short, long, or
  // whose index points outside the tables is rebuilt and rewritten; a cache
  // that cannot be written is silently left alone. False only when memory
  // cannot be had.
  bool Create(float rate, const std::string& cachePath);
  // Frees the saw set.
  void Release();
  // Takes a cache image (the bytes of a cache file) as the saw set: true
  // when it is whole and sound; false, with the set unchanged, when it is
  // not or the store was never created.
  bool TakeCache(cFileReader& in);

  // One store per rate and cache path for the whole process: every cTracker
  // (and every test) in the process shares the first one built. Null when
  // it cannot be created.
  static std::shared_ptr<const cWavetables> Shared(int32_t rate, const std::string& cachePath);

  // The saw for an oscillator of `hz` whole Hz; any value is clamped into
  // the index. Reading one point past the table's end is allowed: it gives
  // the table's first point (0) again.
  const float* TableForHz(int32_t hz) const {
    if (hz < 0) hz = 0;
    if (hz >= kWaveIndexEntries) hz = kWaveIndexEntries - 1;
    return tables.data() + index[size_t(hz)];
  }

  // Two periods of sin(i * 2 pi / 4096), so interpolation may read past the end.
  const float* Sine4096() const { return sine4096; }
  const float* Sine2048() const { return sine2048; }
  const int32_t* IndexTable() const { return index.data(); }
  const float* Tables() const { return tables.data(); }
  bool Ready() const { return !index.empty(); }
  int32_t TableCount() const { return tableCount; }
  bool LoadedFromCache() const { return loadedFromCache; }

  float sampleRate = 0.0f;

 private:
  void Build();
  bool ReadCache(const std::string& path);
  void WriteCache(const std::string& path) const;

  float sine4096[2 * kWaveSize];
  float sine2048[kWaveSize];  // two periods
  float spare[kWaveSize] = {};

  std::vector<int32_t> index;  // kWaveIndexEntries
  // kWaveTablesMax tables plus one zero table as a guard, so that
  // interpolation past the last point of the last table stays inside.
  std::vector<float> tables;
  int32_t tableCount = 0;
  bool loadedFromCache = false;
};
