#pragma once
// The status area's texts and the transient message's countdown.

#include <cstdint>
#include <string>

// The caption of the main window; with a file name, that name follows. A
// song with unsaved changes puts "*" in front, as desktop programs do.
std::string MainCaption(const std::string& fileName = {}, bool modified = false);

// " CPU: 2400 MHz, Rou: 1.2%, Chn: 3.4%, Gfx: 0.5%, Tot: 5.1% "
std::string LoadStatusText(uint32_t mhz, float mixLoad, float renderLoad, float displayLoad,
                           float totalLoad);

std::string VoicesText(int32_t voices);

// The master knobs: the pan knob moves in steps of five, truncated toward 0.
int32_t MasterPanFromKnob(int32_t position);
std::string MasterVolumeMessage(int32_t volume);
std::string MasterPanMessage(int32_t pan);
// The values alone, as the knobs' tooltips show them: "120%", "Center".
std::string MasterVolumeText(int32_t volume);
std::string MasterPanText(int32_t pan);

// A message stays for five status periods, then "Ready..." returns.
class cMessageCountdown {
 public:
  static constexpr int32_t kPeriods = 5;
  void Start() { countdown = kPeriods; }
  // One status period; true when the label should go back to "Ready...".
  bool Tick();

 private:
  int32_t countdown = 0;
};

inline constexpr const char* kReadyText = "Ready...";
