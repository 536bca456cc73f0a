#include "audio/devicechoice.h"

#include <cctype>

#include "audio/nulldevice.h"
#include "audio/rtaudiodevice.h"
#include "audio/wavdevice.h"

static bool SameWord(const std::string& text, size_t length, const char* word) {
  size_t i = 0;
  for (; word[i] != '\0'; ++i) {
    if (i >= text.size() || std::tolower(static_cast<unsigned char>(text[i])) != word[i])
      return false;
  }
  return i == length;
}

std::unique_ptr<cSoundDevice> ChooseSoundDevice(const std::string& name, std::string* warning) {
  if (warning) warning->clear();
  if (SameWord(name, name.size(), "null")) return std::make_unique<cNullDevice>();
  if (name.size() >= 4 && SameWord(name, 4, "wav:"))
    return std::make_unique<cWavDevice>(name.substr(4));
  if (name.empty() || SameWord(name, name.size(), "default")) {
    if (!HasRtAudioOutput()) {
      if (warning) *warning = "No sound output device found: playing silently.";
      return std::make_unique<cNullDevice>();
    }
    return std::make_unique<cRtAudioDevice>("");
  }
  return std::make_unique<cRtAudioDevice>(name);
}

std::vector<std::string> ListSoundDevices() { return ListRtAudioOutputs(); }
