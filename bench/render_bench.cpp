// The mix's own cost per 20 ms block: RenderCallback over silent channels.
#include <benchmark/benchmark.h>

#include "app/tracker.h"

static void BM_RenderCallbackSilence(benchmark::State& state) {
  cConfig config;
  config.cpuCalc = 0;
  config.chans = int32_t(state.range(0));
  cTracker tracker(config);
  int block = 0;
  for (auto _ : state) {
    benchmark::DoNotOptimize(tracker.RenderCallback(++block % 4 == 0 ? 1 : 0));
  }
  state.counters["x_realtime"] = benchmark::Counter(
      0.020 * double(state.iterations()), benchmark::Counter::kIsRate);
}
BENCHMARK(BM_RenderCallbackSilence)->Arg(4)->Arg(16)->Unit(benchmark::kMicrosecond);
