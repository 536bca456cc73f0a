#pragma once
// The desktop program's command line: murvelon [--ini FILE] [SONG]

#include <string>
#include <vector>

#include "app/version.h"

struct cCommandLine {
  std::string iniPath;
  std::string songPath;  // a song (.zqm) or a module (.mod)
  bool help = false;
  bool version = false;
  std::string error;  // bad usage, said in one line
};

cCommandLine ParseCommandLine(const std::vector<std::string>& args);

inline constexpr const char* kDesktopUsage =
    "Usage: murvelon [--ini FILE] [SONG]\n"
    "\n"
    "Murvelon, a pattern-based music sequencer with its own synthesizers and effects.\n"
    "SONG is a Murvelon song (.zqm), loaded after start-up, or a ProTracker module (.mod),\n"
    "imported as a new song.\n"
    "\n"
    "  --ini FILE   read the settings from FILE instead of murvelon.ini\n"
    "  --help       show this text and exit\n"
    "  --version    show the version and exit\n";

inline constexpr const char* kDesktopVersion =
    "murvelon " MURVELON_PACKAGE_VERSION " (Murvelon ver. " MURVELON_VERSION_TEXT ")";
