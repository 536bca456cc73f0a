#include "editor/channelswitch.h"

#include <cstdio>

bool SwitchChannel(cSongTables& song, int position, int channel) {
  if (channel < 0 || channel >= song.channelCount) return false;
  song.SetChannelMode(position, channel, SwitchedMode(song.GetChannelMode(position, channel)));
  return true;
}

bool SwitchAllChannelsOn(cSongTables& song) {
  bool changed = false;
  for (int position = song.start; position <= song.end; ++position) {
    for (int channel = 0; channel < song.channelCount; ++channel) {
      if (song.GetChannelMode(position, channel) == kModePlay) continue;
      song.SetChannelMode(position, channel, kModePlay);
      changed = true;
    }
  }
  return changed;
}

std::string ChannelOffHint(int channel, int position) {
  char text[96];
  std::snprintf(text, sizeof text,
                "Channel %d is off in sequence entry %03X: press F6, or click its dash in the "
                "sequence",
                channel, unsigned(position) & 0xFFFu);
  return text;
}
