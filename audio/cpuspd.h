#pragma once
// A processor-clock meter: measures the time-stamp counter's rate once, then
// turns the cycles spent on a piece of work into a percentage of the real
// time that the work's audio lasts, averaged over the last ten values.
// Each meter is used by one thread only.

#include <cstdint>

class cpuSPD {
 public:
  // All meters share one disabled flag; non-zero makes every operation inert.
  explicit cpuSPD(const int32_t* disabled);
  cpuSPD(const int32_t* disabled, uint32_t cyclesPerMs);

  // Measures the counter over 1.5 s (up to five attempts until the clock
  // reads 10-50000 MHz) and returns cycles per millisecond.
  uint32_t Measure();

  // Takes a clock rate measured elsewhere (by Measure of another meter) and
  // works with it from now on, whatever the shared disabled flag says.
  void Calibrate(uint32_t cyclesPerMs);

  void Start();
  void Stop();

  // Average load in percent after adding the load of a block of frames at
  // sampleRate, of a period of milliseconds, or a given value.
  float BlockLoad(int32_t frames, int32_t sampleRate);
  float PeriodLoad(float milliseconds);
  float AddLoad(float percent);

  uint32_t CyclesPerMs() const { return cyclesPerMs; }
  uint32_t Mhz() const { return mhz; }
  // Cycles of the last Start/Stop pair; tests set it in place of a real run.
  void SetElapsed(uint64_t cycles) { stamp = cycles; }

  static uint64_t ReadCounter();

 private:
  bool Disabled() const { return disabled != nullptr && *disabled != 0; }
  float LoadOver(float milliseconds);

  const int32_t* disabled;
  uint32_t cyclesPerMs = 0;
  uint32_t mhz = 0;
  float samples[10] = {};
  int32_t ringIndex = 0;
  uint64_t stamp = 0;  // counter at Start; after Stop, the cycles elapsed
};
