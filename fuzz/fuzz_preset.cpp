// Instrument presets of both synthesizers, each loaded into a block and
// then played by its generator.
#include "app/trackerinside.h"
#include "fuzz/fuzzcommon.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  cTracker& t = FuzzTracker();
  {
    // Each input starts from the default blocks, so a finding does not hang
    // on what an earlier input loaded.
    std::lock_guard<std::recursive_mutex> lock(Inside(t).EngineLock());
    Inside(t).Generators().Generator(kGenBass, 0)->GetDefaults(Inside(t).Song().Instrument(0));
    Inside(t).Generators().Generator(kGenFM, 0)->GetDefaults(Inside(t).Song().Instrument(1));
  }
  const std::string path = FuzzFile(data, size, ".preset");
  const int loadedBass = t.LoadSynth(path, 0);
  const int loadedFM = t.LoadFMSynth(path, 1);
  if (loadedBass == 0 && loadedFM == 0) return 0;
  std::lock_guard<std::recursive_mutex> lock(Inside(t).EngineLock());
  cGenManager& g = Inside(t).Generators();
  g.currentChannel = 0;
  const int16_t* block = Inside(t).Song().Instrument(loadedBass ? 0 : 1);
  g.SelectGenerator(block[kParamGenType]);
  g.LoadInstrument(block);
  g.NoteOn(48);
  float frames[2 * 882];
  for (int b = 0; b < 5; ++b) {
    g.Tick(b);
    g.Render(frames, 882);
    if (!AllFinite(frames, 2 * 882)) FuzzFail("preset sound not finite", b);
  }
  g.ResetChannel();
  return 0;
}
