#include "fx/flanger.h"

#include <bit>
#include <cmath>
#include <cstdio>

// ------------------------------------------------------------ shared pieces

static void FillSine(float* table) {
  for (int32_t i = 0; i < kFlangerSineSize; ++i)
    table[i] = float(std::sin(i * 0.0015339808305725455));
}

// Linear interpolation between neighbouring entries; the upper neighbour
// wraps within the first period.
static inline float Lookup(const float* table, double p) {
  const int32_t i = int32_t(p);
  const int32_t j = (i + 1) & (kFlangerPeriod - 1);
  const double t = p - i;
  return float((1.0 - t) * table[i] + t * table[j]);
}

// A float whose exponent bits are all zero (a denormal) becomes 0: fading
// echoes in the lines would otherwise crawl through slow denormals.
static inline float FlushDenormal(float x) {
  return (std::bit_cast<uint32_t>(x) & 0x7F800000u) == 0 ? 0.0f : x;
}

static inline int32_t Clamp(int32_t v, const cFxParamDesc& d) {
  return v < d.minimum ? d.minimum : v > d.maximum ? d.maximum : v;
}

// Table entries per sample for a speed in units of 0.00003 Hz.
static double LfoIncrement(int32_t speed, float sampleRate) {
  return sampleRate > 0.0f ? speed * 0.00003 * kFlangerPeriod / sampleRate : 0.0;
}

// The sweep depth in samples: with time and amount inside their ranges,
// time + sine x depth stays between 1 and 2047.
static float Depth(int32_t amount, int32_t time) {
  return float(amount) / 256.0f * float(time - 1);
}

static void TimeText(char* text, int32_t v) { std::snprintf(text, kFxTextSize, "%d ms", int(v)); }
static void AmpText(char* text, int32_t v) {
  std::snprintf(text, kFxTextSize, "%.1f %%", v * 0.390625);
}
static void SpeedText(char* text, int32_t v) {
  std::snprintf(text, kFxTextSize, "%.4f Hz", v * 0.00003);
}
static void PhaseText(char* text, int32_t v) {
  std::snprintf(text, kFxTextSize, "%.1f\xC2\xB0", v / 256.0 * 360);  // degree sign, UTF-8
}
static void FeedbackText(char* text, int32_t v) {
  std::snprintf(text, kFxTextSize, "%.1f %%", double(v));
}

// One frame of the cross-coupled pair: reads both lines dA and dB samples
// behind the (already advanced) write index w, writes them at w and the
// outputs into f.
static inline void FlangerFrame(float* f, float* lineA, float* lineB, int32_t w, float dA, float dB,
                                float g, float dryF, float wetF) {
  // The & 2047 is the "plus 2048 if negative" wrap; it also holds a read
  // point inside its line whatever the delay.
  const int32_t rA = (w - int32_t(dA)) & (kFlangerLineSize - 1);
  const int32_t rB = (w - int32_t(dB)) & (kFlangerLineSize - 1);
  const float yA = lineA[rA];
  const float yB = lineB[rB];
  const float inL = f[0];
  const float inR = f[1];
  lineB[w] = FlushDenormal(yA * g + inR);
  lineA[w] = FlushDenormal(yB * g + inL);
  f[0] = inL * dryF + yA * wetF;
  f[1] = inR * dryF + yB * wetF;
}

// ---------------------------------------------------------------- cFlanger

static const cFxParamDesc flangerParams[cFlanger::kNumParams] = {
    {"Time", "Time", 1, 1024, 75, 0},
    {"LFO Amp", "LFO Amp", 1, 256, 246, 0},
    {"LFO Speed", "LFO Speed", 0, 32768, 3748, 0},
    {"LFO Phase", "LFO Phase", 0, 256, 32, 0},
    {"FeedBack Left", "FeedBack L", -100, 100, 65, 0},
    {"FeedBack Right", "FeedBack R", -100, 100, 49, 0},
    {"Out Dry", "Out Dry", -256, 256, 256, 0},
    {"Out Wet", "Out Wet", -256, 256, 256, 0},
};

static const int32_t flangerPresets[2][cFlanger::kNumParams] = {
    {227, 246, 23543, 112, 28, -24, 236, 256},
    {325, 100, 12973, 124, 64, 65, 144, 256},
};

const char* cFlanger::GetName() { return "Flanger/Chorus"; }

void cFlanger::Init(int32_t rate) {
  sampleRate = float(rate);
  for (int32_t& p : params) p = 0;
  FillSine(sine);
  Reset(true);
}

void cFlanger::Reset(bool loadDefaults) {
  Clear();
  if (loadDefaults) LoadPreset(0);
}

// The lines keep their content: only the write point and the sweep start
// again at 0, so what lies behind the new write point still plays.
void cFlanger::Clear() {
  writeIndex = 0;
  lfoPosition = 0.0;
}

void cFlanger::Update() {
  lfoIncrement = LfoIncrement(lfoSpeed, sampleRate);
  phaseOffset = float(lfoPhase * 8);  // 256 is half a period
  depth = Depth(lfoAmount, time);
}

void cFlanger::SetParam(int32_t index, int32_t value) {
  if (index < 0 || index >= kNumParams) return;
  // Held to the offered range: a damaged song must not read outside the
  // lines, sweep past the sine table or feed back more than unity.
  value = Clamp(value, flangerParams[index]);
  params[index] = value;
  switch (index) {
    case kTime:
      time = value;
      break;
    case kLfoAmp:
      lfoAmount = value;
      break;
    case kLfoSpeed:
      lfoSpeed = value;
      break;
    case kLfoPhase:
      lfoPhase = value;
      break;
    case kFeedbackLeft:
      feedbackLeft = value;
      break;
    case kFeedbackRight:
      feedbackRight = value;
      break;
    case kOutDry:
      dry = float(value);
      break;
    case kOutWet:
      wet = float(value);
      break;
    default:
      break;
  }
  Update();
}

int32_t cFlanger::Process(float* frames, int32_t count) {
  // audio thread, engine lock held
  const float dryF = dry / 256;
  const float wetF = wet / 256;
  const float g = float(feedbackLeft * 0.01);
  const double inc = lfoIncrement;
  const float offset = phaseOffset;
  const float dep = depth;
  const int32_t t = time;
  double pos = lfoPosition;
  int32_t w = writeIndex;
  for (int32_t i = 0; i < count; ++i) {
    const float s1 = Lookup(sine, pos);
    const float s2 = Lookup(sine, pos + offset);
    pos += inc;
    if (pos >= kFlangerPeriod) pos -= kFlangerPeriod;
    const float dA = t + s1 * dep;
    const float dB = t + s2 * dep;
    w = (w + 1) & (kFlangerLineSize - 1);
    FlangerFrame(frames + 2 * i, lineA, lineB, w, dA, dB, g, dryF, wetF);
  }
  lfoPosition = pos;
  writeIndex = w;
  return 0;
}

int32_t cFlanger::GetNumParams() { return kNumParams; }

int32_t cFlanger::GetParam(int32_t index) {
  return index >= 0 && index < kNumParams ? params[index] : -1;
}

void cFlanger::GetParamText(char* text, int32_t index, int32_t value) {
  switch (index) {
    case kTime:
      TimeText(text, value);
      break;
    case kLfoAmp:
    case kOutDry:
    case kOutWet:
      AmpText(text, value);
      break;
    case kLfoSpeed:
      SpeedText(text, value);
      break;
    case kLfoPhase:
      PhaseText(text, value);
      break;
    case kFeedbackLeft:
    case kFeedbackRight:
      FeedbackText(text, value);
      break;
    default:
      break;
  }
}

const cFxParamDesc* cFlanger::GetParamDesc(int32_t index) {
  return index >= 0 && index < kNumParams ? &flangerParams[index] : nullptr;
}

int32_t cFlanger::GetNumPresets() { return 3; }

void cFlanger::LoadPreset(int32_t preset) {
  if (preset == 0) {
    for (int32_t i = 0; i < kNumParams; ++i) SetParam(i, flangerParams[i].defaultValue);
  } else if (preset == 1 || preset == 2) {
    for (int32_t i = 0; i < kNumParams; ++i) SetParam(i, flangerPresets[preset - 1][i]);
  }
}

void cFlanger::ApplyParams() {
  for (int32_t i = 0; i < kNumParams; ++i) SetParam(i, params[i]);
}

// --------------------------------------------------------------- cFlanger2

static const cFxParamDesc flanger2Params[cFlanger2::kNumParams] = {
    {"TimeL", "TimeL", 1, 1024, 75, 0},
    {"TimeR", "TimeR", 1, 1024, 75, 0},
    {"LFO Speed L", "LFO Speed L", 0, 32768, 3748, 0},
    {"LFO Speed R", "LFO Speed R", 0, 32768, 3748, 0},
    {"LFOAmpL", "LFOAmpL", 1, 256, 246, 0},
    {"LFOAmpR", "LFOAmpR", 1, 256, 246, 0},
    {"FeedBack Left", "FeedBack L", -100, 100, 65, 0},
    {"FeedBack Right", "FeedBack R", -100, 100, 49, 0},
    {"LFO Phase L", "LFO Phase L", 0, 256, 32, 0},
    {"LFO Phase R", "LFO Phase R", 0, 256, 160, 0},
    {"Out Dry", "Out Dry", -256, 256, 256, 0},
    {"Out Wet", "Out Wet", -256, 256, 256, 0},
};

const char* cFlanger2::GetName() { return "Flanger/Chorus 2"; }

void cFlanger2::Init(int32_t rate) {
  sampleRate = float(rate);
  for (int32_t& p : params) p = 0;
  FillSine(sine);
  Reset(true);
}

void cFlanger2::Reset(bool loadDefaults) {
  Clear();
  if (loadDefaults) LoadPreset(0);
}

// The lines keep their content, as in cFlanger; the write point and both
// sweeps start again at 0.
void cFlanger2::Clear() {
  writeIndex = 0;
  lfoPosition[0] = 0.0;
  lfoPosition[1] = 0.0;
}

// Written out side by side on purpose. As a loop over the two sides, which is
// sound code, GCC 12.2 at -O1 and -O2 addresses the double-array store
// through a null-based address after its induction-variable rewrite, reads
// that as a null dereference, marks this function as storing nothing and
// drops the call from SetParam. Flanger2.EachSideHasItsOwnTimeDepthAndPhase
// fails in the optimised build if the loop comes back.
void cFlanger2::Update() {
  lfoIncrement[0] = LfoIncrement(lfoSpeed[0], sampleRate);
  phaseOffset[0] = float(lfoPhase[0] * 8);
  depth[0] = Depth(lfoAmount[0], time[0]);
  lfoIncrement[1] = LfoIncrement(lfoSpeed[1], sampleRate);
  phaseOffset[1] = float(lfoPhase[1] * 8);
  depth[1] = Depth(lfoAmount[1], time[1]);
}

void cFlanger2::SetParam(int32_t index, int32_t value) {
  if (index < 0 || index >= kNumParams) return;
  // Held to the offered range, as in cFlanger.
  value = Clamp(value, flanger2Params[index]);
  params[index] = value;
  switch (index) {
    case kTimeL:
      time[0] = value;
      break;
    case kTimeR:
      time[1] = value;
      break;
    case kLfoSpeedL:
      lfoSpeed[0] = value;
      break;
    case kLfoSpeedR:
      lfoSpeed[1] = value;
      break;
    case kLfoAmpL:
      lfoAmount[0] = value;
      break;
    case kLfoAmpR:
      lfoAmount[1] = value;
      break;
    case kFeedbackLeft:
      feedbackLeft = value;
      break;
    case kFeedbackRight:
      feedbackRight = value;
      break;
    case kLfoPhaseL:
      lfoPhase[0] = value;
      break;
    case kLfoPhaseR:
      lfoPhase[1] = value;
      break;
    case kOutDry:
      dry = float(value);
      break;
    case kOutWet:
      wet = float(value);
      break;
    default:
      break;
  }
  Update();
}

int32_t cFlanger2::Process(float* frames, int32_t count) {
  // audio thread, engine lock held
  const float dryF = dry / 256;
  const float wetF = wet / 256;
  const float g = float(feedbackLeft * 0.01);
  const double incL = lfoIncrement[0];
  const double incR = lfoIncrement[1];
  const float offL = phaseOffset[0];
  const float offR = phaseOffset[1];
  const float depL = depth[0];
  const float depR = depth[1];
  const int32_t tL = time[0];
  const int32_t tR = time[1];
  double posL = lfoPosition[0];
  double posR = lfoPosition[1];
  int32_t w = writeIndex;
  for (int32_t i = 0; i < count; ++i) {
    const float s1 = Lookup(sine, posL + offL);
    const float s2 = Lookup(sine, posR + offR);
    posL += incL;
    if (posL >= kFlangerPeriod) posL -= kFlangerPeriod;
    posR += incR;
    if (posR >= kFlangerPeriod) posR -= kFlangerPeriod;
    const float dA = tL + s1 * depL;
    const float dB = tR + s2 * depR;
    w = (w + 1) & (kFlangerLineSize - 1);
    FlangerFrame(frames + 2 * i, lineA, lineB, w, dA, dB, g, dryF, wetF);
  }
  lfoPosition[0] = posL;
  lfoPosition[1] = posR;
  writeIndex = w;
  return 0;
}

int32_t cFlanger2::GetNumParams() { return kNumParams; }

int32_t cFlanger2::GetParam(int32_t index) {
  return index >= 0 && index < kNumParams ? params[index] : -1;
}

void cFlanger2::GetParamText(char* text, int32_t index, int32_t value) {
  switch (index) {
    case kTimeL:
    case kTimeR:
      TimeText(text, value);
      break;
    case kLfoSpeedL:
    case kLfoSpeedR:
      SpeedText(text, value);
      break;
    case kLfoAmpL:
    case kLfoAmpR:
    case kOutDry:
    case kOutWet:
      AmpText(text, value);
      break;
    case kFeedbackLeft:
    case kFeedbackRight:
      FeedbackText(text, value);
      break;
    case kLfoPhaseL:
    case kLfoPhaseR:
      PhaseText(text, value);
      break;
    default:
      break;
  }
}

const cFxParamDesc* cFlanger2::GetParamDesc(int32_t index) {
  return index >= 0 && index < kNumParams ? &flanger2Params[index] : nullptr;
}

int32_t cFlanger2::GetNumPresets() { return 1; }

void cFlanger2::LoadPreset(int32_t preset) {
  if (preset != 0) return;
  for (int32_t i = 0; i < kNumParams; ++i) SetParam(i, flanger2Params[i].defaultValue);
}

void cFlanger2::ApplyParams() {
  for (int32_t i = 0; i < kNumParams; ++i) SetParam(i, params[i]);
}
