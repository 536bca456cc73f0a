#include "audio/onsetwatch.h"

#include <chrono>
#include <cstdlib>

int64_t SteadyNowNs() {
  return std::chrono::duration_cast<std::chrono::nanoseconds>(
             std::chrono::steady_clock::now().time_since_epoch())
      .count();
}

void cOnsetWatch::Arm(int16_t threshold) {
  onset.store(0, std::memory_order_relaxed);
  level.store(threshold > 0 ? threshold : 1, std::memory_order_release);
}

void cOnsetWatch::Played(const int16_t* frames, uint32_t count, int64_t firstNs, double frameNs) {
  const int32_t threshold = level.load(std::memory_order_acquire);
  if (threshold <= 0) return;
  for (uint32_t i = 0; i < count; ++i) {
    if (std::abs(frames[2 * i]) > threshold || std::abs(frames[2 * i + 1]) > threshold) {
      onset.store(firstNs + int64_t(i * frameNs), std::memory_order_release);
      level.store(0, std::memory_order_relaxed);
      return;
    }
  }
}
