// The cost of the sampler and FM voices per 20 ms block at 44100 Hz. The
// x_realtime counter says how many times faster than real time one block
// renders; 1 / x_realtime is the share of one core.
#include <benchmark/benchmark.h>

#include <memory>
#include <vector>

#include "engine/fmsynth.h"
#include "engine/genmanager.h"
#include "engine/sampler.h"
#include "engine/wavestore.h"

namespace {

constexpr int kRate = 44100;
constexpr int kBlock = 882;

void Counters(benchmark::State& state) {
  state.counters["x_realtime"] = benchmark::Counter(
      double(kBlock) / kRate * double(state.iterations()), benchmark::Counter::kIsRate);
}

// One channel's sampler with `voices` notes of a looping sound.
void SamplerVoices(benchmark::State& state, bool stereo, int voices) {
  cGenManager tables(kRate);
  cWavManager store;
  const int frames = 100000;
  std::vector<int16_t> sound(size_t(frames) * (stereo ? 2 : 1));
  for (size_t i = 0; i < sound.size(); ++i) sound[i] = int16_t((i * 7919) % 20000 - 10000);
  store.SetSlot(0, sound.data(), frames, (stereo ? 0x10 : 0) | 0x01, 1000, frames - 1, "b");
  auto s = std::make_unique<cSampler>();
  s->BindTables(tables.interpolation);
  s->SetWaveStore(&store);
  s->Init(kRate);
  int16_t params[kSamplerWords];
  s->GetDefaults(params);
  s->SetParams(params);
  s->SetCommand(0, 0x1A00);  // every note keeps sounding
  for (int v = 0; v < voices; ++v) s->NoteOn(60 + v);
  std::vector<float> out(2 * kBlock);
  for (auto _ : state) {
    s->Render(out.data(), kBlock);
    benchmark::DoNotOptimize(out.data());
  }
  if (s->GetVoiceCount() != voices) state.SkipWithError("a voice stopped");
  Counters(state);
}

void BM_SamplerVoiceMono(benchmark::State& state) { SamplerVoices(state, false, 1); }
void BM_SamplerVoiceStereo(benchmark::State& state) { SamplerVoices(state, true, 1); }
void BM_SamplerEightVoicesMono(benchmark::State& state) { SamplerVoices(state, false, 8); }
void BM_SamplerEightVoicesStereo(benchmark::State& state) { SamplerVoices(state, true, 8); }

void BM_FMVoice(benchmark::State& state) {
  auto fm = std::make_unique<cFMSynth>();
  fm->Init(kRate);
  int16_t params[kFMWords];
  fm->GetDefaults(params);
  params[28] = 40;  // some feedback
  params[26] = 1;
  fm->SetParams(params);
  fm->NoteOn(57);
  std::vector<float> out(2 * kBlock);
  for (auto _ : state) {
    fm->Render(out.data(), kBlock);
    benchmark::DoNotOptimize(out.data());
  }
  if (fm->GetVoiceCount() != 1) state.SkipWithError("the note stopped");
  Counters(state);
}

}  // namespace

BENCHMARK(BM_SamplerVoiceMono)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_SamplerVoiceStereo)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_SamplerEightVoicesMono)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_SamplerEightVoicesStereo)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_FMVoice)->Unit(benchmark::kMicrosecond);
