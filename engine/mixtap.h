#pragma once
// What an export takes from the render path besides the finished 16-bit
// samples: the mix before dither, and stems. A channel's stem is its buffer
// after its effects at the gain the mixer gives it (channel volume, note
// volume, the mute/solo gate); an aux bus's stem is the bus after its
// effects at unity; each then at the left and right master gains with the
// channel-count scale. So the stems of every channel and bus add up to the
// mix before dither, within float rounding.
// Prepared before rendering; the render path fills it after each block's mix.

#include <cstdint>
#include <vector>

constexpr int kTapChannels = 16;
constexpr int kTapBuffers = kTapChannels + 4;  // channels 0-15, then aux buses 0-3

class cMixTap {
 public:
  explicit cMixTap(int32_t blockFrames);

  // The stems to keep: buffers 0-15 are the channels, 16-19 the aux buses.
  void WantStem(int buffer) { wanted[buffer] = true; }
  bool Wanted(int buffer) const { return wanted[buffer]; }

  // The last block, 2 x frames interleaved samples each, in 16-bit scale.
  int32_t Frames() const { return frames; }
  const double* Mix() const { return mix.data(); }
  const float* Stem(int buffer) const { return stems[buffer].data(); }

  // The render path's side. Sums() is where the mixer writes each sample's
  // sum of buffers at their gains, before the master gains.
  double* Sums() { return sums.data(); }
  // After the mix of a block of `frames` frames: buffers holds the 20 mix
  // buffers (stride 2 x frames floats apart), gains the first `channels`
  // channel gains, busLive which buses were added.
  void Capture(const float* buffers, int32_t blockFrames, int channels, const double* gains,
               const bool* busLive, double gainLeft, double gainRight);

 private:
  bool wanted[kTapBuffers] = {};
  int32_t frames = 0;
  std::vector<double> sums, mix;
  std::vector<float> stems[kTapBuffers];
};
