#include "app/songstage.h"

#include <algorithm>
#include <utility>
#include <vector>

#include "engine/sampler.h"

cSongStage::cSongStage(const cSongTables& current, const cFxFactory& factory,
                       cGenManager& generators, const cSongDefaults& defaults)
    : generators(generators), defaults(defaults), song(std::make_unique<cSongTables>()) {
  song->CopyFrom(current);
  effects.factory = factory;
  for (int c = 0; c < kGenChannels; ++c) generatorType[c] = generators.generatorType[c];
}

void cSongStage::NewModule() {
  effects.DestroyAll();
  waves.ClearAll();
  song->Reset(defaults);  // zeroes words 0-63 of every instrument block
  // Channel 0's virtual-analogue generator gives the defaults, as in the
  // reset of the song in memory, which also leaves it selected; the
  // selection is made at the hand-over.
  generatorType[0] = kGenBass;
  cGenerator* bass = generators.Generator(kGenBass, 0);
  for (int i = 0; i < kInstruments && bass; ++i) bass->GetDefaults(song->Instrument(i));
}

cEffect* cSongStage::CreateEffect(int chain, int slot, uint32_t type) {
  effects.type[slot & 3][chain] = type;
  effects.ChangeFxModule(chain, slot, int32_t(type));
  return effects.GetFxObjPtr(slot, chain);
}

void cSongStage::SetCurrentTempo(int32_t newBpm, int32_t newSpeed) {
  tempoSet = true;
  bpm = newBpm;
  speed = newSpeed;
}

bool cSongStage::StoreWave(int slot, const char* name, const int8_t* data, int32_t frames,
                           uint32_t flags, int32_t loopStart, int32_t loopEnd) {
  // Signed 8-bit samples become value x 256 in the wave's 16 bits.
  std::vector<int16_t> samples(static_cast<size_t>(frames));
  for (int32_t i = 0; i < frames; ++i) samples[size_t(i)] = int16_t(data[i] * 256);
  return waves.SetSlot(slot, samples.data(), frames, flags, loopStart, loopEnd, name);
}

void cSongStage::SamplerDefaults(int16_t* block) {
  if (cSampler* sampler = generators.Sampler(0)) sampler->GetDefaults(block);
}

void cSongStage::SetGeneratorType(int channel, int32_t type) {
  generatorType[channel & 0x0F] = type;
}

void cSongStage::Commit(cSongTables& current, cFxChains& currentEffects, cWavManager& currentWaves,
                        cPlayer& player) {
  current.CopyFrom(*song);
  for (int s = 0; s < kFxSlots; ++s) {
    for (int c = 0; c < kFxChains; ++c) {
      std::swap(currentEffects.type[s][c], effects.type[s][c]);
      std::swap(currentEffects.object[s][c], effects.object[s][c]);
    }
  }
  std::swap(currentEffects.send, effects.send);
  currentWaves.TakeSlots(waves);
  generators.currentChannel = 0;
  std::copy(generatorType, generatorType + kGenChannels, generators.generatorType);
  if (tempoSet) {
    player.SetBPM(bpm);
    player.SetSpeed(speed);
  }
}
