// Process of the compressor, shapers, flangers and stereo expander on one
// 20 ms block (882 frames at 44100 Hz). x_realtime is how many blocks' worth
// of sound one core processes per second of work, per instance.
#include <benchmark/benchmark.h>

#include <cmath>
#include <cstring>
#include <memory>
#include <vector>

#include "fx/compressor.h"
#include "fx/distortion.h"
#include "fx/flanger.h"
#include "fx/stereo.h"

constexpr int32_t kBlockFrames = 882;

template <class T>
static void BM_Process(benchmark::State& state) {
  auto fx = std::make_unique<T>();
  fx->Init(44100);
  // A loud two-tone signal, refreshed each block so that feedback and gain
  // see the same material every time.
  std::vector<float> source(2 * kBlockFrames);
  for (int32_t i = 0; i < kBlockFrames; ++i) {
    source[2 * i] = float(20000.0 * std::sin(i * 0.0627));
    source[2 * i + 1] = float(12000.0 * std::sin(i * 0.1931));
  }
  std::vector<float> block(source.size());
  for (auto _ : state) {
    std::memcpy(block.data(), source.data(), block.size() * sizeof(float));
    fx->Process(block.data(), kBlockFrames);
    benchmark::DoNotOptimize(block.data());
    benchmark::ClobberMemory();
  }
  state.counters["x_realtime"] = benchmark::Counter(
      double(kBlockFrames) / 44100.0 * double(state.iterations()), benchmark::Counter::kIsRate);
}
BENCHMARK_TEMPLATE(BM_Process, cCompressor)->Unit(benchmark::kMicrosecond);
BENCHMARK_TEMPLATE(BM_Process, cDistorter)->Unit(benchmark::kMicrosecond);
BENCHMARK_TEMPLATE(BM_Process, cOverdrive)->Unit(benchmark::kMicrosecond);
BENCHMARK_TEMPLATE(BM_Process, cFlanger)->Unit(benchmark::kMicrosecond);
BENCHMARK_TEMPLATE(BM_Process, cFlanger2)->Unit(benchmark::kMicrosecond);
BENCHMARK_TEMPLATE(BM_Process, cStereo)->Unit(benchmark::kMicrosecond);
