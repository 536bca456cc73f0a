#include "fx/flanger.h"

#include <cmath>
#include <cstdio>

#include "fx/denormal.h"

namespace {

// Linear interpolation between neighbouring entries; the upper neighbour
// wraps within the first period.
inline float Lookup(const float* table, double p) {
  const int32_t i = int32_t(p);
  const int32_t j = (i + 1) & (kFlangerPeriod - 1);
  const double t = p - i;
  return float((1.0 - t) * table[i] + t * table[j]);
}

// One frame of the cross-coupled pair: reads both lines dA and dB samples
// behind the (already advanced) write index w, writes them at w and the
// outputs into f.
inline void FlangerFrame(float* f, float* lineA, float* lineB, int32_t w, float dA, float dB,
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

// Table entries per sample for a speed in units of 0.00003 Hz; the sweep
// depth in samples, with which time + sine x depth stays between 1 and 2047
// for time and amount inside their ranges.
void UpdateSweep(cFlangerCore::cSweep& s, float sampleRate) {
  s.increment = sampleRate > 0.0f ? s.speed * 0.00003 * kFlangerPeriod / sampleRate : 0.0;
  s.offset = float(s.phase * 8);  // 256 is half a period
  s.depth = float(s.amount) / 256.0f * float(s.time - 1);
}

}  // namespace

// ------------------------------------------------------------------- core

void cFlangerCore::Init(float rate) {
  sampleRate = rate;
  for (int32_t i = 0; i < kFlangerSineSize; ++i)
    sine[i] = float(std::sin(i * 0.0015339808305725455));
}

void cFlangerCore::Clear() {
  writeIndex = 0;
  sweep[0].position = 0.0;
  sweep[1].position = 0.0;
}

// The two sweeps one after the other, not in a loop: GCC 12.2 at -O1 and
// -O2 once turned such a loop's double stores into stores through a
// null-based address and dropped the update (see the build's
// -fno-delete-null-pointer-checks); Flanger2.EachSideHasItsOwnTimeDepthAndPhase
// fails if that comes back.
void cFlangerCore::Update() {
  UpdateSweep(sweep[0], sampleRate);
  UpdateSweep(sweep[1], sampleRate);
}

// audio thread, engine lock held
void cFlangerCore::Process(float* frames, int32_t count) {
  const float dryF = dry / 256;
  const float wetF = wet / 256;
  const float g = float(feedbackLeft * 0.01);
  const double incL = sweep[0].increment;
  const double incR = sweep[1].increment;
  const float offL = sweep[0].offset;
  const float offR = sweep[1].offset;
  const float depL = sweep[0].depth;
  const float depR = sweep[1].depth;
  const int32_t tL = sweep[0].time;
  const int32_t tR = sweep[1].time;
  double posL = sweep[0].position;
  double posR = sweep[1].position;
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
  sweep[0].position = posL;
  sweep[1].position = posR;
  writeIndex = w;
}

// ---------------------------------------------------------------- effects

template <int32_t N>
void cFlangerEffect<N>::Init(int32_t rate) {
  core.Init(float(rate));
  for (int32_t& p : this->params) p = 0;
  Reset(true);
}

template <int32_t N>
void cFlangerEffect<N>::Reset(bool loadDefaults) {
  Clear();
  if (loadDefaults) this->LoadPreset(0);
}

template <int32_t N>
void cFlangerEffect<N>::SetParam(int32_t index, int32_t value) {
  if (!this->Has(index)) return;
  value = this->Clamped(index, value);
  this->params[index] = value;
  const cFlangerRole role = roles[index];
  // The sweep setting on each line the parameter drives.
  auto onLines = [&](int32_t cFlangerCore::cSweep::*setting) {
    if (role.lines & 1) core.sweep[0].*setting = value;
    if (role.lines & 2) core.sweep[1].*setting = value;
  };
  switch (role.what) {
    case cFlangerRole::kTime:
      onLines(&cFlangerCore::cSweep::time);
      break;
    case cFlangerRole::kAmount:
      onLines(&cFlangerCore::cSweep::amount);
      break;
    case cFlangerRole::kSpeed:
      onLines(&cFlangerCore::cSweep::speed);
      break;
    case cFlangerRole::kPhase:
      onLines(&cFlangerCore::cSweep::phase);
      break;
    case cFlangerRole::kFeedbackLeft:
      core.feedbackLeft = value;
      break;
    case cFlangerRole::kFeedbackRight:
      core.feedbackRight = value;
      break;
    case cFlangerRole::kDry:
      core.dry = float(value);
      break;
    default:
      core.wet = float(value);
      break;
  }
  core.Update();
}

template <int32_t N>
int32_t cFlangerEffect<N>::Process(float* frames, int32_t count) {
  core.Process(frames, count);
  return 0;
}

template <int32_t N>
void cFlangerEffect<N>::GetParamText(char* text, int32_t index, int32_t value) {
  if (!this->Has(index)) return;
  switch (roles[index].what) {
    case cFlangerRole::kTime:
      std::snprintf(text, kFxTextSize, "%d ms", int(value));
      break;
    case cFlangerRole::kAmount:
    case cFlangerRole::kDry:
    case cFlangerRole::kWet:
      std::snprintf(text, kFxTextSize, "%.1f %%", value * 0.390625);
      break;
    case cFlangerRole::kSpeed:
      std::snprintf(text, kFxTextSize, "%.4f Hz", value * 0.00003);
      break;
    case cFlangerRole::kPhase:
      std::snprintf(text, kFxTextSize, "%.1f\xC2\xB0", value / 256.0 * 360);  // degree sign, UTF-8
      break;
    default:  // the feedbacks
      std::snprintf(text, kFxTextSize, "%.1f %%", double(value));
      break;
  }
}

template class cFlangerEffect<8>;
template class cFlangerEffect<12>;

// ---------------------------------------------------------------- cFlanger

namespace {

constexpr int32_t kLineA = 1, kLineB = 2, kBothLines = 3;

// The feedbacks and outputs are the same parameters in both flangers.
constexpr cFxParamDesc kFeedbackLeft = {"FeedBack Left", "FeedBack L", -100, 100, 65, 0};
constexpr cFxParamDesc kFeedbackRight = {"FeedBack Right", "FeedBack R", -100, 100, 49, 0};
constexpr cFxParamDesc kOutDry = {"Out Dry", "Out Dry", -256, 256, 256, 0};
constexpr cFxParamDesc kOutWet = {"Out Wet", "Out Wet", -256, 256, 256, 0};

const cFxParamDesc kFlangerParams[8] = {
    {"Time", "Time", 1, 1024, 75, 0},
    {"LFO Amp", "LFO Amp", 1, 256, 246, 0},
    {"LFO Speed", "LFO Speed", 0, 32768, 3748, 0},
    {"LFO Phase", "LFO Phase", 0, 256, 32, 0},
    kFeedbackLeft,
    kFeedbackRight,
    kOutDry,
    kOutWet,
};

// One LFO for both lines: line A reads it as it is, line B with the phase
// offset.
const cFlangerRole kFlangerRoles[8] = {
    {cFlangerRole::kTime, kBothLines},
    {cFlangerRole::kAmount, kBothLines},
    {cFlangerRole::kSpeed, kBothLines},
    {cFlangerRole::kPhase, kLineB},
    {cFlangerRole::kFeedbackLeft, 0},
    {cFlangerRole::kFeedbackRight, 0},
    {cFlangerRole::kDry, 0},
    {cFlangerRole::kWet, 0},
};

const int32_t kFlangerPresets[2][8] = {
    {227, 246, 23543, 112, 28, -24, 236, 256},
    {325, 100, 12973, 124, 64, 65, 144, 256},
};

// ---------------------------------------------------------------- cFlanger2

const cFxParamDesc kFlanger2Params[12] = {
    {"TimeL", "TimeL", 1, 1024, 75, 0},
    {"TimeR", "TimeR", 1, 1024, 75, 0},
    {"LFO Speed L", "LFO Speed L", 0, 32768, 3748, 0},
    {"LFO Speed R", "LFO Speed R", 0, 32768, 3748, 0},
    {"LFOAmpL", "LFOAmpL", 1, 256, 246, 0},
    {"LFOAmpR", "LFOAmpR", 1, 256, 246, 0},
    kFeedbackLeft,
    kFeedbackRight,
    {"LFO Phase L", "LFO Phase L", 0, 256, 32, 0},
    {"LFO Phase R", "LFO Phase R", 0, 256, 160, 0},
    kOutDry,
    kOutWet,
};

const cFlangerRole kFlanger2Roles[12] = {
    {cFlangerRole::kTime, kLineA},    {cFlangerRole::kTime, kLineB},
    {cFlangerRole::kSpeed, kLineA},   {cFlangerRole::kSpeed, kLineB},
    {cFlangerRole::kAmount, kLineA},  {cFlangerRole::kAmount, kLineB},
    {cFlangerRole::kFeedbackLeft, 0}, {cFlangerRole::kFeedbackRight, 0},
    {cFlangerRole::kPhase, kLineA},   {cFlangerRole::kPhase, kLineB},
    {cFlangerRole::kDry, 0},          {cFlangerRole::kWet, 0},
};

}  // namespace

cFlanger::cFlanger() : cFlangerEffect(kFlangerParams, kFlangerRoles, kFlangerPresets, 2) {}

const char* cFlanger::GetName() { return "Flanger/Chorus"; }

cFlanger2::cFlanger2() : cFlangerEffect(kFlanger2Params, kFlanger2Roles) {}

const char* cFlanger2::GetName() { return "Flanger/Chorus 2"; }
