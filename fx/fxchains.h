#pragma once
// The effect chains: 20 chains (channels 0-15, aux buses 16-19) of four
// slots, and the send levels of the 16 channels to the four aux buses. The
// tables are slot-major: one array of 20 chains per slot, one array of 16
// channels per aux bus. Guarded by the engine lock.

#include <cstdint>
#include <memory>

#include "fx/effect.h"
#include "fx/fxfactory.h"

constexpr int kFxChains = 20;
constexpr int kFxSlots = 4;
constexpr int kFxAuxBuses = 4;
constexpr int kFxChannels = 16;

class cFxChains {
 public:
  // Type id of a slot (0 = empty); this is what the song file stores.
  uint32_t type[kFxSlots][kFxChains] = {};
  // The live object, or null.
  std::unique_ptr<cEffect> object[kFxSlots][kFxChains];
  // Percent of a channel's processed signal that goes to an aux bus.
  int32_t send[kFxAuxBuses][kFxChannels] = {};

  cEffect* Object(int slot, int chain) const { return object[slot & 3][chain].get(); }

  // True when any channel sends to the bus.
  bool BusFed(int bus) const {
    for (int32_t level : send[bus]) {
      if (level != 0) return true;
    }
    return false;
  }

  // Builds the effects; the controller gives it the song's tempo and the
  // output rate.
  cFxFactory factory;

  // Deletes the slot's object (slot modulo 4) and, unless type is 0, puts a
  // new effect of that type there. The type table is the caller's to write.
  // A chain outside 0-19 is ignored.
  void ChangeFxModule(int chain, int slot, int32_t type);
  // Builds the object of every slot whose stored type is above 0 (after a
  // song was loaded).
  void AllocateFxModules();
  // Null for an empty slot or a chain outside 0-19.
  cEffect* GetFxObjPtr(int slot, int chain) const;
  // Send level of a channel (0-15) to an aux bus (aux modulo 4), kept within
  // 0-100; a channel outside 0-15 is ignored, and reads as -1.
  void SetSend(int channel, int aux, int32_t level);
  int32_t GetSend(int channel, int aux) const;
  // ApplyParams, or Clear, on every existing effect, chain by chain and slot
  // 0 to 3 within a chain.
  void ApplyAll();
  void ClearAll();

  // Deletes every object, empties every type and zeroes every send level.
  void DestroyAll() {
    for (int s = 0; s < kFxSlots; ++s) {
      for (int c = 0; c < kFxChains; ++c) {
        object[s][c].reset();
        type[s][c] = 0;
      }
    }
    for (auto& bus : send) {
      for (int32_t& level : bus) level = 0;
    }
  }
};
