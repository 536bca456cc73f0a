#include "editor/samplerlayers.h"

#include "engine/generator.h"
#include "engine/wavestore.h"

namespace {

constexpr int32_t kLayerWord = 2;
constexpr int16_t kNoSample = 255;

bool NamesLayer(const int16_t* params, int32_t layer) { return SamplerLayer(params) == layer; }

std::string NumberList(const std::vector<int32_t>& numbers) {
  std::string text;
  for (const int32_t n : numbers) text += (text.empty() ? "" : ", ") + std::to_string(n);
  return text;
}

std::string Instruments(const std::vector<int32_t>& others) {
  return (others.size() == 1 ? "instrument " : "instruments ") + NumberList(others);
}

}  // namespace

int32_t SamplerLayer(const int16_t* params) {
  if (params[kParamGenType] != kGenSampler || params[kLayerWord] == kNoSample) return -1;
  return params[kLayerWord] & 0x7F;
}

int32_t FreeSamplerLayer(const cTracker& tracker, int32_t block) {
  for (int32_t layer = 0; layer < kWaveSlots; ++layer) {
    if (tracker.Waves().InUse(layer)) continue;
    if (OtherSamplersOnLayer(tracker, layer, block).empty()) return layer;
  }
  return 0;
}

std::vector<int32_t> OtherSamplersOnLayer(const cTracker& tracker, int32_t layer, int32_t block) {
  std::vector<int32_t> others;
  for (int32_t b = 0; b < kInstruments; ++b) {
    if (b == block) continue;
    const int16_t* params = tracker.GetParams(b);
    if (params && NamesLayer(params, layer)) others.push_back(b + 1);
  }
  return others;
}

std::string SharedLayerQuestion(int32_t layer, const std::vector<int32_t>& others, bool replace) {
  return "Layer " + std::to_string(layer) + " is also used by " + Instruments(others) + ": " +
         (replace ? "replace" : "delete") + " its sample for all of them?";
}

std::string SharedLayerText(const std::vector<int32_t>& others) {
  if (others.empty()) return "";
  return "Also used by " + Instruments(others) + ".";
}
