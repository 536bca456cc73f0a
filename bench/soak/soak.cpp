// The soak: plays a song through the null device, which keeps time with the
// clock, at the smallest latency the output allows, and reports the
// underruns and the slowest block the render callback took.
//   soak [--seconds N] [--song file.zqm | --mod | --synth] [--device D]
// Default: ten minutes of Songs/demo.zqm, or of the composed 16-channel
// synth song when the demo is not there. --device takes the names of the
// settings' Device key (default, null, wav:PATH, a device name) to soak a
// real output; the underruns then include the gaps the device reported.

#include <unistd.h>

#include <atomic>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <thread>

#include "app/tracker.h"
#include "audio/devicechoice.h"
#include "audio/output.h"
#include "bench/songs.h"

int main(int argc, char** argv) {
  int seconds = 600;
  std::string song = std::string(MURVELON_SOURCE_DIR) + "/Songs/demo.zqm";
  std::string device = "null";
  enum { kFile, kMod, kSynth } source = kFile;
  for (int i = 1; i < argc; ++i) {
    if (!std::strcmp(argv[i], "--seconds") && i + 1 < argc) {
      seconds = std::atoi(argv[++i]);
    } else if (!std::strcmp(argv[i], "--song") && i + 1 < argc) {
      song = argv[++i];
    } else if (!std::strcmp(argv[i], "--mod")) {
      source = kMod;
    } else if (!std::strcmp(argv[i], "--synth")) {
      source = kSynth;
    } else if (!std::strcmp(argv[i], "--device") && i + 1 < argc) {
      device = argv[++i];
    } else {
      std::fprintf(stderr,
                   "usage: soak [--seconds N] [--song file.zqm | --mod | --synth] [--device D]\n");
      return 2;
    }
  }
  if (source == kFile && access(song.c_str(), R_OK) != 0) source = kSynth;

  cConfig config;
  config.cpuCalc = 0;
  config.latency = RoundLatencyMs(0);
  cTracker t(config);
  if (!t.SystemStart(false)) return 1;
  std::string name = song;
  if (source == kFile && t.LoadModule(song) != 1) {
    std::fprintf(stderr, "soak: cannot load %s\n", song.c_str());
    return 1;
  }
  if (source == kMod) {
    name = "the composed 4-channel MOD";
    if (!LoadComposedModule(t)) return 1;
  }
  if (source == kSynth) {
    name = "the composed 16-channel synth song";
    ComposeSynthSong(t);
  }
  t.TransportCommand(kTransportPlay);

  std::atomic<double> worstUs{0.0};
  std::atomic<double> worstGapMs{0.0};  // between the starts of two blocks: the poll's lateness
  std::atomic<long> blocks{0};
  std::chrono::steady_clock::time_point lastStart{};
  std::string warning;
  cAudioOutput output(ChooseSoundDevice(device, &warning));
  if (!warning.empty()) std::fprintf(stderr, "soak: %s\n", warning.c_str());
  auto timed = [&](int32_t flag) {
    const auto start = std::chrono::steady_clock::now();
    if (blocks.load() > 0) {
      const double gap = std::chrono::duration<double, std::milli>(start - lastStart).count();
      if (gap > worstGapMs.load()) worstGapMs = gap;
    }
    lastStart = start;
    int16_t* half = t.RenderCallback(flag);
    const double us =
        std::chrono::duration<double, std::micro>(std::chrono::steady_clock::now() - start).count();
    if (us > worstUs.load()) worstUs = us;
    blocks.fetch_add(1);
    return half;
  };
  if (output.OpenAudio(timed, config.frequency, config.latency) != 0) {
    std::fprintf(stderr, "soak: the output %s did not open\n", device.c_str());
    return 1;
  }
  output.SetRenderEnabled(true);
  if (output.StartAudio() != 0) {
    std::fprintf(stderr, "soak: the output %s did not start\n", device.c_str());
    return 1;
  }
  std::printf("soak: %s on %s, %d s at %d ms per half, %d Hz\n", name.c_str(),
              output.Device().Name().c_str(), seconds, config.latency, config.frequency);
  for (int s = 1; s <= seconds; ++s) {
    std::this_thread::sleep_for(std::chrono::seconds(1));
    if (s % 10 == 0 || s == seconds) {
      std::printf("%5d s: blocks %ld, underruns %llu, worst block %.0f us\n", s, blocks.load(),
                  static_cast<unsigned long long>(output.Underruns()), worstUs.load());
      std::fflush(stdout);
    }
  }
  output.CloseAudio();
  std::printf(
      "underruns: %llu (the device's own: %llu)\nworst block: %.0f us (%.1f%% of a 20 ms block)\n"
      "longest gap between blocks: %.1f ms\nblocks: %ld\n",
      static_cast<unsigned long long>(output.Underruns()),
      static_cast<unsigned long long>(output.Device().DeviceUnderruns()), worstUs.load(),
      worstUs.load() / 200.0, worstGapMs.load(), blocks.load());
  return output.Underruns() == 0 ? 0 : 3;
}
