// How long the editor's operations and the display timers' copies hold the
// engine lock while the output thread renders a busy song: the longest time
// the audio thread waited for each, in microseconds, as counters. The
// operations made wholly under the lock count their own processor time;
// ChangeFxModule and the file work (a save and a load with the engine
// paused) count a watcher thread's longest wait for the lock.
#include "support/lockholds.h"

#include <benchmark/benchmark.h>

#include <chrono>
#include <filesystem>

static void BM_EngineLockHolds(benchmark::State& state) {
  for (auto _ : state) {
    cTracker t(NullDeviceConfig());
    if (!t.SystemStart(true)) {
      state.SkipWithError("no engine");
      return;
    }
    const cLockHolds holds =
        EditWhileRendering(t, std::chrono::seconds(3), std::filesystem::temp_directory_path());
    t.Shutdown();
    for (const auto& [name, us] : holds.longestUs) state.counters[name] = us;
    state.counters["(pause, save, load, resume)"] = holds.fileWorkUs;
  }
}
BENCHMARK(BM_EngineLockHolds)->Iterations(1)->Unit(benchmark::kMillisecond);
