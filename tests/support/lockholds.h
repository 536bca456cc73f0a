#pragma once
// How long the editor's operations hold the engine lock, which the audio
// thread waits for, while the output thread renders a busy song through the
// null device. tests/realtime holds them to a bound; bench/ reports them.

#include "app/trackerinside.h"
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <filesystem>
#include <map>
#include <string>
#include <thread>

#include "editor/analyser.h"
#include "editor/scope.h"
#include "support/busysong.h"
#include "support/realtimesupport.h"

inline const std::string kRendering = "(rendering alone)";
inline const std::string kFileWork = "(file work, paused)";

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

struct cLockHolds {
  // The longest hold in microseconds under each operation's name, and
  // under kRendering and kFileWork.
  std::map<std::string, double> longestUs;
  double fileWorkUs = 0.0;  // the longest pause, save, load and resume
  int fileFailures = 0;     // saves and loads that failed
  bool rendered = false;    // the output thread rendered meanwhile
};

// On a started controller with audio: plays a busy song and for `duration`
// does what the editor and the display timers do, and now and then the
// file work of a save and a load (the engine paused around it), in `folder`.
inline cLockHolds EditWhileRendering(cTracker& t, std::chrono::milliseconds duration,
                                     const std::filesystem::path& folder) {
  ComposeBusySong(t, 4);
  const uint32_t ditherAtStart = [&] {
    std::lock_guard<std::recursive_mutex> lock(Inside(t).EngineLock());
    return Inside(t).Renderer().ditherState;
  }();
  t.TransportCommand(kTransportPlay);

  const std::string path =
      (folder / ("murvelon_locks_" + std::to_string(::getpid()) + ".zqm")).string();
  cScope scope;
  scope.Resize(320, 120);
  cSpectrum spectrum(t.Config().frequency);
  cLockHolds holds;
  cLockWatch times(t);
  const auto until = Clock::now() + duration;
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
    // The display timer's copies: the scope's traces and the spectrum's
    // samples.
    times.Held("ScopeCapture", [&] { scope.Capture(t); });
    times.Held("SpectrumCapture", [&] {
      cRenderPath& renderer = Inside(t).Renderer();
      spectrum.Capture(renderer.OutputAccumulator(), renderer.AccumulatorFrames(),
                       renderer.WriteFrame());
    });
    if (i % 25 == 10) {
      // File work: the engine is paused first, so it may take its time.
      const auto start = Clock::now();
      times.Watched(kFileWork, [&] {
        t.PauseEngine();
        holds.fileFailures += t.SaveModule(path) != 1;
        holds.fileFailures += t.LoadModule(path) != 1;
        t.ResumeEngine();
      });
      t.TransportCommand(kTransportPlay);
      holds.fileWorkUs =
          std::max(holds.fileWorkUs,
                   std::chrono::duration<double, std::micro>(Clock::now() - start).count());
    }
    std::this_thread::sleep_for(std::chrono::milliseconds(3));
  }
  holds.longestUs = times.Longest();
  std::lock_guard<std::recursive_mutex> lock(Inside(t).EngineLock());
  holds.rendered = Inside(t).Renderer().ditherState != ditherAtStart;
  std::filesystem::remove(path);
  return holds;
}
