#pragma once
// The channel-count box: "4 Channels" to "16 Channels" in steps of two. A
// song may hold any count from 0 to 16; a count the list lacks is shown as
// an extra entry in its place, so the box always tells the truth.

#include <cstdint>
#include <string>
#include <vector>

struct cChannelBoxEntry {
  int32_t count;
  std::string text;
};

struct cChannelBox {
  std::vector<cChannelBoxEntry> entries;
  int32_t selected = 0;  // index of the song's count
};

cChannelBox ChannelBoxFor(int32_t songChannels);
