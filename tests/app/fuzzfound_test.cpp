// Files the fuzzers found that loaded into states nothing else may hold.
// Each loads through the program's own entry point, and what it leaves
// behind must be as sound as what any good file leaves.

#include <gtest/gtest.h>

#include <cmath>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "app/tracker.h"
#include "app/trackerinside.h"
#include "engine/bass.h"
#include "engine/wavetables.h"

namespace {

const std::string kData = std::string(MURVELON_TEST_DATA) + "/fuzz/";

std::vector<uint8_t> Slurp(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  return std::vector<uint8_t>(std::istreambuf_iterator<char>(in), {});
}

cConfig QuietConfig() {
  cConfig config;
  config.cpuCalc = 0;
  return config;
}

void ExpectLoopsInsideTheirWaves(const cWavManager& waves) {
  for (int s = 0; s < kWaveSlots; ++s) {
    cWaveEntry e;
    ASSERT_TRUE(waves.GetEntry(s, &e));
    if (e.length == 0) continue;
    EXPECT_GE(e.loopStart, 0) << s;
    EXPECT_LT(e.loopStart, e.length) << s;
    EXPECT_GE(e.loopEnd, e.loopStart) << s;
    EXPECT_LT(e.loopEnd, e.length) << s;
  }
}

}  // namespace

// A slot naming effect type 35: the slot stays empty, its type 0, and the
// parameter block stored after the type is stepped over.
TEST(FuzzFound, AnUnknownEffectTypeLeavesItsSlotEmpty) {
  cTracker t(QuietConfig());
  ASSERT_TRUE(t.SystemStart(false));
  ASSERT_EQ(t.LoadModule(kData + "song-unknown-effect-type.zqm"), 1);
  for (int s = 0; s < kFxSlots; ++s) {
    for (int c = 0; c < kFxChains; ++c) {
      EXPECT_LT(Inside(t).Effects().type[s][c], uint32_t(kFxTypeCount)) << c << " " << s;
      EXPECT_EQ(Inside(t).Effects().type[s][c] != 0, Inside(t).GetFxObjPtr(s, c) != nullptr)
          << c << " " << s;
    }
  }
}

TEST(FuzzFound, AnUnknownEffectTypeKeepsTheRestOfTheFileInStep) {
  cTracker a(QuietConfig());
  ASSERT_TRUE(a.SystemStart(false));
  Inside(a).Effects().type[0][0] = 3;
  Inside(a).ChangeFxModule(0, 0, 3);  // a reverberator, with its parameter block
  Inside(a).Effects().type[1][0] = 2;
  Inside(a).ChangeFxModule(0, 1, 2);  // then a delay
  Inside(a).SetSend(0, 1, 42);
  const std::string path = (std::filesystem::temp_directory_path() / "murvelon_fx35.zqm").string();
  ASSERT_EQ(a.SaveModule(path), 1);
  // The reverberator's type becomes 35: the file's next words are still its
  // parameter block.
  std::vector<uint8_t> bytes = Slurp(path);
  const uint32_t unknown = 35;
  bool patched = false;
  for (size_t at = 0; at + 12 <= bytes.size(); ++at) {
    if (std::memcmp(&bytes[at], "#FXN 00#", 8) == 0) {
      std::memcpy(&bytes[at + 8], &unknown, 4);  // slot 0's type
      patched = true;
      break;
    }
  }
  ASSERT_TRUE(patched);
  std::ofstream(path, std::ios::binary)
      .write(reinterpret_cast<const char*>(bytes.data()), std::streamsize(bytes.size()));
  cTracker b(QuietConfig());
  ASSERT_TRUE(b.SystemStart(false));
  ASSERT_EQ(b.LoadModule(path), 1);
  std::filesystem::remove(path);
  EXPECT_EQ(Inside(b).Effects().type[0][0], 0u);
  EXPECT_EQ(Inside(b).GetFxObjPtr(0, 0), nullptr);
  EXPECT_EQ(Inside(b).Effects().type[1][0], 2u);
  ASSERT_NE(Inside(b).GetFxObjPtr(1, 0), nullptr);
  EXPECT_STREQ(Inside(b).GetFxObjPtr(1, 0)->GetName(), "Delay + Feedback");
  EXPECT_EQ(b.GetSend(0, 1), 42);
}

// A wave list whose loop starts at frame 100 of a wave of 20 frames.
TEST(FuzzFound, WaveListLoopPointsAreKeptInsideTheirWaves) {
  cWavManager waves;
  const std::vector<uint8_t> bytes = Slurp(kData + "wavelist-loop-outside-wave.bin");
  ASSERT_FALSE(bytes.empty());
  cFileReader in(bytes.data(), bytes.size());
  waves.ReadWaveList(in);
  ASSERT_TRUE(waves.InUse(7));
  ExpectLoopsInsideTheirWaves(waves);

  // The same rule for every way into a slot.
  const int16_t samples[10] = {1, 2, 3, 4, 5, 6, 7, 8, 9, 10};
  ASSERT_TRUE(waves.SetSlot(3, samples, 10, 0x01, -5, 400, "x"));
  ASSERT_TRUE(waves.SetSlot(4, samples, 10, 0x01, 8, 2, "y"));
  ExpectLoopsInsideTheirWaves(waves);
  cWaveEntry e;
  waves.GetEntry(3, &e);
  EXPECT_EQ(e.loopStart, 0);
  EXPECT_EQ(e.loopEnd, 9);
  waves.GetEntry(4, &e);
  EXPECT_EQ(e.loopStart, 8);
  EXPECT_EQ(e.loopEnd, 8);
}

// A cache whose saw holds a value near 3e25: it is built again instead.
TEST(FuzzFound, AWavetableCacheWithAnImpossibleSawIsRebuilt) {
  cWavetables good;
  ASSERT_TRUE(good.Create(44100.0f, ""));
  std::vector<uint8_t> image(kWaveCacheBytes);
  std::memcpy(image.data(), good.IndexTable(), kWaveIndexEntries * 4);
  std::memcpy(image.data() + kWaveIndexEntries * 4, good.Tables(),
              size_t(kWaveTablesMax) * kWaveSize * 4);
  const std::vector<uint8_t> patch = Slurp(kData + "wavecache-huge-saw.patch");
  ASSERT_GT(patch.size(), 4u);
  uint32_t offset;
  std::memcpy(&offset, patch.data(), 4);
  offset %= uint32_t(image.size() + 1);
  std::memcpy(image.data() + offset, patch.data() + 4,
              std::min(patch.size() - 4, image.size() - offset));

  const std::string path =
      (std::filesystem::temp_directory_path() / "murvelon_cache_fuzz.raw").string();
  std::ofstream(path, std::ios::binary)
      .write(reinterpret_cast<const char*>(image.data()), std::streamsize(image.size()));
  cWavetables loaded;
  ASSERT_TRUE(loaded.Create(44100.0f, path));
  std::filesystem::remove(path);
  EXPECT_FALSE(loaded.LoadedFromCache());
  for (size_t i = 0; i < size_t(kWaveTablesMax) * kWaveSize; ++i) {
    ASSERT_LE(std::fabs(loaded.Tables()[i]), 2.0f) << i;
  }
}

// A module whose order list is empty: the song is position 0 alone, and a
// range that saves and loads as the same range.
TEST(FuzzFound, AModuleOfNoPositionsEndsOnPositionZero) {
  cTracker t(QuietConfig());
  ASSERT_TRUE(t.SystemStart(false));
  ASSERT_EQ(t.LoadModuleMOD(kData + "mod-song-length-zero.mod"), 1);
  EXPECT_EQ(Inside(t).Song().start, 0);
  EXPECT_EQ(Inside(t).Song().repeat, 0);
  EXPECT_EQ(Inside(t).Song().end, 0);
}

// A song file whose start lies after its end (start 3840, end 14): the
// range is put in order as it loads, start <= repeat <= end.
TEST(FuzzFound, ASongRangeOutOfOrderLoadsInOrder) {
  cTracker a(QuietConfig());
  ASSERT_TRUE(a.SystemStart(false));
  Inside(a).Song().start = 3840;
  Inside(a).Song().repeat = 3;
  Inside(a).Song().end = 14;
  const std::string path = (std::filesystem::temp_directory_path() / "murvelon_range.zqm").string();
  ASSERT_EQ(a.SaveModule(path), 1);
  cTracker b(QuietConfig());
  ASSERT_TRUE(b.SystemStart(false));
  ASSERT_EQ(b.LoadModule(path), 1);
  std::filesystem::remove(path);
  EXPECT_EQ(Inside(b).Song().start, 3840);
  EXPECT_LE(Inside(b).Song().start, Inside(b).Song().repeat);
  EXPECT_LE(Inside(b).Song().repeat, Inside(b).Song().end);
  EXPECT_LT(Inside(b).Song().end, kPositions);
}

// A bass preset whose words lie far outside their ranges (the fuzzer made a
// voice sound infinite after such presets): loaded through the controller,
// the block comes out held to the ranges the editor offers, so filtering it
// again changes nothing, and the voice stays finite.
TEST(FuzzFound, ABassPresetOutOfRangeIsHeldToItsRanges) {
  cTracker t(QuietConfig());
  ASSERT_TRUE(t.SystemStart(false));
  const std::vector<uint8_t> file = Slurp(kData + "preset-infinite-sound.zqb");
  ASSERT_EQ(t.LoadSynth(kData + "preset-infinite-sound.zqb", 0), 1);
  std::lock_guard<std::recursive_mutex> lock(Inside(t).EngineLock());
  int16_t* block = Inside(t).Song().Instrument(0);
  EXPECT_NE(std::memcmp(block, file.data() + 4, 256), 0);  // something was out of range
  int16_t again[kInstrumentWords];
  std::memcpy(again, block, sizeof again);
  Inside(t).Generators().Bass(0)->FilterParams(again);
  EXPECT_EQ(std::memcmp(again, block, sizeof again), 0);

  cGenManager& g = Inside(t).Generators();
  g.currentChannel = 0;
  g.SelectGenerator(block[kParamGenType]);
  g.LoadInstrument(block);
  g.NoteOn(48);
  float frames[2 * 882];
  for (int b = 0; b < 5; ++b) {
    g.Tick(b);
    g.Render(frames, 882);
    for (float f : frames) ASSERT_TRUE(std::isfinite(f)) << "block " << b;
  }
}

// A FLAC file of 131 bytes whose header claims a billion frames: refused for
// the sound it really holds, without a buffer sized by the claim first.
TEST(FuzzFound, ASoundFileClaimingMoreThanItHoldsIsRefused) {
  cWavManager waves;
  const int16_t old[] = {5, 6};
  ASSERT_TRUE(waves.SetSlot(2, old, 2, 0, 0, 1, "old"));
  cFileResult why;
  EXPECT_FALSE(waves.ImportWav(2, kData + "wav-flac-claims-a-billion-frames.flac", &why));
  EXPECT_EQ(FileResultReason(why), "the file ends early");
  cWaveEntry e;
  ASSERT_TRUE(waves.GetEntry(2, &e));
  EXPECT_STREQ(e.name, "old");
}
