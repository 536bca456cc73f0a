#pragma once
// The spectrum analyser of the main window: a radix-2 FFT of 1024 mono
// samples taken from the output accumulator, grouped into 15 bars of up to
// 18 pixels (a band magnitude of 1 is 18 pixels before the band weighting).

#include <complex>
#include <cstdint>
#include <vector>

class cFFT {
 public:
  // points must be a power of two.
  explicit cFFT(int32_t points);
  int32_t Points() const { return points; }
  // In place: the input is taken in bit-reversed order, the twiddle factors
  // follow by recurrence within each stage.
  void Transform(std::complex<double>* data) const;

 private:
  int32_t points;
  int32_t bits;
};

class cSpectrum {
 public:
  static constexpr int32_t kPoints = 1024;
  static constexpr int32_t kBars = 15;
  static constexpr int32_t kBarPixels = 18;  // height of a magnitude of 1
  static constexpr int32_t kMaxHeight = 20;  // the bars rise from pixel row 20
  // The image and its bars: bar b covers five columns from b x 6 + 2.
  static constexpr int32_t kWidth = 96, kHeight = 24;

  explicit cSpectrum(int32_t sampleRate);

  // Takes 1024 frames of interleaved 16-bit stereo from the accumulator,
  // starting at the frame writeFrame and wrapping at its end (at small
  // latencies fewer than 1024 frames follow the write position), as mono
  // samples (left + right) / 2 rounded toward zero. Cheap: the caller may
  // hold the engine lock.
  void Capture(const int16_t* accumulator, int32_t accumulatorFrames, int32_t writeFrame);
  // Transforms the captured samples and updates the bars. Samples too quiet
  // for any band to reach -60 dB (silence, the dither alone) skip the
  // transform: every band is 0 without it.
  void Analyse();

  // Magnitude of band 1-15 of the last analysis; 1 is a full-scale sine.
  double BandMagnitude(int32_t band) const { return bands[band]; }
  // Height in pixels of bar 0-14, after smoothing and band weighting.
  int32_t BarHeight(int32_t bar) const { return heights[bar]; }
  const int16_t* MonoSamples() const { return mono.data(); }

 private:
  // The bands' magnitudes from the captured samples.
  void Transform();

  cFFT fft;
  int32_t sampleRate;
  std::vector<int16_t> mono;
  std::vector<double> window;
  std::vector<std::complex<double>> data;
  double bands[kBars + 1] = {};
  double smoothed[kBars] = {};
  int32_t heights[kBars] = {};
};
