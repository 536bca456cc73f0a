#include "editor/statustext.h"

#include <cstdio>

#include "app/version.h"

namespace {

constexpr const char* kVersionText = MURVELON_VERSION_TEXT;
constexpr const char* kYearText = "2oo3";

std::string OneDecimal(float value) {
  char text[32];
  std::snprintf(text, sizeof text, "%.1f", double(value));
  return text;
}

}  // namespace

std::string MainCaption(const std::string& fileName, bool modified) {
  std::string caption = std::string(modified ? "*" : "") + "Murvelon ver. " + kVersionText +
                        "  -  Tadrelo " + kYearText;
  if (!fileName.empty()) caption += "  -  " + fileName;
  return caption;
}

std::string LoadStatusText(uint32_t mhz, float mixLoad, float renderLoad, float displayLoad,
                           float totalLoad) {
  return " CPU: " + std::to_string(mhz) + " MHz, " + "Rou: " + OneDecimal(mixLoad) + "%, " +
         "Chn: " + OneDecimal(renderLoad) + "%, " + "Gfx: " + OneDecimal(displayLoad) + "%, " +
         "Tot: " + OneDecimal(totalLoad) + "% ";
}

std::string VoicesText(int32_t voices) { return "Voices: " + std::to_string(voices); }

int32_t MasterPanFromKnob(int32_t position) { return position / 5 * 5; }

std::string MasterVolumeText(int32_t volume) { return std::to_string(volume) + "%"; }

std::string MasterPanText(int32_t pan) { return pan == 0 ? "Center" : std::to_string(pan) + "%"; }

std::string MasterVolumeMessage(int32_t volume) {
  return "Master Volume: " + MasterVolumeText(volume);
}

std::string MasterPanMessage(int32_t pan) { return "Master Pan: " + MasterPanText(pan); }

bool cMessageCountdown::Tick() {
  if (countdown <= 0) return false;
  --countdown;
  return countdown == 0;
}
