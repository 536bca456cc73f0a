#include "editor/channelbox.h"

namespace {

std::string EntryText(int32_t count) { return std::to_string(count) + " Channels"; }

}  // namespace

cChannelBox ChannelBoxFor(int32_t songChannels) {
  cChannelBox box;
  bool placed = false;
  for (int32_t count = 4; count <= 16; count += 2) {
    if (!placed && songChannels <= count) {
      if (songChannels != count) box.entries.push_back({songChannels, EntryText(songChannels)});
      box.selected = int32_t(box.entries.size()) - (songChannels != count ? 1 : 0);
      placed = true;
    }
    box.entries.push_back({count, EntryText(count)});
  }
  return box;
}
