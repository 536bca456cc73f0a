#include "engine/envelope.h"

#include <cmath>

void cCurveEnvelope::Segment(float from, float to, float samples, float curve) {
  if (samples < 1.0f) samples = 1.0f;
  const float d = std::fabs(from - to);
  const float mid = (from + to) * 0.5f + curve * 0.5f * d;
  const float q = (from + to) - 2.0f * mid;
  const float s0 = ((to - from) - 2.0f * q) / samples;
  const float acc = 2.0f * q / (samples * samples);
  step = s0 + acc;
  accel = 2.0f * acc;
  run = 0.0f;
  length = samples;
}

void cCurveEnvelope::Start() {
  if (restart) value = 0.0f;
  state = kAttack;
  Segment(value, 1.0f, attack, attackCurve);
}

void cCurveEnvelope::Release() {
  state = kRelease;
  Segment(value, 0.0f, release, releaseCurve);
}

void cCurveEnvelope::Silence() {
  state = kIdle;
  value = step = accel = counter = run = length = 0.0f;
}

// A segment leaves when its value passes the target, or at the latest when
// it has run one frame past its length: a curve bent nearly all the way only
// touches its target, and a rounding step short of it the ramp would turn
// back and run away for good; a long straight ramp summed in floats may
// also arrive a little late.
void cCurveEnvelope::Advance() {
  switch (state) {
    case kIdle:
      value = 0.0f;
      break;
    case kAttack:
      value += step;
      step += accel;
      run += 1.0f;
      if (value >= 1.0f || run > length + 1.0f) {
        value = 1.0f;
        Segment(1.0f, sustain, decay, decayCurve);
        state = kDecay;
      }
      break;
    case kDecay:
      value += step;
      step += accel;
      run += 1.0f;
      if (value <= sustain || run > length + 1.0f) {
        value = sustain;
        counter = sustainTime;
        Segment(sustain, 0.0f, release, releaseCurve);
        state = kSustain;
      }
      break;
    case kSustain:
      if (sustainTime > 0.0f) {
        counter -= 1.0f;
        if (counter <= 0.0f) state = kRelease;
      }
      break;
    case kRelease:
      value += step;
      step += accel;
      run += 1.0f;
      if (value <= 0.0f || run > length + 1.0f) {
        value = 0.0f;
        state = kIdle;
      }
      break;
    default:
      Silence();
      break;
  }
}
