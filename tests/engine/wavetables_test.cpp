#include "engine/wavetables.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <numbers>
#include <string>
#include <vector>

#include "song/filereader.h"

namespace {

namespace fs = std::filesystem;

// One store built in memory for every test of this program.
const cWavetables& Built44100() {
  static auto store = cWavetables::Shared(44100, "");
  return *store;
}

// Amplitude of harmonic h of a 4096-point table.
double Harmonic(const float* t, int h) {
  double re = 0, im = 0;
  for (int j = 0; j < kWaveSize; ++j) {
    const double a = 2.0 * std::numbers::pi * h * j / kWaveSize;
    re += t[j] * std::cos(a);
    im += t[j] * std::sin(a);
  }
  return std::hypot(re, im) * 2.0 / kWaveSize;
}

bool SameData(const cWavetables& a, const cWavetables& b) {
  return std::memcmp(a.IndexTable(), b.IndexTable(), kWaveIndexEntries * 4) == 0 &&
         std::memcmp(a.Tables(), b.Tables(), size_t(kWaveTablesMax) * kWaveSize * 4) == 0;
}

class TempDir {
 public:
  TempDir() {
    path = fs::temp_directory_path() /
           ("murvelon-wt-" + std::to_string(::testing::UnitTest::GetInstance()->random_seed()) +
            "-" + ::testing::UnitTest::GetInstance()->current_test_info()->name());
    fs::remove_all(path);
  }
  ~TempDir() { fs::remove_all(path); }
  fs::path path;
};

}  // namespace

TEST(Wavetables, TheSetAt44100HasOneSawPerHarmonicCount) {
  const cWavetables& w = Built44100();
  ASSERT_TRUE(w.Ready());
  EXPECT_EQ(w.TableCount(), 104);

  // Note 69 (440 Hz) has its own table, serving from just above note 68's
  // bound (trunc(2 x 415.3) = 830) up to 880 Hz.
  const int32_t t69 = w.IndexTable()[880];
  EXPECT_EQ(w.IndexTable()[831], t69);
  EXPECT_NE(w.IndexTable()[830], t69);
  EXPECT_NE(w.IndexTable()[881], t69);
  // Its harmonics stop at the 50th: 50 x 440 Hz is the last below 22,050 Hz.
  const float* t = w.Tables() + t69;
  EXPECT_GT(Harmonic(t, 1), 0.3);
  EXPECT_GT(Harmonic(t, 50), 1e-6);
  EXPECT_LT(Harmonic(t, 51), Harmonic(t, 50) / 20);
  EXPECT_LT(Harmonic(t, 52), Harmonic(t, 50) / 20);
  EXPECT_EQ(t[0], 0.0f);

  // Table 0 is normalised to a peak of exactly 1.
  float peak = 0;
  for (int j = 0; j < kWaveSize; ++j) peak = std::max(peak, std::fabs(w.Tables()[j]));
  EXPECT_EQ(peak, 1.0f);

  // Above the last note's bound (22,350 Hz) every entry names the last table,
  // and a frequency beyond the index is clamped onto it.
  const int32_t last = (w.TableCount() - 1) * kWaveSize;
  EXPECT_NE(w.IndexTable()[22350], 0);
  for (int32_t hz : {22351, 25088, 32767}) EXPECT_EQ(w.IndexTable()[hz], last) << hz;
  EXPECT_EQ(w.TableForHz(1000000), w.Tables() + last);
  EXPECT_EQ(w.TableForHz(-5), w.Tables() + w.IndexTable()[0]);
}

TEST(Wavetables, SineTablesHoldTwoPeriods) {
  const cWavetables& w = Built44100();
  EXPECT_EQ(w.Sine4096()[1024], 1.0f);
  EXPECT_EQ(w.Sine4096()[4096 + 1024], 1.0f);
  EXPECT_EQ(w.Sine2048()[512], 1.0f);
  EXPECT_EQ(w.Sine2048()[2048 + 512], 1.0f);
}

TEST(Wavetables, TheCacheRoundTripIsBitExactAndTheSecondStartReadsIt) {
  TempDir dir;
  const std::string cache = (dir.path / "System" / "Wavetables" / "wf_sawt.raw").string();

  cWavetables first;
  ASSERT_TRUE(first.Create(44100.0f, cache));
  EXPECT_FALSE(first.LoadedFromCache());
  ASSERT_TRUE(fs::exists(cache));
  EXPECT_EQ(fs::file_size(cache), kWaveCacheBytes);
  EXPECT_FALSE(fs::exists(cache + ".tmp"));
  EXPECT_TRUE(SameData(first, Built44100()));

  // A later start reads the file, also at another rate.
  cWavetables second;
  ASSERT_TRUE(second.Create(48000.0f, cache));
  EXPECT_TRUE(second.LoadedFromCache());
  EXPECT_EQ(second.TableCount(), 104);
  EXPECT_TRUE(SameData(second, first));

  // The file is raw little-endian: the index entry for 880 Hz at byte 3520.
  std::ifstream in(cache, std::ios::binary);
  unsigned char b[4];
  in.seekg(880 * 4);
  in.read(reinterpret_cast<char*>(b), 4);
  EXPECT_EQ(int32_t(b[0] | b[1] << 8 | b[2] << 16 | b[3] << 24), first.IndexTable()[880]);
}

TEST(Wavetables, ADamagedCacheIsRebuiltAndRewritten) {
  TempDir dir;
  fs::create_directories(dir.path);
  const std::string cache = (dir.path / "wf_sawt.raw").string();
  {
    cWavetables writer;
    ASSERT_TRUE(writer.Create(44100.0f, cache));
  }
  std::vector<char> good(kWaveCacheBytes);
  {
    std::ifstream in(cache, std::ios::binary);
    in.read(good.data(), std::streamsize(good.size()));
  }

  struct Case {
    const char* what;
    size_t size;
    size_t at;  // byte to overwrite with `word`, when size is whole
    int32_t word;
  };
  const Case cases[] = {
      {"cut short by a crash", kWaveCacheBytes - 4096, 0, 0},
      {"one byte too long", kWaveCacheBytes + 1, 0, 0},
      {"index past the last table", kWaveCacheBytes, 1000 * 4, kWaveTablesMax * kWaveSize},
      {"negative index", kWaveCacheBytes, 7 * 4, -4096},
      {"index inside a table", kWaveCacheBytes, 440 * 4, 4096 + 17},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    std::vector<char> bytes = good;
    bytes.resize(c.size, 0);
    if (c.size == kWaveCacheBytes) std::memcpy(&bytes[c.at], &c.word, 4);
    {
      std::ofstream out(cache, std::ios::binary | std::ios::trunc);
      out.write(bytes.data(), std::streamsize(bytes.size()));
    }
    cWavetables store;
    ASSERT_TRUE(store.Create(44100.0f, cache));
    EXPECT_FALSE(store.LoadedFromCache());
    EXPECT_TRUE(SameData(store, Built44100()));
    ASSERT_EQ(fs::file_size(cache), kWaveCacheBytes);
    std::vector<char> rewritten(kWaveCacheBytes);
    std::ifstream in(cache, std::ios::binary);
    in.read(rewritten.data(), std::streamsize(rewritten.size()));
    EXPECT_TRUE(rewritten == good);
  }
}

TEST(Wavetables, AnUnwritableCacheStillGivesTables) {
  TempDir dir;
  // The cache's folder is a file: nothing can be created or written there.
  fs::create_directories(dir.path);
  std::ofstream(dir.path / "System") << "x";
  cWavetables store;
  ASSERT_TRUE(store.Create(44100.0f, (dir.path / "System" / "wf_sawt.raw").string()));
  EXPECT_FALSE(store.LoadedFromCache());
  EXPECT_EQ(store.TableCount(), 104);
}

TEST(Wavetables, HighRatesStopAtTheRoomOfTheBlock) {
  // 96,000 Hz would need 116 tables.
  cWavetables store;
  ASSERT_TRUE(store.Create(96000.0f, ""));
  EXPECT_EQ(store.TableCount(), kWaveTablesMax);
  for (int32_t e = 0; e < kWaveIndexEntries; ++e) {
    ASSERT_GE(store.IndexTable()[e], 0);
    ASSERT_LT(store.IndexTable()[e], kWaveTablesMax * kWaveSize) << e;
  }
  EXPECT_EQ(store.IndexTable()[kWaveIndexEntries - 1], (kWaveTablesMax - 1) * kWaveSize);
  // Index entries only ever move to later (fewer-harmonic) tables.
  for (int32_t e = 1; e < kWaveIndexEntries; ++e) {
    ASSERT_GE(store.IndexTable()[e], store.IndexTable()[e - 1]);
  }
}

TEST(Wavetables, ARefusedImageLeavesTheSetAsItWas) {
  const cWavetables& built = Built44100();
  std::vector<unsigned char> image(kWaveCacheBytes);
  std::memcpy(image.data(), built.IndexTable(), kWaveIndexEntries * 4);
  std::vector<float> saws(size_t(kWaveTablesMax) * kWaveSize, 0.25f);
  saws.back() = NAN;  // damage found only at the very end
  std::memcpy(image.data() + kWaveIndexEntries * 4, saws.data(), saws.size() * 4);

  cWavetables store;
  ASSERT_TRUE(store.Create(44100.0f, ""));
  cFileReader damaged(image.data(), image.size());
  EXPECT_FALSE(store.TakeCache(damaged));
  EXPECT_TRUE(SameData(store, built));

  saws.back() = 0.25f;
  std::memcpy(image.data() + kWaveIndexEntries * 4, saws.data(), saws.size() * 4);
  cFileReader whole(image.data(), image.size());
  EXPECT_TRUE(store.TakeCache(whole));
  EXPECT_EQ(store.Tables()[17], 0.25f);
  cFileReader again(image.data(), image.size());
  EXPECT_FALSE(cWavetables().TakeCache(again));  // never created
}
