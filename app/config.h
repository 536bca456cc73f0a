#pragma once
// The program's settings, read once at start-up and never written. Every
// key has the default a missing key takes.

#include <cstdint>
#include <string>

struct cConfig {
  // "DirectSound"
  int32_t frequency = 44100;  // output rate in Hz
  int32_t latency = 80;       // ms in each half of the output buffer
  int32_t timer1Mult = 2;
  int32_t timer2ms = 20;
  int32_t timer3ms = 250;
  int32_t priorityClass = 0;
  int32_t threadPriority = 0;
  int32_t soundDevice = 0;
  std::string device = "default";
  // "Tracker"
  int32_t chans = 4;
  int32_t rowAdd = 1;
  int32_t octave = 3;
  int32_t masterVol = 120;
  int32_t masterPan = 0;
  int32_t bpm = 126;
  int32_t speed = 6;
  int32_t panelBuffering = 1;
  int32_t cpuCalc = 1;
  int32_t autosaveSeconds = 30;  // a copy of a modified song at most this often; 0: none

  // Where the wavetable cache is read and written; empty builds the tables
  // in memory without a cache.
  std::string wavetableCache;
};
