#include "song/modimport.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#include "support/modsong.h"

namespace {

struct StoredWave {
  int slot;
  std::string name;
  std::vector<int8_t> data;
  uint32_t flags;
  int32_t loopStart, loopEnd;
};

struct cTestModHost : cModHost {
  cSongTables& song;
  std::vector<StoredWave> waves;
  int32_t generatorType[4] = {-1, -1, -1, -1};
  int resets = 0;
  explicit cTestModHost(cSongTables& s) : song(s) {}
  void NewModule() override {
    ++resets;
    song.Reset(cSongDefaults{});
  }
  void SetCurrentTempo(int32_t, int32_t) override {}
  bool StoreWave(int slot, const char* name, const int8_t* data, int32_t frames, uint32_t flags,
                 int32_t loopStart, int32_t loopEnd) override {
    waves.push_back(
        {slot, name, std::vector<int8_t>(data, data + frames), flags, loopStart, loopEnd});
    return true;
  }
  void SamplerDefaults(int16_t* block) override {
    for (int w = 0; w < 16; ++w) block[w] = int16_t(100 + w);
  }
  void SetGeneratorType(int channel, int32_t type) override { generatorType[channel] = type; }
};

}  // namespace

TEST(ModImport, SamplesBecomeDenseWavesAndInstrumentsKeepTheirNumbers) {
  std::vector<uint8_t> m = BuildModule({{1, 4, 64, 0, 1}, {2, 3, 33, 0, 2}, {5, 2, 10, 0, 0}});
  cSongTables song;
  cTestModHost host(song);
  cFileReader in(m);
  ASSERT_TRUE(ReadModuleMOD(in, song, host));
  ASSERT_EQ(host.waves.size(), 3u);
  const char* names[] = {"Sample 00", "Sample 01", "Sample 02"};
  for (int w = 0; w < 3; ++w) {
    EXPECT_EQ(host.waves[size_t(w)].slot, w);
    EXPECT_EQ(host.waves[size_t(w)].name, names[w]);
  }
  EXPECT_EQ(host.waves[0].data.size(), 8u);
  EXPECT_EQ(host.waves[0].data[3], 13);
  EXPECT_EQ(host.waves[2].data[0], 50);
  // One loop word is no loop; two are.
  EXPECT_EQ(host.waves[0].flags, 0u);
  EXPECT_EQ(host.waves[0].loopEnd, 7);
  EXPECT_EQ(host.waves[1].flags, 1u);
  EXPECT_EQ(host.waves[1].loopStart, 0);
  EXPECT_EQ(host.waves[1].loopEnd, 3);

  struct Want {
    int block, volume, wave;
  };
  for (auto w : {Want{0, 32, 0}, Want{1, 16, 1}, Want{4, 5, 2}}) {
    const int16_t* b = song.Instrument(w.block);
    EXPECT_EQ(b[0], w.volume);
    EXPECT_EQ(b[2], w.wave);
    EXPECT_EQ(b[4], 1);
    EXPECT_EQ(b[31], 1);
    EXPECT_EQ(b[7], 107);  // the rest are the sampler defaults
  }
  EXPECT_EQ(song.Instrument(2)[31], 0);
  for (int32_t t : host.generatorType) EXPECT_EQ(t, 1);
  EXPECT_EQ(song.channelCount, 4);
  EXPECT_EQ(song.bpm, 125);
  EXPECT_EQ(song.speed, 6);
}

TEST(ModImport, NotesAndEffectsMapOrDrop) {
  std::vector<uint8_t> m = BuildModule({});
  SetModCell(m, 0, 0, 0, 428, 17, 0x1, 0x20);  // portamento up: dropped
  SetModCell(m, 0, 1, 1, 100, 3, 0x0, 0x37);   // no such period; arpeggio kept as 0x08
  SetModCell(m, 0, 2, 2, 856, 1, 0xC, 0x40);
  SetModCell(m, 0, 3, 3, 113, 2, 0xD, 0x10);
  SetModCell(m, 0, 4, 0, 0, 0, 0x0, 0x00);
  cSongTables song;
  cTestModHost host(song);
  cFileReader in(m);
  ASSERT_TRUE(ReadModuleMOD(in, song, host));
  struct Want {
    int row, channel;
    uint8_t note, instrument, command, parameter;
  };
  for (auto w :
       {Want{0, 0, 37, 17, 0, 0}, Want{1, 1, 0, 3, 0x08, 0x37}, Want{2, 2, 25, 1, 0x0C, 0x40},
        Want{3, 3, 60, 2, 0x0D, 10}, Want{4, 0, 0, 0, 0, 0}}) {
    const cCell& cell = song.Cell(0, w.channel, w.row);
    EXPECT_EQ(cell.note, w.note) << w.row;
    EXPECT_EQ(cell.instrument, w.instrument) << w.row;
    EXPECT_EQ(cell.volume, 255);
    EXPECT_EQ(cell.pan, 255);
    EXPECT_EQ(cell.command1, w.command) << w.row;
    EXPECT_EQ(cell.parameter1, w.parameter) << w.row;
  }
  EXPECT_EQ(song.GetChannelMode(0, 3), kModePlay);
  EXPECT_EQ(song.GetChannelMode(0, 4), kModeSkip);
  EXPECT_EQ(song.GetChannelMode(1, 0), kModeSkip);
}

TEST(ModImport, ForeignAndDamagedModules) {
  cSongTables song;
  cTestModHost host(song);
  std::vector<uint8_t> sixChannels = BuildModule({});
  std::memcpy(sixChannels.data() + 1080, "6CHN", 4);
  cFileReader six(sixChannels);
  EXPECT_FALSE(ReadModuleMOD(six, song, host));
  EXPECT_EQ(host.resets, 0);

  // Loop points beyond the sample, and sample data cut short by the file's end.
  std::vector<uint8_t> m = BuildModule({{1, 100, 64, 90, 50}}, 200);
  m.resize(m.size() - 150);
  cFileReader in(m);
  ASSERT_TRUE(ReadModuleMOD(in, song, host));
  ASSERT_EQ(host.waves.size(), 1u);
  const StoredWave& w = host.waves[0];
  EXPECT_EQ(w.data.size(), 50u);
  EXPECT_LT(w.loopEnd, 50);
  EXPECT_LE(w.loopStart, w.loopEnd);
  EXPECT_EQ(song.end, 127);
}

// A pattern break names its row in two decimal digits; a row past the
// pattern's end starts the next pattern at its top.
TEST(ModImport, PatternBreakRowsAreDecimal) {
  struct Case {
    int parameter, row;
  };
  const Case cases[] = {{0x00, 0}, {0x10, 10}, {0x32, 32}, {0x63, 63}, {0x64, 0},
                        {0x99, 0}, {0x0A, 10}, {0x5F, 0},  {0x4F, 55}};
  std::vector<uint8_t> m = BuildModule({});
  for (int i = 0; i < int(std::size(cases)); ++i)
    SetModCell(m, 0, i, 0, 0, 0, 0xD, cases[i].parameter);
  cSongTables song;
  cTestModHost host(song);
  cFileReader in(m);
  ASSERT_TRUE(ReadModuleMOD(in, song, host));
  for (int i = 0; i < int(std::size(cases)); ++i) {
    EXPECT_EQ(song.Cell(0, 0, i).command1, 0x0D);
    EXPECT_EQ(song.Cell(0, 0, i).parameter1, cases[i].row) << std::hex << cases[i].parameter;
  }
}
