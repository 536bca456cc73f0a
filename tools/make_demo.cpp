// murvelon-make-demo OUT.zqm [--wav OUT.wav]
// Composes the demo song through the engine, saves it, then loads the file
// back into a second engine and plays it once through: reports the peak
// level and the quietest four seconds, and with --wav writes what it heard.
// Exit status 0 on success, 1 when composing, saving or the check fails,
// 2 for bad usage.

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <string>

#include "app/tracker.h"
#include "app/trackerinside.h"
#include "audio/wavfile.h"
#include "tools/demo_song.h"

namespace {

cConfig QuietConfig() {
  cConfig config;
  config.cpuCalc = 0;  // no 1.5 s clock measurement: nothing here is timed
  return config;
}

int Usage() {
  std::fprintf(stderr, "usage: murvelon-make-demo OUT.zqm [--wav OUT.wav]\n");
  return 2;
}

}  // namespace

int main(int argc, char** argv) {
  std::string songPath, wavPath;
  for (int i = 1; i < argc; ++i) {
    const std::string arg = argv[i];
    if (arg == "--help" || arg == "-h") {
      std::printf(
          "usage: murvelon-make-demo OUT.zqm [--wav OUT.wav]\n"
          "Writes the demo song, then renders it once to check its levels.\n");
      return 0;
    }
    if (arg == "--wav") {
      if (++i >= argc) return Usage();
      wavPath = argv[i];
    } else if (!arg.empty() && arg[0] == '-') {
      return Usage();
    } else if (songPath.empty()) {
      songPath = arg;
    } else {
      return Usage();
    }
  }
  if (songPath.empty()) return Usage();

  {
    cTracker composer(QuietConfig());
    if (!composer.SystemStart(false) || !demo::ComposeDemoSong(composer)) {
      std::fprintf(stderr, "murvelon-make-demo: the song could not be composed\n");
      return 1;
    }
    if (composer.SaveModule(songPath) != 1) {
      std::fprintf(stderr, "murvelon-make-demo: cannot write %s\n", songPath.c_str());
      return 1;
    }
  }

  cTracker player(QuietConfig());
  if (!player.SystemStart(false) || player.LoadModule(songPath) != 1) {
    std::fprintf(stderr, "murvelon-make-demo: %s does not load back\n", songPath.c_str());
    return 1;
  }
  cWavFile wav;
  if (!wavPath.empty() && !wav.Create(wavPath, uint32_t(player.Config().frequency))) {
    std::fprintf(stderr, "murvelon-make-demo: cannot write %s\n", wavPath.c_str());
    return 1;
  }

  const int32_t frames = Inside(player).Renderer().BlockFrames();
  const int32_t rate = player.Config().frequency;
  const int32_t blocks = int32_t(int64_t(demo::kSongSeconds) * rate / frames);
  const int32_t windowBlocks = 4 * rate / frames;
  player.TransportCommand(1);
  int peak = 0, windowPeak = 0, quietest = 32768;
  for (int32_t b = 0; b < blocks; ++b) {
    const int16_t* pcm = player.RenderCallback(1);
    for (int32_t i = 0; i < 2 * frames; ++i) {
      const int v = std::abs(int(pcm[i]));
      peak = std::max(peak, v);
      windowPeak = std::max(windowPeak, v);
    }
    if ((b + 1) % windowBlocks == 0) {
      quietest = std::min(quietest, windowPeak);
      windowPeak = 0;
    }
    if (wav.IsOpen()) wav.Append(pcm, uint32_t(frames));
  }
  if (wav.IsOpen() && !wav.Finish()) {
    std::fprintf(stderr, "murvelon-make-demo: cannot write %s\n", wavPath.c_str());
    return 1;
  }
  std::printf("%s: %d s, peak %d of 32767, quietest 4 s peak %d\n", songPath.c_str(),
              demo::kSongSeconds, peak, quietest);
  if (peak >= 32767 || quietest < 300) {
    std::fprintf(stderr, "murvelon-make-demo: the song clips or falls silent\n");
    return 1;
  }
  return 0;
}
