#include "fx/compressor.h"

#include <cmath>
#include <cstdio>

#include "fx/denormal.h"

static const cFxParamDesc compressorParams[cCompressor::kNumParams] = {
    {"Threshold", "Threshold", -6000, 0, -700, 0},
    {"Ratio", "Ratio", 10, 300, 200, 0},
    {"PreAmp", "PreAmp", 0, 2000, 600, 0},
    {"Attack (ms)", "Attack", 100, 32000, 1960, 0},
    {"Release (ms)", "Release", 100, 32000, 16000, 0},
    {"PostAmp", "PostAmp", 1, 2000, 400, 0},
};

static const int32_t compressorPreset1[cCompressor::kNumParams] = {-800, 100,   1000,
                                                                   4480, 16000, 257};

// A preset also lets go of the gain.
cCompressor::cCompressor() : cParamEffect(compressorParams, true, &compressorPreset1, 1) {}

const char* cCompressor::GetName() { return "Compressor"; }

void cCompressor::Init(int32_t rate) {
  sampleRate = float(rate);
  samplesPerMs = float(double(sampleRate) * 0.001);
  for (int32_t& p : params) p = 0;
  // The steps are derived from attack and release whenever the ratio changes;
  // preset 0 sets the ratio before them, so they must not start at zero.
  params[kAttack] = compressorParams[kAttack].defaultValue;
  params[kRelease] = compressorParams[kRelease].defaultValue;
  Reset(true);
}

void cCompressor::Reset(bool loadDefaults) {
  Clear();
  if (loadDefaults) LoadPreset(0);
}

void cCompressor::Clear() {
  envelopeLeft = 0.0f;
  envelopeRight = 0.0f;
  gain = 1.0f;
}

void cCompressor::ComputeSteps() {
  const double travel = 1.0 - double(floorGain);
  downStep = float(travel / (params[kAttack] * 0.01 * double(samplesPerMs)));
  upStep = float(travel / (params[kRelease] * 0.01 * double(samplesPerMs)));
}

void cCompressor::SetParam(int32_t index, int32_t value) {
  switch (index) {
    case kThreshold: {
      params[kThreshold] = value;
      // A value from a damaged file may put the level far above full scale;
      // saturate rather than overflow the integer.
      const double level = std::pow(10.0, value * 0.001) * 32767;
      threshold = level >= 2147483647.0 ? INT32_MAX : int32_t(level);
      break;
    }
    case kRatio:
      params[kRatio] = value < 10 ? 10 : value;
      floorGain = float(std::pow(10.0, -(params[kRatio] * 0.1 * 0.1)));
      ComputeSteps();
      break;
    case kPreAmp:
      params[kPreAmp] = value;
      preGain = float(value * 0.001);
      break;
    case kAttack:
    case kRelease:
      params[index] = value < 100 ? 100 : value;
      ComputeSteps();
      break;
    case kPostAmp:
      params[kPostAmp] = value;
      postGain = float(value * 0.01);
      break;
    default:
      break;
  }
}

int32_t cCompressor::Process(float* frames, int32_t count) {
  // audio thread, engine lock held
  const float pre = preGain;
  const float post = postGain;
  const float floorG = floorGain;
  const float down = downStep;
  const float up = upStep;
  const float level = float(threshold);
  float envL = envelopeLeft;
  float envR = envelopeRight;
  float g = gain;
  for (int32_t i = 0; i < count; ++i) {
    float* f = frames + 2 * i;
    const float xL = f[0] * pre;
    const float xR = f[1] * pre;
    const float aL = std::fabs(xL);
    const float aR = std::fabs(xR);
    if (aL >= envL) {
      envL = aL;
    } else {
      envL = FlushDenormal(float(envL * 0.8));
    }
    if (aR >= envR) {
      envR = aR;
    } else {
      envR = FlushDenormal(float(envR * 0.8));
    }
    if (level < envL || level < envR) {
      if (g > floorG) g -= down;
    } else if (g < 1.0f) {
      g += up;
    }
    const float k = g * post;
    f[0] = xL * k;
    f[1] = xR * k;
  }
  envelopeLeft = envL;
  envelopeRight = envR;
  gain = g;
  return 0;
}

void cCompressor::GetParamText(char* text, int32_t index, int32_t value) {
  switch (index) {
    case kThreshold:
      std::snprintf(text, kFxTextSize, "%.1f db", value * 0.01);
      break;
    case kRatio:
      std::snprintf(text, kFxTextSize, "%.1f db : 1", value * 0.1);
      break;
    case kPreAmp:
    case kPostAmp:
      // The post-amp factor is value / 100 while the text shows value / 10.
      std::snprintf(text, kFxTextSize, "%.1f %%", value * 0.1);
      break;
    case kAttack:
    case kRelease:
      std::snprintf(text, kFxTextSize, "%.1f ms", value * 0.01);
      break;
    default:
      break;
  }
}
