// Songs that are cut short, larger than any song, or too large for the
// memory left: what a load keeps, what it says, and that the song in memory
// survives every load that fails.

#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/resource.h>
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <new>
#include <string>
#include <vector>

#include "app/tracker.h"
#include "app/trackerinside.h"
#include "song/songfile.h"

// Allocations of more than this many bytes fail while it is not 0: a load
// that runs out of memory, without using it up. Every form of new is
// replaced, as a sanitizer replaces each of them on its own.
static std::atomic<size_t> failAbove{0};

static void* Allocate(size_t size) noexcept {
  const size_t limit = failAbove.load(std::memory_order_relaxed);
  return (limit != 0 && size > limit) ? nullptr : std::malloc(size ? size : 1);
}
static void* AllocateOrThrow(size_t size) {
  if (void* p = Allocate(size)) return p;
  throw std::bad_alloc();
}
void* operator new(size_t size) { return AllocateOrThrow(size); }
void* operator new[](size_t size) { return AllocateOrThrow(size); }
void* operator new(size_t size, const std::nothrow_t&) noexcept { return Allocate(size); }
void* operator new[](size_t size, const std::nothrow_t&) noexcept { return Allocate(size); }
void operator delete(void* p) noexcept { std::free(p); }
void operator delete[](void* p) noexcept { std::free(p); }
void operator delete(void* p, size_t) noexcept { std::free(p); }
void operator delete[](void* p, size_t) noexcept { std::free(p); }
void operator delete(void* p, const std::nothrow_t&) noexcept { std::free(p); }
void operator delete[](void* p, const std::nothrow_t&) noexcept { std::free(p); }

namespace {

namespace fs = std::filesystem;

cConfig QuietConfig() {
  cConfig config;
  config.cpuCalc = 0;
  return config;
}

std::vector<uint8_t> Slurp(const fs::path& path) {
  std::ifstream in(path, std::ios::binary);
  return std::vector<uint8_t>(std::istreambuf_iterator<char>(in), {});
}

size_t Find(const std::vector<uint8_t>& bytes, const char* marker) {
  const auto at = std::search(bytes.begin(), bytes.end(), marker, marker + 8);
  return size_t(at - bytes.begin());
}

struct DamagedFiles : ::testing::Test {
  fs::path dir;
  cTracker saved{QuietConfig()};
  cTracker t{QuietConfig()};

  void SetUp() override {
    dir = fs::temp_directory_path() /
          ("murvelon-damaged-" + std::to_string(::getpid()) + "-" +
           ::testing::UnitTest::GetInstance()->current_test_info()->name());
    fs::create_directories(dir);
    ASSERT_TRUE(saved.SystemStart(false));
    ASSERT_TRUE(t.SystemStart(false));
    MarkTheSongInMemory();
  }
  // The song in memory that a failed load must leave as it is.
  void MarkTheSongInMemory() {
    t.Edits().EditPattern("Note", 0, [](cSongTables& song) {
      song.Cell(0, 0, 0)[0] = 77;
      return true;
    });
    const int16_t held[] = {5, 6, 7};
    Inside(t).Waves().SetSlot(40, held, 3, 0, 0, 2, "held");
  }
  void TearDown() override {
    failAbove = 0;
    fs::remove_all(dir);
  }

  // Six channels at 140 BPM, three patterns, three sampler instruments on
  // three waves (the last one of waveFrames frames), FM instruments after
  // them, and a reverberator on a bus.
  std::vector<uint8_t> ThreeWaveSong(int32_t waveFrames = 500) {
    cSongTables& s = Inside(saved).Song();
    s.SetChannelCount(6);
    s.bpm = 140;
    s.SetPattern(1, 2);
    s.end = 1;
    s.Cell(2, 5, 10)[0] = 49;
    for (int i = 0; i < kInstruments; ++i) {
      const int kind = i < 3 ? kGenSampler : kGenFM;
      Inside(saved).Generators().Generator(kind, 0)->GetDefaults(s.Instrument(i));
      s.Instrument(i)[kParamGenType] = int16_t(kind);
      if (i < 3) s.Instrument(i)[2] = int16_t(i);  // the wave it plays
    }
    std::vector<int16_t> samples(size_t(waveFrames), 1234);
    for (int w = 0; w < 3; ++w) {
      Inside(saved).Waves().SetSlot(w, samples.data(), w < 2 ? 100 : waveFrames, 1, 10, 20, "w");
    }
    Inside(saved).Effects().type[0][17] = 3;
    Inside(saved).ChangeFxModule(17, 0, 3);
    const fs::path path = dir / "whole.zqm";
    EXPECT_EQ(saved.SaveModule(path.string()), 1);
    return Slurp(path);
  }

  std::string Write(const char* name, const std::vector<uint8_t>& bytes) {
    const fs::path path = dir / name;
    std::ofstream(path, std::ios::binary | std::ios::trunc)
        .write(reinterpret_cast<const char*>(bytes.data()), std::streamsize(bytes.size()));
    return path.string();
  }

  void ExpectTheSongInMemoryKept() {
    EXPECT_EQ(Inside(t).Song().Cell(0, 0, 0)[0], 77);
    EXPECT_TRUE(t.Modified());
    EXPECT_TRUE(Inside(t).Waves().InUse(40));
  }
};

}  // namespace

TEST_F(DamagedFiles, ASongCutShortKeepsWhatWasReadWholeAndSaysWhatWasNot) {
  const std::vector<uint8_t> whole = ThreeWaveSong();
  const size_t patterns = Find(whole, "#PATINF#"), instruments = Find(whole, "#INSINF#"),
               waves = Find(whole, "#WAVINF#");
  struct Case {
    const char* what;
    size_t size;
    const char* said;  // null: refused
    int32_t bpm;
    bool lastPattern;
    int instruments;  // read whole: those not of the reset's kind
    int waves;
  };
  const Case cases[] = {
      {"shorter than its header", 20, nullptr, 0, false, 0, 0},
      {"header only", 32, "the file ends early before the song settings", 126, false, 0, 0},
      {"cut inside the patterns", patterns + 12 + 2 * (8 + 6 * 512) + 100,
       "the file ends early: 2 of 3 patterns were read", 140, false, 0, 0},
      {"cut inside the instruments", instruments + 8 + 5 * 256 + 10,
       "the file ends early: 5 of 128 instruments were read", 140, true, 5, 0},
      {"cut inside the wave list", waves + 8 + 4 + 70,
       "the file ends early: 0 of 3 samples were read", 140, true, 128, 0},
      {"cut inside a wave's data", whole.size() - 284,
       "the file ends early: 2 of 3 samples were read", 140, true, 128, 2},
      {"whole", whole.size(), "", 140, true, 128, 3},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    MarkTheSongInMemory();
    const std::string path = Write("cut.zqm", {whole.begin(), whole.begin() + long(c.size)});
    cFileResult why;
    const int loaded = t.LoadModule(path, &why);
    if (c.said == nullptr) {
      EXPECT_EQ(loaded, 0);
      EXPECT_EQ(why.problem, eFileProblem::kNotThisKind);
      ExpectTheSongInMemoryKept();
      continue;
    }
    ASSERT_EQ(loaded, 1);
    EXPECT_EQ(FileResultReason(why), c.said);
    EXPECT_EQ(t.Modified(), !why.Ok());  // read in part: not the file's song
    EXPECT_EQ(Inside(t).Song().Cell(0, 0, 0)[0], 0);
    EXPECT_EQ(Inside(t).Song().bpm, c.bpm);
    EXPECT_EQ(Inside(t).Song().Cell(2, 5, 10)[0], c.lastPattern ? 49 : 0);
    int fromFile = 0;
    for (int i = 0; i < kInstruments; ++i) fromFile += t.GetInsType(i + 1) != kGenBass ? 1 : 0;
    EXPECT_EQ(fromFile, c.instruments);
    for (int w = 0; w < 3; ++w) EXPECT_EQ(Inside(t).Waves().InUse(w), w < c.waves) << w;
    EXPECT_FALSE(Inside(t).Waves().InUse(40));
    if (c.waves == 2) {
      // The sampler instruments keep their waves and the loops of them.
      EXPECT_EQ(t.GetParam(2, 2), 2);
      cWaveEntry e;
      ASSERT_TRUE(Inside(t).Waves().GetEntry(1, &e));
      EXPECT_EQ((std::vector{e.loopStart, e.loopEnd}), (std::vector{10, 20}));
    }
  }
}

TEST_F(DamagedFiles, AFileLargerThanAnySongIsRefusedAtOnceAndOneBelowIsReadInPieces) {
  const uint64_t largest = LargestSongBytes(cWavManager::kLargestWaveListBytes);
  EXPECT_GT(largest, uint64_t(128) * 4 * kMaxWaveFrames);  // every slot a full stereo wave
  auto sparse = [&](const char* name, uint64_t size) {
    const std::string path = (dir / name).string();
    const int fd = ::open(path.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
    EXPECT_GE(fd, 0);
    const bool made = ::write(fd, "ZQ23", 4) == 4 && ::ftruncate(fd, off_t(size)) == 0;
    ::close(fd);
    return made ? path : std::string();
  };
  const std::string huge = sparse("huge.zqm", largest + 1);
  if (huge.empty()) GTEST_SKIP() << "the filesystem holds no sparse file of " << largest + 1;
  cFileResult why;
  EXPECT_EQ(t.LoadModule(huge, &why), 0);
  EXPECT_EQ(why.problem, eFileProblem::kTooLarge);
  EXPECT_EQ(FileResultReason(why), "the file (" + std::to_string(largest + 1) +
                                       " bytes) is larger than the largest song (" +
                                       std::to_string(largest) + " bytes)");
  ExpectTheSongInMemoryKept();

  // Four gigabytes after a song's header: what the song's counts ask for is
  // read, not the whole file.
  const std::string big = sparse("big.zqm", uint64_t(4) << 30);
  rusage before, after;
  ::getrusage(RUSAGE_SELF, &before);
  EXPECT_EQ(t.LoadModule(big, &why), 1);
  ::getrusage(RUSAGE_SELF, &after);
  EXPECT_LT(after.ru_maxrss - before.ru_maxrss, 256 * 1024);  // kilobytes
}

TEST_F(DamagedFiles, ALoadThatRunsOutOfMemoryLeavesTheSongInMemory) {
  // A song with a wave of 4 MB: the tables of a song loaded aside (2 MB) fit
  // under the first limit, the wave does not. A module finds no room even
  // for the tables.
  const std::string song = Write("song.zqm", ThreeWaveSong(2 << 20));
  std::vector<uint8_t> mod(1084 + 1024 + 4, 0);
  mod[20 + 23] = 2;  // sample 1: 2 words
  std::memcpy(mod.data() + 1080, "M.K.", 4);
  const std::string module = Write("song.mod", mod);
  struct Case {
    std::string path;
    size_t limit;
  };
  for (const Case& c : {Case{song, 3 << 20}, Case{module, 1 << 20}}) {
    SCOPED_TRACE(c.path);
    cFileResult why;
    failAbove = c.limit;
    const int loaded = c.path == song ? t.LoadModule(c.path, &why) : t.LoadModuleMOD(c.path, &why);
    failAbove = 0;
    EXPECT_EQ(loaded, 0);
    EXPECT_EQ(FileResultReason(why), std::strerror(ENOMEM));
    ExpectTheSongInMemoryKept();
  }
}
