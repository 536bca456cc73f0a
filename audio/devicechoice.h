#pragma once
// Chooses the sound device by the name the settings give it:
//   "default"   the system's default output; on a machine with no output
//               device at all, the null device, with a one-line warning
//   "null"      no sound; the cursor follows the clock
//   "wav:PATH"  as null, and what plays is recorded into PATH
//   any other   an output device as RtAudio names it (ListSoundDevices)
// A device named explicitly that fails to open reports the output's error
// codes; it does not fall back.

#include <memory>
#include <string>
#include <vector>

#include "audio/sounddevice.h"

// warning receives a one-line message when "default" falls back to null,
// and is cleared otherwise.
std::unique_ptr<cSoundDevice> ChooseSoundDevice(const std::string& name, std::string* warning);

// Output devices by the names ChooseSoundDevice accepts besides the keywords.
std::vector<std::string> ListSoundDevices();
