// Process of each effect on one 20 ms block (882 frames at 44100 Hz), and a
// whole song whose 80 effect slots all hold reverberators. x_realtime is
// how many blocks' worth of sound one core makes per block of time.
#include <benchmark/benchmark.h>

#include <cstring>
#include <memory>
#include <vector>

#include "app/tracker.h"
#include "app/trackerinside.h"
#include "fx/fxfactory.h"

namespace {

constexpr int32_t kBlock = 882;

std::vector<float> NoiseBlock() {
  std::vector<float> out(2 * kBlock);
  uint32_t seed = 12345;
  for (float& v : out) {
    seed = seed * 1664525u + 1013904223u;
    v = float(int32_t(seed >> 16) - 32768) * 0.5f;
  }
  return out;
}

// Each block starts from the same input (a copy of 1764 floats, a few
// percent of the cheapest effect's time), so feedback paths cannot run away.
void BM_FxProcess(benchmark::State& state) {
  int32_t bpm = 125, speed = 6;
  const cFxFactory factory(&bpm, &speed, 44100);
  std::unique_ptr<cEffect> fx = factory.NewFxModule(int32_t(state.range(0)));
  if (!fx) {
    state.SkipWithError("type not built");
    return;
  }
  state.SetLabel(fx->GetName());
  const std::vector<float> input = NoiseBlock();
  std::vector<float> block(input.size());
  for (auto _ : state) {
    std::memcpy(block.data(), input.data(), sizeof(float) * block.size());
    fx->Process(block.data(), kBlock);
    benchmark::DoNotOptimize(block.data());
    benchmark::ClobberMemory();
  }
  state.counters["x_realtime"] =
      benchmark::Counter(0.020 * double(state.iterations()), benchmark::Counter::kIsRate);
}

// 16 channels, every slot of every chain a reverberator, every aux bus fed.
void BM_RenderAllSlotsReverb(benchmark::State& state) {
  cConfig config;
  config.cpuCalc = 0;
  config.chans = 16;
  cTracker tracker(config);
  for (int chain = 0; chain < kFxChains; ++chain) {
    for (int slot = 0; slot < kFxSlots; ++slot) {
      Inside(tracker).Effects().type[slot][chain] = 3;
    }
  }
  Inside(tracker).AllocateFxModules();
  for (int aux = 0; aux < kFxAuxBuses; ++aux) Inside(tracker).SetSend(aux, aux, 50);
  int block = 0;
  for (auto _ : state) {
    benchmark::DoNotOptimize(tracker.RenderCallback(++block % 4 == 0 ? 1 : 0));
  }
  state.counters["x_realtime"] =
      benchmark::Counter(0.020 * double(state.iterations()), benchmark::Counter::kIsRate);
}

}  // namespace

BENCHMARK(BM_FxProcess)->DenseRange(1, 3)->Arg(9)->Arg(10)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_RenderAllSlotsReverb)->Unit(benchmark::kMicrosecond);
