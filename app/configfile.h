#pragma once
// Where the program keeps its files, and reading the configuration.

#include <string>

#include "app/config.h"

struct cPaths {
  std::string ini;         // murvelon.ini
  std::string songs;       // Songs/
  std::string synths;      // Synths/
  std::string fmSynths;    // FMSynths/
  std::string wavetables;  // the wavetable cache file
};

// Beside the executable when its folder is writable, else the user's
// configuration, data and cache folders.
cPaths DefaultPaths();

// Reads every key of "DirectSound" and "Tracker"; a missing file, a missing
// key or a value that is not a number gives the key's default.
cConfig GetConfig(const std::string& iniPath);
