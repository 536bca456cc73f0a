// The configuration file, read through the settings reader and then held
// to what the controller can use, as start-up does.
#include "app/configfile.h"
#include "fuzz/fuzzcommon.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const std::string path = FuzzFile(data, size, ".ini");
  std::string error;
  const cConfig config = UsableConfig(GetConfig(path), &error);
  if (config.frequency < 8000 || config.frequency > 192000) FuzzFail("frequency", config.frequency);
  if (config.latency < 20 || config.latency > kMaxLatencyMs || config.latency % 20 != 0)
    FuzzFail("latency", config.latency);
  if (!kChannelCountRange.Holds(config.chans)) FuzzFail("channel count", config.chans);
  if (!kMasterVolumeRange.Holds(config.masterVol)) FuzzFail("master volume", config.masterVol);
  if (!kMasterPanRange.Holds(config.masterPan)) FuzzFail("master pan", config.masterPan);
  if (!kBpmRange.Holds(config.bpm)) FuzzFail("bpm", config.bpm);
  if (!kSpeedRange.Holds(config.speed)) FuzzFail("speed", config.speed);
  return 0;
}
