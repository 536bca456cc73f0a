// The render's sound files: what each format stores for a mix, the 16-bit
// WAV being cWavFile's byte for byte, and a file that appears only whole.

#include <gtest/gtest.h>
#include <sndfile.h>
#include <sys/resource.h>
#include <unistd.h>

#include <cmath>
#include <csignal>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "audio/soundfilewriter.h"
#include "audio/wavfile.h"

namespace {

namespace fs = std::filesystem;

struct SoundFiles : ::testing::Test {
  fs::path dir;
  void SetUp() override {
    dir = fs::temp_directory_path() /
          ("murvelon-soundfile-" + std::to_string(::getpid()) + "-" +
           ::testing::UnitTest::GetInstance()->current_test_info()->name());
    fs::create_directories(dir);
  }
  void TearDown() override { fs::remove_all(dir); }
  std::string Path(const char* name) const { return (dir / name).string(); }
  // The folder holds only these names: no temporary file stayed behind.
  std::vector<std::string> Names() const {
    std::vector<std::string> names;
    for (const auto& entry : fs::directory_iterator(dir)) names.push_back(entry.path().filename());
    std::sort(names.begin(), names.end());
    return names;
  }
};

std::vector<uint8_t> Bytes(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  return std::vector<uint8_t>(std::istreambuf_iterator<char>(in), {});
}

// A file read back through libsndfile, as int (24-bit in the top bits) or
// as float, whatever its format.
struct cDecoded {
  SF_INFO info{};
  std::vector<int32_t> ints;
  std::vector<float> floats;
};
cDecoded Decode(const std::string& path) {
  cDecoded d;
  SNDFILE* f = sf_open(path.c_str(), SFM_READ, &d.info);
  EXPECT_NE(f, nullptr) << path << ": " << sf_strerror(nullptr);
  if (f == nullptr) return d;
  const size_t samples = size_t(d.info.frames) * size_t(d.info.channels);
  d.ints.resize(samples);
  d.floats.resize(samples);
  sf_command(f, SFC_SET_NORM_FLOAT, nullptr, SF_TRUE);
  sf_readf_int(f, d.ints.data(), d.info.frames);
  sf_seek(f, 0, SEEK_SET);
  sf_readf_float(f, d.floats.data(), d.info.frames);
  sf_close(f);
  return d;
}

// Three frames of a mix: small values that round, and values beyond full
// scale both ways; the finished samples are what a dithered mix made.
const double kMix[] = {0.4, -0.6, 1234.5, -2.5, 40000.0, -40000.0};
const int16_t kFinished[] = {1, -1, 1235, -2, 32767, -32768};

}  // namespace

TEST_F(SoundFiles, FormatsByNameAndBySuffix) {
  struct Case {
    const char* name;
    eSoundFormat format;
    const char* suffix;
  };
  for (const Case& c : {Case{"wav16", eSoundFormat::kWav16, ".wav"},
                        {"wav24", eSoundFormat::kWav24, ".wav"},
                        {"float", eSoundFormat::kWavFloat, ".wav"},
                        {"flac16", eSoundFormat::kFlac16, ".flac"},
                        {"flac24", eSoundFormat::kFlac24, ".flac"}}) {
    eSoundFormat parsed = eSoundFormat::kWav16;
    EXPECT_TRUE(ParseSoundFormat(c.name, &parsed)) << c.name;
    EXPECT_EQ(parsed, c.format) << c.name;
    EXPECT_STREQ(SoundFormatName(c.format), c.name);
    EXPECT_STREQ(SoundFormatSuffix(c.format), c.suffix);
  }
  eSoundFormat unchanged = eSoundFormat::kWav24;
  EXPECT_FALSE(ParseSoundFormat("mp3", &unchanged));
  EXPECT_EQ(unchanged, eSoundFormat::kWav24);
  EXPECT_EQ(SoundFormatForPath("/x/Song.FLAC"), eSoundFormat::kFlac16);
  EXPECT_EQ(SoundFormatForPath("song.flac.wav"), eSoundFormat::kWav16);
  EXPECT_EQ(SoundFormatForPath("song"), eSoundFormat::kWav16);
}

// 16-bit formats keep the finished samples, 24-bit takes round(mix x 256)
// and float mix / 32768, saturated only where the format must.
TEST_F(SoundFiles, EachFormatStoresTheMixAsItSays) {
  const int32_t want24[] = {102, -154, 316032, -640, 8388607, -8388608};
  for (eSoundFormat format : {eSoundFormat::kWav16, eSoundFormat::kFlac16, eSoundFormat::kWav24,
                              eSoundFormat::kFlac24, eSoundFormat::kWavFloat}) {
    SCOPED_TRACE(SoundFormatName(format));
    const std::string path = Path((std::string("out") + SoundFormatSuffix(format)).c_str());
    cSoundFileWriter writer;
    ASSERT_TRUE(writer.Open(path, format, 22050)) << writer.Failure();
    ASSERT_TRUE(writer.Write(kMix, kFinished, 3));
    ASSERT_TRUE(writer.Commit()) << writer.Failure();
    const cDecoded d = Decode(path);
    ASSERT_EQ(d.info.frames, 3);
    EXPECT_EQ(d.info.channels, 2);
    EXPECT_EQ(d.info.samplerate, 22050);
    EXPECT_EQ(IsFlac(format), (d.info.format & SF_FORMAT_TYPEMASK) == SF_FORMAT_FLAC);
    for (size_t i = 0; i < 6; ++i) {
      switch (format) {
        case eSoundFormat::kWav16:
        case eSoundFormat::kFlac16:
          EXPECT_EQ(d.ints[i], int32_t(kFinished[i]) * 65536) << i;
          break;
        case eSoundFormat::kWav24:
        case eSoundFormat::kFlac24:
          EXPECT_EQ(d.ints[i], want24[i] * 256) << i;
          break;
        case eSoundFormat::kWavFloat:
          EXPECT_EQ(d.floats[i], float(kMix[i] / 32768.0)) << i;
          break;
      }
    }
    // The two samples beyond full scale, where the format has one.
    EXPECT_EQ(writer.ClippedSamples(), format == eSoundFormat::kWavFloat ? 0 : 2);
  }
  EXPECT_EQ(Names(), (std::vector<std::string>{"out.flac", "out.wav"}));
}

TEST_F(SoundFiles, SixteenBitWavIsTheWavFileWritersByteForByte) {
  cWavFile plain;
  ASSERT_TRUE(plain.Create(Path("plain.wav"), 44100));
  ASSERT_TRUE(plain.Append(kFinished, 3));
  ASSERT_TRUE(plain.Finish());
  cSoundFileWriter writer;
  ASSERT_TRUE(writer.Open(Path("render.wav"), eSoundFormat::kWav16, 44100));
  ASSERT_TRUE(writer.Write(kMix, kFinished, 3));
  ASSERT_TRUE(writer.Commit());
  EXPECT_EQ(Bytes(Path("render.wav")), Bytes(Path("plain.wav")));
  // Without finished samples (a stem) the mix is rounded and saturated.
  ASSERT_TRUE(writer.Open(Path("stem.wav"), eSoundFormat::kWav16, 44100));
  ASSERT_TRUE(writer.Write(kMix, nullptr, 3));
  ASSERT_TRUE(writer.Commit());
  const cDecoded stem = Decode(Path("stem.wav"));
  const int32_t rounded[] = {0, -1, 1234, -2, 32767, -32768};  // ties to even
  for (size_t i = 0; i < 6; ++i) EXPECT_EQ(stem.ints[i], rounded[i] * 65536) << i;
}

// Until it is committed the file exists only under a temporary name; an
// abandoned one leaves nothing, and an older file of that name stays whole.
TEST_F(SoundFiles, AFileAppearsOnlyWhenComplete) {
  std::ofstream(Path("song.flac")) << "older";
  {
    cSoundFileWriter writer;
    ASSERT_TRUE(writer.Open(Path("song.flac"), eSoundFormat::kFlac16, 44100));
    ASSERT_TRUE(writer.Write(kMix, kFinished, 3));
    EXPECT_EQ(Names().size(), 2u);
  }
  EXPECT_EQ(Names(), std::vector<std::string>{"song.flac"});
  EXPECT_EQ(Bytes(Path("song.flac")), (std::vector<uint8_t>{'o', 'l', 'd', 'e', 'r'}));
}

TEST_F(SoundFiles, FailuresSayTheSystemsReasonAndLeaveNothing) {
  cSoundFileWriter writer;
  EXPECT_FALSE(writer.Open(Path("missing/out.wav"), eSoundFormat::kWav24, 44100));
  EXPECT_EQ(writer.Failure(), "No such file or directory");

  // A disk that fills up mid-way: the file-size limit stands in for it.
  std::signal(SIGXFSZ, SIG_IGN);
  rlimit saved;
  ASSERT_EQ(getrlimit(RLIMIT_FSIZE, &saved), 0);
  // Values that no encoder packs small.
  std::vector<double> loud(2 * 44100);
  for (size_t i = 0; i < loud.size(); ++i) loud[i] = double(int64_t(i * 7919) % 20011) - 10000.0;
  for (eSoundFormat format :
       {eSoundFormat::kWav16, eSoundFormat::kWavFloat, eSoundFormat::kFlac24}) {
    SCOPED_TRACE(SoundFormatName(format));
    ASSERT_TRUE(writer.Open(Path("full.wav"), format, 44100));
    rlimit small = saved;
    small.rlim_cur = 64 * 1024;
    ASSERT_EQ(setrlimit(RLIMIT_FSIZE, &small), 0);
    bool ok = true;
    for (int second = 0; second < 4 && ok; ++second) ok = writer.Write(loud.data(), nullptr, 44100);
    ok = ok && writer.Commit();
    ASSERT_EQ(setrlimit(RLIMIT_FSIZE, &saved), 0);
    EXPECT_FALSE(ok);
    EXPECT_EQ(writer.Failure(), "File too large");
    writer.Abort();
    EXPECT_TRUE(Names().empty());
  }
  std::signal(SIGXFSZ, SIG_DFL);
}
