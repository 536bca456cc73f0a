// The engine under two threads: the output's polling thread renders a busy
// song through the null device while this thread does what the editor and
// the display timers do. Built with ThreadSanitizer (make tsan) it must
// report nothing. No operation may hold the engine lock, which the audio
// thread waits for, anywhere near a block's length: the bound here is one
// no busy machine reaches, and the holds themselves are measured by
// bench/lockholds.cpp.

#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <filesystem>
#include <vector>

#include "app/trackerinside.h"
#include "support/busysong.h"
#include "support/lockholds.h"

TEST(Threads, TheEditorWorksWhileTheOutputThreadRenders) {
  cTracker t(NullDeviceConfig());
  t.SetFatalHandler([](const std::string& message) { ADD_FAILURE() << message; });
  ASSERT_TRUE(t.SystemStart(true));
  const cLockHolds holds =
      EditWhileRendering(t, std::chrono::milliseconds(kSanitized ? 2500 : 1200),
                         std::filesystem::temp_directory_path());
  t.Shutdown();
  EXPECT_TRUE(holds.rendered);
  EXPECT_EQ(holds.fileFailures, 0);
  // File work pauses the engine first and may take what the disk takes;
  // a block's rendering is the audio thread's own hold.
  for (const auto& [name, us] : holds.longestUs) {
    if (name != kFileWork && name != kRendering) {
      EXPECT_LT(us, 50000.0) << name;
    }
  }
}

TEST(Threads, TheHalfHandedToTheOutputIsNotClearedByAPanic) {
  cConfig config;
  config.cpuCalc = 0;
  cTracker t(config);
  ASSERT_TRUE(t.SystemStart(false));
  ComposeBusySong(t, 4);
  t.TransportCommand(kTransportPlay);
  const int halfSamples = 2 * Inside(t).Renderer().HalfFrames();
  const int blocks = Inside(t).Renderer().HalfFrames() / Inside(t).Renderer().BlockFrames();
  for (int b = 1; b < blocks; ++b) t.RenderCallback(0);
  const int16_t* half = t.RenderCallback(1);
  const std::vector<int16_t> before(half, half + halfSamples);
  ASSERT_NE(std::count(before.begin(), before.end(), int16_t{0}), halfSamples);  // sound
  t.Panic(1);
  EXPECT_TRUE(std::equal(before.begin(), before.end(), half));
}
