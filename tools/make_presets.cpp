// murvelon-make-presets ROOT [--report] [--wav DIR]
// Writes the starter presets into ROOT/Synths and ROOT/FMSynths, then loads
// each file back into a second engine and plays one note of it: fails when a
// note is silent, not finite or at full scale. --report prints what each
// note measured (level, envelope, spectrum, stereo); --wav writes each note
// to DIR/NAME.wav to listen to.
// Exit status 0 on success, 1 when writing or a check fails, 2 for bad usage.

#include <algorithm>
#include <cmath>
#include <complex>
#include <cstdio>
#include <filesystem>
#include <numbers>
#include <string>
#include <vector>

#include "app/tracker.h"
#include "audio/wavfile.h"
#include "tools/fft.h"
#include "tools/starter_presets.h"

namespace {

constexpr int32_t kRate = 44100;
constexpr float kTailSeconds = 1.5f;

cConfig QuietConfig() {
  cConfig config;
  config.cpuCalc = 0;  // nothing here is timed
  return config;
}

int Usage() {
  std::fprintf(stderr, "usage: murvelon-make-presets ROOT [--report] [--wav DIR]\n");
  return 2;
}

double Db(double level) { return level > 0.0 ? 20.0 * std::log10(level / 32767.0) : -200.0; }

// The RMS of the left and right channels together over [from, from + n).
double Rms(const std::vector<float>& pcm, size_t from, size_t n) {
  const size_t frames = pcm.size() / 2;
  double sum = 0.0;
  size_t count = 0;
  for (size_t i = from; i < std::min(frames, from + n); ++i, ++count)
    sum += 0.5 * (double(pcm[2 * i]) * pcm[2 * i] + double(pcm[2 * i + 1]) * pcm[2 * i + 1]);
  return count ? std::sqrt(sum / double(count)) : 0.0;
}

struct cSpectrum {
  double strongestHz = 0.0, centroidHz = 0.0, rolloffHz = 0.0;
};

// 4096 frames of the left channel from `start`, Hann-windowed.
cSpectrum Analyse(const std::vector<float>& pcm, size_t start) {
  constexpr size_t kPoints = 4096;
  const size_t frames = pcm.size() / 2;
  std::vector<std::complex<double>> bins(kPoints);
  for (size_t i = 0; i < kPoints && start + i < frames; ++i) {
    const double hann =
        0.5 - 0.5 * std::cos(2.0 * std::numbers::pi * double(i) / double(kPoints - 1));
    bins[i] = pcm[2 * (start + i)] * hann;
  }
  Fft(bins);
  cSpectrum s;
  double total = 0.0, weighted = 0.0, strongest = 0.0;
  std::vector<double> power(kPoints / 2);
  for (size_t k = 1; k < kPoints / 2; ++k) {
    power[k] = std::norm(bins[k]);
    const double hz = double(k) * kRate / kPoints;
    total += power[k];
    weighted += power[k] * hz;
    if (power[k] > strongest) {
      strongest = power[k];
      s.strongestHz = hz;
    }
  }
  s.centroidHz = total > 0.0 ? weighted / total : 0.0;
  double sum = 0.0;
  for (size_t k = 1; k < kPoints / 2; ++k) {
    sum += power[k];
    if (sum >= 0.95 * total) {
      s.rolloffHz = double(k) * kRate / kPoints;
      break;
    }
  }
  return s;
}

struct cMeasure {
  double peak = 0.0;
  bool finite = true;
  double attackMs = 0.0;  // until the 10 ms level first reaches 90 % of its highest
  double early = 0.0, late = 0.0, tail = 0.0;  // RMS at 100 ms, at the release, 300 ms after it
  double strongestHz = 0.0, centroidHz = 0.0, rolloffHz = 0.0, lateCentroidHz = 0.0;
  double correlation = 0.0;  // of left and right over the held note
};

cMeasure Measure(const std::vector<float>& pcm, size_t held) {
  cMeasure m;
  const size_t frames = pcm.size() / 2;
  for (float v : pcm) {
    if (!std::isfinite(v)) m.finite = false;
    m.peak = std::max(m.peak, double(std::fabs(v)));
  }
  const size_t window = kRate / 100;
  double highest = 0.0;
  for (size_t i = 0; i + window <= frames; i += window)
    highest = std::max(highest, Rms(pcm, i, window));
  for (size_t i = 0; i + window <= frames; i += window) {
    if (Rms(pcm, i, window) >= 0.9 * highest) {
      m.attackMs = double(i) * 1000.0 / kRate;
      break;
    }
  }
  m.early = Rms(pcm, kRate / 10, window);
  m.late = Rms(pcm, held - window, window);
  m.tail = Rms(pcm, held + kRate * 3 / 10, window);

  // The spectrum of the left channel where the note is loudest, and its
  // centre again where the held note ends: a filter or modulation sweep.
  const size_t loudest = size_t(m.attackMs * kRate / 1000.0);
  const cSpectrum first = Analyse(pcm, loudest);
  m.strongestHz = first.strongestHz;
  m.centroidHz = first.centroidHz;
  m.rolloffHz = first.rolloffHz;
  m.lateCentroidHz = Analyse(pcm, held > 4096 + window ? held - 4096 - window : 0).centroidHz;
  double lr = 0.0, ll = 0.0, rr = 0.0;
  for (size_t i = 0; i < held; ++i) {
    lr += double(pcm[2 * i]) * pcm[2 * i + 1];
    ll += double(pcm[2 * i]) * pcm[2 * i];
    rr += double(pcm[2 * i + 1]) * pcm[2 * i + 1];
  }
  m.correlation = ll > 0.0 && rr > 0.0 ? lr / std::sqrt(ll * rr) : 0.0;
  return m;
}

bool WriteWav(const std::filesystem::path& path, const std::vector<float>& pcm) {
  std::vector<int16_t> samples(pcm.size());
  for (size_t i = 0; i < pcm.size(); ++i)
    samples[i] = int16_t(std::lrint(std::clamp(pcm[i], -32767.0f, 32767.0f)));
  cWavFile wav;
  return wav.Create(path.string(), kRate) &&
         wav.Append(samples.data(), uint32_t(samples.size() / 2)) && wav.Finish();
}

}  // namespace

int main(int argc, char** argv) {
  std::string root, wavDir;
  bool report = false;
  for (int i = 1; i < argc; ++i) {
    const std::string arg = argv[i];
    if (arg == "--help" || arg == "-h") {
      std::printf(
          "usage: murvelon-make-presets ROOT [--report] [--wav DIR]\n"
          "Writes the starter presets into ROOT/Synths and ROOT/FMSynths and plays a note of "
          "each.\n");
      return 0;
    }
    if (arg == "--report") {
      report = true;
    } else if (arg == "--wav") {
      if (++i >= argc) return Usage();
      wavDir = argv[i];
    } else if (!arg.empty() && arg[0] == '-') {
      return Usage();
    } else if (root.empty()) {
      root = arg;
    } else {
      return Usage();
    }
  }
  if (root.empty()) return Usage();

  {
    cTracker composer(QuietConfig());
    if (!composer.SystemStart(false) || !presets::WritePresets(composer, root)) {
      std::fprintf(stderr, "murvelon-make-presets: cannot write the presets under %s\n",
                   root.c_str());
      return 1;
    }
  }
  if (!wavDir.empty()) std::filesystem::create_directories(wavDir);

  cTracker player(QuietConfig());
  if (!player.SystemStart(false)) return 1;
  if (report) {
    std::printf("%-16s %4s %6s %6s %6s %6s %6s %7s %7s %7s %7s %5s\n", "preset", "note", "peak",
                "attack", "100ms", "held", "tail", "strong", "centre", "95%", "centre2", "L/R");
  }
  bool ok = true;
  for (const presets::cPreset& p : presets::StarterPresets()) {
    const std::string path = (std::filesystem::path(root) / presets::FileName(p)).string();
    const int loaded = p.type == kGenFM ? player.LoadFMSynth(path, 0) : player.LoadSynth(path, 0);
    const int32_t held = int32_t(p.held * kRate);
    const std::vector<float> pcm = presets::RenderNote(player, player.Song().Instrument(0), p.note,
                                                       held, int32_t(kTailSeconds * kRate));
    const cMeasure m = Measure(pcm, size_t(held));
    if (loaded != 1 || !m.finite || m.peak < 1000.0 || m.peak >= 32767.0) {
      std::fprintf(stderr, "murvelon-make-presets: %s: %s\n", path.c_str(),
                   loaded != 1       ? "does not load"
                   : !m.finite       ? "not finite"
                   : m.peak < 1000.0 ? "too quiet"
                                     : "clips");
      ok = false;
    }
    if (report) {
      std::printf("%-16s %4d %6.1f %6.0f %6.1f %6.1f %6.1f %7.0f %7.0f %7.0f %7.0f %5.2f\n", p.name,
                  p.note, Db(m.peak), m.attackMs, Db(m.early), Db(m.late), Db(m.tail),
                  m.strongestHz, m.centroidHz, m.rolloffHz, m.lateCentroidHz, m.correlation);
    }
    if (!wavDir.empty() &&
        !WriteWav(std::filesystem::path(wavDir) / (std::string(p.name) + ".wav"), pcm)) {
      std::fprintf(stderr, "murvelon-make-presets: cannot write a WAV file in %s\n",
                   wavDir.c_str());
      return 1;
    }
  }
  return ok ? 0 : 1;
}
