#pragma once
// Where the program keeps its files, and reading and writing the settings.

#include <string>

#include "app/config.h"

struct cPaths {
  std::string ini;         // murvelon.ini
  std::string songs;       // Songs/
  std::string synths;      // Synths/
  std::string fmSynths;    // FMSynths/
  std::string wavetables;  // the wavetable cache file
  // What an installed program ships: Songs/, Synths/ and FMSynths/ holding
  // the demo song and the starter presets. Empty when there is none.
  std::string shipped;
};

// An installed program (one whose folder has ../share/murvelon beside it)
// ships its data there and keeps the user's files in the user's
// configuration, data and cache folders (XDG_CONFIG_HOME, XDG_DATA_HOME,
// XDG_CACHE_HOME, else ~/.config, ~/.local/share and ~/.cache). Any other
// program (the build tree, a folder copied somewhere) keeps them beside
// itself when its folder is writable, else in the user's folders too.
cPaths DefaultPaths();
// The same for a program in exeFolder.
cPaths DefaultPathsFor(const std::string& exeFolder);

// Reads every key of the settings file; a missing or unreadable file, a
// missing key or a value that is not of the key's type gives the key's
// default.
cConfig GetConfig(const std::string& iniPath);

// Writes the keys whose values differ between config and asRead (the
// settings as they were read) into the file, and changes nothing else in
// it; a file without changes is not touched. False, with the reason, when
// the file cannot be read or written: it is then as it was.
bool SaveConfig(const std::string& iniPath, const cConfig& config, const cConfig& asRead,
                std::string* error);
