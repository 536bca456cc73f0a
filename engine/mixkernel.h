#pragma once
// The mixer's inner loop: each sample's sum of the mixed buffers at their
// gains (in double precision, buffer by buffer in a fixed order), the master
// gain, the dither, saturation and rounding to 16 bits. One kernel in plain
// C++ and kernels in vector code for the processors that have it; every
// kernel gives the same sums and the same samples, bit for bit, and the same
// count of samples at full scale.
// Audio thread; no allocation.

#include <cstdint>

enum class eMixKernel { kPlain, kSse2, kAvx2, kAvx512 };

struct cMixJob {
  const float* const* sources;  // interleaved stereo buffers, `samples` floats each
  const double* gains;          // one per source
  int count;                    // sources
  double gainLeft, gainRight;   // master gains of even and odd samples
  double* sums;                 // `samples` sums written here; null: not kept
  int16_t* out;                 // `samples` finished samples written here
  int32_t samples;              // even
  // The dither generator: the state before the first sample, and after the
  // job the state that the last sample used.
  uint32_t dither;
  // Written by the job: its finished samples at full scale (-32768 or
  // 32767), which is where the saturation holds a mix that is too loud.
  int32_t clipped = 0;
};

// The dither generator's step: state = (state x 1103515245 + 12345) mod 2^31.
constexpr uint32_t NextDither(uint32_t state) {
  return (state * 1103515245u + 12345u) & 0x7FFFFFFFu;
}

bool MixKernelAvailable(eMixKernel kernel);
// The fastest kernel this processor runs.
eMixKernel FastestMixKernel();
// Runs the job with the kernel (the plain one when it is not available).
void MixSamples(eMixKernel kernel, cMixJob& job);
