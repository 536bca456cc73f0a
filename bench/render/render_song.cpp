// Renders a song through the render callback as fast as one core allows,
// for profiles (callgrind counts instructions the same way on every run)
// and for the side-by-side comparison with another MOD player.
//   render_song (--mod | --synth | --heavy | --busy | --song FILE) [--seconds N]
//   render_song --write-mod FILE [--positions N]
// It prints a digest of the samples too (two builds that render a song to
// the same bits print the same digest) and the mix's share of the time.
// --write-mod writes the composed 4-channel module, its two patterns played
// alternately for N order positions (default 32, about four minutes), so
// that both players render the same bytes.

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "app/tracker.h"
#include "app/trackerinside.h"
#include "bench/songs.h"
#include "tests/support/digest.h"

namespace {

int WriteModule(const std::string& path, int positions) {
  std::vector<uint8_t> m = ComposeModule();
  positions = positions < 1 ? 1 : positions > 128 ? 128 : positions;
  m[950] = uint8_t(positions);
  for (int i = 0; i < positions; ++i) m[952 + size_t(i)] = uint8_t(i % 2);
  std::FILE* f = std::fopen(path.c_str(), "wb");
  if (!f) return 1;
  const bool written = std::fwrite(m.data(), 1, m.size(), f) == m.size();
  return std::fclose(f) == 0 && written ? 0 : 1;
}

}  // namespace

int main(int argc, char** argv) {
  enum { kNone, kFile, kMod, kSynth, kHeavy, kBusy } source = kNone;
  std::string path;
  double seconds = 10.0;
  int positions = 32;
  bool write = false;
  for (int i = 1; i < argc; ++i) {
    if (!std::strcmp(argv[i], "--mod")) {
      source = kMod;
    } else if (!std::strcmp(argv[i], "--synth")) {
      source = kSynth;
    } else if (!std::strcmp(argv[i], "--heavy")) {
      source = kHeavy;
    } else if (!std::strcmp(argv[i], "--busy")) {
      source = kBusy;
    } else if (!std::strcmp(argv[i], "--song") && i + 1 < argc) {
      source = kFile;
      path = argv[++i];
    } else if (!std::strcmp(argv[i], "--seconds") && i + 1 < argc) {
      seconds = std::atof(argv[++i]);
    } else if (!std::strcmp(argv[i], "--write-mod") && i + 1 < argc) {
      write = true;
      path = argv[++i];
    } else if (!std::strcmp(argv[i], "--positions") && i + 1 < argc) {
      positions = std::atoi(argv[++i]);
    } else {
      source = kNone;
      break;
    }
  }
  if (write) return WriteModule(path, positions);
  if (source == kNone) {
    std::fprintf(
        stderr,
        "usage: render_song (--mod | --synth | --heavy | --busy | --song FILE) [--seconds N]\n"
        "       render_song --write-mod FILE [--positions N]\n");
    return 2;
  }

  cConfig config;
  config.cpuCalc = 0;
  std::srand(1);
  cTracker t(config);
  if (!t.SystemStart(false)) return 1;
  if (source == kFile && t.LoadModule(path) != 1 && t.LoadModuleMOD(path) != 1) {
    std::fprintf(stderr, "render_song: cannot load %s\n", path.c_str());
    return 1;
  }
  if (source == kMod && !LoadComposedModule(t)) return 1;
  if (source == kSynth) ComposeSynthSong(t);
  if (source == kHeavy) ComposeHeavySynthSong(t);
  if (source == kBusy) ComposeBusySong(t, 16);

  // The engine's own meters time the mix and the rest of each block; any
  // clock rate gives the same shares (one cycle a millisecond keeps every
  // cycle in the integer sums).
  t.RenderMeter().Calibrate(1);
  t.MixMeter().Calibrate(1);
  double renderLoad = 0.0, mixLoad = 0.0;
  t.TransportCommand(kTransportPlay);
  const int32_t blocks =
      int32_t(seconds * t.Config().frequency / Inside(t).Renderer().BlockFrames());
  const int32_t samples = 2 * Inside(t).Renderer().BlockFrames();
  cDigest digest;  // the pinned renders' digest
  const auto start = std::chrono::steady_clock::now();
  for (int32_t b = 0; b < blocks; ++b) {
    const int16_t* pcm = t.RenderCallback(1);
    for (int32_t i = 0; i < samples; ++i) digest.AddSampleBytes(pcm[i]);
    renderLoad += Inside(t).Renderer().renderLoad;
    mixLoad += Inside(t).Renderer().mixLoad;
  }
  const double elapsed =
      std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
  const double audio = double(blocks) * Inside(t).Renderer().BlockFrames() / t.Config().frequency;
  std::printf("rendered %.2f s in %.3f s: %.1fx real time, digest %016llx\n", audio, elapsed,
              elapsed > 0 ? audio / elapsed : 0.0, static_cast<unsigned long long>(digest.value));
  std::printf("the mix (MixBlock) took %.1f %% of the render time\n",
              renderLoad + mixLoad > 0 ? 100.0 * mixLoad / (renderLoad + mixLoad) : 0.0);
  return 0;
}
