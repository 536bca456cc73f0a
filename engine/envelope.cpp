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
