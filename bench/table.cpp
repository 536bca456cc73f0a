// One table of the engine's cost: every generator with a note sounding,
// every effect on a stereo block of noise, and whole songs through the
// render callback, as microseconds per 20 ms block at 44100 Hz and as
// multiples of real time. Each figure is the fastest of five runs: the
// machine's other work only ever adds to a run, never takes from it. Below
// the table, the mix's share of the MOD's blocks.
//   bench_table [demo.zqm]

#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <functional>
#include <string>
#include <vector>

#include "app/tracker.h"
#include "app/trackerinside.h"
#include "bench/songs.h"
#include "engine/bass.h"
#include "fx/fxfactory.h"

namespace {

constexpr int kBlockFrames = 882;  // 20 ms at 44100 Hz
constexpr double kBlockUs = 20000.0;

// The fastest of 5 runs of the mean time of `blocks` calls.
double MicrosecondsPerBlock(int blocks, const std::function<void()>& block) {
  std::vector<double> runs;
  for (int run = 0; run < 5; ++run) {
    const auto start = std::chrono::steady_clock::now();
    for (int b = 0; b < blocks; ++b) block();
    runs.push_back(
        std::chrono::duration<double, std::micro>(std::chrono::steady_clock::now() - start)
            .count() /
        blocks);
  }
  return *std::min_element(runs.begin(), runs.end());
}

void Row(const std::string& name, double us) {
  std::printf("| %-47s | %10.1f | %10.0fx | %6.2f%% |\n", name.c_str(), us, kBlockUs / us,
              100.0 * us / kBlockUs);
}

cConfig QuietConfig() {
  cConfig config;
  config.cpuCalc = 0;
  return config;
}

void GeneratorRow(cTracker& t, int kind, const char* name) {
  std::lock_guard<std::recursive_mutex> lock(Inside(t).EngineLock());
  cGenManager& g = Inside(t).Generators();
  g.currentChannel = 0;
  g.ResetChannel();
  int16_t* block = Inside(t).Song().Instrument(9);
  block[kParamGenType] = int16_t(kind);
  Inside(t).DefaultParams(9);
  if (kind == kGenSampler) block[2] = 0;
  g.currentChannel = 0;
  g.SelectGenerator(kind);
  g.LoadInstrument(block);
  g.SetPlaying(1);
  g.NoteOn(48);
  static float frames[2 * kBlockFrames];
  int tick = 0;
  Row(name, MicrosecondsPerBlock(200, [&] {
        g.Tick(tick++ % 6);
        g.Render(frames, kBlockFrames);
      }));
  g.ResetChannel();
}

// The share of the mix (MixBlock) in a song's blocks, as the engine's own
// meters time it, when `mixShare` is given.
void SongRow(const std::string& name, const std::function<bool(cTracker&)>& compose,
             double* mixShare = nullptr) {
  cTracker t(QuietConfig());
  if (!t.SystemStart(false) || !compose(t)) {
    std::printf("| %-47s | %10s | %11s | %7s |\n", name.c_str(), "-", "-", "-");
    return;
  }
  // Any clock rate gives the same shares; one cycle a millisecond keeps
  // every cycle in the meters' integer sums.
  t.RenderMeter().Calibrate(1);
  t.MixMeter().Calibrate(1);
  t.TransportCommand(kTransportPlay);
  int block = 0;
  for (int b = 0; b < 25; ++b) t.RenderCallback(++block % 4 == 0 ? 1 : 0);  // 0.5 s in
  double render = 0.0, mix = 0.0;
  Row(name, MicrosecondsPerBlock(100, [&] {
        t.RenderCallback(++block % 4 == 0 ? 1 : 0);
        render += Inside(t).Renderer().renderLoad;
        mix += Inside(t).Renderer().mixLoad;
      }));
  if (mixShare) *mixShare = render + mix > 0.0 ? 100.0 * mix / (render + mix) : 0.0;
}

}  // namespace

int main(int argc, char** argv) {
  std::string demo = argc > 1 ? argv[1] : std::string(MURVELON_SOURCE_DIR) + "/Songs/demo.zqm";
  std::printf("| %-47s | %10s | %11s | %7s |\n", "what renders one 20 ms block (44100 Hz)",
              "us/block", "x real time", "of core");
  std::printf("|%s|%s|%s|%s|\n", std::string(49, '-').c_str(), std::string(12, '-').c_str(),
              std::string(13, '-').c_str(), std::string(9, '-').c_str());

  cTracker t(QuietConfig());
  if (!t.SystemStart(false)) return 1;
  PutSineWave(t);
  GeneratorRow(t, kGenBass, "generator: virtual analogue (cBass), one note");
  GeneratorRow(t, kGenSampler, "generator: sampler (cSampler), one note");
  GeneratorRow(t, kGenFM, "generator: FM synthesizer (cFMSynth), one note");

  std::vector<float> noise(2 * kBlockFrames), frames(2 * kBlockFrames);
  uint32_t seed = 1;
  for (float& v : noise) {
    seed = seed * 1664525u + 1013904223u;
    v = float(int32_t(seed >> 8) % 20000) / 40000.0f;
  }
  for (int32_t type = 1; type < kFxTypeCount; ++type) {
    std::unique_ptr<cEffect> fx = Inside(t).NewFxModule(type);
    if (!fx) continue;
    Row(std::string("effect: ") + FxTypeName(type), MicrosecondsPerBlock(200, [&] {
          std::copy(noise.begin(), noise.end(), frames.begin());
          fx->Process(frames.data(), kBlockFrames);
        }));
  }

  SongRow("song: silence, 4 channels (the mix alone)", [](cTracker&) { return true; });
  SongRow("song: 16 synth channels, a reverb on each", [](cTracker& s) {
    ComposeSynthSong(s);
    return true;
  });
  SongRow("song: 16 stereo 4-pole synths, a reverb on each", [](cTracker& s) {
    ComposeHeavySynthSong(s);
    return true;
  });
  double modMixShare = 0.0;
  SongRow(
      "song: 4-channel MOD composed in code", [](cTracker& s) { return LoadComposedModule(s); },
      &modMixShare);
  SongRow("song: 16 busy channels, 64 effects, sends", [](cTracker& s) {
    ComposeBusySong(s, 16);
    return true;
  });
  SongRow("song: " + demo.substr(demo.find_last_of('/') + 1),
          [&](cTracker& s) { return access(demo.c_str(), R_OK) == 0 && s.LoadModule(demo) == 1; });
  std::printf("\nthe mix (MixBlock) takes %.1f %% of the 4-channel MOD's blocks\n", modMixShare);
  return 0;
}
