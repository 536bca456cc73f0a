#pragma once
// What the tests that edit while the output thread renders share: whether
// the build is sanitized (slower, so runs last longer and lock-hold limits
// are not checked), a thread's own processor time, and the settings of a
// controller that plays through the null device at the smallest latency.

#include <time.h>

#include <chrono>

#include "app/config.h"

#if defined(__SANITIZE_THREAD__) || defined(__SANITIZE_ADDRESS__)
inline constexpr bool kSanitized = true;
#elif defined(__has_feature)
#if __has_feature(thread_sanitizer) || __has_feature(address_sanitizer)
inline constexpr bool kSanitized = true;
#else
inline constexpr bool kSanitized = false;
#endif
#else
inline constexpr bool kSanitized = false;
#endif

using Clock = std::chrono::steady_clock;

// Microseconds of processor time this thread has used.
inline double ThreadCpuUs() {
  timespec now;
  clock_gettime(CLOCK_THREAD_CPUTIME_ID, &now);
  return double(now.tv_sec) * 1e6 + double(now.tv_nsec) / 1e3;
}

// No clock measurement, the null device, 20 ms halves.
inline cConfig NullDeviceConfig() {
  cConfig config;
  config.cpuCalc = 0;
  config.device = "null";
  config.latency = 20;
  return config;
}
