#include "fx/stereo.h"

#include <cstdio>

static const cFxParamDesc stereoParams[cStereo::kNumParams] = {
    {"Kind", "Kind", 0, 1, 0, 0},
};

// A preset also empties the line.
cStereo::cStereo() : cParamEffect(stereoParams, true) {}

const char* cStereo::GetName() { return "Stereo Expander"; }

void cStereo::Init(int32_t rate) {
  sampleRate = float(rate);
  params[kKind] = 0;
  Reset(true);
}

// Without defaults the line keeps its content; only the index and the kind
// start again.
void cStereo::Reset(bool loadDefaults) {
  index = 0;
  kind = 0;
  if (loadDefaults) LoadPreset(0);
}

void cStereo::Clear() {
  for (float& s : line) s = 0.0f;
}

void cStereo::SetParam(int32_t i, int32_t value) {
  if (i != kKind) return;
  kind = value & 1;
  params[kKind] = kind;
}

int32_t cStereo::Process(float* frames, int32_t count) {
  // audio thread, engine lock held
  // The inverted side carries a constant offset of 1.25 or 1.1 sample units,
  // inaudible at the 16-bit scale; songs were made with it.
  int32_t k = index;
  if (kind == 0) {
    for (int32_t i = 0; i < count; ++i) {
      float* f = frames + 2 * i;
      const float d = line[k];
      line[k] = f[1];
      f[0] = float((1.0 - f[0]) * 1.25);
      f[1] = float(d * 0.75);
      if (++k == kStereoLag) k = 0;
    }
  } else {
    for (int32_t i = 0; i < count; ++i) {
      float* f = frames + 2 * i;
      const float d = line[k];
      line[k] = f[0];
      f[0] = float(d * 0.9);
      f[1] = float((1.0 - f[1]) * 1.1);
      if (++k == kStereoLag) k = 0;
    }
  }
  index = k;
  return 0;
}

void cStereo::GetParamText(char* text, int32_t i, int32_t value) {
  if (i == kKind) std::snprintf(text, kFxTextSize, "%s", (value & 1) ? "Mode2" : "Mode1");
}
