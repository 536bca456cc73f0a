#include "engine/wavetables.h"

#include <algorithm>
#include <bit>
#include <cmath>
#include <filesystem>
#include <mutex>
#include <new>
#include <numbers>

#include "song/filereader.h"
#include "song/filewriter.h"

cWavetables::cWavetables() {
  for (int i = 0; i < 2 * kWaveSize; ++i) {
    sine4096[i] = float(std::sin(double(i) * 2.0 * std::numbers::pi / kWaveSize));
  }
  for (int i = 0; i < kWaveSize; ++i) {
    sine2048[i] = float(std::sin(double(i) * 2.0 * std::numbers::pi / 2048.0));
  }
}

bool cWavetables::Create(float rate, const std::string& cachePath) {
  sampleRate = rate;
  try {
    index.assign(kWaveIndexEntries, 0);
    tables.assign(size_t(kWaveTablesMax + 1) * kWaveSize, 0.0f);
  } catch (const std::bad_alloc&) {
    Release();
    return false;
  }
  loadedFromCache = false;
  if (!cachePath.empty()) {
    std::error_code ignored;
    const std::filesystem::path folder = std::filesystem::path(cachePath).parent_path();
    if (!folder.empty()) std::filesystem::create_directories(folder, ignored);
    if (ReadCache(cachePath)) {
      loadedFromCache = true;
      return true;
    }
  }
  Build();
  if (!cachePath.empty()) WriteCache(cachePath);
  return true;
}

void cWavetables::Release() {
  std::vector<int32_t>().swap(index);
  std::vector<float>().swap(tables);
  tableCount = 0;
}

// Saws with the harmonics below half the rate, tapered by a quarter-cosine
// window, one per distinct harmonic count of the notes 0-127. The table for
// a note serves every frequency from just above the previous table's bound
// up to twice the note's frequency.
void cWavetables::Build() {
  std::fill(tables.begin(), tables.end(), 0.0f);
  int32_t next = 0;  // first index entry not yet assigned
  int32_t previous = -1;
  int32_t count = 0;
  for (int n = 0; n < 128; ++n) {
    const double f = 440.0 * std::pow(2.0, (n - 69) / 12.0);
    const int32_t harmonics = int32_t(double(sampleRate) * 0.5 / f);
    if (harmonics == previous) continue;
    // Above about 79,800 Hz the notes need more tables than the cache holds;
    // the highest notes then share the last one.
    if (count == kWaveTablesMax) break;
    float* t = tables.data() + size_t(count) * kWaveSize;
    for (int32_t h = 0; h < harmonics; ++h) {
      const double w = std::cos(h * (std::numbers::pi / 2.0) / harmonics);
      const float g = float(w * w / (h + 1) * 0.63);
      // sine4096[((4096 - j) * (h + 1)) mod 4096], stepped instead of multiplied.
      const int32_t step = (h + 1) & (kWaveSize - 1);
      int32_t at = 0;
      for (int j = 0; j < kWaveSize; ++j) {
        t[j] += sine4096[at] * g;
        at = (at - step) & (kWaveSize - 1);
      }
    }
    int32_t bound = int32_t(2.0 * f);
    if (bound > kWaveIndexEntries - 1) bound = kWaveIndexEntries - 1;
    for (int32_t e = next; e <= bound; ++e) index[size_t(e)] = count * kWaveSize;
    if (bound + 1 > next) next = bound + 1;
    previous = harmonics;
    ++count;
  }
  // The notes leave the top of the index unassigned (above 22,350 Hz at
  // 44,100 Hz): an oscillator slid up there takes the last table.
  for (int32_t e = next; e < kWaveIndexEntries; ++e) index[size_t(e)] = (count - 1) * kWaveSize;

  float m = 0.0f;
  for (int j = 0; j < kWaveSize; ++j) m = std::max(m, std::fabs(tables[size_t(j)]));
  if (m > 0.0f) {
    for (size_t i = 0; i < size_t(count) * kWaveSize; ++i) tables[i] /= m;
  }
  tableCount = count;
}

bool cWavetables::ReadCache(const std::string& path) {
  cFileReader in;
  return in.Open(path) && TakeCache(in);
}

// A cache is taken only when it is exactly the block's size and every index
// entry names the start of a table inside the block: a file cut short by a
// crash, or one overwritten with garbage, would otherwise give silent or
// out-of-bounds oscillators. Everything is checked before anything is
// stored.
bool cWavetables::TakeCache(cFileReader& in) {
  if (in.Remaining() != kWaveCacheBytes || index.size() != kWaveIndexEntries) return false;
  const size_t start = in.Position();
  // The words a stretch at a time: read one by one through the reader they
  // cost more than the rest of the start-up together, and a copy of the
  // whole block would add its pages to the start-up.
  auto forEachWord = [&in, start](auto&& take) {
    uint8_t stretch[16384];
    in.Seek(start);
    for (size_t done = 0; done < kWaveCacheWords;) {
      const size_t n = std::min(kWaveCacheWords - done, sizeof stretch / 4);
      if (!in.ReadBytes(stretch, 4 * n)) return false;
      for (size_t k = 0; k < n; ++k) {
        const uint8_t* b = stretch + 4 * k;
        const uint32_t word =
            uint32_t(b[0]) | uint32_t(b[1]) << 8 | uint32_t(b[2]) << 16 | uint32_t(b[3]) << 24;
        if (!take(done + k, word)) return false;
      }
      done += n;
    }
    return true;
  };
  int32_t last = 0;
  const bool sound = forEachWord([&last](size_t i, uint32_t word) {
    if (i < kWaveIndexEntries) {
      const int32_t v = int32_t(word);
      if (v < 0 || v % kWaveSize != 0 || v / kWaveSize >= kWaveTablesMax) return false;
      last = std::max(last, v / kWaveSize);
      return true;
    }
    // The saws are normalised to a peak of about 1: anything beyond 2 (or
    // not a number) is damage, and a voice would play it at full scale.
    const float v = std::bit_cast<float>(word);
    return std::isfinite(v) && std::fabs(v) <= 2.0f;
  });
  if (!sound) return false;
  forEachWord([this](size_t i, uint32_t word) {
    if (i < kWaveIndexEntries) {
      index[i] = int32_t(word);
    } else {
      tables[i - kWaveIndexEntries] = std::bit_cast<float>(word);
    }
    return true;
  });
  tableCount = last + 1;
  return true;
}

// Written to a neighbour first and renamed over the cache, so that a crash
// while writing never leaves a partial cache behind. A cache that cannot be
// written is left out.
void cWavetables::WriteCache(const std::string& path) const {
  cFileWriter out;
  for (size_t e = 0; e < kWaveIndexEntries; ++e) out.Write(index[e]);
  for (size_t i = 0; i < size_t(kWaveTablesMax) * kWaveSize; ++i) {
    out.Write(std::bit_cast<uint32_t>(tables[i]));
  }
  out.Commit(path);
}

std::shared_ptr<const cWavetables> cWavetables::Shared(int32_t rate, const std::string& cachePath) {
  struct Entry {
    int32_t rate;
    std::string path;
    std::shared_ptr<const cWavetables> store;
  };
  static std::mutex guard;
  static std::vector<Entry> built;
  std::lock_guard<std::mutex> lock(guard);
  for (const Entry& e : built) {
    if (e.rate == rate && e.path == cachePath) return e.store;
  }
  auto store = std::make_shared<cWavetables>();
  if (!store->Create(float(rate), cachePath)) return nullptr;
  built.push_back(Entry{rate, cachePath, store});
  return store;
}
