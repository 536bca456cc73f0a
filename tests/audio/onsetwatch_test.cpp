#include "audio/onsetwatch.h"

#include <gtest/gtest.h>

#include <vector>

#include "audio/nulldevice.h"

// The null device gives the first loud frame the time its clock plays it;
// dither-sized samples before it do not count, and the watch fires once.
TEST(OnsetWatch, TheNullDeviceTimesTheFirstLoudFrame) {
  constexpr int64_t kMs = 1000000;
  int64_t now = 1000 * kMs;
  cNullDevice device([&] { return now; });
  ASSERT_EQ(device.Open(1000, 400), 0);  // one frame a millisecond, 100 frames
  std::vector<int16_t> frames(200, 1);
  frames[2 * 37 + 1] = -500;  // frame 37, right
  frames[2 * 60] = 900;
  ASSERT_EQ(device.Lock(0, 400), eBufferLock::ok);
  device.Write(frames.data());
  device.Unlock();

  cOnsetWatch watch;
  device.SetOnsetWatch(&watch);
  ASSERT_TRUE(device.Play());
  now += 20 * kMs;
  device.PlayCursor();
  watch.Arm(64);
  now += 25 * kMs;  // frames 20-44 play
  device.PlayCursor();
  EXPECT_EQ(watch.OnsetNs(), 1000 * kMs + 37 * kMs);
  EXPECT_FALSE(watch.Armed());
  now += 30 * kMs;
  device.PlayCursor();
  EXPECT_EQ(watch.OnsetNs(), 1037 * kMs);
  device.SetOnsetWatch(nullptr);
}
