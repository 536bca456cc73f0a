#include "editor/mutesolo.h"

void ScopeMuteSolo(cMixerFlags& mixer, int channel, bool rightButton) {
  if (channel < 0 || channel >= kChannels) return;
  const int solo = mixer.solo;
  if (rightButton) {
    if (solo != -1) {
      for (int32_t& on : mixer.on) on = 1;
      mixer.solo = -1;
    } else {
      mixer.solo = channel;
    }
    return;
  }
  if (solo == channel) {
    mixer.solo = -1;
  } else if (solo != -1) {
    for (int32_t& on : mixer.on) on = 0;
    mixer.on[channel] = 1;
    if (solo >= 0 && solo < kChannels) mixer.on[solo] = 1;
    mixer.solo = -1;
  } else {
    mixer.on[channel] = mixer.on[channel] != 0 ? 0 : 1;
  }
}
