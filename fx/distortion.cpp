#include "fx/distortion.h"

#include <cmath>
#include <cstdio>

// ---------------------------------------------------------------- distorter

static const cFxParamDesc distorterParams[cDistorter::kNumParams] = {
    {"Mix (Dry/Wet)", "Dry / Wet", 0, 100, 50, 0},
    {"Threshold (%)", "Threshold", 0, 100, 10, 0},
    {"Clamp (%)", "Clamp", 0, 100, 70, 0},
};

cDistorter::cDistorter() : cParamEffect(distorterParams) {}

const char* cDistorter::GetName() { return "Distorter"; }

void cDistorter::Init(int32_t sampleRate) {
  (void)sampleRate;
  for (int32_t& p : params) p = 0;
  Reset(true);
}

void cDistorter::Reset(bool loadDefaults) {
  if (loadDefaults) LoadPreset(0);
}

// Nothing to silence: the distorter keeps no audio memory.
void cDistorter::Clear() {}

void cDistorter::SetParam(int32_t index, int32_t value) {
  if (!Has(index)) return;
  // Only the top is clamped; songs may hold negative values and rely on
  // their sound. The products below are taken in double so that no value
  // overflows an integer.
  if (value > 100) value = 100;
  params[index] = value;
  switch (index) {
    case kMix:
      mix = float(value * 0.01);
      oneMinusMix = 1.0f - mix;
      break;
    case kThreshold:
      threshold = float(value * 32767.0 * 0.01);
      break;
    case kClamp:
      push = float(value * 32767.0 * 0.01);
      break;
    default:
      break;
  }
}

int32_t cDistorter::Process(float* frames, int32_t count) {
  // audio thread, engine lock held
  const float clean = mix;
  const float dirty = oneMinusMix;
  const float up = threshold;
  const float down = -threshold;
  const float p = push;
  for (int32_t i = 0; i < 2 * count; ++i) {
    const float x = frames[i];
    float y = x;
    if (x >= up) {
      y = x + p;
    } else if (x <= down) {
      y = x - p;
    }
    frames[i] = y * dirty + x * clean;
  }
  return 0;
}

void cDistorter::GetParamText(char* text, int32_t index, int32_t value) {
  if (index == kMix) {
    std::snprintf(text, kFxTextSize, "%d%% - %lld%%", int(value), 100LL - value);
  } else if (index == kThreshold || index == kClamp) {
    std::snprintf(text, kFxTextSize, "%d%%", int(value));
  }
}

// ---------------------------------------------------------------- overdrive

// The curve (fold - |x|) x drive x x peaks at half the fold level and comes
// back to zero at the fold level itself.
static constexpr int32_t kOverdriveFold = 24576;

static const cFxParamDesc overdriveParams[cOverdrive::kNumParams] = {
    {"Dry (%)", "Dry", 0, 100, 5, 0},
    {"Wet (%)", "Wet", 0, 100, 75, 0},
    {"Overdrive (%)", "Overdrive", 1, 100, 15, 0},
    {"Cutter (%)", "Cutter", 1, 100, 60, 0},
};

cOverdrive::cOverdrive() : cParamEffect(overdriveParams) {}

const char* cOverdrive::GetName() { return "Overdrive"; }

void cOverdrive::Init(int32_t sampleRate) {
  (void)sampleRate;
  for (int32_t& p : params) p = 0;
  Reset(true);
}

void cOverdrive::Reset(bool loadDefaults) {
  if (loadDefaults) LoadPreset(0);
}

// Nothing to silence: the overdrive keeps no audio memory.
void cOverdrive::Clear() {}

void cOverdrive::SetParam(int32_t index, int32_t value) {
  if (!Has(index)) return;
  if (value > 100) value = 100;
  if ((index == kDrive || index == kCutter) && value < 1) value = 1;
  params[index] = value;
  switch (index) {
    case kDry:
      dry = float(value * 0.01);
      break;
    case kWet:
      wet = float(value * 0.01);
      break;
    case kDrive:
      drive = float(value * 0.5 * (1.0 / kOverdriveFold));
      break;
    case kCutter:
      ceiling = float(value * 0.01 * 32767);
      break;
    default:
      break;
  }
}

int32_t cOverdrive::Process(float* frames, int32_t count) {
  // audio thread, engine lock held
  const float fold = float(kOverdriveFold);
  const float d = drive;
  const float top = ceiling;
  const float bottom = -ceiling;
  const float w = wet;
  const float c = dry;
  for (int32_t i = 0; i < 2 * count; ++i) {
    const float x = frames[i];
    float y = (fold - std::fabs(x)) * d * x;
    if (y > top) {
      y = top;
    } else if (y < bottom) {
      y = bottom;
    }
    frames[i] = y * w + x * c;
  }
  return 0;
}

void cOverdrive::GetParamText(char* text, int32_t index, int32_t value) {
  if (Has(index)) std::snprintf(text, kFxTextSize, "%d%%", int(value));
}
