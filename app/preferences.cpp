#include "app/preferences.h"

cPreferenceChanges ComparePreferences(const cConfig& before, const cConfig& after) {
  cPreferenceChanges changes;
  changes.device = before.device != after.device;
  changes.midiInput = before.midiInput != after.midiInput;
  changes.atNextStart = before.frequency != after.frequency || before.latency != after.latency ||
                        before.autosaveSeconds != after.autosaveSeconds;
  ForEachConfigKey([&](const char*, const char*, auto field) {
    if (before.*field != after.*field) changes.any = true;
  });
  return changes;
}
