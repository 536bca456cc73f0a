// The output on a JACK server the test starts, and the rate conversion a
// JACK server at its own rate needs.

#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <cmath>
#include <thread>
#include <vector>

#include "audio/devicechoice.h"
#include "audio/output.h"
#include "audio/resampler.h"
#include "support/jackserver.h"

namespace {

struct cSine {
  double phase = 0.0;
  double step = 0.0;
};

void SineFrames(void* user, int16_t* frames, uint32_t count) {
  auto* sine = static_cast<cSine*>(user);
  for (uint32_t i = 0; i < count; ++i) {
    const auto s = int16_t(std::lround(16000.0 * std::sin(sine->phase)));
    frames[2 * i] = frames[2 * i + 1] = s;
    sine->phase += sine->step;
  }
}

}  // namespace

// 1 kHz made at 44100 Hz stays 1 kHz at 48000 Hz, at the same level.
TEST(Resampler, KeepsPitchAndLevelAcrossRates) {
  cSine sine;
  sine.step = 2.0 * M_PI * 1000.0 / 44100.0;
  cResampler resampler;
  ASSERT_TRUE(resampler.Open(44100, 48000, SineFrames, &sine));
  std::vector<int16_t> out(2 * 48000);
  resampler.Read(out.data(), 4800);  // the converter's own delay settles
  resampler.Read(out.data(), 48000);
  int crossings = 0;
  int peak = 0;
  for (size_t i = 1; i < 48000; ++i) {
    crossings += (out[2 * i - 2] < 0) != (out[2 * i] < 0);
    peak = std::max(peak, std::abs(int(out[2 * i])));
    EXPECT_EQ(out[2 * i], out[2 * i + 1]);
  }
  EXPECT_NEAR(crossings, 2000, 2);
  EXPECT_NEAR(peak, 16000, 300);
}

// The server runs at 48000 Hz, the engine at 44100: listed and opened every
// time, from right after the server starts, and the callback is called.
TEST(JackOutput, ListedAndOpenedTwentyTimesInARow) {
  cJackServer server(48000);
  SKIP_WITHOUT_JACK(server);
  for (int attempt = 0; attempt < 20; ++attempt) {
    SCOPED_TRACE(attempt);
    const std::vector<std::string> devices = ListSoundDevices();
    ASSERT_NE(std::find(devices.begin(), devices.end(), "system"), devices.end());

    std::string warning;
    cAudioOutput output(ChooseSoundDevice("system", &warning));
    std::atomic<int> calls{0};
    std::vector<int16_t> half(2 * 882, 0);
    ASSERT_EQ(output.OpenAudio(
                  [&](int32_t) {
                    calls.fetch_add(1);
                    return half.data();
                  },
                  44100, 20),
              0);
    output.SetRenderEnabled(true);
    ASSERT_EQ(output.StartAudio(), 0);
    const auto end = std::chrono::steady_clock::now() + std::chrono::seconds(5);
    while (calls.load() < 3 && std::chrono::steady_clock::now() < end)
      std::this_thread::sleep_for(std::chrono::milliseconds(5));
    EXPECT_GE(calls.load(), 3);
    output.CloseAudio();
  }
}
