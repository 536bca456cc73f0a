// The demo rendered to files as the command line and the window's export
// render it: the 16-bit WAV as it has always been, FLAC holding the same
// samples, stems that add up to the mix, and nothing left by a cancel or a
// failure.

#include "app/songrender.h"

#include <gtest/gtest.h>
#include <sndfile.h>
#include <unistd.h>

#include <algorithm>
#include <cmath>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <memory>
#include <string>
#include <vector>

#include "app/tracker.h"
#include "audio/soundfilereader.h"
#include "tests/support/digest.h"

namespace {

namespace fs = std::filesystem;

std::unique_ptr<cTracker> Demo() {
  cConfig config;
  config.cpuCalc = 0;
  auto t = std::make_unique<cTracker>(config);
  EXPECT_TRUE(t->SystemStart(false));
  t->PauseEngine();
  EXPECT_EQ(t->LoadModule(MURVELON_SOURCE_DIR "/Songs/demo.zqm"), 1);
  t->ResumeEngine();
  return t;
}

std::vector<uint8_t> Bytes(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  return std::vector<uint8_t>(std::istreambuf_iterator<char>(in), {});
}

// Every sample of a file as float, full scale 1.0; the frame count first.
std::vector<float> Floats(const std::string& path, int64_t* frames) {
  SF_INFO info{};
  SNDFILE* f = sf_open(path.c_str(), SFM_READ, &info);
  EXPECT_NE(f, nullptr) << path;
  if (f == nullptr) return {};
  std::vector<float> out(size_t(info.frames) * size_t(info.channels));
  sf_readf_float(f, out.data(), info.frames);
  sf_close(f);
  *frames = info.frames;
  return out;
}

std::vector<int16_t> Pcm16(const std::string& path) {
  const std::vector<uint8_t> bytes = Bytes(path);
  cSoundMemory memory(bytes.data(), bytes.size());
  cSoundFileReader reader(memory);
  EXPECT_TRUE(reader.Open()) << path;
  std::vector<int16_t> out;
  EXPECT_TRUE(reader.Decode(&out)) << path;
  return out;
}

// One folder for the suite: the 16-bit render is made once and compared by
// the tests that follow it.
class SongRender : public ::testing::Test {
 protected:
  static void SetUpTestSuite() {
    dir = fs::temp_directory_path() / ("murvelon-render-" + std::to_string(::getpid()));
    fs::create_directories(dir);
    auto t = Demo();
    cRenderRequest request;
    request.mixPath = Path("demo.wav");
    result16 = RenderSong(*t, request);
  }
  static void TearDownTestSuite() { fs::remove_all(dir); }
  static std::string Path(const std::string& name) { return (dir / name).string(); }

  static fs::path dir;
  static cRenderResult result16;
};
fs::path SongRender::dir;
cRenderResult SongRender::result16;

}  // namespace

TEST_F(SongRender, TheDemosSixteenBitWavIsUnchangedAndFlacHoldsItsSamples) {
  ASSERT_TRUE(result16.ok) << result16.error;
  EXPECT_EQ(result16.files, std::vector<std::string>{Path("demo.wav")});
  cDigest digest;
  for (uint8_t b : Bytes(Path("demo.wav"))) digest.AddWord(b);
  EXPECT_EQ(digest.value, 0x817bb03ae37c0205ull) << std::hex << digest.value;

  auto t = Demo();
  cRenderRequest request;
  request.mixPath = Path("demo.flac");
  request.mixFormat = SoundFormatForPath(request.mixPath);
  const cRenderResult flac = RenderSong(*t, request);
  ASSERT_TRUE(flac.ok) << flac.error;
  EXPECT_EQ(flac.frames, result16.frames);
  EXPECT_EQ(Pcm16(Path("demo.flac")), Pcm16(Path("demo.wav")));
}

// The stems' sum is the float mix, which is the mix before dither; the
// 16-bit mix is that plus its dither, rounded, except where it saturates.
TEST_F(SongRender, StemsAreAsLongAsTheMixAndAddUpToIt) {
  auto t = Demo();
  const int channels = t->Song().channelCount;
  cRenderRequest request;
  request.mixPath = Path("mix.wav");
  request.mixFormat = eSoundFormat::kWavFloat;
  request.stemsFolder = Path("stems");
  const cRenderResult result = RenderSong(*t, request);
  ASSERT_TRUE(result.ok) << result.error;
  EXPECT_EQ(result.frames, result16.frames);

  std::vector<std::string> names;
  for (const auto& entry : fs::directory_iterator(Path("stems")))
    names.push_back(entry.path().filename());
  std::sort(names.begin(), names.end());
  std::vector<std::string> expected;
  for (int b = 0; b < kFxAuxBuses; ++b) {
    if (t->Effects().BusFed(b))
      expected.push_back(StemFileName(kChannels + b, eSoundFormat::kWavFloat));
  }
  for (int c = 0; c < channels; ++c) expected.push_back(StemFileName(c, eSoundFormat::kWavFloat));
  EXPECT_EQ(names, expected);
  EXPECT_EQ(expected.front(), "aux-1.wav");  // the demo sends to its reverb
  EXPECT_EQ(result.files.size(), expected.size() + 1);

  int64_t frames = 0;
  const std::vector<float> mix = Floats(Path("mix.wav"), &frames);
  ASSERT_EQ(frames, result.frames);
  std::vector<double> sum(mix.size()), magnitude(mix.size());
  for (const std::string& name : names) {
    int64_t stemFrames = 0;
    const std::vector<float> stem = Floats((dir / "stems" / name).string(), &stemFrames);
    ASSERT_EQ(stemFrames, frames) << name;
    for (size_t i = 0; i < stem.size(); ++i) {
      sum[i] += stem[i];
      magnitude[i] += std::abs(stem[i]);
    }
  }
  const std::vector<int16_t> pcm = Pcm16(Path("demo.wav"));
  ASSERT_EQ(pcm.size(), mix.size());
  size_t saturated = 0;
  double loudest = 0;
  for (size_t i = 0; i < mix.size(); ++i) {
    // Each stem and the mix are rounded to float once: a few steps of
    // float rounding of the largest of them.
    ASSERT_NEAR(sum[i], mix[i], 4e-7 * (magnitude[i] + 1e-4)) << "sample " << i;
    const double x = double(mix[i]) * 32768.0;
    loudest = std::max(loudest, std::abs(x));
    if (pcm[i] == 32767 || pcm[i] == -32768) {
      ++saturated;
      continue;
    }
    ASSERT_NEAR(pcm[i], x + 0.5, 1.0 + 1e-2) << "sample " << i;
  }
  EXPECT_GT(loudest, 3000.0);
  EXPECT_LT(saturated, mix.size() / 1000);
}

TEST_F(SongRender, ACancelOrAFailureLeavesNoFile) {
  auto t = Demo();
  cRenderProgress progress;
  progress.cancel = true;
  cRenderRequest request;
  request.mixPath = Path("cancelled/mix.flac");
  request.mixFormat = eSoundFormat::kFlac24;
  request.stemsFolder = Path("cancelled/stems");
  fs::create_directories(Path("cancelled"));
  cRenderResult result = RenderSong(*t, request, &progress);
  EXPECT_FALSE(result.ok);
  EXPECT_TRUE(result.cancelled);
  EXPECT_TRUE(result.files.empty());
  EXPECT_TRUE(fs::is_empty(Path("cancelled")));  // the stems folder made for it went too

  request.mixPath = Path("missing/mix.wav");
  request.stemsFolder.clear();
  result = RenderSong(*t, request);
  EXPECT_FALSE(result.ok);
  EXPECT_FALSE(result.cancelled);
  EXPECT_EQ(result.error, Path("missing/mix.wav") + ": No such file or directory");
  EXPECT_FALSE(fs::exists(Path("missing")));
}
