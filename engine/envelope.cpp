#include "engine/envelope.h"

#include <algorithm>
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

void cCurveEnvelope::Leave() {
  switch (state) {
    case kAttack:
      value = 1.0f;
      Segment(1.0f, sustain, decay, decayCurve);
      state = kDecay;
      break;
    case kDecay:
      value = sustain;
      counter = sustainTime;
      Segment(sustain, 0.0f, release, releaseCurve);
      state = kSustain;
      break;
    default:
      value = 0.0f;
      state = kIdle;
      break;
  }
}

void cCurveEnvelope::Run(float* values, int32_t frames) {
  int32_t i = 0;
  while (i < frames) {
    if (state == kAttack || state == kDecay || state == kRelease) {
      // The ramp in registers until it passes its end, as Advance runs it.
      float v = value, s = step, r = run;
      const float a = accel;
      bool passed = false;
      while (i < frames) {
        v += s;
        s += a;
        r += 1.0f;
        passed = Passed(v, r);
        if (passed) break;
        values[i++] = v;
      }
      value = v;
      step = s;
      run = r;
      if (passed) {
        Leave();
        values[i++] = value;
      }
      continue;
    }
    if (state == kIdle || (state == kSustain && !(sustainTime > 0.0f))) {
      if (state == kIdle) value = 0.0f;
      std::fill(values + i, values + frames, value);
      return;
    }
    Advance();  // a sustain counting down, or a state out of range
    values[i++] = value;
  }
}
