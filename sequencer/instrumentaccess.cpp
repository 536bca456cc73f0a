#include "sequencer/instrumentaccess.h"

#include "engine/genmanager.h"
#include "song/songtables.h"

namespace {

bool ValidBlock(int32_t block) { return block >= 0 && block < kInstruments; }
bool ValidWord(int32_t word) { return word >= 0 && word < kInstrumentWords; }

}  // namespace

int16_t* cInstrumentAccess::GetParams(int32_t block) {
  return ValidBlock(block) ? song.Instrument(block) : nullptr;
}

int16_t cInstrumentAccess::GetParam(int32_t block, int32_t word) const {
  if (!ValidBlock(block) || !ValidWord(word)) return 0;
  return song.Instrument(block)[word];
}

void cInstrumentAccess::SetParam(int32_t channel, int32_t block, int32_t word, int16_t value) {
  if (!ValidBlock(block) || !ValidWord(word)) return;
  song.Instrument(block)[word] = value;
  generators.currentChannel = channel;
  generators.SetParam(word, value);
}

void cInstrumentAccess::SetParams(int32_t channel, int32_t block, int32_t word, int16_t value) {
  if (!ValidBlock(block) || !ValidWord(word)) return;
  int16_t* params = song.Instrument(block);
  generators.currentChannel = channel;
  generators.ResetChannel();
  params[word] = value;
  FilterParams(channel, params);
  generators.LoadInstrument(params);
}

void cInstrumentAccess::FilterParams(int32_t channel, int16_t* params) {
  if (params == nullptr) return;
  generators.currentChannel = channel;
  generators.SelectGenerator(params[kParamGenType]);
  generators.FilterParams(params);
}

void cInstrumentAccess::DefaultParams(int32_t block) {
  if (!ValidBlock(block)) return;
  int16_t* params = song.Instrument(block);
  generators.currentChannel = 0;
  generators.SelectGenerator(params[kParamGenType]);
  generators.GetDefaults(params);
}

int32_t cInstrumentAccess::GetInsType(int32_t instrument) const {
  if (instrument < 1 || instrument > kInstruments) return -1;
  return song.Instrument(instrument - 1)[kParamGenType];
}
