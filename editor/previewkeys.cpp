#include "editor/previewkeys.h"

#include <algorithm>
#include <iterator>

int PreviewKeyOf(const cKey& key) {
  // Scan codes and virtual-key codes are kept apart: a test or a platform
  // without scan codes matches by the printed key.
  return key.scanCode != 0 ? key.scanCode : 0x10000 + key.vk;
}

void cPreviewKeys::Started(int key, int channel, uint32_t started) {
  if (channel < 0 || channel >= kChannels) return;
  // The same key pressed again on another channel: its release can only
  // stop one note, the newer one.
  for (cSlot& slot : last) {
    if (slot.key == key) slot = cSlot{};
  }
  last[channel] = cSlot{key, started};
}

std::optional<cPreviewKeys::cHeld> cPreviewKeys::Released(int key) {
  for (int channel = 0; channel < kChannels; ++channel) {
    if (last[channel].key != key) continue;
    const cHeld held{channel, last[channel].started};
    last[channel] = cSlot{};
    return held;
  }
  return std::nullopt;
}

void cPreviewKeys::Forget(int channel) {
  if (channel >= 0 && channel < kChannels) last[channel] = cSlot{};
}

void cPreviewKeys::Clear() { std::fill(std::begin(last), std::end(last), cSlot{}); }

std::vector<cPreviewKeys::cHeld> cPreviewKeys::ReleaseAll() {
  std::vector<cHeld> held;
  for (int channel = 0; channel < kChannels; ++channel) {
    if (last[channel].key != 0) held.push_back({channel, last[channel].started});
  }
  Clear();
  return held;
}

bool cPreviewKeys::AnyHeld() const {
  return std::any_of(std::begin(last), std::end(last), [](const cSlot& s) { return s.key != 0; });
}
