// Samples of every common kind into the wave store: each rounded to its
// 16-bit frames at the file's own rate, and every file that fails leaving
// the slot as it was. The fixtures are made here with libsndfile.

#include <gtest/gtest.h>
#include <sndfile.h>
#include <unistd.h>

#include <climits>
#include <cmath>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <numbers>
#include <string>
#include <vector>

#include "engine/wavestore.h"

namespace {

namespace fs = std::filesystem;

struct SampleFiles : ::testing::Test {
  fs::path dir;
  cWavManager store;
  cWaveEntry entry;

  void SetUp() override {
    dir = fs::temp_directory_path() /
          ("murvelon-samples-" + std::to_string(::getpid()) + "-" +
           ::testing::UnitTest::GetInstance()->current_test_info()->name());
    fs::create_directories(dir);
  }
  void TearDown() override { fs::remove_all(dir); }

  // A file of frames x channels samples, given as ints in libsndfile's
  // 32-bit scale or as floats.
  std::string Write(const std::string& name, int format, int channels, int rate,
                    const std::vector<int32_t>& ints, const std::vector<float>& floats = {}) {
    const std::string path = (dir / name).string();
    SF_INFO info{};
    info.format = format;
    info.channels = channels;
    info.samplerate = rate;
    SNDFILE* f = sf_open(path.c_str(), SFM_WRITE, &info);
    EXPECT_NE(f, nullptr) << name << ": " << sf_strerror(nullptr);
    if (f == nullptr) return path;
    if (floats.empty()) {
      sf_writef_int(f, ints.data(), sf_count_t(ints.size()) / channels);
    } else {
      sf_writef_float(f, floats.data(), sf_count_t(floats.size()) / channels);
    }
    sf_close(f);
    return path;
  }

  std::vector<int16_t> Frames(int slot) {
    store.GetEntry(slot, &entry);
    const int64_t n = WaveSamples(entry.length, entry.flags);
    return std::vector<int16_t>(entry.data + kWaveMargin, entry.data + kWaveMargin + n);
  }

  // The slot holds an older wave that a failed import must not touch.
  void FillOld(int slot) {
    const int16_t old[] = {7, -7, 7};
    ASSERT_TRUE(store.SetSlot(slot, old, 3, 0, 0, 2, "old"));
  }
  void ExpectOld(int slot) {
    EXPECT_EQ(Frames(slot), (std::vector<int16_t>{7, -7, 7}));
    EXPECT_STREQ(entry.name, "old");
  }
};

std::vector<int32_t> Shifted(std::initializer_list<int32_t> values, int shift) {
  std::vector<int32_t> out;
  for (int32_t v : values) out.push_back(int32_t(uint32_t(v) << shift));
  return out;
}

}  // namespace

// Integer samples arrive in a power-of-two scale and are rounded to the
// nearest 16-bit step, ties to even, saturated at the top.
TEST_F(SampleFiles, EveryLosslessKindBecomesItsRoundedFrames) {
  const std::vector<int32_t> wide24 = Shifted({0x7FFFFF, -0x800000, 128, 384, -128, 0x123456}, 8);
  const std::vector<int16_t> rounded24 = {32767, -32768, 0, 2, 0, 4660};
  const std::vector<int32_t> full16 = Shifted({1000, -1000, 32767, -32768}, 16);
  const std::vector<int16_t> exact16 = {1000, -1000, 32767, -32768};
  struct Case {
    const char* name;
    int format;
    int channels;
    int rate;
    std::vector<int32_t> ints;
    std::vector<float> floats;
    std::vector<int16_t> frames;
  };
  const Case cases[] = {
      {"a.wav", SF_FORMAT_WAV | SF_FORMAT_PCM_24, 1, 22050, wide24, {}, rounded24},
      {"b.wav",
       SF_FORMAT_WAV | SF_FORMAT_PCM_32,
       2,
       48000,
       {INT_MAX, INT_MIN, 0x18000, 0x28000, -0x18000, 100 * 65536 + 1},
       {},
       {32767, -32768, 2, 2, -2, 100}},
      {"c.wav",
       SF_FORMAT_WAV | SF_FORMAT_FLOAT,
       2,
       44100,
       {},
       {1.0f, -1.0f, 0.5f, -0.25f, 1.5f, 1.0f / 65536},
       {32767, -32768, 16384, -8192, 32767, 0}},
      {"d.wav", SF_FORMAT_WAVEX | SF_FORMAT_DOUBLE, 1, 8000, {}, {0.5f, -0.125f}, {16384, -4096}},
      {"e.flac", SF_FORMAT_FLAC | SF_FORMAT_PCM_16, 1, 44100, full16, {}, exact16},
      {"f.flac", SF_FORMAT_FLAC | SF_FORMAT_PCM_24, 2, 96000, wide24, {}, rounded24},
      {"g.aiff", SF_FORMAT_AIFF | SF_FORMAT_PCM_16, 2, 32000, full16, {}, exact16},
      {"h.aiff",
       SF_FORMAT_AIFF | SF_FORMAT_PCM_S8,
       1,
       11025,
       Shifted({127, -128, 1, -1}, 24),
       {},
       {32512, -32768, 256, -256}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    const std::string path = Write(c.name, c.format, c.channels, c.rate, c.ints, c.floats);
    cWaveSlot read;
    cFileResult why;
    int32_t rate = 0;
    ASSERT_TRUE(cWavManager::ReadWav(path, &read, &why, &rate)) << FileResultReason(why);
    EXPECT_EQ(rate, c.rate);
    store.PutSlot(3, read);
    EXPECT_EQ(Frames(3), c.frames);
    EXPECT_EQ(entry.length, int32_t(c.frames.size()) / c.channels);
    EXPECT_EQ((entry.flags & kWaveStereoFlag) != 0, c.channels == 2);
    EXPECT_STREQ(entry.name, c.name);
    EXPECT_EQ(entry.loopEnd, entry.length - 1);
  }
}

// Lossy: the decoded sound is the sine it was made from, near enough, at
// its own length and rate.
TEST_F(SampleFiles, OggVorbisDecodesToTheSoundItHolds) {
  std::vector<float> sine(22050);
  for (size_t i = 0; i < sine.size(); ++i)
    sine[i] = 0.5f * float(std::sin(2 * std::numbers::pi * 440.0 * double(i) / 22050.0));
  const std::string path = Write("tone.ogg", SF_FORMAT_OGG | SF_FORMAT_VORBIS, 1, 22050, {}, sine);
  cWaveSlot read;
  cFileResult why;
  int32_t rate = 0;
  ASSERT_TRUE(cWavManager::ReadWav(path, &read, &why, &rate)) << FileResultReason(why);
  EXPECT_EQ(rate, 22050);
  store.PutSlot(0, read);
  const std::vector<int16_t> frames = Frames(0);
  ASSERT_EQ(frames.size(), sine.size());
  double error = 0, level = 0;
  for (size_t i = 1000; i < 21000; ++i) {
    error += std::abs(frames[i] - sine[i] * 32768.0);
    level += std::abs(sine[i] * 32768.0);
  }
  EXPECT_LT(error, 0.05 * level);
}

TEST_F(SampleFiles, FilesThatCannotBecomeASampleAreRefusedWithTheirReason) {
  // Whole files, then the same cut short.
  const std::vector<int32_t> ramp = [] {
    std::vector<int32_t> r(40000);
    for (size_t i = 0; i < r.size(); ++i) r[i] = int32_t(i * 40503u) << 8;
    return r;
  }();
  const std::string flac = Write("cut.flac", SF_FORMAT_FLAC | SF_FORMAT_PCM_24, 1, 44100, ramp);
  const std::string floatWav = Write("cut.wav", SF_FORMAT_WAV | SF_FORMAT_FLOAT, 1, 44100, {},
                                     std::vector<float>(1000, 0.25f));
  const std::string ogg = Write("cut.ogg", SF_FORMAT_OGG | SF_FORMAT_VORBIS, 1, 44100, {},
                                std::vector<float>(40000, 0.25f));
  for (const std::string& path : {flac, floatWav, ogg})
    fs::resize_file(path, fs::file_size(path) / 2);
  std::ofstream((dir / "text.wav").string()) << "no sound in here at all";
  const std::string wide =
      Write("six.wav", SF_FORMAT_WAV | SF_FORMAT_PCM_24, 3, 44100, std::vector<int32_t>(30, 0));

  struct Case {
    std::string path;
    const char* reason;
  };
  const Case cases[] = {
      {(dir / "missing.flac").string(), "No such file or directory"},
      {(dir / "text.wav").string(), "not a sound file that can be read"},
      {wide, "the file has 3 channels; only mono and stereo samples can be loaded"},
      {floatWav, "the file ends early"},
      {flac, "the file is damaged"},
      {ogg, "the file is damaged"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.path);
    FillOld(6);
    cFileResult why;
    EXPECT_FALSE(store.ImportWav(6, c.path, &why));
    EXPECT_EQ(FileResultReason(why, "not a sound file that can be read"), c.reason);
    ExpectOld(6);
  }
}
