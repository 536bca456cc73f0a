#include <gtest/gtest.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <thread>
#include <vector>

#include "app/exportjob.h"
#include "app/tracker.h"
#include "app/trackerinside.h"
#include "song/songfile.h"

namespace {

struct cRun {
  int status;
  std::string out;
};

cRun Cli(const std::string& arguments) {
  const std::string command = std::string(MURVELON_CLI) + " " + arguments + " 2>&1";
  std::FILE* pipe = ::popen(command.c_str(), "r");
  cRun run{-1, ""};
  if (pipe == nullptr) return run;
  char buffer[4096];
  size_t n;
  while ((n = std::fread(buffer, 1, sizeof buffer, pipe)) > 0) run.out.append(buffer, n);
  const int status = ::pclose(pipe);
  run.status = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
  return run;
}

std::vector<uint8_t> Bytes(const std::filesystem::path& path) {
  std::ifstream in(path, std::ios::binary);
  return std::vector<uint8_t>(std::istreambuf_iterator<char>(in), {});
}

struct CliTest : ::testing::Test {
  std::filesystem::path dir;
  std::string ini;
  void SetUp() override {
    dir = std::filesystem::temp_directory_path() /
          ("murvelon-cli-" + std::to_string(::getpid()) + "-" +
           ::testing::UnitTest::GetInstance()->current_test_info()->name());
    std::filesystem::create_directories(dir);
    ini = (dir / "test.ini").string();
    std::ofstream(ini) << "[Tracker]\nCPUcalc=0\n";
  }
  void TearDown() override { std::filesystem::remove_all(dir); }
  std::string Path(const char* name) const { return (dir / name).string(); }

  // A song of one cBass note and a reverb, saved through the engine; one
  // pass of its pattern lasts 64 rows of `speed` ticks (at least two) at bpm;
  // a waveform of 0 or more sets the instrument's first oscillator.
  std::string MakeSong(bool withNote, int32_t speed = 6, int32_t bpm = 126, int16_t waveform = -1) {
    cConfig config;
    config.cpuCalc = 0;
    cTracker t(config);
    EXPECT_TRUE(t.SystemStart(false));
    Inside(t).Song().speed = speed;
    Inside(t).Song().bpm = bpm;
    if (withNote) {
      Inside(t).Song().SetChannelMode(0, 0, kModePlay);
      cCell& cell = Inside(t).Song().Cell(0, 0, 0);
      cell.note = 49;
      cell.instrument = 1;
      Inside(t).Effects().type[0][0] = 3;
      Inside(t).ChangeFxModule(0, 0, 3);
      if (waveform >= 0) Inside(t).Song().Instrument(0)[2] = waveform;  // oscillator 1
    }
    const std::string path = Path(withNote ? "note.zqm" : "silent.zqm");
    EXPECT_EQ(t.SaveModule(path), 1);
    return path;
  }
};

}  // namespace

TEST_F(CliTest, RenderIsTheSameBitForBitEveryTime) {
  const std::string song = MakeSong(true);
  for (const char* out : {"a.wav", "b.wav"}) {
    const cRun run = Cli("render " + song + " -o " + Path(out) + " --seconds 1.5 --ini " + ini);
    ASSERT_EQ(run.status, 0) << run.out;
  }
  const std::vector<uint8_t> a = Bytes(Path("a.wav"));
  EXPECT_EQ(a.size(), 44u + 4u * 66150u);
  EXPECT_EQ(a, Bytes(Path("b.wav")));
  // The note sounds: some sample is far from the dither.
  bool loud = false;
  for (size_t i = 44; i + 1 < a.size() && !loud; i += 2)
    loud = std::abs(int16_t(a[i] | a[i + 1] << 8)) > 1000;
  EXPECT_TRUE(loud);
}

TEST_F(CliTest, ASilentSongRendersTheDitherAloneUntilItHasPlayedOnce) {
  const std::string song = MakeSong(false);
  const cRun run = Cli("render " + song + " -o " + Path("s.wav") + " --stats --ini " + ini);
  ASSERT_EQ(run.status, 0) << run.out;
  EXPECT_NE(run.out.find("x real time"), std::string::npos);
  const std::vector<uint8_t> wav = Bytes(Path("s.wav"));
  // One pass of pattern 0: the wrap comes on the last tick of row 63 (after
  // 64 x 6 - 1 ticks of 874 frames), in the block that holds it; then two
  // seconds.
  const size_t frames = (wav.size() - 44) / 4;
  EXPECT_GE(frames, size_t(383 * 874 + 88200));
  EXPECT_LT(frames, size_t(383 * 874 + 88200 + 882));
  uint32_t state = 381296920;
  for (size_t i = 0; i < 2 * frames; ++i) {
    state = (state * 1103515245u + 12345u) & 0x7FFFFFFFu;
    const int16_t want = int16_t(std::nearbyint(double(state) / 2147483648.0));
    const int16_t got = int16_t(wav[44 + 2 * i] | wav[45 + 2 * i] << 8);
    ASSERT_EQ(got, want) << "sample " << i;
  }
}

// The sound starts at once: the processor clock is measured while the song
// plays, and only for --stats; until then the load reads "--".
TEST_F(CliTest, PlayStartsAtOnceAndMeasuresTheClockOnlyForStats) {
  const std::string quick = MakeSong(true, 1, 255);  // 64 x 2 x 432 frames: 1.3 s
  const cRun plain = Cli("play " + quick + " --device null --ini " + ini);
  ASSERT_EQ(plain.status, 0) << plain.out;
  EXPECT_NE(plain.out.find("underruns"), std::string::npos) << plain.out;
  EXPECT_EQ(plain.out.find("cpu"), std::string::npos) << plain.out;

  const std::string longer = MakeSong(true, 2, 125);  // 64 x 2 x 882 frames: 2.6 s
  const cRun stats = Cli("play " + longer + " --device null --stats --ini " + ini);
  ASSERT_EQ(stats.status, 0) << stats.out;
  const size_t first = stats.out.find("cpu ");
  ASSERT_NE(first, std::string::npos) << stats.out;
  EXPECT_EQ(stats.out.compare(first, 10, "cpu    -- "), 0) << stats.out;
  // Measured by the end: the summary shows a number.
  const size_t summary = stats.out.find("render load ");
  ASSERT_NE(summary, std::string::npos) << stats.out;
  EXPECT_NE(stats.out.compare(summary + 12, 6, "   -- "), 0) << stats.out;
}

TEST_F(CliTest, ConvertThenInfoRoundTrips) {
  // A one-sample module.
  std::vector<uint8_t> mod(1084 + 1024, 0);
  mod[20 + 23] = 8;
  mod[20 + 25] = 64;
  mod[20 + 29] = 4;  // loop of 4 words
  mod[950] = 1;
  std::memcpy(mod.data() + 1080, "M.K.", 4);
  mod[1084] = 0x01;
  mod[1085] = 0xAC;  // period 428
  mod[1086] = 0x10;
  for (int i = 0; i < 16; ++i) mod.push_back(uint8_t(i * 16));
  std::ofstream(Path("in.mod"), std::ios::binary)
      .write(reinterpret_cast<const char*>(mod.data()), long(mod.size()));

  ASSERT_EQ(Cli("convert " + Path("in.mod") + " -o " + Path("out.zqm") + " --ini " + ini).status,
            0);
  const cRun fromMod = Cli("info " + Path("in.mod") + " --ini " + ini);
  const cRun fromSong = Cli("info " + Path("out.zqm") + " --ini " + ini);
  ASSERT_EQ(fromMod.status, 0) << fromMod.out;
  EXPECT_EQ(fromSong.out, fromMod.out);
  EXPECT_NE(fromMod.out.find("Sample 00"), std::string::npos) << fromMod.out;
  EXPECT_NE(fromMod.out.find("cSampler  1"), std::string::npos) << fromMod.out;
  const cRun json = Cli("info " + Path("out.zqm") + " --json --ini " + ini);
  EXPECT_EQ(json.status, 0);
  EXPECT_NE(json.out.find("\"bpm\": 125"), std::string::npos) << json.out;
}

// Channels are numbered from 0 as the window numbers them, the aux buses
// from 1 as the window names them; JSON gives the number beside the name.
TEST_F(CliTest, InfoNumbersTheChainsAsTheWindowDoes) {
  {
    cConfig config;
    config.cpuCalc = 0;
    cTracker t(config);
    ASSERT_TRUE(t.SystemStart(false));
    for (auto [chain, slot] : {std::pair{0, 0}, {3, 1}, {kChannels + 1, 0}}) {
      Inside(t).Effects().type[slot][chain] = 3;
      Inside(t).ChangeFxModule(chain, slot, 3);
    }
    Inside(t).SetSend(3, 1, 50);
    ASSERT_EQ(t.SaveModule(Path("chains.zqm")), 1);
  }
  const cRun text = Cli("info " + Path("chains.zqm") + " --ini " + ini);
  ASSERT_EQ(text.status, 0) << text.out;
  for (const char* line : {"  Channel 0  slot 1", "  Channel 3  slot 2", "  Aux2       slot 1",
                           "  Send: Channel 3 -> Aux2 50 %"}) {
    EXPECT_NE(text.out.find(line), std::string::npos) << line << "\n" << text.out;
  }
  const cRun json = Cli("info " + Path("chains.zqm") + " --json --ini " + ini);
  ASSERT_EQ(json.status, 0) << json.out;
  for (const char* entry : {"{\"chain\": \"Channel 0\", \"channel\": 0, \"slot\": 1,",
                            "{\"chain\": \"Channel 3\", \"channel\": 3, \"slot\": 2,",
                            "{\"chain\": \"Aux2\", \"aux\": 2, \"slot\": 1,"}) {
    EXPECT_NE(json.out.find(entry), std::string::npos) << entry << "\n" << json.out;
  }
}

TEST_F(CliTest, FilesAndUsageErrorsHaveTheirExitCodes) {
  std::ofstream(Path("junk.zqm")) << "no song here";
  // Larger than any song: refused at once, with the window's reason. Cut
  // short: said, and the command goes on with what was read.
  std::ofstream(Path("huge.zqm")) << "ZQ23";
  const uint64_t largest = LargestSongBytes(cWavManager::kLargestWaveListBytes);
  std::filesystem::resize_file(Path("huge.zqm"), largest + 1);
  std::vector<uint8_t> demo = Bytes(MURVELON_SOURCE_DIR "/Songs/demo.zqm");
  demo.resize(demo.size() - 284);
  std::ofstream(Path("cut.zqm"), std::ios::binary)
      .write(reinterpret_cast<const char*>(demo.data()), std::streamsize(demo.size()));
  struct Case {
    std::string arguments;
    int status;
    std::string says;
  };
  for (const Case& c :
       {Case{"info " + Path("junk.zqm"), 1, "Song format not recognized!"},
        Case{"info " + Path("missing.zqm"), 1, "cannot read"},
        Case{"info " + dir.string(), 1, "cannot read " + dir.string() + ": Is a directory"},
        Case{"info " + Path("huge.zqm"), 1,
             Path("huge.zqm") + ": the file (" + std::to_string(largest + 1) +
                 " bytes) is larger than the largest song"},
        Case{"info " + Path("cut.zqm"), 0,
             "warning: " + Path("cut.zqm") + ": the file ends early: 2 of 3 samples were read"},
        Case{"render " + Path("junk.zqm"), 2, "needs -o"}, Case{"frobnicate", 2, "unknown command"},
        Case{"info a b", 2, "too many"}, Case{"render x -o y --seconds -3", 2, "--seconds"},
        Case{"render x -o y --format mp3", 2, "--format takes"},
        Case{"render x -o y --positions 5-2", 2, "--positions takes"},
        Case{"render " + Path("junk.zqm") + " --stems " + Path("s"), 1, "Song format"},
        Case{"--version", 0, "murvelon-cli"}, Case{"play --help", 0, "--device"}}) {
    const cRun run = Cli(c.arguments + " --ini " + ini);
    EXPECT_EQ(run.status, c.status) << c.arguments << "\n" << run.out;
    EXPECT_NE(run.out.find(c.says), std::string::npos) << c.arguments << "\n" << run.out;
  }
}

// The window's export renders on a second engine from the song image while
// the live engine plays on (here: a muted channel, a few blocks played
// between), and writes the very files the command line writes. Ten seconds
// of the demo: the whole song's end and tail are the render's own, the same
// for both (the desktop program's test exports the whole demo).
TEST_F(CliTest, TheWindowsExportWritesTheCommandLinesFiles) {
  const std::string demo = MURVELON_SOURCE_DIR "/Songs/demo.zqm";
  const cRun cli = Cli("render " + demo + " -o " + Path("cli.flac") + " --format flac24 --stems " +
                       Path("cli-stems") + " --seconds 10 --ini " + ini);
  ASSERT_EQ(cli.status, 0) << cli.out;

  cConfig config;
  config.cpuCalc = 0;
  cTracker live(config);
  ASSERT_TRUE(live.SystemStart(false));
  ASSERT_EQ(live.LoadModule(demo), 1);
  cMixerFlags muted = live.Song().mixer;
  muted.on[1] = 0;  // the window's mute is not part of the song
  live.SetMixerFlags(muted);
  live.TransportCommand(1);
  for (int b = 0; b < 20; ++b) live.RenderCallback(1);

  cRenderRequest request;
  request.mixPath = Path("window.flac");
  request.mixFormat = eSoundFormat::kFlac24;
  request.stemsFolder = Path("window-stems");
  request.stemFormat = eSoundFormat::kFlac24;
  request.seconds = 10;
  cExportJob job(live, request);
  job.Start();
  while (!job.Finished()) {
    live.RenderCallback(1);
    std::this_thread::sleep_for(std::chrono::milliseconds(2));
  }
  const cRenderResult& result = job.Wait();
  ASSERT_TRUE(result.ok) << result.error;
  EXPECT_EQ(Bytes(Path("window.flac")), Bytes(Path("cli.flac")));
  size_t stems = 0;
  for (const auto& entry : std::filesystem::directory_iterator(Path("cli-stems"))) {
    const std::string name = entry.path().filename();
    EXPECT_EQ(Bytes(Path("window-stems") + "/" + name), Bytes(entry.path())) << name;
    ++stems;
  }
  size_t buses = 0;
  for (int b = 0; b < kFxAuxBuses; ++b) buses += live.Effects().BusFed(b) ? 1 : 0;
  EXPECT_EQ(stems, size_t(live.Song().channelCount) + buses);
  EXPECT_EQ(result.files.size(), stems + 1);
}

// The synthesizer's noise as well: its seeds are the engine's own, however
// often the live engine has reset its voices before and meanwhile.
TEST_F(CliTest, TheWindowsExportOfNoiseIsTheCommandLinesToo) {
  const std::string song = MakeSong(true, 6, 126, 3);  // waveform 3: noise
  const cRun cli = Cli("render " + song + " -o " + Path("cli.wav") + " --ini " + ini);
  ASSERT_EQ(cli.status, 0) << cli.out;
  cConfig config;
  config.cpuCalc = 0;
  cTracker live(config);
  ASSERT_TRUE(live.SystemStart(false));
  ASSERT_EQ(live.LoadModule(song), 1);
  live.TransportCommand(1);
  cRenderRequest request;
  request.mixPath = Path("window.wav");
  cExportJob job(live, request);
  job.Start();
  while (!job.Finished()) {
    live.Panic();
    std::this_thread::sleep_for(std::chrono::milliseconds(1));
  }
  ASSERT_TRUE(job.Wait().ok) << job.Wait().error;
  EXPECT_EQ(Bytes(Path("window.wav")), Bytes(Path("cli.wav")));
}

TEST_F(CliTest, APartOfTheSequenceRendersAloneAndACancelLeavesNothing) {
  const std::string demo = MURVELON_SOURCE_DIR "/Songs/demo.zqm";
  const cRun cli =
      Cli("render " + demo + " -o " + Path("cli.wav") + " --positions 1-2 --ini " + ini);
  ASSERT_EQ(cli.status, 0) << cli.out;
  cConfig config;
  config.cpuCalc = 0;
  cTracker live(config);
  ASSERT_TRUE(live.SystemStart(false));
  ASSERT_EQ(live.LoadModule(demo), 1);
  const std::vector<uint8_t> image = live.SongImage();

  cRenderRequest request;
  request.mixPath = Path("part.wav");
  request.firstPosition = 1;
  request.lastPosition = 2;
  cExportJob part(config, image, request);
  part.Start();
  ASSERT_TRUE(part.Wait().ok) << part.Wait().error;
  EXPECT_EQ(part.Progress().firstPosition, 1);
  EXPECT_EQ(part.Progress().lastPosition, 2);
  EXPECT_EQ(Bytes(Path("part.wav")), Bytes(Path("cli.wav")));
  // Two patterns and the tail: far shorter than the whole song.
  EXPECT_LT(part.Wait().frames, 44100 * 20);

  request.mixPath = Path("cancelled.wav");
  request.stemsFolder = Path("cancelled-stems");
  cExportJob cancelled(config, image, request);
  cancelled.Start();
  while (cancelled.Progress().frames == 0 && !cancelled.Finished()) std::this_thread::yield();
  cancelled.Cancel();
  EXPECT_TRUE(cancelled.Wait().cancelled);
  EXPECT_FALSE(std::filesystem::exists(Path("cancelled.wav")));
  EXPECT_FALSE(std::filesystem::exists(Path("cancelled-stems")));
  for (const auto& entry : std::filesystem::directory_iterator(dir))
    EXPECT_EQ(entry.path().string().find("cancelled"), std::string::npos) << entry.path();
}
