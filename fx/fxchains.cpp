#include "fx/fxchains.h"

#include <algorithm>

void cFxChains::ChangeFxModule(int chain, int slot, int32_t type) {
  if (chain < 0 || chain >= kFxChains) return;
  std::unique_ptr<cEffect>& place = object[slot & 3][chain];
  place.reset();
  if (type != 0) place = factory.NewFxModule(type);
}

void cFxChains::AllocateFxModules() {
  for (int c = 0; c < kFxChains; ++c) {
    for (int s = 0; s < kFxSlots; ++s) {
      if (type[s][c] > 0) ChangeFxModule(c, s, int32_t(type[s][c]));
    }
  }
}

cEffect* cFxChains::GetFxObjPtr(int slot, int chain) const {
  if (chain < 0 || chain >= kFxChains) return nullptr;
  return object[slot & 3][chain].get();
}

void cFxChains::SetSend(int channel, int aux, int32_t level) {
  if (channel < 0 || channel >= kFxChannels) return;
  send[aux & 3][channel] = std::clamp(level, 0, 100);
}

int32_t cFxChains::GetSend(int channel, int aux) const {
  if (channel < 0 || channel >= kFxChannels) return -1;
  return send[aux & 3][channel];
}

void cFxChains::ApplyAll() {
  for (int c = 0; c < kFxChains; ++c) {
    for (int s = 0; s < kFxSlots; ++s) {
      if (cEffect* fx = object[s][c].get()) fx->ApplyParams();
    }
  }
}

void cFxChains::ClearAll() {
  for (int c = 0; c < kFxChains; ++c) {
    for (int s = 0; s < kFxSlots; ++s) {
      if (cEffect* fx = object[s][c].get()) fx->Clear();
    }
  }
}
