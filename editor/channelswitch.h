#pragma once
// Channels switched on and off in the sequence from the keyboard and the
// Edit menu, and what a musician is told when a note goes to a channel that
// is off. A new song starts with every channel off at every entry, so that
// it is silent until the channels are switched on; these make that one key.

#include <cstdint>
#include <string>

#include "song/songtables.h"

// The mode F6 gives a channel: an off (skipped) channel plays, a channel in
// any other mode (play, release, cut) is switched off.
constexpr int SwitchedMode(int mode) { return mode == kModeSkip ? kModePlay : kModeSkip; }

// Whether the channel is off (skipped) in an entry's mode word.
constexpr bool ChannelOff(uint32_t modeWord, int channel) {
  return ((modeWord >> (2 * (channel & 15))) & 3u) == uint32_t(kModeSkip);
}

// The channel's mode at the entry switched. False for a channel the song
// lacks, which stays as it is.
bool SwitchChannel(cSongTables& song, int position, int channel);

// Every channel of the song plays at every entry from the song's start to
// its end; entries outside that range and channels beyond the song's count
// stay as they are. False when nothing changed.
bool SwitchAllChannelsOn(cSongTables& song);

// "Channel 0 is off in sequence entry 000: press F6, or click its dash in
// the sequence": the channel as the status bar numbers it, the entry as the
// sequence view does.
std::string ChannelOffHint(int channel, int position);
