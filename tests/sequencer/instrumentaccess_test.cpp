#include <gtest/gtest.h>

#include <mutex>
#include <thread>

#include "app/trackerinside.h"
#include "fixture.h"

using Calls = std::vector<std::string>;

TEST_F(SequencerFixture, SetParamFollowsTheEditedChannel) {
  t.SetEditedChannel(3);
  Inside(t).Generators().generatorType[3] = kGenSampler;  // playing some other instrument
  Inside(t).SetParam(5, 10, 77);
  EXPECT_EQ(Song().Instrument(5)[10], 77);
  EXPECT_EQ(t.GetParam(5, 10), 77);
  EXPECT_EQ(Log(3, kGenSampler), Calls{"SetParam 10 77"});
  for (int c = 0; c < kChannels; ++c) {
    for (int k = 0; k < kGenKinds; ++k) {
      if (c != 3 || k != kGenSampler) {
        EXPECT_TRUE(Log(c, k).empty()) << c << " " << k;
      }
    }
  }
}

TEST_F(SequencerFixture, SetParamsResetsFiltersAndLoadsTheEditedInstrument) {
  t.SetEditedChannel(2);
  int16_t* block = Inside(t).GetParams(4);
  block[40] = 5000;
  gen[2][kGenFM]->clampMax = 99;
  Inside(t).SetParams(4, kParamGenType, kGenFM);
  EXPECT_EQ(Inside(t).Generators().generatorType[2], kGenFM);
  EXPECT_EQ(Log(2, kGenFM), (Calls{"Reset", "FilterParams", "SetParams"}));
  EXPECT_EQ(Log(2, kGenBass), Calls{"Reset"});
  EXPECT_EQ(Log(2, kGenSampler), Calls{"Reset"});
  EXPECT_EQ(block[kParamGenType], kGenFM);
  EXPECT_EQ(block[40], 99);  // clamped into the new generator's range, in place
  EXPECT_TRUE(Log(0).empty());
}

TEST_F(SequencerFixture, DefaultParamsFillTheBlockThroughChannelZero) {
  t.SetEditedChannel(5);
  Inside(t).SetParam(9, kParamGenType, kGenSampler);
  Inside(t).DefaultParams(9);
  EXPECT_EQ(Inside(t).Generators().generatorType[0], kGenSampler);
  EXPECT_EQ(t.GetParam(9, 0), 100 + kGenSampler);
  EXPECT_EQ(t.GetParam(9, kParamGenType), kGenSampler);
  EXPECT_EQ(t.GetInsType(10), kGenSampler);
}

TEST_F(SequencerFixture, BadIndexesReadNothingAndWriteNothing) {
  Song().Instrument(0)[kParamGenType] = kGenFM;
  EXPECT_EQ(t.GetInsType(1), kGenFM);
  for (int32_t n : {0, 129, -1}) EXPECT_EQ(t.GetInsType(n), -1) << n;
  EXPECT_EQ(Inside(t).GetParams(0), Song().Instrument(0));
  EXPECT_EQ(Inside(t).GetParams(128), nullptr);
  EXPECT_EQ(Inside(t).GetParams(-1), nullptr);
  EXPECT_EQ(t.GetParam(0, 128), 0);
  EXPECT_EQ(t.GetParam(-1, 0), 0);
  const std::vector<int16_t> before(Song().InstrumentTable(),
                                    Song().InstrumentTable() + kInstruments * kInstrumentWords);
  Inside(t).SetParam(128, 0, 1);
  Inside(t).SetParam(0, -1, 1);
  Inside(t).SetParams(0, 128, 1);
  Inside(t).DefaultParams(-5);
  EXPECT_EQ(std::vector<int16_t>(Song().InstrumentTable(),
                                 Song().InstrumentTable() + kInstruments * kInstrumentWords),
            before);
  for (auto& channel : gen) {
    for (auto* g : channel) EXPECT_TRUE(g->calls.empty());
  }
}

TEST_F(SequencerFixture, TheEditedChannelIsAlwaysAChannel) {
  struct Case {
    int32_t channel, edited;
  };
  for (auto c :
       {Case{0, 0}, Case{3, 3}, Case{15, 15}, Case{16, 15}, Case{300 / 15, 15}, Case{-1, 0}}) {
    t.SetEditedChannel(c.channel);
    EXPECT_EQ(t.EditedChannel(), c.edited) << c.channel;
  }
}

TEST_F(SequencerFixture, SetInstrumentTellsTheEditorUnderTheLockAndRefreshesAfter) {
  std::vector<int32_t> loaded;
  const int16_t* handed = nullptr;
  bool lockedWhileLoading = false, freeWhileRefreshing = false;
  auto lockIsFree = [&] {
    bool free = false;
    std::thread other([&] {
      std::unique_lock<std::recursive_mutex> lock(Inside(t).EngineLock(), std::try_to_lock);
      free = lock.owns_lock();
    });
    other.join();
    return free;
  };
  t.SetInstrumentEditor(
      [&](int32_t block, const int16_t* params) {
        loaded.push_back(block);
        handed = params;
        lockedWhileLoading = !lockIsFree();
      },
      [&] { freeWhileRefreshing = lockIsFree(); });

  for (int32_t n : {0, 128, -3}) t.SetInstrument(n);
  EXPECT_TRUE(loaded.empty());
  EXPECT_EQ(t.GetInstrument(), 1);

  t.SetInstrument(127);
  EXPECT_EQ(t.GetInstrument(), 127);
  EXPECT_EQ(loaded, std::vector<int32_t>{126});
  EXPECT_EQ(handed, Song().Instrument(126));
  EXPECT_TRUE(lockedWhileLoading);
  EXPECT_TRUE(freeWhileRefreshing);
}
