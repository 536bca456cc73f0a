#pragma once
// What the lock-hold benches share: their one option, and the demo loaded
// into a tracker on the null device at 20 ms halves, as a musician's
// settings have it.

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

#include "app/tracker.h"
#include "audio/devicechoice.h"

// --rounds N, else rounds; 0 when the arguments are not understood (after
// printing the usage).
inline int RoundsOption(int argc, char** argv, const char* program, int rounds) {
  for (int i = 1; i < argc; ++i) {
    if (!std::strcmp(argv[i], "--rounds") && i + 1 < argc) {
      rounds = std::max(1, std::atoi(argv[++i]));
    } else {
      std::fprintf(stderr, "usage: %s [--rounds N]\n", program);
      return 0;
    }
  }
  return rounds;
}

inline cConfig NullDeviceConfig() {
  cConfig config;
  config.cpuCalc = 0;
  config.device = "null";
  config.latency = RoundLatencyMs(20);
  return config;
}

// Starts t and loads the demo into it; false, and why on stderr, when not.
inline bool StartWithDemo(cTracker& t, const char* program) {
  if (!t.SystemStart(true)) return false;
  const std::string demo = std::string(MURVELON_SOURCE_DIR) + "/Songs/demo.zqm";
  if (t.LoadModule(demo) != 1) {
    std::fprintf(stderr, "%s: cannot load %s\n", program, demo.c_str());
    return false;
  }
  return true;
}
