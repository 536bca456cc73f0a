#include <gtest/gtest.h>
#include <unistd.h>

#include <algorithm>
#include <cmath>
#include <complex>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <numbers>
#include <set>
#include <string>
#include <vector>

#include "app/tracker.h"
#include "app/trackerinside.h"
#include "tools/fft.h"
#include "tools/starter_presets.h"

namespace {

namespace fs = std::filesystem;

cConfig QuietConfig() {
  cConfig config;
  config.cpuCalc = 0;
  return config;
}

std::vector<char> Bytes(const fs::path& path) {
  std::ifstream in(path, std::ios::binary);
  return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

// Every preset file under root, as "Synths/NAME.zqb" and "FMSynths/NAME.zqf".
std::set<std::string> PresetFiles(const fs::path& root) {
  std::set<std::string> names;
  for (const char* folder : {"Synths", "FMSynths"}) {
    for (const auto& entry : fs::directory_iterator(root / folder))
      names.insert(std::string(folder) + "/" + entry.path().filename().string());
  }
  return names;
}

fs::path Committed() { return fs::path(MURVELON_SOURCE_DIR); }

// A note's level in 50 ms steps and its spectrum in third-octave bands at
// its loudest, both in dB below their own maximum: two presets that differ
// only in volume have the same print.
struct cPrint {
  std::vector<double> envelope, bands;
};

double ToDb(double power, double reference) {
  return 10.0 * std::log10(std::max(power / reference, 1e-9));
}

cPrint Print(const std::vector<float>& pcm) {
  constexpr size_t kWindow = 2205, kPoints = 4096;
  const size_t frames = pcm.size() / 2;
  cPrint p;
  std::vector<double> power;
  for (size_t i = 0; i + kWindow <= frames; i += kWindow) {
    double sum = 0.0;
    for (size_t j = 2 * i; j < 2 * (i + kWindow); ++j) sum += double(pcm[j]) * pcm[j];
    power.push_back(sum / kWindow);
  }
  const size_t loudest = size_t(std::max_element(power.begin(), power.end()) - power.begin());
  const double top = std::max(power[loudest], 1e-9);
  for (double w : power) p.envelope.push_back(ToDb(w, top));

  std::vector<std::complex<double>> x(kPoints);
  const size_t start = std::min(loudest * kWindow, frames - kPoints);
  for (size_t i = 0; i < kPoints; ++i) {
    const double hann =
        0.5 - 0.5 * std::cos(2.0 * std::numbers::pi * double(i) / double(kPoints - 1));
    x[i] = double(pcm[2 * (start + i)] + pcm[2 * (start + i) + 1]) * hann;
  }
  Fft(x);
  // Third-octave bands from 50 Hz to 16 kHz.
  for (double low = 50.0; low < 16000.0; low *= std::cbrt(2.0)) {
    const double high = low * std::cbrt(2.0);
    double sum = 0.0;
    for (size_t k = size_t(low * kPoints / 44100.0); k < size_t(high * kPoints / 44100.0); ++k)
      sum += std::norm(x[k]);
    p.bands.push_back(sum);
  }
  const double bandTop = std::max(*std::max_element(p.bands.begin(), p.bands.end()), 1e-9);
  for (double& b : p.bands) b = ToDb(b, bandTop);
  return p;
}

// The mean difference in dB of two prints' envelopes or of their spectra,
// whichever is larger.
double Distance(const cPrint& a, const cPrint& b) {
  auto mean = [](const std::vector<double>& x, const std::vector<double>& y) {
    double sum = 0.0;
    for (size_t i = 0; i < x.size(); ++i) sum += std::fabs(x[i] - y[i]);
    return sum / double(x.size());
  };
  return std::max(mean(a.envelope, b.envelope), mean(a.bands, b.bands));
}

}  // namespace

// The committed presets are what the composer makes now; after changing the
// table or a generator's defaults, run murvelon-make-presets at the root.
TEST(StarterPresets, CommittedFilesAreWhatTheComposerWrites) {
  const fs::path dir =
      fs::temp_directory_path() / ("murvelon-presets-" + std::to_string(::getpid()));
  fs::remove_all(dir);
  {
    cTracker t(QuietConfig());
    ASSERT_TRUE(t.SystemStart(false));
    ASSERT_TRUE(presets::WritePresets(t, dir));
  }
  const std::set<std::string> made = PresetFiles(dir);
  EXPECT_EQ(made, PresetFiles(Committed()));
  for (const std::string& name : made) {
    const std::vector<char> bytes = Bytes(dir / name);
    ASSERT_EQ(bytes.size(), 260u) << name;
    EXPECT_TRUE(bytes == Bytes(Committed() / name)) << name << " differs from the composer's";
  }
  fs::remove_all(dir);

  int bass = 0, fm = 0;
  for (const presets::cPreset& p : presets::StarterPresets()) (p.type == kGenFM ? fm : bass) += 1;
  EXPECT_GE(bass, 12);
  EXPECT_GE(fm, 8);
}

// Each committed file loads into its own synthesizer only, and a note of it
// is finite, clearly audible and below full scale.
TEST(StarterPresets, EveryPresetLoadsAndSounds) {
  cTracker t(QuietConfig());
  ASSERT_TRUE(t.SystemStart(false));
  for (const presets::cPreset& p : presets::StarterPresets()) {
    SCOPED_TRACE(p.name);
    const std::string path = (Committed() / presets::FileName(p)).string();
    const bool fm = p.type == kGenFM;
    EXPECT_EQ(fm ? t.LoadSynth(path, 1) : t.LoadFMSynth(path, 1), 0) << "loaded as the other kind";
    ASSERT_EQ(fm ? t.LoadFMSynth(path, 0) : t.LoadSynth(path, 0), 1);
    EXPECT_EQ(t.GetParam(0, kParamGenType), p.type);

    const std::vector<float> pcm =
        presets::RenderNote(t, Inside(t).Song().Instrument(0), p.note, 44100, 22050);
    float peak = 0.0f;
    bool finite = true;
    for (float v : pcm) {
      finite = finite && std::isfinite(v);
      peak = std::max(peak, std::fabs(v));
    }
    EXPECT_TRUE(finite);
    EXPECT_GT(peak, 3000.0f);
    EXPECT_LT(peak, 32767.0f);
  }
}

// The same note on every preset: no two have the same level over time and
// the same spectrum, even after their volumes are matched.
TEST(StarterPresets, NoTwoSoundAlike) {
  cTracker t(QuietConfig());
  ASSERT_TRUE(t.SystemStart(false));
  const std::vector<presets::cPreset> all = presets::StarterPresets();
  std::vector<cPrint> prints;
  for (const presets::cPreset& p : all) {
    int16_t block[kInstrumentWords];
    presets::MakeBlock(t, p, block);
    prints.push_back(Print(presets::RenderNote(t, block, 48, 44100, 22050)));
  }
  for (size_t a = 0; a < all.size(); ++a) {
    for (size_t b = a + 1; b < all.size(); ++b) {
      EXPECT_GT(Distance(prints[a], prints[b]), 3.0) << all[a].name << " and " << all[b].name;
    }
  }
}
