// The program's own key-to-sound latency: from a note's arrival in the
// program (a MIDI event handed to the live-note queue, or a piano key's
// preview under the engine lock) to the device callback that carries the
// note's first sample (the null device: the moment its clock plays it).
//   latency [--device D] [--notes N] [--latency MS]...
// Default: the null device, 100 notes at 20 and at 80 ms. Each note arrives
// at its own point of a block, spread over 20 ms; min, median and max per
// path. The first sample is the first louder than the render path's dither.

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "app/tracker.h"
#include "app/trackerinside.h"
#include "audio/devicechoice.h"
#include "audio/onsetwatch.h"
#include "sequencer/livenote.h"

namespace {

void SleepMs(double ms) {
  std::this_thread::sleep_for(std::chrono::microseconds(int64_t(ms * 1000)));
}

cMidiEvent Midi(uint8_t status, uint8_t note, uint8_t velocity) {
  const uint8_t bytes[] = {status, note, velocity};
  cMidiEvent event = DecodeMidi(bytes, 3);
  event.arrivalNs = SteadyNowNs();
  return event;
}

struct cFigures {
  double min, median, max;
  int missed;
};

// One path at one latency: N notes, each after the last one has died away.
cFigures Measure(cTracker& t, cOnsetWatch& watch, int latencyMs, int notes, bool midi) {
  std::vector<double> ms;
  int missed = 0;
  for (int i = 0; i < notes; ++i) {
    SleepMs((i * 7919) % 2000 / 100.0);  // spread over a block
    watch.Arm(64);
    const int64_t arrival = SteadyNowNs();
    if (midi) {
      t.LiveNotes().Receive(0, Midi(0x90, 60, 127));
    } else {
      std::lock_guard<std::recursive_mutex> lock(Inside(t).EngineLock());
      StartLiveNote(Inside(t).Song(), Inside(t).Generators(), 0, t.Song().currentInstrument, 49,
                    127);
    }
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(2);
    while (watch.OnsetNs() == 0 && std::chrono::steady_clock::now() < deadline) SleepMs(0.2);
    if (watch.OnsetNs() == 0) {
      ++missed;
    } else {
      ms.push_back((watch.OnsetNs() - arrival) / 1e6);
    }
    if (midi) {
      t.LiveNotes().Receive(0, Midi(0x80, 60, 0));
    } else {
      std::lock_guard<std::recursive_mutex> lock(Inside(t).EngineLock());
      ReleaseLiveNote(Inside(t).Generators(), 0);
    }
    // Silence now, and the sound already in the device's buffer plays out:
    // the next note starts only after a stretch in which nothing loud played.
    SleepMs(20);
    t.SilenceAll(false);
    for (int tries = 0; tries < 20; ++tries) {
      watch.Arm(64);
      SleepMs(2 * latencyMs + 60);
      if (watch.OnsetNs() == 0) break;
    }
  }
  if (ms.empty()) return {0, 0, 0, missed};
  std::sort(ms.begin(), ms.end());
  return {ms.front(), ms[ms.size() / 2], ms.back(), missed};
}

}  // namespace

int main(int argc, char** argv) {
  std::string device = "null";
  int notes = 100;
  std::vector<int> latencies;
  for (int i = 1; i < argc; ++i) {
    if (!std::strcmp(argv[i], "--device") && i + 1 < argc) {
      device = argv[++i];
    } else if (!std::strcmp(argv[i], "--notes") && i + 1 < argc) {
      notes = std::max(1, std::atoi(argv[++i]));
    } else if (!std::strcmp(argv[i], "--latency") && i + 1 < argc) {
      latencies.push_back(std::atoi(argv[++i]));
    } else {
      std::fprintf(stderr, "usage: latency [--device D] [--notes N] [--latency MS]...\n");
      return 2;
    }
  }
  if (latencies.empty()) latencies = {20, 80};

  std::printf("| device | latency | path | min ms | median ms | max ms |\n");
  std::printf("|---|---|---|---|---|---|\n");
  for (int latency : latencies) {
    cConfig config;
    config.cpuCalc = 0;
    config.latency = latency;
    cTracker t(config);
    if (!t.SystemStart(false)) return 1;
    std::string warning;
    cAudioOutput output(ChooseSoundDevice(device, &warning));
    if (!warning.empty()) std::fprintf(stderr, "latency: %s\n", warning.c_str());
    cOnsetWatch watch;
    output.Device().SetOnsetWatch(&watch);
    const int32_t rounded = t.Config().latency;
    if (output.OpenAudio([&](int32_t flag) { return t.RenderCallback(flag); }, config.frequency,
                         rounded) != 0 ||
        (output.SetRenderEnabled(true), output.StartAudio()) != 0) {
      std::fprintf(stderr, "latency: the output %s did not start\n", device.c_str());
      return 1;
    }
    SleepMs(300);  // past the first halves
    for (bool midi : {true, false}) {
      const cFigures f = Measure(t, watch, rounded, notes, midi);
      std::printf("| %s | %d ms | %s | %.1f | %.1f | %.1f |", output.Device().Name().c_str(),
                  rounded, midi ? "MIDI note" : "piano key", f.min, f.median, f.max);
      if (f.missed > 0) std::printf(" %d notes not heard", f.missed);
      std::printf("\n");
      std::fflush(stdout);
    }
    output.CloseAudio();
    output.Device().SetOnsetWatch(nullptr);
  }
  return 0;
}
