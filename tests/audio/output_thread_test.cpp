// The output's own polling thread over the WAV device: what the callback
// renders must come out of the file half after half, in order.

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <fstream>
#include <iterator>
#include <thread>
#include <vector>

#include "audio/output.h"
#include "audio/wavdevice.h"

namespace {

constexpr int32_t kRate = 44100;
constexpr int32_t kLatency = 40;
constexpr size_t kHalfFrames = 1764;  // 40 ms

// Frame n of the rendered sound: a ramp on the left, its negative on the right.
int16_t Ramp(size_t n) { return int16_t(n % 30000 + 1); }

TEST(AudioOutputThread, AWavDevicePlaysTheRampHalfAfterHalf) {
  const std::string path = std::string(::testing::TempDir()) + "murvelon_output_ramp.wav";
  cAudioOutput out(std::make_unique<cWavDevice>(path));

  std::vector<int16_t> half(kHalfFrames * 2);
  std::atomic<int> halves{0};
  size_t nextFrame = 0;  // polling thread only
  auto render = [&](int32_t flag) -> int16_t* {
    if (flag != 1) return nullptr;
    for (size_t i = 0; i < kHalfFrames; ++i, ++nextFrame) {
      half[2 * i] = Ramp(nextFrame);
      half[2 * i + 1] = int16_t(-Ramp(nextFrame));
    }
    ++halves;
    return half.data();
  };
  ASSERT_EQ(out.OpenAudio(render, kRate, kLatency), 0);
  ASSERT_EQ(out.HalfBytes(), int32_t(kHalfFrames * 4));
  out.SetRenderEnabled(true);
  ASSERT_EQ(out.StartAudio(), 0);
  // About 400 ms on an idle machine; a loaded one only takes longer.
  const auto giveUp = std::chrono::steady_clock::now() + std::chrono::seconds(20);
  while (halves < 10 && std::chrono::steady_clock::now() < giveUp) {
    std::this_thread::sleep_for(std::chrono::milliseconds(5));
  }
  out.CloseAudio();
  ASSERT_GE(halves, 10);

  std::ifstream in(path, std::ios::binary);
  const std::vector<uint8_t> file{std::istreambuf_iterator<char>(in),
                                  std::istreambuf_iterator<char>()};
  std::remove(path.c_str());
  ASSERT_GE(file.size(), 44u);
  const size_t frames = (file.size() - 44) / 4;
  ASSERT_EQ(file[40] | file[41] << 8 | file[42] << 16 | size_t(file[43]) << 24, frames * 4);
  auto sample = [&](size_t frame, int c) {
    const size_t at = 44 + 4 * frame + 2 * c;
    return int16_t(file[at] | file[at + 1] << 8);
  };

  if (out.Underruns() != 0)
    GTEST_SKIP() << "the machine held the polling thread past a half boundary";

  // Both halves play once before the first rendered half arrives.
  ASSERT_GE(frames, 2 * kHalfFrames);
  for (size_t f = 0; f < 2 * kHalfFrames; ++f) ASSERT_EQ(sample(f, 0), 0) << f;

  // Then the ramp, unbroken: eight halves had played when the tenth was rendered.
  size_t f = 2 * kHalfFrames;
  while (f < frames && sample(f, 0) == Ramp(f - 2 * kHalfFrames) &&
         sample(f, 1) == -Ramp(f - 2 * kHalfFrames))
    ++f;
  EXPECT_GE(f - 2 * kHalfFrames, 8 * kHalfFrames);

  // Closing turns the volume down, then plays silence: whatever follows is
  // the ramp at -10 dB in its place, or nothing.
  const float quieter = VolumeGain(-1000);
  for (; f < frames; ++f) {
    const int16_t ramp = Ramp(f - 2 * kHalfFrames);
    const int16_t low = int16_t(std::lrint(ramp * quieter));
    const int16_t left = sample(f, 0);
    ASSERT_TRUE(left == 0 || left == low) << "frame " << f << " holds " << left;
    ASSERT_EQ(sample(f, 1), -left) << f;
  }
}

}  // namespace
