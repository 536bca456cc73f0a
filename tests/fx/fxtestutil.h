#pragma once
// Small helpers shared by the effect tests.

#include <algorithm>
#include <cstdint>
#include <vector>

#include "fx/effect.h"

// Interleaved stereo frames, zero except where a test writes.
inline std::vector<float> Frames(size_t count) { return std::vector<float>(2 * count, 0.0f); }

// Runs the effect over the frames in blocks of at most blockFrames, as the
// render path does.
inline void ProcessInBlocks(cEffect& fx, std::vector<float>& frames, int32_t blockFrames = 882) {
  const int32_t total = int32_t(frames.size() / 2);
  for (int32_t start = 0; start < total; start += blockFrames) {
    const int32_t n = std::min(blockFrames, total - start);
    fx.Process(frames.data() + 2 * size_t(start), n);
  }
}

// Deterministic noise in the 16-bit range.
inline std::vector<float> Noise(size_t frames, uint32_t seed = 12345) {
  std::vector<float> out(2 * frames);
  for (float& v : out) {
    seed = seed * 1664525u + 1013904223u;
    v = float(int32_t(seed >> 16) - 32768);
  }
  return out;
}
