// WAV files: imported into a wave slot, then played by a sampler voice.
#include "app/trackerinside.h"
#include "engine/sampler.h"
#include "fuzz/fuzzcommon.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  cTracker& t = FuzzTracker();
  const std::string path = FuzzFile(data, size, ".wav");
  if (!Inside(t).Waves().ImportWav(5, path)) return 0;
  CheckWaves(Inside(t).Waves());
  std::lock_guard<std::recursive_mutex> lock(Inside(t).EngineLock());
  cGenManager& g = Inside(t).Generators();
  g.currentChannel = 1;
  int16_t* block = Inside(t).Song().Instrument(3);
  block[kParamGenType] = kGenSampler;
  block[2] = 5;  // the slot just filled
  g.SelectGenerator(kGenSampler);
  g.LoadInstrument(block);
  g.NoteOn(60);
  float frames[2 * 882];
  for (int b = 0; b < 5; ++b) {
    g.Tick(b);
    g.Render(frames, 882);
    if (!AllFinite(frames, 2 * 882)) FuzzFail("wave sound not finite", b);
  }
  g.ResetChannel();
  Inside(t).Waves().ClearSlot(5);
  return 0;
}
