#include "audio/cpuspd.h"

#include <chrono>
#include <thread>

#if defined(__x86_64__) || defined(__i386__)
#include <x86intrin.h>
#endif

#include "audio/threadpriority.h"

cpuSPD::cpuSPD(const int32_t* disabled) : disabled(disabled) {}

cpuSPD::cpuSPD(const int32_t* disabled, uint32_t cyclesPerMs)
    : disabled(disabled), cyclesPerMs(cyclesPerMs), mhz(cyclesPerMs / 1000) {}

uint64_t cpuSPD::ReadCounter() {
#if defined(__x86_64__) || defined(__i386__)
  return __rdtsc();
#else
  return uint64_t(std::chrono::duration_cast<std::chrono::microseconds>(
                      std::chrono::steady_clock::now().time_since_epoch())
                      .count());
#endif
}

uint32_t cpuSPD::Measure() {
  if (Disabled()) {
    cyclesPerMs = 0;
    mhz = 0;
    return 0;
  }
  mhz = 0;
  for (int attempt = 0; attempt < 5 && (mhz < 10 || mhz > 50000); ++attempt) {
    SetThreadTimeCritical(true);
    const uint64_t first = ReadCounter();
    std::this_thread::sleep_for(std::chrono::milliseconds(1500));
    const uint64_t second = ReadCounter();
    SetThreadTimeCritical(false);
#if defined(__x86_64__) || defined(__i386__)
    cyclesPerMs = uint32_t((second - first) / 1500);
#else
    // The stand-in counter counts microseconds.
    cyclesPerMs = uint32_t((second - first) / 1500 * 1000);
#endif
    mhz = cyclesPerMs / 1000;
  }
  return cyclesPerMs;
}

void cpuSPD::Calibrate(uint32_t cycles) {
  disabled = nullptr;
  cyclesPerMs = cycles;
  mhz = cycles / 1000;
}

void cpuSPD::Start() {
  if (Disabled()) return;
  stamp = ReadCounter();
}

void cpuSPD::Stop() {
  if (Disabled()) return;
  stamp = ReadCounter() - stamp;
}

float cpuSPD::LoadOver(float milliseconds) {
  if (Disabled()) return 0.0f;
  if (cyclesPerMs != 0 && milliseconds > 0.0f) {
    const float value = float((stamp * 100) / cyclesPerMs) / milliseconds;
    if (value > 0.0f) return AddLoad(value);
  }
  return AddLoad(0.0f);
}

float cpuSPD::BlockLoad(int32_t frames, int32_t sampleRate) {
  if (Disabled() || sampleRate <= 0) return 0.0f;
  const float blockMs = float(frames) * 1000.0f / float(sampleRate);
  return LoadOver(blockMs);
}

float cpuSPD::PeriodLoad(float milliseconds) { return LoadOver(milliseconds); }

float cpuSPD::AddLoad(float percent) {
  if (Disabled()) return 0.0f;
  if (percent > 0.0f) {
    samples[ringIndex] = percent;
    ringIndex = (ringIndex + 1) % 10;
  }
  float sum = 0.0f;
  for (float s : samples) sum += s;
  return 0.1f * sum;
}
