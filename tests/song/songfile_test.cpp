#include "song/songfile.h"

#include <gtest/gtest.h>
#include <unistd.h>

#include <cstring>
#include <filesystem>
#include <fstream>
#include <iterator>

#include "song/presets.h"

namespace {

// An effect whose parameters are plain stored integers.
class cPlainEffect : public cEffect {
 public:
  explicit cPlainEffect(int count) : count(count) {}
  int32_t GetNumParams() override { return count; }
  void SetParam(int32_t i, int32_t v) override {
    if (i >= 0 && i < count) values[i] = v;
  }
  int32_t GetParam(int32_t i) override { return i >= 0 && i < count ? values[i] : -1; }
  int count;
  int32_t values[kFxMostParams] = {};
};

// Effect type t has t parameters; types above 11 make no object.
struct cTestHost : cSongFileHost {
  cSongTables& song;
  cFxChains& fx;
  int resets = 0;
  cTestHost(cSongTables& s, cFxChains& f) : song(s), fx(f) {}
  void NewModule() override {
    ++resets;
    song.Reset(cSongDefaults{});
    fx.DestroyAll();
  }
  cEffect* CreateEffect(int chain, int slot, uint32_t type) override {
    fx.type[slot][chain] = type;
    fx.object[slot][chain].reset(type <= 11 ? new cPlainEffect(int(type)) : nullptr);
    return fx.object[slot][chain].get();
  }
};

struct SongFileFixture : ::testing::Test {
  cSongTables song;
  cFxChains fx;
  cTestHost host{song, fx};
  std::filesystem::path dir;

  void SetUp() override {
    dir = std::filesystem::temp_directory_path() /
          ("murvelon-songfile-" + std::to_string(::getpid()) + "-" +
           ::testing::UnitTest::GetInstance()->current_test_info()->name());
    std::filesystem::create_directories(dir);
  }
  void TearDown() override { std::filesystem::remove_all(dir); }

  std::vector<uint8_t> Save() {
    cFileWriter out;
    WriteModule(out, song, fx, host);
    return out.Bytes();
  }
  void AddEffect(int chain, int slot, uint32_t type) {
    host.CreateEffect(chain, slot, type);
    for (uint32_t i = 0; i < type; ++i)
      fx.Object(slot, chain)->SetParam(int(i), int32_t(100 * chain + 10 * slot + i));
  }
  // A song touching every saved table.
  void Compose() {
    song.SetChannelCount(6);
    song.masterVolume = 150;
    song.masterPan = -35;
    song.bpm = 140;
    song.speed = 4;
    song.start = 2;
    song.repeat = 3;
    song.end = 9;
    for (int c = 0; c < 6; ++c) song.channelVolume[c] = 50 + c;
    for (int p = 0; p < 10; ++p) {
      song.SetPattern(p, uint32_t(p * 3));
      song.SetModeWord(p, 0x5555u + uint32_t(p) * 0x01010101u);
    }
    for (int c = 0; c < 6; ++c) song.Cell(27, c, c * 7).note = uint8_t(1 + c);
    song.Cell(0, 5, 63).parameter2 = 0xEE;
    for (int i = 0; i < kInstruments; ++i) {
      for (int w = 0; w < kInstrumentWords; ++w) song.Instrument(i)[w] = int16_t(i * 7 + w);
      song.Instrument(i)[31] = int16_t(i % 3);
      song.Instrument(i)[22] = 5;
    }
    AddEffect(0, 0, 3);
    AddEffect(5, 3, 11);
    AddEffect(kChannels + 2, 1, 6);
    fx.send[1][4] = 70;
    fx.send[3][0] = 100;
  }
};

}  // namespace

TEST_F(SongFileFixture, SavingAndLoadingReproducesEveryTable) {
  Compose();
  const std::string path = (dir / "song.zqm").string();
  ASSERT_EQ(SaveModule(path, song, fx, host), 1);

  cSongTables loaded;
  cFxChains loadedFx;
  cTestHost loadHost(loaded, loadedFx);
  ASSERT_EQ(LoadModule(path, loaded, loadedFx, loadHost), 1);
  EXPECT_EQ(loaded.channelCount, 6);
  EXPECT_EQ(loaded.masterVolume, 150);
  EXPECT_EQ(loaded.masterPan, -35);
  EXPECT_EQ(loaded.bpm, 140);
  EXPECT_EQ(loaded.speed, 4);
  EXPECT_EQ((std::vector{loaded.start, loaded.repeat, loaded.end}), (std::vector{2, 3, 9}));
  for (int c = 0; c < 6; ++c) EXPECT_EQ(loaded.channelVolume[c], 50 + c);
  EXPECT_EQ(std::memcmp(loaded.Sequence(), song.Sequence(), kSequenceBytes), 0);
  for (int p = 0; p <= 27; ++p) {
    ASSERT_EQ(std::memcmp(loaded.Pattern(p), song.Pattern(p), 6 * kChannelBytes), 0) << p;
  }
  EXPECT_EQ(std::memcmp(loaded.InstrumentTable(), song.InstrumentTable(), 32768), 0);
  for (int slot = 0; slot < kFxSlots; ++slot) {
    for (int chain = 0; chain < kFxChains; ++chain) {
      EXPECT_EQ(loadedFx.type[slot][chain], fx.type[slot][chain]);
      cEffect* a = fx.Object(slot, chain);
      cEffect* b = loadedFx.Object(slot, chain);
      ASSERT_EQ(a == nullptr, b == nullptr);
      for (int i = 0; a && i < a->GetNumParams(); ++i) EXPECT_EQ(b->GetParam(i), a->GetParam(i));
    }
  }
  EXPECT_EQ(std::memcmp(loadedFx.send, fx.send, sizeof fx.send), 0);
  // Saving what was loaded gives the same bytes.
  cFileWriter again;
  WriteModule(again, loaded, loadedFx, loadHost);
  EXPECT_EQ(again.Bytes(), Save());
}

TEST_F(SongFileFixture, SectionSizesFollowTheCounts) {
  // End and repeat 0: one sequence entry. Pattern 200 far beyond the saved
  // positions still saves patterns 0-200. No channels: no volumes, empty
  // pattern bodies, no channel effect sections, four bus sections.
  song.SetChannelCount(0);
  song.SetPattern(4000, 200);
  const std::vector<uint8_t> bytes = Save();
  auto u32 = [&](size_t at) {
    uint32_t v;
    std::memcpy(&v, bytes.data() + at, 4);
    return v;
  };
  size_t at = 32 + 8 + 32;  // header, "#GENINF#", eight words, no volumes
  EXPECT_EQ(std::memcmp(bytes.data() + at, "#SEQINF#", 8), 0);
  EXPECT_EQ(u32(at + 8), 1u);
  at += 8 + 4 + 8;
  EXPECT_EQ(std::memcmp(bytes.data() + at, "#PATINF#", 8), 0);
  EXPECT_EQ(u32(at + 8), 201u);
  at += 8 + 4;
  EXPECT_EQ(std::memcmp(bytes.data() + at + 200 * 8, "#PAT C8#", 8), 0);
  at += 201 * 8;
  EXPECT_EQ(std::memcmp(bytes.data() + at, "#INSINF#", 8), 0);
  at += 8 + 32768;
  EXPECT_EQ(std::memcmp(bytes.data() + at, "#EFXINF#", 8), 0);
  at += 8;
  for (int a = 0; a < 4; ++a) {
    char marker[9];
    std::snprintf(marker, sizeof marker, "#AUX %02X#", a);
    EXPECT_EQ(std::memcmp(bytes.data() + at, marker, 8), 0);
    at += 8 + 4 * 4;  // four empty slots: their type words only
  }
  EXPECT_EQ(std::memcmp(bytes.data() + at, "#WAVINF#", 8), 0);
  EXPECT_EQ(bytes.size(), at + 8);
}

// A pattern written before any sequence entry names it is saved too, up to
// the highest one holding anything in the saved channels; a pattern whose
// only notes lie in channels beyond the count adds nothing.
TEST_F(SongFileFixture, APatternTheSequenceDoesNotNameYetIsKept) {
  song.SetChannelCount(4);
  song.SetPattern(0, 2);
  song.Cell(9, 3, 63).note = 25;
  song.Cell(12, 5, 0).note = 30;
  const std::vector<uint8_t> bytes = Save();
  const std::string text(bytes.begin(), bytes.end());
  const size_t at = text.find("#PATINF#");
  ASSERT_NE(at, std::string::npos);
  uint32_t count;
  std::memcpy(&count, bytes.data() + at + 8, 4);
  EXPECT_EQ(count, 10u);

  const std::string path = (dir / "kept.zqm").string();
  std::ofstream(path, std::ios::binary)
      .write(reinterpret_cast<const char*>(bytes.data()), std::streamsize(bytes.size()));
  cSongTables loaded;
  cFxChains loadedFx;
  cTestHost loadHost{loaded, loadedFx};
  ASSERT_EQ(LoadModule(path, loaded, loadedFx, loadHost), 1);
  EXPECT_EQ(loaded.Cell(9, 3, 63).note, 25);
  EXPECT_EQ(loaded.GetPattern(0), 2u);
}

TEST_F(SongFileFixture, AnEffectAddsItsCountAndValues) {
  song.SetChannelCount(0);
  const size_t empty = Save().size();
  AddEffect(kChannels, 0, 6);
  EXPECT_EQ(Save().size(), empty + 4 + 4 * 6);
}

// Every table at its limit and every slot holding the effect with the most
// parameters: the size a file larger than which is refused at once.
TEST_F(SongFileFixture, TheLargestSongIsAsLargeAsTheLimitSays) {
  song.SetChannelCount(kChannels);
  song.end = kPositions - 1;
  song.SetPattern(7, kPatterns - 1);
  for (int chain = 0; chain < kFxChains; ++chain) {
    for (int slot = 0; slot < kFxSlots; ++slot) {
      fx.type[slot][chain] = 1;
      fx.object[slot][chain] = std::make_unique<cPlainEffect>(kFxMostParams);
    }
  }
  const uint64_t emptyWaveList = 4;
  cFileWriter out;
  WriteModule(out, song, fx, host);
  EXPECT_EQ(out.Bytes().size() + emptyWaveList, LargestSongBytes(emptyWaveList));
}

TEST_F(SongFileFixture, ForeignOrOversizedFilesLeaveTheSongUntouched) {
  Compose();
  const std::vector<uint8_t> good = Save();
  auto withWord = [&](size_t at, uint32_t v) {
    std::vector<uint8_t> b = good;
    std::memcpy(b.data() + at, &v, 4);
    return b;
  };
  const size_t sequenceCount = 32 + 8 + 32 + 4 * 6 + 8;
  const size_t patternCount = sequenceCount + 4 + 8 * 10 + 8;
  std::vector<uint8_t> wrongMagic = good;
  wrongMagic[3] = '4';
  for (const auto& bytes :
       {wrongMagic, withWord(40, 17), withWord(sequenceCount, 4097), withWord(patternCount, 257),
        std::vector<uint8_t>{'Z', 'Q'}, std::vector<uint8_t>(good.begin(), good.begin() + 31)}) {
    cSongTables target;
    cFxChains targetFx;
    cTestHost targetHost(target, targetFx);
    target.bpm = 99;
    cFileReader in(bytes);
    EXPECT_FALSE(ReadModule(in, target, targetFx, targetHost));
    EXPECT_EQ(targetHost.resets, 0);
    EXPECT_EQ(target.bpm, 99);
  }
}

TEST_F(SongFileFixture, ATruncatedFileLoadsAsFarAsItGoes) {
  Compose();
  const std::vector<uint8_t> good = Save();
  for (size_t cut : {size_t(50), size_t(200), good.size() / 2, good.size() - 3}) {
    cSongTables target;
    cFxChains targetFx;
    cTestHost targetHost(target, targetFx);
    cFileReader in(std::vector<uint8_t>(good.begin(), good.begin() + long(cut)));
    cFileResult why;
    EXPECT_TRUE(ReadModule(in, target, targetFx, targetHost, &why)) << cut;
    EXPECT_EQ(why.problem, eFileProblem::kEndsEarly) << cut;
    EXPECT_LE(target.channelCount, kChannels);
  }
  // Cut inside the instrument table: the general fields and patterns arrived.
  cSongTables target;
  cFxChains targetFx;
  cTestHost targetHost(target, targetFx);
  cFileReader in(std::vector<uint8_t>(good.begin(), good.end() - 3000 - 32768 / 2));
  ASSERT_TRUE(ReadModule(in, target, targetFx, targetHost));
  EXPECT_EQ(target.bpm, 140);
  EXPECT_EQ(target.Cell(27, 5, 35).note, 6);
}

TEST_F(SongFileFixture, LoadingMendsDamagedValues) {
  song.bpm = 0;
  song.masterPan = 2147483647;  // the mixer adds 100 to it
  song.masterVolume = -5;
  song.speed = 1000;
  song.Instrument(4)[31] = 0;
  song.Instrument(4)[22] = int16_t(-3);    // 0xFFFD
  song.Instrument(4)[23] = int16_t(-256);  // 0xFF00
  song.Instrument(5)[31] = 2;
  song.Instrument(5)[22] = -3;  // FM instruments keep theirs
  fx.send[2][1] = 5000;
  fx.send[3][1] = -7;
  std::vector<uint8_t> bytes = Save();
  const uint32_t pattern = 0x1234;  // position 0's pattern word
  std::memcpy(bytes.data() + 32 + 8 + 32 + 4 * 4 + 8 + 4, &pattern, 4);
  cFileReader in(bytes);
  cSongTables target;
  ASSERT_TRUE(ReadModule(in, target, fx, host));
  EXPECT_EQ(target.bpm, 32);
  EXPECT_EQ(target.masterPan, 100);
  EXPECT_EQ(target.masterVolume, 0);
  EXPECT_EQ(target.speed, 31);
  EXPECT_EQ(target.GetPattern(0), 0x34u);
  EXPECT_EQ(target.Instrument(4)[22], 0xFD);
  EXPECT_EQ(target.Instrument(4)[23], 0);
  EXPECT_EQ(target.Instrument(5)[22], -3);
  EXPECT_EQ(fx.send[2][1], 100);
  EXPECT_EQ(fx.send[3][1], 0);
}

TEST_F(SongFileFixture, AFailedSaveKeepsThePreviousFile) {
  const std::string path = (dir / "keep.zqm").string();
  { std::ofstream(path) << "previous"; }
  std::filesystem::create_directory(dir / "blocker.zqm");
  cFileResult why;
  EXPECT_EQ(SaveModule((dir / "blocker.zqm").string(), song, fx, host, &why), 0);
  EXPECT_EQ(FileResultReason(why), "Is a directory");
  EXPECT_EQ(SaveModule((dir / "missing" / "x.zqm").string(), song, fx, host, &why), 0);
  EXPECT_EQ(FileResultReason(why), "No such file or directory");
  ASSERT_EQ(SaveModule(path, song, fx, host), 1);
  // Nothing but the two targets and the replaced file's backup is left.
  int entries = 0;
  for (auto& e : std::filesystem::directory_iterator(dir)) entries += e.exists() ? 1 : 0;
  EXPECT_EQ(entries, 3);
  std::ifstream backup(path + ".bak");
  EXPECT_EQ(std::string(std::istreambuf_iterator<char>(backup), {}), "previous");
}

TEST_F(SongFileFixture, PresetsKeepToTheirGeneratorType) {
  int16_t block[kInstrumentWords];
  for (int w = 0; w < kInstrumentWords; ++w) block[w] = int16_t(w * 3);
  const std::string bass = (dir / "a.zqb").string(), fm = (dir / "a.zqf").string();
  block[31] = 1;  // a sampler instrument saves in neither format
  EXPECT_EQ(SaveSynth(bass, block), 0);
  EXPECT_EQ(SaveFMSynth(fm, block), 0);
  EXPECT_FALSE(std::filesystem::exists(bass) || std::filesystem::exists(fm));

  block[31] = 0;
  ASSERT_EQ(SaveSynth(bass, block), 1);
  EXPECT_EQ(std::filesystem::file_size(bass), uintmax_t(kPresetBytes));
  int16_t loaded[kInstrumentWords] = {};
  EXPECT_EQ(LoadFMSynth(bass, loaded), 0);  // the other magic: untouched
  EXPECT_EQ(loaded[5], 0);
  ASSERT_EQ(LoadSynth(bass, loaded), 1);
  EXPECT_EQ(std::memcmp(loaded, block, sizeof block), 0);

  // A bass preset whose word 31 says FM turns the instrument into FM.
  block[31] = 2;
  std::vector<uint8_t> bytes(4 + sizeof block);
  std::memcpy(bytes.data(), "ZQB1", 4);
  std::memcpy(bytes.data() + 4, block, sizeof block);
  std::ofstream(bass, std::ios::binary)
      .write(reinterpret_cast<const char*>(bytes.data()), long(bytes.size()));
  ASSERT_EQ(LoadSynth(bass, loaded), 1);
  EXPECT_EQ(loaded[31], 2);

  // Cut short anywhere in its block, a preset is refused and the block kept.
  for (size_t size : {size_t(4), size_t(5), bytes.size() - 1}) {
    std::ofstream(bass, std::ios::binary | std::ios::trunc)
        .write(reinterpret_cast<const char*>(bytes.data()), long(size));
    int16_t kept[kInstrumentWords];
    std::memcpy(kept, loaded, sizeof kept);
    EXPECT_EQ(LoadSynth(bass, loaded), 0) << size;
    EXPECT_EQ(std::memcmp(kept, loaded, sizeof kept), 0) << size;
  }
}
