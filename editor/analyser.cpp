#include "editor/analyser.h"

#include <algorithm>
#include <cmath>
#include <numbers>

cFFT::cFFT(int32_t points) : points(points), bits(0) {
  while ((1 << bits) < points) ++bits;
}

void cFFT::Transform(std::complex<double>* x) const {
  for (int32_t i = 0; i < points; ++i) {
    int32_t r = 0;
    for (int32_t b = 0; b < bits; ++b) r |= ((i >> b) & 1) << (bits - 1 - b);
    if (r > i) std::swap(x[i], x[r]);
  }
  for (int32_t size = 2; size <= points; size *= 2) {
    const int32_t half = size / 2;
    const double angle = -2.0 * std::numbers::pi / size;
    const std::complex<double> step(std::cos(angle), std::sin(angle));
    for (int32_t start = 0; start < points; start += size) {
      std::complex<double> w(1.0, 0.0);
      for (int32_t k = 0; k < half; ++k) {
        const std::complex<double> t = w * x[start + k + half];
        x[start + k + half] = x[start + k] - t;
        x[start + k] += t;
        w *= step;
      }
    }
  }
}

cSpectrum::cSpectrum(int32_t sampleRate)
    : fft(kPoints), sampleRate(sampleRate), mono(kPoints), window(kPoints), data(kPoints) {
  // A Hann window keeps a loud low note from leaking into every bar.
  for (int32_t i = 0; i < kPoints; ++i)
    window[i] = 0.5 - 0.5 * std::cos(2.0 * std::numbers::pi * i / kPoints);
}

void cSpectrum::Capture(const int16_t* accumulator, int32_t accumulatorFrames, int32_t writeFrame) {
  if (accumulator == nullptr || accumulatorFrames <= 0) return;
  int32_t frame = writeFrame >= 0 && writeFrame < accumulatorFrames ? writeFrame : 0;
  for (int32_t i = 0; i < kPoints; ++i) {
    const int32_t sum = int32_t(accumulator[2 * frame]) + accumulator[2 * frame + 1];
    mono[i] = int16_t(sum / 2);  // integer division rounds toward zero
    if (++frame == accumulatorFrames) frame = 0;
  }
}

namespace {

constexpr double kFullScale = 32768.0 * cSpectrum::kPoints / 4.0;  // a Hann-windowed
                                                                   // full-scale sine's peak
// No bin of the transform exceeds the sum of the samples' magnitudes (the
// window is at most 1); below a thousandth of full scale, which is -60 dB,
// every band is 0. Half of that leaves room for rounding.
constexpr int32_t kQuietSum = int32_t(kFullScale / 1000.0 / 2.0);

bool Quiet(const std::vector<int16_t>& mono) {
  int32_t sum = 0;
  for (int16_t v : mono) {
    sum += std::abs(int32_t(v));
    if (sum >= kQuietSum) return false;
  }
  return true;
}

}  // namespace

void cSpectrum::Analyse() {
  if (Quiet(mono)) {
    std::fill(std::begin(bands), std::end(bands), 0.0);
  } else {
    Transform();
  }
  for (int32_t b = 0; b < kBars; ++b) {
    const double value = bands[b + 1] * (b * 0.0125 + 0.9);
    smoothed[b] = smoothed[b] * 0.25 + value * 0.75;
    heights[b] = std::clamp(int32_t(kBarPixels * smoothed[b]), 0, kMaxHeight);
  }
}

void cSpectrum::Transform() {
  for (int32_t i = 0; i < kPoints; ++i) data[i] = {mono[i] * window[i], 0.0};
  fft.Transform(data.data());

  // Bands spaced evenly in octaves from 40 Hz to 16 kHz. A band's magnitude
  // is its loudest bin on a 60 dB scale: a full-scale sine reaches 1, a sine
  // at -60 dB and below stays at 0.
  const double binHz = double(sampleRate) / kPoints;
  const double lowest = 40.0, highest = std::min(16000.0, sampleRate / 2.0);
  for (int32_t band = 1; band <= kBars; ++band) {
    const double from = lowest * std::pow(highest / lowest, double(band - 1) / kBars);
    const double to = lowest * std::pow(highest / lowest, double(band) / kBars);
    int32_t first = std::max(1, int32_t(std::floor(from / binHz)));
    int32_t last = std::max(first, int32_t(std::ceil(to / binHz)) - 1);
    last = std::min(last, kPoints / 2 - 1);
    double peak = 0.0;
    for (int32_t k = first; k <= last; ++k) peak = std::max(peak, std::abs(data[k]));
    const double level = peak / kFullScale;
    const double db = level > 0.0 ? 20.0 * std::log10(level) : -1000.0;
    bands[band] = std::clamp((db + 60.0) / 60.0, 0.0, 1.0);
  }
}
