#include <gtest/gtest.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <condition_variable>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <mutex>
#include <vector>

#include "app/tracker.h"
#include "app/trackerinside.h"
#include "engine/mixkernel.h"

namespace {

cConfig QuietConfig() {
  cConfig config;
  config.cpuCalc = 0;
  return config;
}

struct TrackerFiles : ::testing::Test {
  std::filesystem::path dir;
  void SetUp() override {
    dir = std::filesystem::temp_directory_path() /
          ("murvelon-trackerfiles-" + std::to_string(::getpid()) + "-" +
           ::testing::UnitTest::GetInstance()->current_test_info()->name());
    std::filesystem::create_directories(dir);
  }
  void TearDown() override { std::filesystem::remove_all(dir); }
};

}  // namespace

TEST_F(TrackerFiles, ASongWithEffectsAndWavesComesBackWhole) {
  cTracker a(QuietConfig());
  ASSERT_TRUE(a.SystemStart(false));
  Inside(a).Song().SetChannelCount(6);
  Inside(a).Song().SetPattern(1, 3);
  Inside(a).Song().SetChannelMode(1, 5, kModePlay);
  Inside(a).Song().end = 1;
  Inside(a).Song().Cell(3, 5, 10)[0] = 49;
  Inside(a).Effects().type[1][5] = 3;
  Inside(a).ChangeFxModule(5, 1, 3);
  Inside(a).GetFxObjPtr(1, 5)->SetParam(0, 830);
  Inside(a).Effects().type[0][17] = 11;
  Inside(a).ChangeFxModule(17, 0, 11);
  Inside(a).SetSend(5, 1, 45);
  const int16_t samples[6] = {100, -100, 2000, -2000, 30000, -30000};
  ASSERT_TRUE(Inside(a).Waves().SetSlot(9, samples, 3, 0x10 | 1, 0, 2, "stereo"));
  const std::string path = (dir / "song.zqm").string();
  ASSERT_EQ(a.SaveModule(path), 1);

  cTracker b(QuietConfig());
  ASSERT_TRUE(b.SystemStart(false));
  ASSERT_EQ(b.LoadModule(path), 1);
  EXPECT_EQ(Inside(b).Song().channelCount, 6);
  EXPECT_EQ(Inside(b).Song().GetChannelMode(1, 5), kModePlay);
  EXPECT_EQ(Inside(b).Song().Cell(3, 5, 10)[0], 49);
  EXPECT_EQ(
      std::memcmp(Inside(b).Song().InstrumentTable(), Inside(a).Song().InstrumentTable(), 32768),
      0);
  ASSERT_NE(Inside(b).GetFxObjPtr(1, 5), nullptr);
  EXPECT_STREQ(Inside(b).GetFxObjPtr(1, 5)->GetName(), "Reverberator");
  EXPECT_EQ(Inside(b).GetFxObjPtr(1, 5)->GetParam(0), 830);  // loaded, not the default
  EXPECT_STREQ(Inside(b).GetFxObjPtr(0, 17)->GetName(), "Flanger/Chorus 2");
  EXPECT_EQ(b.GetSend(5, 1), 45);
  cWaveEntry entry;
  ASSERT_TRUE(Inside(b).Waves().GetEntry(9, &entry));
  EXPECT_EQ(entry.length, 3);
  EXPECT_STREQ(entry.name, "stereo");
  EXPECT_EQ(std::memcmp(entry.data + 64, samples, sizeof samples), 0);

  // A file that is no song leaves the loaded one alone.
  const std::string junk = (dir / "junk.zqm").string();
  std::ofstream(junk) << "not a song at all";
  EXPECT_EQ(b.LoadModule(junk), 0);
  EXPECT_EQ(Inside(b).Song().channelCount, 6);
  EXPECT_EQ(b.LoadModuleMOD(junk), 0);
  EXPECT_EQ(Inside(b).Song().channelCount, 6);
}

TEST_F(TrackerFiles, AModuleBecomesASamplerSong) {
  std::vector<uint8_t> mod(1084 + 1024, 0);
  mod[20 + 23] = 2;   // sample 1: 2 words
  mod[20 + 25] = 40;  // volume
  std::memcpy(mod.data() + 1080, "M.K.", 4);
  mod[950] = 1;
  for (int8_t v : {int8_t(-128), int8_t(-1), int8_t(0), int8_t(127)}) mod.push_back(uint8_t(v));
  const std::string path = (dir / "tiny.mod").string();
  std::ofstream(path, std::ios::binary)
      .write(reinterpret_cast<const char*>(mod.data()), long(mod.size()));

  cTracker t(QuietConfig());
  ASSERT_TRUE(t.SystemStart(false));
  ASSERT_EQ(t.LoadModuleMOD(path), 1);
  cWaveEntry entry;
  ASSERT_TRUE(Inside(t).Waves().GetEntry(0, &entry));
  EXPECT_STREQ(entry.name, "Sample 00");
  ASSERT_EQ(entry.length, 4);
  EXPECT_EQ(entry.data[64], -32768);
  EXPECT_EQ(entry.data[65], -256);
  EXPECT_EQ(entry.data[67], 32512);
  EXPECT_EQ(Inside(t).Song().Instrument(0)[kParamGenType], kGenSampler);
  EXPECT_EQ(Inside(t).Song().Instrument(0)[0], 20);
  for (int c = 0; c < 4; ++c) EXPECT_EQ(Inside(t).Generators().generatorType[c], kGenSampler);
  EXPECT_EQ(Inside(t).Player().currentBpm, 125);
}

TEST(TrackerSystem, StartUpLeavesANewSongWithASamplerInstrumentFour) {
  cTracker t(QuietConfig());
  ASSERT_TRUE(t.SystemStart(false));
  for (int i = 0; i < kInstruments; ++i) {
    EXPECT_EQ(Inside(t).Song().Instrument(i)[kParamGenType], i == 3 ? kGenSampler : kGenBass) << i;
  }
  EXPECT_EQ(Inside(t).Song().Instrument(3)[2], 0);
  EXPECT_EQ(Inside(t).Song().channelCount, 4);
}

TEST(TrackerSystem, StartUpFailuresReachTheMessageSink) {
  cConfig config = QuietConfig();
  config.frequency = 1000000;
  cTracker t(config);
  std::string message;
  t.SetFatalHandler([&](const std::string& m) { message = m; });
  EXPECT_FALSE(t.SystemStart(false));
  EXPECT_NE(message.find("1000000"), std::string::npos);
}

TEST(TrackerSystem, SettingsOutOfRangeAreHeldToWhatTheProgramUses) {
  cConfig given;
  given.latency = 100000;  // its frames at 192 kHz would not fit 32 bits
  given.masterPan = 2147483647;
  given.masterVol = 900;
  given.bpm = 7;
  given.speed = -3;
  given.chans = 17;
  std::string error;
  const cConfig used = UsableConfig(given, &error);
  EXPECT_TRUE(error.empty());
  EXPECT_EQ(used.latency, kMaxLatencyMs);
  EXPECT_EQ(used.masterPan, 100);
  EXPECT_EQ(used.masterVol, 200);
  EXPECT_EQ(used.bpm, 32);
  EXPECT_EQ(used.speed, 0);
  EXPECT_EQ(used.chans, 4);  // as a new song would take it
  given = cConfig{};
  EXPECT_EQ(UsableConfig(given, &error).masterVol, 120);  // the defaults stand
  EXPECT_EQ(UsableConfig(given, &error).latency, 80);
}

// The output thread plays the engine into a WAV file. The test waits for
// blocks to be rendered, not for time to pass: a tick hook counts them.
TEST(TrackerSystem, TheAudioOutputPlaysTheEngineAndStopsCleanly) {
  const auto wav = std::filesystem::temp_directory_path() /
                   ("murvelon-system-" + std::to_string(::getpid()) + ".wav");
  cConfig config = QuietConfig();
  config.device = "wav:" + wav.string();
  uint32_t seed = 0;  // the dither generator's state before the first sample
  size_t half = 0;    // samples of a buffer half
  {
    cTracker t(config);
    seed = Inside(t).Renderer().ditherState;
    half = size_t(2 * Inside(t).Renderer().HalfFrames());
    std::mutex counting;
    std::condition_variable counted;
    int blocks = 0;
    t.SetTickHook(
        [&] {
          std::lock_guard<std::mutex> lock(counting);
          ++blocks;
          counted.notify_all();
        },
        Inside(t).Renderer().BlockFrames());
    std::string message;
    t.SetFatalHandler([&](const std::string& m) { message = m; });
    ASSERT_TRUE(t.SystemStart(true)) << message;
    ASSERT_NE(t.Output(), nullptr);
    EXPECT_TRUE(t.Output()->Playing());
    // Four halves: the first half rendered has played by then.
    const int wanted = 4 * Inside(t).Renderer().HalfFrames() / Inside(t).Renderer().BlockFrames();
    {
      std::unique_lock<std::mutex> lock(counting);
      EXPECT_TRUE(
          counted.wait_for(lock, std::chrono::seconds(20), [&] { return blocks >= wanted; }));
    }
    t.PauseEngine();
    t.NewModule();
    t.ResumeEngine();
    t.Shutdown();
    EXPECT_FALSE(t.Output()->Opened());
  }
  // What played is the engine's dither over silence: each sample 0 or 1, a
  // whole half of them in the dither generator's order.
  std::ifstream in(wav, std::ios::binary);
  in.seekg(44);
  std::vector<int16_t> played;
  for (int16_t sample; in.read(reinterpret_cast<char*>(&sample), 2);) played.push_back(sample);
  std::filesystem::remove(wav);
  EXPECT_TRUE(
      std::all_of(played.begin(), played.end(), [](int16_t s) { return s == 0 || s == 1; }));
  std::vector<int16_t> dither;
  for (uint32_t state = seed; dither.size() < 8 * half;) {
    state = NextDither(state);
    dither.push_back(state > (1u << 30) ? 1 : 0);
  }
  bool found = false;
  for (size_t at = 0; at + half <= played.size() && !found; at += half) {
    if (std::count(played.begin() + at, played.begin() + at + half, int16_t{1}) == 0) continue;
    found = std::search(dither.begin(), dither.end(), played.begin() + at,
                        played.begin() + at + half) != dither.end();
  }
  EXPECT_TRUE(found) << played.size() << " samples";
}
