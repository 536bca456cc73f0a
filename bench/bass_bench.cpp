// One sounding cBass voice, 20 ms blocks at 44,100 Hz, for every render mode
// and filter type. x_realtime is seconds of sound per second of one core.
#include <benchmark/benchmark.h>

#include <cstdlib>
#include <vector>

#include "engine/bass.h"
#include "engine/wavetables.h"

static void BM_BassVoice(benchmark::State& state) {
  constexpr int kRate = 44100, kBlock = 882;
  static auto tables = cWavetables::Shared(kRate, "");
  cBass bass;
  bass.Init(kRate);
  bass.SetWavetables(tables.get());
  std::srand(1);
  bass.Reset();
  std::vector<int16_t> block(128);
  bass.GetDefaults(block.data());
  block[40] = int16_t(state.range(0));  // render mode
  block[21] = int16_t(state.range(1));  // filter type
  block[30] = 40;                       // all three oscillators sound
  bass.SetParams(block.data());
  bass.NoteOn(36);  // sustain time 0: the note holds for the whole run
  std::vector<float> frames(2 * kBlock);
  for (auto _ : state) {
    bass.Render(frames.data(), kBlock);
    benchmark::DoNotOptimize(frames.data());
  }
  state.counters["x_realtime"] = benchmark::Counter(
      double(kBlock) / kRate * double(state.iterations()), benchmark::Counter::kIsRate);
}
BENCHMARK(BM_BassVoice)
    ->ArgNames({"mode", "filter"})
    ->ArgsProduct({{0, 1, 2, 3}, {0, 1, 2, 3}})
    ->Unit(benchmark::kMicrosecond);
