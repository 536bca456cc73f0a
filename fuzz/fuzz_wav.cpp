// WAV files: imported into a wave slot, then played by a sampler voice.
#include "engine/sampler.h"
#include "fuzz/fuzzcommon.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  cTracker& t = FuzzTracker();
  const std::string path = FuzzFile(data, size, ".wav");
  if (!t.Waves().ImportWav(5, path)) return 0;
  CheckWaves(t.Waves());
  std::lock_guard<std::recursive_mutex> lock(t.EngineLock());
  cGenManager& g = t.Generators();
  g.currentChannel = 1;
  int16_t* block = t.Song().Instrument(3);
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
  t.Waves().ClearSlot(5);
  return 0;
}
