#include "fx/equalizer.h"

#include <algorithm>
#include <cmath>
#include <cstring>
#include <iterator>

namespace {

// Stage k of the cascade (from 1) is driven by parameter Bands - k: the
// highest band comes first in the parameter list.
constexpr int32_t kCentres5[5] = {100, 1000, 4000, 8000, 12000};
constexpr int32_t kWidths5[5] = {300, 1200, 4000, 8000, 12000};
const cFxParamDesc kParams5[6] = {
    {"Frq: 12KHz (%)", "Frq: 12Khz", -100, 100, 0, 0},
    {"Frq: 8KHz (%)", "Frq: 8Khz", -100, 100, 0, 0},
    {"Frq: 4KHz (%)", "Frq: 4Khz", -100, 100, 0, 0},
    {"Frq: 1KHz (%)", "Frq: 1KHz", -100, 100, 0, 0},
    {"Frq: 100 (%)", "Frq: 100Hz", -100, 100, 0, 0},
    {"DryMix (%)", "DryMix", 0, 100, 100, 0},
};

// The 4.5 kHz band is centred at 4650 Hz.
constexpr int32_t kCentres7[7] = {90, 250, 500, 1500, 3000, 4650, 8000};
constexpr int32_t kWidths7[7] = {120, 250, 500, 1800, 3000, 5000, 8000};
const cFxParamDesc kParams7[8] = {
    {"Frq: 8KHz (%)", "Frq: 8Khz", -100, 100, 0, 0},
    {"Frq: 4.5KHz (%)", "Frq: 4.5Khz", -100, 100, 0, 0},
    {"Frq: 3KHz (%)", "Frq: 3KHz", -100, 100, 0, 0},
    {"Frq: 1.5KHz (%)", "Frq: 1.5KHz", -100, 100, 0, 0},
    {"Frq: 500 (%)", "Frq: 500Hz", -100, 100, 0, 0},
    {"Frq: 250 (%)", "Frq: 250Hz", -100, 100, 0, 0},
    {"Frq: 90 (%)", "Frq: 90Hz", -100, 100, 0, 0},
    {"DryMix (%)", "DryMix", 0, 100, 100, 0},
};

constexpr double kPi = 3.14159;     // the design's own value of pi
constexpr double kTwoPi = 6.28318;  // and of two pi, in the window

}  // namespace

// The ideal band-pass between f1 / 2 and f2 / 2 of the sample rate,
// Hamming-windowed, order 16, normalised to unit gain at its centre.
void cFirFilter::Design(int32_t centre, int32_t width, int32_t gain, int32_t rate, int32_t dry) {
  dryFactor = dry * 0.01;
  std::fill(std::begin(taps), std::end(taps), 0.0f);
  const double f1 = double(centre - width / 2) / rate;
  const double f2 = double(centre + width / 2) / rate;
  const double c1 = f1 * 0.5;
  const double c2 = f2 * 0.5;
  const double b = c2 - c1;

  double h[kFirTaps];
  h[8] = 2.0 * b;
  for (int m = 1; m <= 8; ++m) {
    const double v = 2.0 * std::sin(kPi * m * b) * std::cos(kPi * m * (c1 + c2)) / (kPi * m);
    h[8 - m] = v;
    h[8 + m] = v;
  }
  for (int n = 0; n < kFirTaps; ++n) h[n] *= 0.54 - 0.46 * std::cos(kTwoPi * n / 16);

  const double theta = kPi * (c1 + c2);
  double c = h[16];
  double s = 0.0;
  for (int n = 0; n < 16; ++n) {
    c += h[n] * std::cos((17 - n) * theta);
    s += h[n] * std::sin((17 - n) * theta);
  }
  const double norm = std::sqrt(c * c + s * s);
  for (int n = 0; n < kFirTaps; ++n) {
    design[n] = norm > 0.0 ? h[n] / norm : 0.0;
    taps[n] = float(design[n] * gain * 0.02);
  }
  std::fill(std::begin(history), std::end(history), 0.0f);
}

void cFirFilter::Clear() { std::fill(std::begin(history), std::end(history), 0.0f); }

// audio thread, engine lock held
// Works through the block in chunks laid out oldest first behind the 16
// samples of history, so that the sums of many samples run side by side;
// each sample's sum still adds its 17 products in tap order, the newest
// sample's first.
void cFirFilter::Process(float* frames, int32_t count) {
  constexpr int kPast = kFirTaps - 1;
  constexpr int kChunk = 128;
  float window[kPast + kChunk];
  float sum[kChunk];
  for (int32_t start = 0; start < count; start += kChunk) {
    const int32_t n = std::min<int32_t>(kChunk, count - start);
    for (int k = 1; k < kFirTaps; ++k) window[kPast - k] = history[k];
    for (int32_t i = 0; i < n; ++i) window[kPast + i] = frames[2 * (start + i)];
    for (int32_t i = n; i < kChunk; ++i) window[kPast + i] = 0.0f;

    for (float& y : sum) y = 0.0f;
    for (int k = 0; k < kFirTaps; ++k) {
      const float tap = taps[k];
      const float* x = window + kPast - k;
      for (int i = 0; i < kChunk; ++i) sum[i] += x[i] * tap;
    }
    for (int32_t i = 0; i < n; ++i) {
      const float x = window[kPast + i];
      frames[2 * (start + i)] = float(x * dryFactor + sum[i]);
    }
    history[0] = window[kPast + n - 1];
    for (int k = 1; k < kFirTaps; ++k) history[k] = window[kPast + n - k];
  }
}

template <int Bands>
void cEqualizer<Bands>::Init(int32_t rate) {
  sampleRate = rate;
  dryMix = 100;
  std::copy_n(centreTable, Bands, centres);
  std::copy_n(widthTable, Bands, widths);
  std::fill(std::begin(params), std::end(params), 0);
  Reset(true);
}

template <int Bands>
void cEqualizer<Bands>::Reset(bool loadDefaults) {
  if (loadDefaults) this->LoadPreset(0);
}

// Forgets the sound in the filters (a panic); the bands and the dry mix go
// on sounding as the parameters say.
template <int Bands>
void cEqualizer<Bands>::Clear() {
  for (int k = 0; k < Bands; ++k) {
    left[k].Clear();
    right[k].Clear();
  }
}

template <int Bands>
void cEqualizer<Bands>::SetParam(int32_t index, int32_t value) {
  if (!this->Has(index)) return;
  if (index == kDryMixIndex) {
    const int32_t v = this->Clamped(index, value);
    params[index] = v;
    dryMix = v;
    for (int k = 0; k < Bands; ++k) {
      left[k].dryFactor = v * 0.01;
      right[k].dryFactor = v * 0.01;
    }
    return;
  }
  const int32_t v = this->Clamped(index, value);
  params[index] = v;
  const int stage = Bands - index - 1;
  left[stage].Design(centres[stage], widths[stage], v, sampleRate, dryMix);
  right[stage].Design(centres[stage], widths[stage], v, sampleRate, dryMix);
}

// The equalizers have no display texts.
template <int Bands>
void cEqualizer<Bands>::GetParamText(char* /*text*/, int32_t /*index*/, int32_t /*value*/) {}

// audio thread, engine lock held
template <int Bands>
int32_t cEqualizer<Bands>::Process(float* frames, int32_t count) {
  for (int k = 0; k < Bands; ++k) {
    left[k].Process(frames, count);
    right[k].Process(frames + 1, count);
  }
  return 0;
}

template class cEqualizer<5>;
template class cEqualizer<7>;

cEqualizer5::cEqualizer5() : cEqualizer<5>(kCentres5, kWidths5, kParams5) {}

cEqualizer7::cEqualizer7() : cEqualizer<7>(kCentres7, kWidths7, kParams7) {}
