#include "engine/mixtap.h"

#include <algorithm>
#include <cmath>

cMixTap::cMixTap(int32_t blockFrames)
    : sums(size_t(blockFrames) * 2), mix(size_t(blockFrames) * 2) {
  for (std::vector<float>& stem : stems) stem.assign(size_t(blockFrames) * 2, 0.0f);
}

void cMixTap::Capture(const float* buffers, int32_t blockFrames, int channels, const double* gains,
                      const bool* busLive, double gainLeft, double gainRight) {
  frames = blockFrames;
  const int32_t samples = 2 * blockFrames;
  const double master[2] = {gainLeft, gainRight};
  // As the mixer finishes a sample: its sum at the master gain, silence for
  // what is not a number.
  for (int32_t i = 0; i < samples; ++i) {
    const double x = sums[size_t(i)] * master[i & 1];
    mix[size_t(i)] = std::isfinite(x) ? x : 0.0;
  }
  for (int b = 0; b < kTapBuffers; ++b) {
    if (!wanted[b]) continue;
    float* stem = stems[b].data();
    const bool isChannel = b < kTapChannels;
    const bool heard = isChannel ? b < channels : busLive[b - kTapChannels];
    if (!heard) {
      std::fill(stem, stem + samples, 0.0f);
      continue;
    }
    const double gain = isChannel ? gains[b] : 1.0;
    const float* source = buffers + size_t(b) * size_t(samples);
    for (int32_t i = 0; i < samples; ++i) {
      const float v = float(double(source[i]) * gain * master[i & 1]);
      stem[i] = std::isfinite(v) ? v : 0.0f;
    }
  }
}
