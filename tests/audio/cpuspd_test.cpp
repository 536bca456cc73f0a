#include "audio/cpuspd.h"

#include <gtest/gtest.h>

TEST(CpuSpd, DisabledMetersReadZero) {
  int32_t disabled = 1;
  cpuSPD clock(&disabled);
  EXPECT_EQ(clock.Measure(), 0u);
  EXPECT_EQ(clock.Mhz(), 0u);
  cpuSPD meter(&disabled, 1000000);
  meter.Start();
  meter.Stop();
  meter.SetElapsed(10000000);
  EXPECT_EQ(meter.BlockLoad(882, 44100), 0.0f);
  EXPECT_EQ(meter.PeriodLoad(20.0f), 0.0f);
  EXPECT_EQ(meter.AddLoad(30.0f), 0.0f);

  // A clock measured later puts a meter to work, whatever the shared flag.
  meter.Calibrate(1000000);
  EXPECT_EQ(meter.Mhz(), 1000u);
  meter.SetElapsed(10000000);
  EXPECT_FLOAT_EQ(meter.BlockLoad(882, 44100), 5.0f);
  EXPECT_EQ(clock.AddLoad(30.0f), 0.0f);  // the others stay off
}

TEST(CpuSpd, LoadIsTheMeanOfTheLastTenPositiveValues) {
  int32_t disabled = 0;
  cpuSPD meter(&disabled, 1000000);  // 1 GHz
  EXPECT_EQ(meter.Mhz(), 1000u);
  // Each 20 ms block costs 10 ms: half its duration.
  meter.SetElapsed(10000000);
  EXPECT_FLOAT_EQ(meter.BlockLoad(882, 44100), 5.0f);  // the ring starts with zeros
  for (int i = 1; i < 9; ++i) meter.BlockLoad(882, 44100);
  EXPECT_FLOAT_EQ(meter.BlockLoad(882, 44100), 50.0f);

  // A block that cost nothing measurable does not enter the ring.
  meter.SetElapsed(0);
  EXPECT_FLOAT_EQ(meter.BlockLoad(882, 44100), 50.0f);

  // A period load uses its milliseconds in place of the block's.
  meter.SetElapsed(40000000);
  EXPECT_FLOAT_EQ(meter.PeriodLoad(20.0f), 45.0f + 20.0f);
}

TEST(CpuSpd, StartStopMeasuresElapsedCycles) {
  int32_t disabled = 0;
  cpuSPD meter(&disabled, 1000000);
  meter.Start();
  volatile double sink = 0;
  for (int i = 0; i < 100000; ++i) sink = sink + i;
  meter.Stop();
  EXPECT_GT(meter.BlockLoad(882, 44100), 0.0f);
}
