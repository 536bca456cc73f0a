#include "tools/demo_song.h"

#include <gtest/gtest.h>
#include <unistd.h>

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <set>
#include <string>
#include <vector>

#include "app/tracker.h"
#include "app/trackerinside.h"

namespace {

cConfig QuietConfig() {
  cConfig config;
  config.cpuCalc = 0;
  return config;
}

struct DemoSong : ::testing::Test {
  std::filesystem::path dir;
  void SetUp() override {
    dir = std::filesystem::temp_directory_path() /
          ("murvelon-demosong-" + std::to_string(::getpid()) + "-" +
           ::testing::UnitTest::GetInstance()->current_test_info()->name());
    std::filesystem::create_directories(dir);
  }
  void TearDown() override { std::filesystem::remove_all(dir); }

  // Composes in a fresh engine, as the program does, and saves.
  std::string Compose(const std::string& name) {
    const std::string path = (dir / name).string();
    cTracker t(QuietConfig());
    EXPECT_TRUE(t.SystemStart(false));
    EXPECT_TRUE(demo::ComposeDemoSong(t));
    EXPECT_EQ(t.SaveModule(path), 1);
    return path;
  }
};

std::vector<char> Bytes(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

}  // namespace

TEST_F(DemoSong, ComposingTwiceWritesTheSameBytes) {
  const std::vector<char> first = Bytes(Compose("a.zqm"));
  const std::vector<char> second = Bytes(Compose("b.zqm"));
  ASSERT_GT(first.size(), 1000u);
  EXPECT_TRUE(first == second);
  // The committed song is what the program makes now; after a change to a
  // generator's defaults or the file format, run murvelon-make-demo again.
  EXPECT_TRUE(Bytes(MURVELON_SOURCE_DIR "/Songs/demo.zqm") == first);
}

TEST_F(DemoSong, LoadsBackWithEveryGeneratorAndSeveralEffects) {
  const std::string path = Compose("demo.zqm");
  cTracker t(QuietConfig());
  ASSERT_TRUE(t.SystemStart(false));
  ASSERT_EQ(t.LoadModule(path), 1);
  cSongTables& s = Inside(t).Song();
  EXPECT_EQ(s.channelCount, demo::kChannelCount);
  EXPECT_EQ(s.end, demo::kSections - 1);

  // The generator types of the instruments the played cells name.
  std::set<int> generators;
  for (int position = s.start; position <= s.end; ++position) {
    const int pattern = int(s.GetPattern(position));
    for (int c = 0; c < s.channelCount; ++c) {
      if (s.GetChannelMode(position, c) != kModePlay) continue;
      for (int row = 0; row < kRows; ++row) {
        const int instrument = s.Cell(pattern, c, row)[1];
        if (instrument != 0) generators.insert(s.Instrument(instrument - 1)[31]);
      }
    }
  }
  EXPECT_EQ(generators, (std::set<int>{0, 1, 2}));

  std::set<uint32_t> effects;
  for (int chain = 0; chain < kChains; ++chain) {
    for (int slot = 0; slot < kSlots; ++slot) {
      const uint32_t type = Inside(t).Effects().type[slot][chain];
      if (type == 0) continue;
      effects.insert(type);
      EXPECT_NE(Inside(t).GetFxObjPtr(slot, chain), nullptr)
          << "chain " << chain << " slot " << slot;
    }
  }
  EXPECT_GE(effects.size(), 3u);
  EXPECT_TRUE(effects.count(demo::kFxReverb) && effects.count(demo::kFxDelay));
  for (int slot : {demo::kWaveKick, demo::kWaveSnare, demo::kWaveHat}) {
    EXPECT_TRUE(Inside(t).Waves().InUse(slot)) << "wave " << slot;
  }
}

// Played from the loaded file for its whole length: never at full scale,
// never silent for four seconds.
TEST_F(DemoSong, PlaysWithoutClippingOrSilence) {
  const std::string path = Compose("demo.zqm");
  cTracker t(QuietConfig());
  ASSERT_TRUE(t.SystemStart(false));
  ASSERT_EQ(t.LoadModule(path), 1);
  const int32_t frames = Inside(t).Renderer().BlockFrames();
  const int32_t rate = t.Config().frequency;
  const int32_t windowBlocks = 4 * rate / frames;
  const int32_t blocks = demo::kSongSeconds * rate / frames;
  ASSERT_GE(blocks, 30 * rate / frames);
  t.TransportCommand(1);
  int peak = 0, windowPeak = 0;
  std::vector<int> windowPeaks;
  for (int32_t b = 0; b < blocks; ++b) {
    const int16_t* pcm = t.RenderCallback(1);
    for (int32_t i = 0; i < 2 * frames; ++i)
      windowPeak = std::max(windowPeak, std::abs(int(pcm[i])));
    if ((b + 1) % windowBlocks == 0 || b + 1 == blocks) {
      windowPeaks.push_back(windowPeak);
      peak = std::max(peak, windowPeak);
      windowPeak = 0;
    }
  }
  EXPECT_LT(peak, 32767);
  for (size_t w = 0; w < windowPeaks.size(); ++w) {
    EXPECT_GT(windowPeaks[w], 2000) << "seconds " << 4 * w << " to " << 4 * (w + 1);
  }
}
