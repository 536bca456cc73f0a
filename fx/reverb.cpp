#include "fx/reverb.h"

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <iterator>

#include "fx/denormal.h"

namespace {

const cFxParamDesc kReverbParams[cReverb::kNumParams] = {
    {"Dry 0-1000", "Dry", 0, 1000, 650, 0},           {"Wet 0-1000", "Wet", 0, 1000, 150, 0},
    {"RoomSize 0-1000", "RoomDeep", 0, 1000, 900, 0}, {"Damp 0-1000", "Damp", 0, 1000, 500, 0},
    {"Width 0-1000", "RoomWidth", 0, 1000, 830, 0},
};

constexpr int32_t kCombLengths[kReverbCombs] = {1116, 1188, 1277, 1356, 1422, 1491, 1557, 1617};
constexpr int32_t kAllPassLengths[kReverbAllPasses] = {556, 441, 341, 225};
constexpr int32_t kRightSpread = 23;

inline float RunComb(cReverbComb& comb, float input) {
  const float y = FlushDenormal(comb.buffer[comb.index]);
  comb.memory = FlushDenormal(y * comb.damp2 + comb.memory * comb.damp1);
  comb.buffer[comb.index] = input + comb.memory * comb.feedback;
  if (++comb.index >= comb.length) comb.index = 0;
  return y;
}

inline float RunAllPass(cReverbAllPass& pass, float s) {
  const float y = FlushDenormal(pass.buffer[pass.index]);
  pass.buffer[pass.index] = s + y * pass.feedback;
  if (++pass.index >= pass.length) pass.index = 0;
  return y - s;
}

}  // namespace

cReverb::cReverb() : cParamEffect(kReverbParams) {}

void cReverb::Init(int32_t /*sampleRate*/) {
  float* next = storage;
  for (int k = 0; k < kReverbCombs; ++k) {
    combLeft[k].buffer = next;
    combLeft[k].length = kCombLengths[k];
    next += kCombLengths[k];
    combRight[k].buffer = next;
    combRight[k].length = kCombLengths[k] + kRightSpread;
    next += kCombLengths[k] + kRightSpread;
  }
  for (int k = 0; k < kReverbAllPasses; ++k) {
    allPassLeft[k].buffer = next;
    allPassLeft[k].length = kAllPassLengths[k];
    next += kAllPassLengths[k];
    allPassRight[k].buffer = next;
    allPassRight[k].length = kAllPassLengths[k] + kRightSpread;
    next += kAllPassLengths[k] + kRightSpread;
  }
  std::fill(std::begin(params), std::end(params), 0);
  Reset(true);
}

void cReverb::Reset(bool loadDefaults) {
  for (int k = 0; k < kReverbAllPasses; ++k) {
    allPassLeft[k].feedback = 0.5f;
    allPassRight[k].feedback = 0.5f;
  }
  Clear();
  if (loadDefaults) LoadPreset(0);
}

// Only the buffers: the comb damping memories and the output smoothing keep
// their values.
void cReverb::Clear() { std::memset(storage, 0, sizeof(storage)); }

void cReverb::SetParam(int32_t index, int32_t value) {
  if (!Has(index)) return;
  // A damaged song may hold anything; a room size above 1000 would make the
  // combs' feedback grow without bound.
  const int32_t v = Clamped(index, value);
  params[index] = v;
  const double scaled = v * 0.001;
  switch (index) {
    case 0:
      dry = float(scaled * 2.0);
      break;
    case 1:
      wet = float(scaled * 3.0);
      break;
    case 2:
      roomSize = float(scaled * 0.28 + 0.7);
      break;
    case 3:
      damp = float(scaled * 0.4);
      break;
    default:
      width = float(scaled);
      break;
  }
  Update();
}

void cReverb::Update() {
  wet1 = wet * (width * 0.5f + 0.5f);
  wet2 = wet * (1.0f - width) * 0.25f;
  for (int k = 0; k < kReverbCombs; ++k) {
    for (cReverbComb* comb : {&combLeft[k], &combRight[k]}) {
      comb->feedback = roomSize;
      comb->damp1 = damp;
      comb->damp2 = 1.0f - damp;
    }
  }
  gain = 0.015f;
}

void cReverb::GetParamText(char* text, int32_t index, int32_t value) {
  if (!Has(index)) return;
  std::snprintf(text, kFxTextSize, "%.1f %%", value * 0.1);
}

// audio thread, engine lock held
int32_t cReverb::Process(float* frames, int32_t count) {
  for (int32_t i = 0; i < count; ++i) {
    float* frame = frames + 2 * i;
    const float input = FlushDenormal((frame[0] + frame[1]) * gain);
    float sL = 0.0f;
    float sR = 0.0f;
    for (int k = 0; k < kReverbCombs; ++k) {
      sL += RunComb(combLeft[k], input);
      sR += RunComb(combRight[k], input);
    }
    for (int k = 0; k < kReverbAllPasses; ++k) {
      sL = RunAllPass(allPassLeft[k], sL);
      sR = RunAllPass(allPassRight[k], sR);
    }
    // 0.6 itself, not the float next to it; each memory is rounded once.
    smoothedLeft = float(smoothedLeft + (sL - smoothedLeft) * 0.6);
    smoothedRight = float(smoothedRight + (sR - smoothedRight) * 0.6);
    // The own side's reverb is subtracted, the other side's added.
    const float outL = frame[0] * dry - smoothedLeft * wet1 + smoothedRight * wet2;
    const float outR = frame[1] * dry - smoothedRight * wet1 + smoothedLeft * wet2;
    frame[0] = FlushDenormal(outL);
    frame[1] = FlushDenormal(outR);
  }
  lastBlock = frames;
  lastBlockFrames = count;
  return 0;
}
