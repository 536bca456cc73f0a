#pragma once
// The envelope both synthesizers use (amplitude, filter, modulation): an
// attack to 1, a decay to the sustain level, a sustain held for a time or
// until note-off, and a release to 0. Each segment is a quadratic ramp (per
// frame value += step, step += accel) that a curvature bends either way.

#include <cstdint>

struct cCurveEnvelope {
  enum : int32_t { kIdle = 0, kAttack = 1, kDecay = 2, kSustain = 3, kRelease = 4 };

  // Coefficients for a ramp from `from` to `to` over `samples` (at least
  // one), bent by `curve` (-1..1, 0 a straight line).
  void Segment(float from, float to, float samples, float curve);
  // The attack, from the value the envelope has, or from 0 with restart.
  void Start();
  // The release from the value the envelope has, whatever its state.
  void Release();
  // One frame; inline, for the per-frame loops of the synthesizers.
  void Advance();
  // The next `frames` frames, one Advance each, their values into `values`;
  // a held level or silence is written at once.
  void Run(float* values, int32_t frames);
  // Idle at 0, the ramp forgotten.
  void Silence();
  // A ramp at `v` after `r` frames of its segment has passed its end.
  bool Passed(float v, float r) const;
  // From a ramp that has passed its end to the next state.
  void Leave();

  int32_t state = kIdle;
  float value = 0.0f;
  float step = 0.0f;
  float accel = 0.0f;
  float counter = 0.0f;  // sustain frames left
  float run = 0.0f;      // frames into the current segment
  float length = 0.0f;   // frames of the current segment

  // Settings: times in frames, levels 0-1, curvatures -1..1.
  float attack = 1.0f, decay = 1.0f, release = 1.0f;
  float sustain = 0.0f;
  float sustainTime = 0.0f;  // 0: hold until note-off
  float attackCurve = 0.0f, decayCurve = 0.0f, releaseCurve = 0.0f;
  bool restart = false;  // a note-on starts the attack from 0
};

// A segment leaves when its value passes the target, or at the latest when
// it has run one frame past its length: a curve bent nearly all the way only
// touches its target, and a rounding step short of it the ramp would turn
// back and run away for good; a long straight ramp summed in floats may
// also arrive a little late.
inline bool cCurveEnvelope::Passed(float v, float r) const {
  if (r > length + 1.0f) return true;
  return state == kAttack ? v >= 1.0f : state == kDecay ? v <= sustain : v <= 0.0f;
}

inline void cCurveEnvelope::Advance() {
  switch (state) {
    case kIdle:
      value = 0.0f;
      break;
    case kAttack:
    case kDecay:
    case kRelease:
      value += step;
      step += accel;
      run += 1.0f;
      if (Passed(value, run)) Leave();
      break;
    case kSustain:
      if (sustainTime > 0.0f) {
        counter -= 1.0f;
        if (counter <= 0.0f) state = kRelease;
      }
      break;
    default:
      Silence();
      break;
  }
}
