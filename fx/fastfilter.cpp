#include "fx/fastfilter.h"

#include <algorithm>
#include <cstdio>
#include <iterator>

namespace {

const cFxParamDesc kFilterParams[cFastFilter24::kNumParams] = {
    {"Filter Type (0/1)", "Type", 0, 1, 0, 0},
    {"Frequency Cutoff (%)", "CutOff", 0, 32767, 16384, 0},
    {"Resonance", "Resonance", 0, 127, 100, 0},
};

}  // namespace

cFastFilter24::cFastFilter24() : cParamEffect(kFilterParams) {}

void cFastFilter24::Init(int32_t rate) {
  sampleRate = float(rate);
  std::fill(std::begin(params), std::end(params), 0);
  Reset(true);
}

void cFastFilter24::Reset(bool loadDefaults) {
  Clear();
  if (loadDefaults) LoadPreset(0);
}

void cFastFilter24::Clear() { stage1Left = stage1Right = stage2Left = stage2Right = 0.0f; }

// The stored value may lie outside the range; what takes effect never does.
void cFastFilter24::SetParam(int32_t index, int32_t value) {
  if (!Has(index)) return;
  params[index] = value;
  Apply(index, value);
}

void cFastFilter24::Apply(int32_t index, int32_t value) {
  switch (index) {
    case 0:
      highPass = value & 1;
      break;
    case 1:
      f = std::clamp(float(value * (1.0 / 32767.0)), 0.001f, 0.999f);
      oneMinusF = 1.0f - f;
      feedback = (1.0f / oneMinusF + 1.0f) * q;
      break;
    case 2:
      q = std::clamp(float(value * (1.0 / 127.0)), 0.001f, 0.999f);
      feedback = (1.0f / oneMinusF + 1.0f) * q;
      break;
    default:
      break;
  }
}

// value = command byte x 256 + parameter byte; the command's low nibble
// chooses what the parameter byte drives.
void cFastFilter24::Command(int32_t value, int32_t /*reserved*/) {
  const int32_t n = (value >> 8) & 15;
  const int32_t p = value & 255;
  if (n == 0) {
    ApplyParams();
    return;
  }
  switch ((n - 1) % 4) {
    case 0:
      Apply(0, p & 1);
      break;
    case 1:
      Apply(0, (p >> 7) & 1);
      Apply(1, (p & 127) * 258);
      break;
    case 2:
      Apply(2, p & 127);
      break;
    default:
      Apply(1, int32_t(float(p) * 128.499f));  // 255 reaches 32767
      break;
  }
}

void cFastFilter24::GetParamText(char* text, int32_t index, int32_t value) {
  switch (index) {
    case 0:
      std::snprintf(text, kFxTextSize, "%s", (value & 1) ? "HiPass" : "LoPass");
      break;
    case 1: {
      const double ratio = std::clamp(value / 32767.0, 0.001, 0.999);
      std::snprintf(text, kFxTextSize, "%.1f Hz", ratio * sampleRate * 0.5);
      break;
    }
    case 2:
      std::snprintf(text, kFxTextSize, "%d", value);
      break;
    default:
      break;
  }
}

// audio thread, engine lock held
int32_t cFastFilter24::Process(float* frames, int32_t count) {
  // The offset of 1.0 keeps the memories away from zero and out of the
  // denormal range; at the 16-bit sample scale it is inaudible.
  const float fb = feedback;
  const float g = f;
  const float h = oneMinusF;
  for (int32_t i = 0; i < count; ++i) {
    float* frame = frames + 2 * i;
    const float xL = frame[0] + 1.0f;
    stage1Left = ((stage1Left - stage2Left) * fb + xL) * g + h * stage1Left;
    stage2Left = h * stage2Left + g * stage1Left;
    const float xR = frame[1] + 1.0f;
    stage1Right = ((stage1Right - stage2Right) * fb + xR) * g + h * stage1Right;
    stage2Right = h * stage2Right + g * stage1Right;
    if (highPass) {
      frame[0] = xL - stage2Left;
      frame[1] = xR - stage2Right;
    } else {
      frame[0] = stage2Left;
      frame[1] = stage2Right;
    }
  }
  return 0;
}
