#pragma once
// The channel and effects page without its widgets: the 16 channel volumes,
// the chain being edited with its four effect types and four sends, and the
// texts the page shows. Every value is read from the song and written back
// through its edit path; the widgets show what this holds and forward the
// user's moves. A value equal to the one held changes nothing, so a control
// set from the song never makes a step.

#include <cstdint>
#include <string>

#include "song/songtables.h"

class cTracker;

constexpr int kPageChannels = 16;
constexpr int kPageChains = 20;  // 16 channels, then Aux1-Aux4
constexpr int kPageSlots = 4;
constexpr int kPageBuses = 4;
constexpr int kChannelVolumeMax = kChannelVolumeRange.high;  // percent
constexpr int kSendMax = 100;                                // percent

// "Channel 0" .. "Channel 15", "Aux1" .. "Aux4"; empty outside 0-19.
std::string ChainName(int chain);
// "Fx1" .. "Fx4" for slots 0-3.
std::string SlotCaption(int slot);
// "Aux1" .. "Aux4" for buses 0-3.
std::string SendCaption(int bus);
// The effect menu, in type-id order ("None" first); null outside 0-11.
const char* EffectTypeName(int type);
int EffectTypeCount();
// "100%".
std::string VolumeText(int volume);
// The volume bars are loud at the top: position 0 is 300 %.
inline int VolumeToBar(int volume) { return kChannelVolumeMax - volume; }
inline int BarToVolume(int position) { return kChannelVolumeMax - position; }

class cChansPage {
 public:
  // Hands over the engine and reads every value (the chain stays).
  void Attach(cTracker& tracker);
  bool Attached() const { return t != nullptr; }
  // Reads every value again: after a new song, a load or an import.
  void Reload();

  // The handlers; each does nothing until the page is attached.
  // Volume in percent, held to 0-300.
  void SetChannelVolume(int channel, int volume);
  // 0-19; the chain's types and sends are read.
  void SelectChain(int chain);
  // Puts a new effect of the type (0 empties the slot) into the slot of the
  // current chain, with effect processing off around the swap.
  void ChangeType(int slot, int type);
  // Send of the current channel chain to the bus, held to 0-100; aux chains
  // have none.
  void SetSend(int bus, int level);

  // Whether the slot's "..." opens anything: it holds a type and an effect.
  bool CanOpen(int slot) const;

  int Chain() const { return chain; }
  bool SendsVisible() const { return chain < kPageChannels; }
  int Volume(int channel) const { return volume[channel & 15]; }
  int Type(int slot) const { return type[slot & 3]; }
  int Send(int bus) const { return send[bus & 3]; }

 private:
  void ReadChain();

  cTracker* t = nullptr;
  int chain = 0;
  int volume[kPageChannels] = {};
  int type[kPageSlots] = {};
  int send[kPageBuses] = {};
};
