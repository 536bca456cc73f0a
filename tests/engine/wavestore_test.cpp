#include "engine/wavestore.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <cstring>
#include <filesystem>
#include <string>
#include <vector>

#include "support/waiting.h"

namespace {

void Put16(std::vector<uint8_t>& b, uint32_t v) {
  b.push_back(uint8_t(v));
  b.push_back(uint8_t(v >> 8));
}
void Put32(std::vector<uint8_t>& b, uint32_t v) {
  Put16(b, v & 0xFFFF);
  Put16(b, v >> 16);
}
void PutText(std::vector<uint8_t>& b, const char* text) {
  for (int i = 0; i < 4; ++i) b.push_back(uint8_t(text[i]));
}

// A WAV file built in memory; the defaults give a valid 16-bit mono file.
struct WavSpec {
  uint16_t tag = 1;
  uint16_t channels = 1;
  uint16_t bits = 16;
  int align = -1;          // -1: channels x bytes per sample
  int fmtForm = 16;        // 16, 18 (cbSize 0) or 40 (extensible)
  uint16_t subFormat = 1;  // of the extensible form
  bool junkBeforeData = false;
  std::vector<uint8_t> data;
  int64_t dataClaim = -1;  // -1: the data's own size
};

std::vector<uint8_t> BuildWav(const WavSpec& s) {
  std::vector<uint8_t> f;
  PutText(f, "RIFF");
  Put32(f, 0);  // not read
  PutText(f, "WAVE");
  PutText(f, "fmt ");
  Put32(f, uint32_t(s.fmtForm));
  const uint16_t align = s.align >= 0 ? uint16_t(s.align) : uint16_t(s.channels * s.bits / 8);
  Put16(f, s.fmtForm == 40 ? 0xFFFE : s.tag);
  Put16(f, s.channels);
  Put32(f, 22050);
  Put32(f, 22050u * align);
  Put16(f, align);
  Put16(f, s.bits);
  if (s.fmtForm >= 18) Put16(f, s.fmtForm == 40 ? 22 : 0);
  if (s.fmtForm == 40) {
    Put16(f, s.bits);
    Put32(f, s.channels == 2 ? 3 : 4);
    const uint8_t guid[16] = {
        uint8_t(s.subFormat), 0, 0, 0, 0, 0, 0x10, 0, 0x80, 0, 0, 0xAA, 0, 0x38, 0x9B, 0x71};
    f.insert(f.end(), guid, guid + 16);
  }
  if (s.junkBeforeData) {
    // A chunk of odd size (padded) whose bytes must never be heard.
    PutText(f, "LIST");
    Put32(f, 5);
    for (int i = 0; i < 6; ++i) f.push_back(0x7F);
  }
  PutText(f, "data");
  Put32(f, uint32_t(s.dataClaim >= 0 ? s.dataClaim : int64_t(s.data.size())));
  f.insert(f.end(), s.data.begin(), s.data.end());
  return f;
}

std::vector<uint8_t> Pcm16(std::initializer_list<int16_t> values) {
  std::vector<uint8_t> b;
  for (int16_t v : values) Put16(b, uint16_t(v));
  return b;
}

class WaveStore : public ::testing::Test {
 protected:
  std::string WriteFile(const std::string& name, const std::vector<uint8_t>& bytes) {
    const auto path = dir / name;
    std::FILE* f = std::fopen(path.c_str(), "wb");
    std::fwrite(bytes.data(), 1, bytes.size(), f);
    std::fclose(f);
    return path.string();
  }
  void SetUp() override {
    dir = std::filesystem::temp_directory_path() /
          ("murvelon-wave-" + std::to_string(::testing::UnitTest::GetInstance()->random_seed()) +
           "-" + ::testing::UnitTest::GetInstance()->current_test_info()->name());
    std::filesystem::create_directories(dir);
  }
  void TearDown() override { std::filesystem::remove_all(dir); }

  const int16_t* Samples(int slot) {
    store.GetEntry(slot, &entry);
    return entry.data + kWaveMargin;
  }

  std::filesystem::path dir;
  cWavManager store;
  cWaveEntry entry;
};

TEST_F(WaveStore, EightBitSamplesAreCentredAndScaled) {
  WavSpec s;
  s.bits = 8;
  s.data = {0x80, 0xFF, 0x00, 0x81};
  ASSERT_TRUE(store.ImportWav(4, WriteFile("kick.wav", BuildWav(s))));
  const int16_t* d = Samples(4);
  EXPECT_EQ(d[0], 0);
  EXPECT_EQ(d[1], 32512);
  EXPECT_EQ(d[2], -32768);
  EXPECT_EQ(d[3], 256);
  EXPECT_EQ(entry.length, 4);
  EXPECT_EQ(entry.flags, 0u);
  // Named after the file, the loop over the whole sound, margins of zeros.
  EXPECT_STREQ(entry.name, "kick.wav");
  EXPECT_EQ(entry.loopStart, 0);
  EXPECT_EQ(entry.loopEnd, 3);
  for (int i = 0; i < kWaveMargin; ++i) {
    EXPECT_EQ(entry.data[i], 0);
    EXPECT_EQ(d[4 + i], 0);
  }
}

TEST_F(WaveStore, StereoFilesSetTheStereoFlagAndInterleave) {
  WavSpec s;
  s.channels = 2;
  s.data = Pcm16({100, -100, 200, -200, 300, -300});
  ASSERT_TRUE(store.ImportWav(0, WriteFile("pad.wav", BuildWav(s))));
  const int16_t* d = Samples(0);
  EXPECT_EQ(entry.flags, 0x10u);
  EXPECT_EQ(entry.length, 3);
  EXPECT_EQ(entry.loopEnd, 2);
  EXPECT_EQ(d[4], 300);
  EXPECT_EQ(d[5], -300);
  EXPECT_EQ(d[6], 0);
}

TEST_F(WaveStore, PcmVariantsImportAndDamagedFilesAreRefused) {
  // A file cut short says so, a damaged one too; one that holds no sound or
  // more than two channels is no sample. Other sample types go to libsndfile
  // (samplefile_test.cpp).
  constexpr auto kOk = eFileProblem::kNone, kNotWav = eFileProblem::kNotThisKind,
                 kEndsEarly = eFileProblem::kEndsEarly, kDamaged = eFileProblem::kDamaged;
  struct Case {
    const char* what;
    WavSpec wav;
    eFileProblem problem;
  };
  auto with = [](auto change) {
    WavSpec s;
    s.data = Pcm16({1000, -1000, 5});
    change(s);
    return s;
  };
  const Case cases[] = {
      {"plain", with([](WavSpec&) {}), kOk},
      {"18-byte format", with([](WavSpec& s) { s.fmtForm = 18; }), kOk},
      {"extensible PCM", with([](WavSpec& s) { s.fmtForm = 40; }), kOk},
      {"chunk before data", with([](WavSpec& s) { s.junkBeforeData = true; }), kOk},
      {"three channels", with([](WavSpec& s) { s.channels = 3; }), kNotWav},
      {"block align 0", with([](WavSpec& s) { s.align = 0; }), kDamaged},
      {"block align mismatch", with([](WavSpec& s) { s.align = 4; }), kDamaged},
      {"data shorter than claimed", with([](WavSpec& s) { s.dataClaim = 600; }), kEndsEarly},
      {"no whole frame", with([](WavSpec& s) { s.data = {0x01}; }), kNotWav},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    // A refused file leaves the slot as it was.
    const int16_t before[] = {7, 7};
    ASSERT_TRUE(store.SetSlot(9, before, 2, 0, 0, 1, "old"));
    cFileResult why;
    EXPECT_EQ(store.ImportWav(9, WriteFile("x.wav", BuildWav(c.wav)), &why), c.problem == kOk);
    EXPECT_EQ(why.problem, c.problem);
    const int16_t* d = Samples(9);
    if (c.problem == kOk) {
      // Read from the data chunk, whatever stands before it.
      EXPECT_EQ(entry.length, 3);
      EXPECT_EQ(d[0], 1000);
      EXPECT_EQ(d[1], -1000);
      EXPECT_EQ(d[2], 5);
    } else {
      EXPECT_STREQ(entry.name, "old");
      EXPECT_EQ(entry.length, 2);
      EXPECT_EQ(d[0], 7);
    }
  }
  cFileResult why;
  EXPECT_FALSE(store.ImportWav(9, (dir / "missing.wav").string(), &why));
  EXPECT_EQ(FileResultReason(why), "No such file or directory");
  // Cut inside its format chunk, and inside its samples.
  for (size_t size : {size_t(30), size_t(47)}) {
    std::vector<uint8_t> truncated = BuildWav(with([](WavSpec&) {}));
    truncated.resize(size);
    EXPECT_FALSE(store.ImportWav(9, WriteFile("short.wav", truncated), &why)) << size;
    EXPECT_EQ(FileResultReason(why), "the file ends early") << size;
  }
}

TEST_F(WaveStore, AnEmptyStoreWritesAZeroCount) {
  cFileWriter out;
  store.WriteWaveList(out);
  EXPECT_EQ(out.Bytes(), (std::vector<uint8_t>{0, 0, 0, 0}));
  store.GetEntry(0, &entry);
  EXPECT_STREQ(entry.name, "No sample loaded.");
}

TEST_F(WaveStore, WaveListLayoutAndRoundTrip) {
  int16_t mono[10], stereo[20];
  for (int i = 0; i < 10; ++i) mono[i] = int16_t(i * 100 - 300);
  for (int i = 0; i < 20; ++i) stereo[i] = int16_t(-i * 7);
  const std::string longName(40, 'n');
  ASSERT_TRUE(store.SetSlot(10, mono, 10, 0x01, 2, 8, "snare.wav"));
  ASSERT_TRUE(store.SetSlot(3, stereo, 10, 0x10, 0, 9, longName.c_str()));

  cFileWriter out;
  store.WriteWaveList(out);
  const std::vector<uint8_t>& bytes = out.Bytes();
  // Count, two information records, then two data records of 40 and 20 bytes.
  ASSERT_EQ(bytes.size(), 4 + 2 * 60 + (12 + 40) + (12 + 20));
  EXPECT_EQ(bytes[0], 2);
  EXPECT_EQ(std::string(bytes.begin() + 4, bytes.begin() + 12), "#WLI 03#");
  EXPECT_EQ(std::string(bytes.begin() + 64, bytes.begin() + 72), "#WLI 0A#");
  EXPECT_EQ(bytes[72], 10);
  EXPECT_EQ(std::string(bytes.begin() + 76, bytes.begin() + 85), "snare.wav");
  EXPECT_EQ(bytes[108], 10);  // length
  EXPECT_EQ(bytes[112], 1);   // flags
  EXPECT_EQ(bytes[116], 2);   // loop start
  EXPECT_EQ(bytes[120], 8);   // loop end
  EXPECT_EQ(std::string(bytes.begin() + 124, bytes.begin() + 132), "#WLD 03#");
  EXPECT_EQ(std::string(bytes.begin() + 176, bytes.begin() + 184), "#WLD 0A#");

  cWavManager copy;
  cFileReader in(bytes.data(), bytes.size());
  ASSERT_TRUE(copy.ReadWaveList(in));
  for (int slot : {3, 10}) {
    cWaveEntry a, b;
    store.GetEntry(slot, &a);
    copy.GetEntry(slot, &b);
    EXPECT_EQ(a.length, b.length);
    EXPECT_EQ(a.flags, b.flags);
    EXPECT_EQ(a.loopStart, b.loopStart);
    EXPECT_EQ(a.loopEnd, b.loopEnd);
    const size_t n = size_t(WaveSamples(a.length, a.flags)) + 2 * kWaveMargin;
    EXPECT_EQ(std::memcmp(a.data, b.data, n * 2), 0);
  }
  // A name cut to 32 bytes in the file ends there when read back.
  copy.GetEntry(3, &entry);
  EXPECT_EQ(std::string(entry.name), longName.substr(0, 32));
  EXPECT_STREQ(copy.GetEntry(10, &entry) ? entry.name : "", "snare.wav");
  EXPECT_FALSE(copy.InUse(0));
}

TEST_F(WaveStore, DamagedWaveListsAreRefusedWithinTheStore) {
  auto list = [](int32_t count, int32_t slot, int32_t length, int32_t dataSlot, int dataBytes) {
    std::vector<uint8_t> b;
    Put32(b, uint32_t(count));
    for (int i = 0; i < std::max(count, 1) && i < 2; ++i) {
      b.insert(b.end(), 8, '#');
      Put32(b, uint32_t(slot));
      b.insert(b.end(), 32, 'a');
      Put32(b, uint32_t(length));
      Put32(b, 0);
      Put32(b, 0);
      Put32(b, uint32_t(length - 1));
    }
    b.insert(b.end(), 8, '#');
    Put32(b, uint32_t(dataSlot));
    b.insert(b.end(), size_t(dataBytes), 0x11);
    return b;
  };
  constexpr auto kDamaged = eFileProblem::kDamaged, kEndsEarly = eFileProblem::kEndsEarly;
  struct Case {
    const char* what;
    std::vector<uint8_t> bytes;
    eFileProblem problem;
  };
  const Case cases[] = {
      {"slot above 127", list(1, 200, 4, 200, 8), kDamaged},
      {"negative slot", list(1, -1, 4, -1, 8), kDamaged},
      {"negative length", list(1, 5, -4, 5, 8), kDamaged},
      {"length beyond the longest wave", list(1, 5, kMaxWaveFrames + 1, 5, 8), kDamaged},
      {"length beyond the file", list(1, 5, 1000000, 5, 8), kEndsEarly},
      {"data for a slot not announced", list(1, 5, 4, 6, 8), kDamaged},
      {"slot named twice", list(2, 5, 4, 5, 8), kDamaged},
      {"count beyond the store", list(129, 5, 4, 5, 8), kDamaged},
      {"negative count", list(-3, 5, 4, 5, 8), kDamaged},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    const int16_t old[] = {1, 2};
    store.SetSlot(5, old, 2, 0, 0, 1, "old");
    cFileReader in(c.bytes.data(), c.bytes.size());
    cFileResult why;
    EXPECT_FALSE(store.ReadWaveList(in, &why));
    EXPECT_EQ(why.problem, c.problem);
    EXPECT_EQ(why.done, 0u);
    for (int slot = 0; slot < kWaveSlots; ++slot) EXPECT_FALSE(store.InUse(slot));
  }
  // The same list, whole, reads.
  const std::vector<uint8_t> good = list(1, 5, 4, 5, 8);
  cFileReader in(good.data(), good.size());
  EXPECT_TRUE(store.ReadWaveList(in));
  EXPECT_EQ(Samples(5)[3], 0x1111);
}

TEST_F(WaveStore, AListCutOrDamagedKeepsTheWavesReadWholeBeforeIt) {
  const int16_t a[] = {1, 2, 3}, b[] = {4, 5, 6, 7}, c[] = {8, 9, 10, 11, 12};
  store.SetSlot(2, a, 3, 0, 0, 2, "a");
  store.SetSlot(7, b, 2, kWaveStereoFlag, 0, 1, "b");
  store.SetSlot(9, c, 5, 1, 1, 3, "c");
  cFileWriter out;
  store.WriteWaveList(out);
  const std::vector<uint8_t> whole = out.Bytes();
  const size_t lastData = whole.size() - (12 + 10);  // the data record of slot 9
  std::vector<uint8_t> damaged = whole;
  damaged[lastData + 8] = 200;  // its slot index

  struct Case {
    const char* what;
    std::vector<uint8_t> bytes;
    std::string said;
  };
  for (const Case& k :
       {Case{"cut in the last wave's data",
             {whole.begin(), whole.end() - 3},
             "the file ends early: 2 of 3 samples were read"},
        Case{"cut in the information records",
             {whole.begin(), whole.begin() + 100},
             "the file ends early: 0 of 3 samples were read"},
        Case{"a damaged slot index", damaged, "the file is damaged: 2 of 3 samples were read"}}) {
    SCOPED_TRACE(k.what);
    cWavManager copy;
    cFileReader in(k.bytes.data(), k.bytes.size());
    cFileResult why;
    EXPECT_FALSE(copy.ReadWaveList(in, &why));
    EXPECT_EQ(FileResultReason(why), k.said);
    const bool kept = why.done == 2;
    EXPECT_EQ(copy.InUse(2), kept);
    EXPECT_EQ(copy.InUse(7), kept);
    EXPECT_FALSE(copy.InUse(9));
    if (kept) {
      ASSERT_TRUE(copy.GetEntry(7, &entry));
      EXPECT_EQ(entry.data[kWaveMargin + 3], 7);
      EXPECT_EQ(entry.loopEnd, 1);
    }
  }
}

TEST_F(WaveStore, EveryChangeOfASlotMovesItsGeneration) {
  const int16_t d[] = {1, 2, 3};
  const uint32_t g0 = store.Generation(7);
  store.SetSlot(7, d, 3, 0, 0, 2, "a");
  const uint32_t g1 = store.Generation(7);
  store.ClearSlot(7);
  EXPECT_NE(g0, g1);
  EXPECT_NE(g1, store.Generation(7));
  EXPECT_EQ(store.Generation(8), g0);
}

TEST_F(WaveStore, LoopEditsStayInsideTheWaveAndKeepItsSound) {
  const int16_t d[20] = {};
  store.SetSlot(2, d, 10, kWaveStereoFlag, 0, 9, "pad");
  const uint32_t generation = store.Generation(2);
  struct Case {
    int32_t start, end;
    int32_t wantStart, wantEnd;
  };
  for (Case c : {Case{3, 6, 3, 6}, {-4, 20, 0, 9}, {7, 2, 7, 7}, {12, 15, 9, 9}}) {
    ASSERT_TRUE(store.SetLoop(2, c.start, c.end));
    store.GetEntry(2, &entry);
    EXPECT_EQ(entry.loopStart, c.wantStart) << c.start << ".." << c.end;
    EXPECT_EQ(entry.loopEnd, c.wantEnd) << c.start << ".." << c.end;
  }
  ASSERT_TRUE(store.SetLoopMode(2, 2));
  store.GetEntry(2, &entry);
  EXPECT_EQ(entry.flags, kWaveStereoFlag | 2u);
  EXPECT_EQ(store.Generation(2), generation);  // a sounding voice keeps its sound
  EXPECT_FALSE(store.SetLoop(3, 0, 1));        // an empty slot
  EXPECT_FALSE(store.SetLoopMode(3, 1));
  EXPECT_FALSE(store.SetLoop(128, 0, 1));
}

TEST_F(WaveStore, LoopEditsWaitForTheEngineLock) {
  std::recursive_mutex engine;
  store.SetEngineLock(&engine);
  const int16_t d[10] = {};
  store.SetSlot(2, d, 10, 0, 0, 9, "hit");
  EXPECT_TRUE(CallWaitsFor(engine, [&] { store.SetLoop(2, 4, 5); }));
  EXPECT_TRUE(CallWaitsFor(engine, [&] { store.SetLoopMode(2, 1); }));
  cWaveEntry entry;
  store.GetEntry(2, &entry);
  EXPECT_EQ(entry.loopStart, 4);
  EXPECT_EQ(entry.loopEnd, 5);
  EXPECT_EQ(entry.flags, 1u);
}

}  // namespace
