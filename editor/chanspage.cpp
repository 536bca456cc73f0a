#include "editor/chanspage.h"

#include <algorithm>

#include "app/tracker.h"
#include "fx/fxfactory.h"

std::string ChainName(int chain) {
  if (chain >= 0 && chain < kPageChannels) return "Channel " + std::to_string(chain);
  if (chain >= kPageChannels && chain < kPageChains) {
    return "Aux" + std::to_string(chain - kPageChannels + 1);
  }
  return {};
}

std::string SlotCaption(int slot) { return "Fx" + std::to_string(slot + 1); }

std::string SendCaption(int bus) { return "Aux" + std::to_string(bus + 1); }

const char* EffectTypeName(int type) { return FxTypeName(type); }

int EffectTypeCount() { return kFxTypeCount; }

std::string VolumeText(int volume) { return std::to_string(volume) + "%"; }

void cChansPage::Attach(cTracker& tracker) {
  t = &tracker;
  Reload();
}

void cChansPage::Reload() {
  if (!t) return;
  for (int c = 0; c < kPageChannels; ++c) volume[c] = t->Song().channelVolume[c];
  ReadChain();
}

void cChansPage::ReadChain() {
  const cFxChains& fx = t->Effects();
  for (int s = 0; s < kPageSlots; ++s) {
    const uint32_t id = fx.type[s][chain];
    type[s] = id < uint32_t(kFxTypeCount) ? int(id) : 0;
  }
  for (int b = 0; b < kPageBuses; ++b) {
    send[b] = chain < kPageChannels ? fx.GetSend(chain, b) : 0;
  }
}

void cChansPage::SetChannelVolume(int channel, int value) {
  if (!t || channel < 0 || channel >= kPageChannels) return;
  value = std::clamp(value, 0, kChannelVolumeMax);
  if (value == volume[channel]) return;
  volume[channel] = value;
  t->Edits().SetChannelVolume(channel, value,
                              MergeKey(eMergeKind::kChannelVolume, uint32_t(channel)));
}

void cChansPage::SelectChain(int index) {
  if (!t || index < 0 || index >= kPageChains) return;
  chain = index;
  ReadChain();
}

void cChansPage::ChangeType(int slot, int id) {
  if (!t || slot < 0 || slot >= kPageSlots || id < 0 || id >= kFxTypeCount) return;
  if (id == type[slot]) return;
  type[slot] = id;
  t->Edits().ChangeEffectType(chain, slot, id);
}

void cChansPage::SetSend(int bus, int level) {
  if (!t || !SendsVisible() || bus < 0 || bus >= kPageBuses) return;
  level = std::clamp(level, 0, kSendMax);
  if (level == send[bus]) return;
  send[bus] = level;
  t->Edits().SetSend(chain, bus, level,
                     MergeKey(eMergeKind::kSend, uint32_t(chain * kPageBuses + bus)));
}

bool cChansPage::CanOpen(int slot) const {
  if (!t || slot < 0 || slot >= kPageSlots || type[slot] == 0) return false;
  return t->Effects().Object(slot, chain) != nullptr;
}
