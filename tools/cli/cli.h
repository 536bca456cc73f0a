#pragma once
// The command-line tool's shared parts: options, exit codes, loading.

#include <memory>
#include <string>

#include "app/config.h"
#include "audio/soundfilewriter.h"

class cTracker;

enum : int { kExitOk = 0, kExitFile = 1, kExitUsage = 2 };

struct cCliOptions {
  std::string command;
  std::string input;
  std::string output;   // -o
  std::string ini;      // --ini
  std::string device;   // --device
  double seconds = -1;  // --seconds; negative: until the song has played once
  std::string stems;    // --stems: the folder of the stems
  bool formatGiven = false;
  eSoundFormat format = eSoundFormat::kWav16;     // --format
  int32_t firstPosition = -1, lastPosition = -1;  // --positions
  bool json = false;
  bool stats = false;
};

// The configuration to run with: --ini, else the default place.
cConfig LoadCliConfig(const cCliOptions& options);

// A started engine without a sound device, holding the song or module at
// path; null after printing why (the exit code is then kExitFile).
std::unique_ptr<cTracker> OpenSong(const cConfig& config, const std::string& path, bool withAudio);

int RunRender(const cCliOptions& options);
int RunPlay(const cCliOptions& options);
int RunConvert(const cCliOptions& options);
int RunInfo(const cCliOptions& options);
int RunDevices();
int RunMidiPorts();
