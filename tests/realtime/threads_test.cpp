// The engine under two threads: the output's polling thread renders a busy
// song through the null device while this thread does what the editor does.
// Built with ThreadSanitizer (make tsan) it must report nothing. It also
// measures how long each editor operation holds the engine lock, which the
// audio thread waits for: those made while rendering is on must stay under
// 1 ms.

#include <gtest/gtest.h>
#include <time.h>
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <cstdio>
#include <filesystem>
#include <map>
#include <string>
#include <thread>
#include <vector>

#include "app/trackerinside.h"
#include "support/busysong.h"
#include "support/realtimesupport.h"

namespace {

const std::string kRendering = "(rendering alone)";
const std::string kFileWork = "(file work, paused)";

// Operations made wholly under the engine lock are timed holding it here
// first (each call re-enters it), in the thread's own processor time: the
// work done under the lock, not the time the machine's other work took from
// the thread meanwhile. The
// others take the lock for a part of their work only; for them a watcher
// thread takes and releases the lock over and over, and each wait is how long
// somebody still held it, put down to the operation running on the test
// thread at the time (or to the output thread's rendering when none runs).
class cLockWatch {
 public:
  explicit cLockWatch(cTracker& t) : t(t), thread([this] { Run(); }) {}
  ~cLockWatch() {
    done = true;
    thread.join();
  }

  template <typename F>
  void Held(const std::string& name, F&& operation) {
    std::lock_guard<std::recursive_mutex> lock(Inside(t).EngineLock());
    const double start = ThreadCpuUs();
    operation();
    const double us = ThreadCpuUs() - start;
    longest[Index(name)] = std::max(longest[Index(name)].load(), us);
  }

  template <typename F>
  void Watched(const std::string& name, F&& operation) {
    current = Index(name);
    operation();
    current = 0;
  }

  // Longest wait in microseconds under each name.
  std::map<std::string, double> Longest() {
    std::map<std::string, double> out;
    out[kRendering] = longest[0].load();
    for (int i = 0; i < count; ++i) out[names[i]] = longest[i + 1].load();
    return out;
  }

 private:
  void Run() {
    uint32_t lastDither = 0;
    while (!done) {
      const int before = current.load();
      const auto start = Clock::now();
      Inside(t).EngineLock().lock();
      const auto got = Clock::now();
      const uint32_t dither = Inside(t).Renderer().ditherState;
      Inside(t).EngineLock().unlock();
      // A wait that may have been for a block being rendered is not put
      // down to the operation.
      if (current.load() == before && (before == 0 || dither == lastDither)) {
        const double us = std::chrono::duration<double, std::micro>(got - start).count();
        if (us > longest[before].load()) longest[before] = us;
      }
      lastDither = dither;
      std::this_thread::sleep_for(std::chrono::microseconds(50));
    }
  }

  int Index(const std::string& name) {
    int index = 0;
    while (index < count && names[index] != name) ++index;
    if (index == count) names[count++] = name;
    return index + 1;
  }

  static constexpr int kNames = 16;
  cTracker& t;
  std::string names[kNames];
  int count = 0;
  std::atomic<int> current{0};
  std::atomic<double> longest[kNames + 1] = {};
  std::atomic<bool> done{false};
  std::thread thread;
};

}  // namespace

TEST(Threads, TheEditorWorksWhileTheOutputThreadRenders) {
  cConfig config = NullDeviceConfig();
  cTracker t(config);
  t.SetFatalHandler([](const std::string& message) { ADD_FAILURE() << message; });
  ASSERT_TRUE(t.SystemStart(true));
  ComposeBusySong(t, 4);
  const uint32_t ditherAtStart = [&] {
    std::lock_guard<std::recursive_mutex> lock(Inside(t).EngineLock());
    return Inside(t).Renderer().ditherState;
  }();
  t.TransportCommand(kTransportPlay);

  const std::string path = (std::filesystem::temp_directory_path() /
                            ("murvelon_threads_" + std::to_string(::getpid()) + ".zqm"))
                               .string();
  cLockWatch times(t);
  double fileWorkUs = 0.0;
  const auto until = Clock::now() + std::chrono::milliseconds(kSanitized ? 2500 : 1200);
  for (int i = 0; Clock::now() < until; ++i) {
    const int channel = i % 16;
    times.Held("SetParam", [&] {
      t.SetEditedChannel(channel);
      Inside(t).SetParam(i % 4, 1 + i % 30, int16_t(i % 100));
    });
    times.Held("SetParams", [&] { Inside(t).SetParams(kBusyFM - 1, 2 + i % 20, int16_t(i % 64)); });
    times.Watched("ChangeFxModule", [&] {
      const int chain = i % 20, slot = (i / 20) % 4;
      const int32_t type = i % 12;
      {
        std::lock_guard<std::recursive_mutex> lock(Inside(t).EngineLock());
        Inside(t).Effects().type[slot][chain] = uint32_t(type);
      }  // ChangeFxModule itself must not run under the lock
      Inside(t).ChangeFxModule(chain, slot, type);
    });
    times.Held("SetSend", [&] { Inside(t).SetSend(channel, i % 4, (i * 13) % 101); });
    times.Held("SetChannelCount", [&] { Inside(t).Song().SetChannelCount(1 + (i % 16)); });
    times.Held("SetBPM", [&] { t.SetBPM(100 + i % 80); });
    times.Held("DefaultParams", [&] { Inside(t).DefaultParams(8 + i % 8); });
    if (i % 5 == 0) times.Held("Stop", [&] { t.TransportCommand(kTransportStop); });
    if (i % 5 == 1) times.Held("Play", [&] { t.TransportCommand(kTransportPlay); });
    if (i % 7 == 3) times.Held("Panic", [&] { t.Panic(1); });
    if (i % 25 == 10) {
      // File work: the engine is paused first, so it may take its time.
      const auto start = Clock::now();
      times.Watched(kFileWork, [&] {
        t.PauseEngine();
        EXPECT_EQ(t.SaveModule(path), 1);
        EXPECT_EQ(t.LoadModule(path), 1);
        t.ResumeEngine();
      });
      t.TransportCommand(kTransportPlay);
      fileWorkUs = std::max(
          fileWorkUs, std::chrono::duration<double, std::micro>(Clock::now() - start).count());
    }
    std::this_thread::sleep_for(std::chrono::milliseconds(3));
  }
  const uint32_t ditherAtEnd = [&] {
    std::lock_guard<std::recursive_mutex> lock(Inside(t).EngineLock());
    return Inside(t).Renderer().ditherState;
  }();
  const std::map<std::string, double> longest = times.Longest();
  t.Shutdown();
  std::filesystem::remove(path);
  EXPECT_NE(ditherAtEnd, ditherAtStart);  // the output thread did render

  std::string longestName;
  double longestUs = 0.0;
  for (const auto& [name, us] : longest) {
    std::printf("engine lock held by %-16s %8.1f us at most\n", name.c_str(), us);
    if (name != kFileWork && name != kRendering && us > longestUs) {
      longestUs = us;
      longestName = name;
    }
  }
  std::printf("longest: %s, %.1f us; pause + save + load + resume: %.1f ms\n", longestName.c_str(),
              longestUs, fileWorkUs / 1000.0);
  // Sanitized code runs several times slower; the limit is for real builds.
  if (!kSanitized) {
    EXPECT_LT(longestUs, 1000.0) << longestName;
  }
}

// The output thread copies the half it was given after the engine lock is
// released; a panic on the editor's thread meanwhile clears the render
// path's accumulator, and must not reach the half being copied.
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
