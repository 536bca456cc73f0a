// render, play and convert.

#include <atomic>
#include <cerrno>
#include <chrono>
#include <csignal>
#include <cstdio>
#include <cstring>
#include <thread>
#include <vector>

#include "app/configfile.h"
#include "app/songrender.h"
#include "app/tracker.h"
#include "app/trackerinside.h"
#include "audio/cpuspd.h"
#include "audio/devicechoice.h"
#include "song/filereader.h"
#include "midi/midiinput.h"
#include "tools/cli/cli.h"

namespace {

enum class eSongKind { kUnknown, kSong, kModule };

// From the first bytes; why says when the file cannot be read at all.
eSongKind SniffSong(const std::string& path, cFileResult* why) {
  cFileReader in;
  if (!in.Open(path, why)) return eSongKind::kUnknown;
  if (in.Matches(0, "ZQ23", 4)) return eSongKind::kSong;
  if (in.Matches(1080, "M.K.", 4)) return eSongKind::kModule;
  *why = in.FaultOr(cFileResult::NotThisKind());
  return eSongKind::kUnknown;
}

// The window's words on standard error: what failed, then the file and why.
void PrintLoadFailure(const std::string& path, const cFileResult& why) {
  if (why.problem == eFileProblem::kSystem) {
    std::fprintf(stderr, "murvelon-cli: cannot read %s: %s\n", path.c_str(),
                 FileResultReason(why).c_str());
    return;
  }
  std::fprintf(stderr, "murvelon-cli: %s: Song format not recognized!\n", path.c_str());
  const std::string reason = FileResultReason(why);
  if (!reason.empty()) std::fprintf(stderr, "murvelon-cli: %s: %s\n", path.c_str(), reason.c_str());
}

volatile std::sig_atomic_t interrupted = 0;
void OnInterrupt(int) { interrupted = 1; }

double Seconds(std::chrono::steady_clock::duration d) {
  return std::chrono::duration<double>(d).count();
}

}  // namespace

cConfig LoadCliConfig(const cCliOptions& options) {
  const cPaths paths = DefaultPaths();
  cConfig config = GetConfig(options.ini.empty() ? paths.ini : options.ini);
  config.wavetableCache = paths.wavetables;
  if (!options.device.empty()) config.device = options.device;
  return config;
}

std::unique_ptr<cTracker> OpenSong(const cConfig& config, const std::string& path, bool withAudio) {
  cFileResult why;
  const eSongKind kind = SniffSong(path, &why);
  if (kind == eSongKind::kUnknown) {
    PrintLoadFailure(path, why);
    return nullptr;
  }
  auto tracker = std::make_unique<cTracker>(config);
  tracker->SetFatalHandler([](const std::string& message) {
    std::fprintf(stderr, "murvelon-cli: %s\n", message.c_str());
    std::fflush(stderr);
    std::_Exit(kExitFile);
  });
  if (!tracker->SystemStart(withAudio)) return nullptr;
  if (!tracker->DeviceWarning().empty())
    std::fprintf(stderr, "murvelon-cli: %s\n", tracker->DeviceWarning().c_str());
  tracker->PauseEngine();
  const int loaded = kind == eSongKind::kSong ? tracker->LoadModule(path, &why)
                                              : tracker->LoadModuleMOD(path, &why);
  tracker->ResumeEngine();
  if (loaded != 1) {
    PrintLoadFailure(path, why);
    return nullptr;
  }
  // Read in part: said, and the command goes on with what was read.
  if (!why.Ok())
    std::fprintf(stderr, "murvelon-cli: warning: %s: %s\n", path.c_str(),
                 FileResultReason(why).c_str());
  return tracker;
}

int RunRender(const cCliOptions& options) {
  cConfig config = LoadCliConfig(options);
  config.cpuCalc = 0;  // no clock measurement: nothing here shows a load
  std::unique_ptr<cTracker> tracker = OpenSong(config, options.input, false);
  if (!tracker) return kExitFile;

  // Without --format the mix follows its file's suffix and the stems are
  // 32-bit float; with it, both take the format asked for.
  cRenderRequest request;
  request.mixPath = options.output;
  request.mixFormat = options.formatGiven ? options.format : SoundFormatForPath(options.output);
  request.stemsFolder = options.stems;
  request.stemFormat = options.formatGiven ? options.format : eSoundFormat::kWavFloat;
  request.seconds = options.seconds;
  request.firstPosition = options.firstPosition;
  request.lastPosition = options.lastPosition;
  const cRenderResult result = RenderSong(*tracker, request);
  if (!result.ok) {
    std::fprintf(stderr, "murvelon-cli: %s\n", result.error.c_str());
    return kExitFile;
  }
  const double audio = double(result.frames) / tracker->Config().frequency;
  if (options.stats) {
    std::printf("rendered %.2f s in %.3f s: %.1fx real time\n", audio, result.elapsedSeconds,
                result.elapsedSeconds > 0 ? audio / result.elapsedSeconds : 0.0);
    if (result.clippedSamples > 0)
      std::printf("%lld samples clipped\n", static_cast<long long>(result.clippedSamples));
  }
  return kExitOk;
}

// The processor clock takes 1.5 s to measure: the sound starts at once and
// the clock is measured beside it, only when the load is asked for. Until the
// meters have the clock, the load reads "--".
int RunPlay(const cCliOptions& options) {
  cConfig config = LoadCliConfig(options);
  config.cpuCalc = 0;
  std::unique_ptr<cTracker> tracker = OpenSong(config, options.input, true);
  if (!tracker) return kExitFile;
  std::signal(SIGINT, OnInterrupt);
  std::signal(SIGTERM, OnInterrupt);

  tracker->TransportCommand(1);
  const auto started = std::chrono::steady_clock::now();
  std::atomic<bool> measured{false};
  std::thread clock;
  if (options.stats) {
    clock = std::thread([&tracker, &measured] {
      const uint32_t cyclesPerMs = cpuSPD(nullptr).Measure();
      if (cyclesPerMs == 0) return;
      std::lock_guard<std::recursive_mutex> lock(Inside(*tracker).EngineLock());
      tracker->RenderMeter().Calibrate(cyclesPerMs);
      tracker->MixMeter().Calibrate(cyclesPerMs);
      measured = true;
    });
  }
  auto loadText = [&measured](float load) {
    char text[16] = "   --";
    if (measured) std::snprintf(text, sizeof text, "%5.1f", double(load));
    return std::string(text);
  };

  float load = 0.0f;
  while (!interrupted) {
    std::this_thread::sleep_for(std::chrono::milliseconds(100));
    int32_t position, pattern, row, wraps;
    {
      std::lock_guard<std::recursive_mutex> lock(Inside(*tracker).EngineLock());
      const cPlayer& p = Inside(*tracker).Player();
      position = p.position;
      pattern = p.pattern;
      row = p.row;
      wraps = p.wrapCount;
      load = Inside(*tracker).Renderer().renderLoad + Inside(*tracker).Renderer().mixLoad;
    }
    const unsigned long long underruns = tracker->Output() ? tracker->Output()->Underruns() : 0;
    std::printf("\rposition %04d  pattern %03d  row %02d  ", position, pattern, row < 0 ? 0 : row);
    if (options.stats) std::printf("cpu %s %%  ", loadText(load).c_str());
    std::printf("underruns %llu ", underruns);
    std::fflush(stdout);
    if (wraps > 0) break;
  }
  std::printf("\n");
  if (clock.joinable()) clock.join();
  if (options.stats) {
    std::printf("played %.1f s, render load %s %%, underruns %llu\n",
                Seconds(std::chrono::steady_clock::now() - started), loadText(load).c_str(),
                tracker->Output() ? (unsigned long long)tracker->Output()->Underruns() : 0ULL);
  }
  tracker->Shutdown();
  return kExitOk;
}

int RunConvert(const cCliOptions& options) {
  cConfig config = LoadCliConfig(options);
  config.cpuCalc = 0;
  std::unique_ptr<cTracker> tracker = OpenSong(config, options.input, false);
  if (!tracker) return kExitFile;
  cFileResult why;
  if (tracker->SaveModule(options.output, &why) != 1) {
    std::fprintf(stderr, "murvelon-cli: could not save %s: %s\n", options.output.c_str(),
                 FileResultReason(why).c_str());
    return kExitFile;
  }
  return kExitOk;
}

int RunDevices() {
  const std::vector<std::string> devices = ListSoundDevices();
  for (const std::string& name : devices) std::printf("%s\n", name.c_str());
  if (devices.empty()) std::fprintf(stderr, "murvelon-cli: no sound output device found\n");
  return kExitOk;
}

int RunMidiPorts() {
  std::string problem;
  const std::vector<std::string> ports = ListMidiPorts(&problem);
  for (const std::string& name : ports) std::printf("%s\n", name.c_str());
  if (!problem.empty()) {
    std::fprintf(stderr, "murvelon-cli: %s\n", problem.c_str());
  } else if (ports.empty()) {
    std::fprintf(stderr, "murvelon-cli: no MIDI source found\n");
  }
  return kExitOk;
}
