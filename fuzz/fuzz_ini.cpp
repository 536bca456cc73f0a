// The configuration file, read through the settings reader and then held
// to what the controller can use, as start-up does; and written back as
// Preferences write it: the key set reads back and no other key moves.
#include <optional>
#include <string>
#include <vector>

#include "app/configfile.h"
#include "app/settingsfile.h"
#include "fuzz/fuzzcommon.h"

namespace {

void CheckWriting(const uint8_t* data, size_t size) {
  const std::string text(reinterpret_cast<const char*>(data), size);
  cSettingsFile file;
  file.Parse(text);
  if (file.Text() != text) FuzzFail("text not kept as read");
  std::vector<std::optional<std::string>> before;
  ForEachConfigKey([&](const char* section, const char* key, auto) {
    before.push_back(file.Value(section, key));
  });
  // A device name from the file's own first bytes, so that every byte
  // meets the writer's quoting.
  const std::string device = text.substr(0, 24);
  file.Set("DirectSound", "Device", device);
  file.Set("Tracker", "BPM", 140);
  cSettingsFile again;
  again.Parse(file.Text());
  size_t i = 0;
  ForEachConfigKey([&](const char* section, const char* key, auto) {
    const std::optional<std::string> now = again.Value(section, key);
    const std::string name = key;
    if (name == "Device" ? now != device : name == "BPM" ? now != "140" : now != before[i])
      FuzzFail("a key other than the one set moved, or the one set did not read back", int(i));
    ++i;
  });
}

}  // namespace

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
  CheckWriting(data, size);
  return 0;
}
