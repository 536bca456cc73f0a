// cBass's frames. A call prepares its per-frame control values (envelopes,
// smoothing, LFOs) a stretch at a time, then runs oscillators, filter and
// output frame by frame with its state in registers: the oscillators of both
// voices in the lanes of vectors, the two filters of the stereo mode as the
// two lanes of one. Each lane does its own voice's arithmetic in the order a
// voice alone would, so the samples are the same, bit for bit, however the
// work is arranged.
// Used only under the engine lock; nothing here allocates.

#include <algorithm>
#include <cfloat>
#include <cmath>
#include <cstring>

#include "engine/bass.h"
#include "engine/wavetables.h"

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

namespace {

// Four floats or 32-bit integers in one vector register where the
// processor has them; the compiler writes plain loops elsewhere.
using v4f = float __attribute__((vector_size(16)));
using v4i = int32_t __attribute__((vector_size(16)));
using v2f = float __attribute__((vector_size(8)));

v4f Splat(float x) { return v4f{x, x, x, x}; }
v4f Select(v4i mask, v4f a, v4f b) { return (v4f)(((v4i)a & mask) | ((v4i)b & ~mask)); }
v4i Select(v4i mask, v4i a, v4i b) { return (a & mask) | (b & ~mask); }

bool Any(v4i mask) {
#if defined(__SSE2__)
  return _mm_movemask_ps(_mm_castsi128_ps(__m128i(mask))) != 0;
#else
  return (mask[0] | mask[1] | mask[2] | mask[3]) != 0;
#endif
}

constexpr int32_t kStretch = 128;  // frames whose control values are prepared at once
constexpr int32_t kSignBit = INT32_MIN;

float Toward(float value, float target, float step) {
  if (value < target) {
    value += step;
    if (value > target) value = target;
  } else if (value > target) {
    value -= step;
    if (value < target) value = target;
  }
  return value;
}

// Into 0 <= p < 4096 by whole periods.
float WrapPhase(float p) {
  if (p >= 4096.0f) {
    p -= 4096.0f;
    if (p >= 4096.0f) p = std::fmod(p, 4096.0f);
  } else if (p < 0.0f) {
    p += 4096.0f;
    if (p < 0.0f) p = std::fmod(p, 4096.0f) + 4096.0f;
    if (p >= 4096.0f) p = 0.0f;
  }
  return p;
}

// WrapPhase on four lanes, for phases that one period up or down brings
// back; the lanes that need more are added to `far`.
v4f WrapLanes(v4f p, v4i& far) {
  const v4i down = p >= Splat(4096.0f);
  const v4i up = p < Splat(0.0f);
  v4f q = Select(down, p - 4096.0f, Select(up, p + 4096.0f, p));
  // A phase just below 0 rounds up to 4096 and becomes 0.
  const v4i top = q >= Splat(4096.0f);
  far |= (down & top) | (up & (q < Splat(0.0f)));
  return Select(up & top, Splat(0.0f), q);
}

float Interpolate(const float* t, float p) {
  const int32_t i = int32_t(p);
  const float f = p - float(i);
  return t[i] + (t[i + 1] - t[i]) * f;
}

uint32_t NextNoise(uint32_t s) {
  const uint32_t arithmetic = uint32_t(int32_t(s) >> 25);
  return ((s << 7) + arithmetic + 0x6ECA756Du) ^ 0x9E59A92Bu;
}

float NoiseSample(uint32_t s) { return float(int32_t(s & 0xFFFF) - 0x8000) * 3.052e-05f; }

v4i TinyLanes(v4f v) { return (v4f)((v4i)v & 0x7FFFFFFF) < Splat(FLT_MIN); }

}  // namespace

// One stretch's control values, frame by frame.
struct cBassControls {
  float amp[kStretch], filterEnv[kStretch];
  float volume[kStretch], pan[kStretch];        // as the frame is output with them
  float cutoff[kStretch], resonance[kStretch];  // as the frame's filter reads them
  float pitch[kStretch];                        // LFO 3's factor on the increments
  float width[kStretch];                        // LFO 2's pulse width, when it moves
  uint32_t lfo1Phase = 0;                       // LFO 1 at the stretch's first frame
};

// Four oscillator lanes and what stays the same in them for a whole call.
// The first vector holds oscillator 1 of voices A and B, then oscillator 2
// of both; the second holds oscillator 3 of A and B and two idle lanes. An
// idle lane steps by 0: no phase is ever -0, so a zero of either sign
// leaves it as it is.
struct cOscLanes {
  v4f inc;       // phase steps before pitch modulation
  v4f level;     // in the mix
  v4f feedback;  // of the read phase, times the previous output
  v4f width;     // pulse width in points, while LFO 2 does not move it
  v4i run;       // lanes that sound
  v4i idleSign;  // the sign bit in the lanes that do not
  v4i pulse, noise, silent;
  v4i negate;         // the sign bit in lanes of the inverted saw
  v4i pitchEnvelope;  // lanes whose pitch follows the filter envelope
  const float* table[4];
  int osc[4];
  bool voiceB[4];
  bool anyPulse, anyNoise, anySilent, anyFeedback, anyPitchEnvelope;
};

// The filters' coefficients, the same in every lane.
struct cFilterCoefficients {
  v4f c, b, fb, g, f4;
};

// ---- Oscillators ------------------------------------------------------------

inline float cBass::Wave(int osc, float p, float w, uint32_t noiseState) const {
  switch (wave[osc]) {
    case 0:
      return Interpolate(table[osc], p);
    case 1: {
      const float q = WrapPhase(p + w);
      return table[osc][int32_t(p)] - table[osc][int32_t(q)];
    }
    case 2:
      return Interpolate(wavetables->Sine4096(), p);
    case 3:
      return NoiseSample(noiseState);
    case 4:
      return -Interpolate(table[osc], p);
    default:
      return 0.0f;
  }
}

inline float cBass::StepOscillator(int osc, float& phase, float& previous, float inc, float w,
                                   uint32_t noiseState, bool& wrapped) const {
  float p = phase;
  const float offset = previous * feedback[osc] * 4096.0f;
  if (offset != 0.0f) p = WrapPhase(p + offset);
  const float out = Wave(osc, p, w, noiseState);
  previous = out;
  float next = phase + inc;
  wrapped = next >= 4096.0f || next < 0.0f;
  if (wrapped) next = WrapPhase(next);
  phase = next;
  return out;
}

// A group of three with its syncs, one oscillator after the other.
inline float cBass::RunGroup(cOscGroup& g, const float* inc, const float* w, const float* lv,
                             const bool* runs, uint32_t noiseState) {
  float mix = 0.0f;
  for (int k = 0; k < 3; ++k) {
    if (!runs[k]) continue;
    bool wrapped = false;
    const float out =
        StepOscillator(k, g.phase[k], g.previous[k], inc[k], w[k], noiseState, wrapped);
    if (wrapped) {
      if (k == 0 && sync2) g.phase[1] = 0.0f;
      if (k == 1 && sync3) g.phase[2] = 0.0f;
    }
    mix += out * lv[k];
  }
  return mix;
}

void cBass::SetUpLanes(cOscLanes& lo, cOscLanes& hi, const bool* runs, const float* levels,
                       const float* unisonInc, int mode) const {
  const bool twoVoices = mode == 1 || mode == 2;
  for (int v = 0; v < 2; ++v) {
    cOscLanes& s = v == 0 ? lo : hi;
    s.anyPulse = s.anyNoise = s.anySilent = s.anyFeedback = s.anyPitchEnvelope = false;
    for (int l = 0; l < 4; ++l) {
      // Lanes 2 and 3 of the second vector stand idle beside oscillator 3.
      const int k = v == 0 ? l / 2 : 2;
      const bool b = (l & 1) != 0;
      const bool sounds = runs[k] && (!b || twoVoices) && (v == 0 || l < 2);
      s.osc[l] = k;
      s.voiceB[l] = b;
      s.run[l] = sounds ? -1 : 0;
      s.idleSign[l] = sounds ? 0 : kSignBit;
      s.inc[l] = !sounds     ? 0.0f
                 : !b        ? currentInc[0][k]
                 : mode == 1 ? unisonInc[k]
                             : currentInc[1][k];
      s.level[l] = levels[k];
      s.feedback[l] = feedback[k];
      s.width[l] = width[k] * 4096.0f;
      const int32_t w = wave[k];
      s.pulse[l] = sounds && w == 1 ? -1 : 0;
      s.noise[l] = sounds && w == 3 ? -1 : 0;
      s.silent[l] = sounds && (w < 0 || w > 4) ? -1 : 0;
      s.negate[l] = w == 4 ? kSignBit : 0;
      s.pitchEnvelope[l] = mode != 1 && pitchFromEnv[k] ? -1 : 0;
      s.table[l] = w == 2 ? wavetables->Sine4096() : table[k];
      if (!sounds) continue;
      s.anyPulse |= w == 1;
      s.anyNoise |= w == 3;
      s.anySilent |= w < 0 || w > 4;
      s.anyFeedback |= feedback[k] != 0.0f;
      s.anyPitchEnvelope |= s.pitchEnvelope[l] != 0;
    }
  }
}

namespace {

// One frame of four lanes, each as StepOscillator would run it: false, with
// nothing changed, when a phase lies more than a period outside its range.
// kPlain: every lane that sounds interpolates a table (waveforms 0, 2 and
// 4) without feedback, so `previous` only keeps the last output.
template <bool kPlain>
[[gnu::always_inline]] inline bool StepLanes(const cOscLanes& s, v4f& phase, v4f& previous, v4f inc,
                                             v4f width, v4f noise, v4f& product) {
  v4f next = phase + inc;
  v4i far = {};
  // Most frames wrap no phase.
  if (Any(((next >= Splat(4096.0f)) | (next < Splat(0.0f))) & s.run)) {
    next = WrapLanes(next, far);
    if (kPlain && Any(far & s.run)) return false;
  }
  v4f p = phase;
  v4f q = {};
  if constexpr (!kPlain) {
    if (s.anyFeedback) {
      const v4f offset = previous * s.feedback * 4096.0f;
      const v4i moved = offset != Splat(0.0f);
      v4i farRead = {};
      p = Select(moved, WrapLanes(phase + offset, farRead), phase);
      far |= farRead & moved;
    }
    if (s.anyPulse) {
      v4i farPulse = {};
      q = WrapLanes(p + width, farPulse);
      far |= farPulse & s.pulse;
    }
    if (Any(far & s.run)) return false;
  }

  p = (v4f)((v4i)p & s.run);  // idle lanes read their table's first points
  const v4i i = __builtin_convertvector(p, v4i);
  const v4f f = p - __builtin_convertvector(i, v4f);
  v4f t0, t1;
  if constexpr (kPlain) {
    // Each lane's two points in one load, then sorted into first and second.
    v2f a, b, c, d;
    std::memcpy(&a, s.table[0] + i[0], sizeof(a));
    std::memcpy(&b, s.table[1] + i[1], sizeof(b));
    std::memcpy(&c, s.table[2] + i[2], sizeof(c));
    std::memcpy(&d, s.table[3] + i[3], sizeof(d));
    const v4f ab = __builtin_shufflevector(a, b, 0, 2, 1, 3);
    const v4f cd = __builtin_shufflevector(c, d, 0, 2, 1, 3);
    t0 = __builtin_shufflevector(ab, cd, 0, 1, 4, 5);
    t1 = __builtin_shufflevector(ab, cd, 2, 3, 6, 7);
  } else {
    v4i j = i + 1;
    if (s.anyPulse) j = Select(s.pulse, __builtin_convertvector(Select(s.pulse, q, p), v4i), j);
    t0 = v4f{s.table[0][i[0]], s.table[1][i[1]], s.table[2][i[2]], s.table[3][i[3]]};
    t1 = v4f{s.table[0][j[0]], s.table[1][j[1]], s.table[2][j[2]], s.table[3][j[3]]};
  }
  v4f out = t0 + (t1 - t0) * f;
  if constexpr (!kPlain) {
    if (s.anyPulse) out = Select(s.pulse, t0 - t1, out);
  }
  out = (v4f)((v4i)out ^ s.negate);
  if constexpr (kPlain) {
    previous = out;
  } else {
    if (s.anyNoise) out = Select(s.noise, noise, out);
    if (s.anySilent) out = Select(s.silent, Splat(0.0f), out);
    previous = Select(s.run, out, previous);
  }
  phase = next;
  // An idle lane adds -0 to its voice's sum, which changes no sum.
  product = (v4f)(((v4i)(out * s.level) & s.run) | s.idleSign);
  return true;
}

}  // namespace

// The frame StepLanes declined, lane by lane.
void cBass::StepLanesScalar(const cOscLanes& s, float* phase, float* previous, const float* inc,
                            const float* w, uint32_t noiseA, uint32_t noiseB,
                            float* product) const {
  for (int l = 0; l < 4; ++l) {
    product[l] = -0.0f;
    if (s.run[l] == 0) continue;
    bool wrapped = false;
    const float out = StepOscillator(s.osc[l], phase[l], previous[l], inc[l], w[l],
                                     s.voiceB[l] ? noiseB : noiseA, wrapped);
    product[l] = out * s.level[l];
  }
}

// ---- Controls and filter ------------------------------------------------------

void cBass::PrepareControls(cBassControls& c, int32_t n, bool widths) {
  if (volume == targetVolume && pan == targetPan && cutoff == targetCutoff &&
      resonance == targetResonance && cutoff >= 0.0025f) {
    std::fill(c.volume, c.volume + n, volume);
    std::fill(c.pan, c.pan + n, pan);
    std::fill(c.cutoff, c.cutoff + n, cutoff);
    std::fill(c.resonance, c.resonance + n, resonance);
  } else {
    for (int32_t i = 0; i < n; ++i) {
      c.volume[i] = volume;
      c.pan[i] = pan;
      volume = Toward(volume, targetVolume, 1.0f / 128.0f);
      pan = Toward(pan, targetPan, 1.0f / 128.0f);
      cutoff = std::max(Toward(cutoff, targetCutoff, 1.0f / 512.0f), 0.0025f);
      resonance = Toward(resonance, targetResonance, 1.0f / 512.0f);
      c.cutoff[i] = cutoff;
      c.resonance[i] = resonance;
    }
  }

  amp.Run(c.amp, n);
  filterEnv.Run(c.filterEnv, n);

  // LFO 1 is read only where the filter is recomputed; LFO 2 only by pulse
  // waves. Their phases move on by whole stretches.
  c.lfo1Phase = lfo[0].phase;
  lfo[0].phase = (lfo[0].phase + uint32_t(n) * lfo[0].increment) & 0x7FFFFFFFu;
  if (widths && lfo[1].depth > 0.0f) {
    for (int32_t i = 0; i < n; ++i) {
      const float out = sine[lfo[1].phase >> 20] * lfo[1].depth;
      lfo[1].phase = (lfo[1].phase + lfo[1].increment) & 0x7FFFFFFFu;
      c.width[i] = std::clamp((out * 0.5f + 0.5f) * 4096.0f, 4.096f, 4096.0f);
    }
  } else {
    lfo[1].phase = (lfo[1].phase + uint32_t(n) * lfo[1].increment) & 0x7FFFFFFFu;
  }

  // LFO 3 waits out its delay, holding its last output.
  cLfo& l3 = lfo[2];
  for (int32_t i = 0; i < n; ++i) {
    if (lfo3Counter > 0) {
      const int32_t wait = std::min(lfo3Counter, n - i);
      std::fill(c.pitch + i, c.pitch + i + wait, 1.0f + 0.75f * l3.out);
      lfo3Counter -= wait;
      i += wait - 1;
      continue;
    }
    l3.out = sine[l3.phase >> 20] * l3.depth;
    l3.phase = (l3.phase + l3.increment) & 0x7FFFFFFFu;
    c.pitch[i] = 1.0f + 0.75f * l3.out;
  }
}

void cBass::ClearFilters() {
  filterL = cFilterState{};
  filterR = cFilterState{};
  updateCounter = 0;
}

void cBass::RecomputeFilter(float envelope, float cutoffNow, float resonanceNow, float lfo1) {
  float c = cutoffMode == 0 ? envelope * envAmount + cutoffNow + lfo1
                            : envelope * envAmount * cutoffNow + lfo1;
  if (filterType == 3) {
    c = std::clamp(c, 0.005f, 0.999f);
    const float f = 1.16f * c;
    const float f2 = f * f;
    coefF4 = f2 * f2;
    coefG = 1.0f - f;
    coefFb = resonanceNow * 0.9f * (1.0f - 0.15f * f2);
  } else {
    c = std::clamp(c, 0.001f, 0.999f);
    coefC = c;
    coefB = 1.0f - c;
    coefFb = resonanceNow * 0.25f * (1.0f / coefB + 1.0f);
  }
}

// ---- Frames -----------------------------------------------------------------

void cBass::Render(float* frames, int32_t count) {
  if (count <= 0) return;
  if (amp.state == cCurveEnvelope::kIdle || wavetables == nullptr || !wavetables->Ready()) {
    std::memset(frames, 0, sizeof(float) * 2 * size_t(count));
    return;
  }
  // The table follows the frequency the oscillator had when the call began.
  for (int k = 0; k < 3; ++k) {
    float hz = currentInc[0][k] * hzScale - 0.5f;
    if (!(hz >= 0.0f)) hz = 0.0f;
    if (hz > float(kWaveIndexEntries - 1)) hz = float(kWaveIndexEntries - 1);
    table[k] = wavetables->TableForHz(int32_t(std::nearbyint(hz)));
  }
  for (int s = 0; s < 2; ++s) {
    for (int k = 0; k < 3; ++k) {
      float& cur = currentInc[s][k];
      const float target = targetInc[s][k];
      if (glideStep == 0.0f || cur <= 0.0f) {
        cur = target;
      } else {
        cur = Toward(cur, target, glideStep);
      }
    }
  }
  // Types 4-7 (and any other) leave the sound unfiltered.
  const int filter = filterType == 3 ? 3 : filterType == 1 || filterType == 2 ? 1 : 0;
  bool plain = !sync2 && !sync3;
  for (int k = 0; k < 3; ++k) {
    const bool sounds = level[k] > 0.0f;
    plain &= !sounds || ((wave[k] == 0 || wave[k] == 2 || wave[k] == 4) && feedback[k] == 0.0f);
  }
  // A frame loop for each mode, filter and arrangement of the oscillators.
  const auto run = [&]<int kMode>() {
    const auto loop = [&]<int kFilter>() {
      if (plain) {
        RenderFrames<kMode, kFilter, true>(frames, count);
      } else {
        RenderFrames<kMode, kFilter, false>(frames, count);
      }
    };
    if (filter == 3) {
      loop.template operator()<3>();
    } else if (filter == 1) {
      loop.template operator()<1>();
    } else {
      loop.template operator()<0>();
    }
  };
  switch (renderMode) {
    case 1:
      run.template operator()<1>();
      break;
    case 2:
      run.template operator()<2>();
      break;
    case 3:
      run.template operator()<3>();
      break;
    default:
      run.template operator()<0>();
      break;
  }
  // A filter driven past stability must not stay silent (NaN) for good.
  for (cFilterState* s : {&filterL, &filterR}) {
    float sum = s->s1 + s->s2;
    for (int i = 0; i < 4; ++i) sum += s->y[i] + s->in[i];
    if (!std::isfinite(sum)) *s = cFilterState{};
  }
}

namespace {

// The four-pole low-pass of one or two voices. The input of stages 2-4 is
// the output of the stage before, one frame back.
struct cFourPole {
  v4f y0, y1, y2, y3, in0;
};

[[gnu::always_inline]] inline v4f FourPole(cFourPole& s, v4f x, const cFilterCoefficients& k,
                                           v4i used) {
  const v4f in = (x - s.y3 * k.fb) * k.f4 * 0.35013f;
  const v4f y0 = k.g * s.y0 + 0.3f * s.in0 + in;
  const v4f y1 = k.g * s.y1 + 0.3f * s.y0 + y0;
  const v4f y2 = k.g * s.y2 + 0.3f * s.y1 + y1;
  v4f y3 = k.g * s.y3 + 0.3f * s.y2 + y2;
  const v4i tiny = TinyLanes(y3);
  if (Any(tiny & used)) y3 = Select(tiny, Splat(0.0f), y3);
  s = cFourPole{y0, y1, y2, y3, in};
  return 2.0f * y3;
}

struct cTwoPole {
  v4f s1, s2;
};

[[gnu::always_inline]] inline v4f TwoPole(cTwoPole& s, v4f x, const cFilterCoefficients& k,
                                          v4i used, bool highPass) {
  s.s1 = k.b * s.s1 + ((s.s1 - s.s2) * k.fb + x) * k.c;
  s.s2 = k.c * s.s1 + k.b * s.s2;
  const v4i tiny = TinyLanes(s.s2);
  if (Any(tiny & used)) s.s2 = Select(tiny, Splat(0.0f), s.s2);
  return highPass ? x - s.s2 : s.s2;
}

}  // namespace

// kMode: 0 single, 1 unison, 2 stereo, 3 delay. kFilter: 0 none, 1 the
// two-pole low- or high-pass, 3 the four-pole low-pass. kPlain: oscillators
// in lanes, each interpolating a table without feedback.
template <int kMode, int kFilter, bool kPlain>
void cBass::RenderFrames(float* out, int32_t count) {
  static constexpr float kUnison[3] = {1.02f, 1.022f, 1.024f};
  constexpr bool kTwoVoices = kMode == 1 || kMode == 2;
  const bool runs[3] = {level[0] > 0.0f || sync2, level[1] > 0.0f || sync3, level[2] > 0.0f};
  float levels[3], unisonInc[3];
  for (int k = 0; k < 3; ++k) {
    levels[k] = kMode == 1 ? level[k] * 0.7f : level[k];
    unisonInc[k] = currentInc[0][k] * kUnison[k];
  }
  // An oscillator synced to another restarts inside the other's frame: such
  // groups run one oscillator after the other.
  const bool lanes = kPlain || (!sync2 && !sync3);
  cOscLanes lo, hi;
  SetUpLanes(lo, hi, runs, levels, unisonInc, kMode);
  const bool third = runs[2];
  const bool pitchEnvelope = lo.anyPitchEnvelope || hi.anyPitchEnvelope;
  const bool noiseWave = lo.anyNoise || hi.anyNoise;
  bool widths = false;
  for (int k = 0; k < 3; ++k) widths |= !kPlain && runs[k] && wave[k] == 1;
  const bool lfoWidth = widths && lfo[1].depth > 0.0f;

  v4f phaseLo = {groupA.phase[0], groupB.phase[0], groupA.phase[1], groupB.phase[1]};
  v4f phaseHi = {groupA.phase[2], groupB.phase[2], 0.0f, 0.0f};
  const v4f startLo = {groupA.previous[0], groupB.previous[0], groupA.previous[1],
                       groupB.previous[1]};
  const v4f startHi = {groupA.previous[2], groupB.previous[2], 0.0f, 0.0f};
  v4f previousLo = startLo, previousHi = startHi;

  // The filters: voice A (left) in lane 0, voice B (right) in lane 1.
  const auto pair = [](float a, float b) { return v4f{a, b, 0.0f, 0.0f}; };
  cFourPole four{pair(filterL.y[0], filterR.y[0]), pair(filterL.y[1], filterR.y[1]),
                 pair(filterL.y[2], filterR.y[2]), pair(filterL.y[3], filterR.y[3]),
                 pair(filterL.in[0], filterR.in[0])};
  cTwoPole two{pair(filterL.s1, filterR.s1), pair(filterL.s2, filterR.s2)};
  const v4i used = {-1, kMode == 2 ? -1 : 0, 0, 0};
  cFilterCoefficients coefs;
  const auto loadCoefficients = [&] {
    coefs =
        cFilterCoefficients{Splat(coefC), Splat(coefB), Splat(coefFb), Splat(coefG), Splat(coefF4)};
  };
  loadCoefficients();
  const bool highPass = filterType == 2;
  int32_t counter = updateCounter;
  const int32_t period = updatePeriod;

  const bool clip = softClip;
  const float clipDrive = drive;
  const float pitchDepth = envToPitch;
  uint32_t noiseState = noise;
  int32_t read = delayRead, write = delayWrite;

  // A lane set's frame as StepLanes runs it, or lane by lane where it cannot.
  const auto step = [this](const cOscLanes& s, v4f& phase, v4f& previous, v4f inc, v4f width,
                           v4f noiseOut, uint32_t noiseA, uint32_t noiseB) {
    v4f product;
    if (StepLanes<kPlain>(s, phase, previous, inc, width, noiseOut, product)) return product;
    float p[4], prev[4], steps[4], w[4], products[4];
    std::memcpy(p, &phase, sizeof(p));
    std::memcpy(prev, &previous, sizeof(prev));
    std::memcpy(steps, &inc, sizeof(steps));
    std::memcpy(w, &width, sizeof(w));
    StepLanesScalar(s, p, prev, steps, w, noiseA, noiseB, products);
    std::memcpy(&phase, p, sizeof(p));
    std::memcpy(&previous, prev, sizeof(prev));
    std::memcpy(&product, products, sizeof(product));
    return product;
  };

  cBassControls c;
  for (int32_t done = 0; done < count; done += kStretch) {
    const int32_t n = std::min(kStretch, count - done);
    PrepareControls(c, n, widths);
    float* frame = out + 2 * size_t(done);
    for (int32_t i = 0; i < n; ++i, frame += 2) {
      const uint32_t noiseA = NextNoise(noiseState);
      const uint32_t noiseB = kMode == 2 ? NextNoise(noiseA) : noiseA;
      noiseState = noiseB;

      v4f incLo = lo.inc, incHi = hi.inc;
      if constexpr (kMode != 1) {
        // LFO 3's factor is exactly 1 while it rests, so it may always apply.
        incLo *= c.pitch[i];
        incHi *= c.pitch[i];
        if (pitchEnvelope) {
          const v4f envPitch = Splat(1.0f + c.filterEnv[i] * pitchDepth);
          incLo *= Select(lo.pitchEnvelope, envPitch, Splat(1.0f));
          incHi *= Select(hi.pitchEnvelope, envPitch, Splat(1.0f));
        }
      }

      v4f mix = {};  // lanes 0 and 1: the sums of voices A and B
      if (lanes) {
        const v4f widthLo = lfoWidth ? Splat(c.width[i]) : lo.width;
        const v4f widthHi = lfoWidth ? Splat(c.width[i]) : hi.width;
        v4f noiseOut = {};
        if (!kPlain && noiseWave) {
          const float a = NoiseSample(noiseA), b = NoiseSample(noiseB);
          noiseOut = v4f{a, b, a, b};
        }
        // Summed in oscillator order from 0.
        const v4f productLo =
            step(lo, phaseLo, previousLo, incLo, widthLo, noiseOut, noiseA, noiseB);
        mix = Splat(0.0f) + productLo;
        mix += __builtin_shufflevector(productLo, productLo, 2, 3, 2, 3);
        if (third) {
          mix += step(hi, phaseHi, previousHi, incHi, widthHi, noiseOut, noiseA, noiseB);
        }
      } else if constexpr (!kPlain) {
        const float incA[3] = {incLo[0], incLo[2], incHi[0]};
        const float incB[3] = {incLo[1], incLo[3], incHi[1]};
        float w[3] = {lo.width[0], lo.width[2], hi.width[0]};
        if (lfoWidth) w[0] = w[1] = w[2] = c.width[i];
        mix[0] = RunGroup(groupA, incA, w, levels, runs, noiseA);
        if constexpr (kTwoVoices) mix[1] = RunGroup(groupB, incB, w, levels, runs, noiseB);
      }

      v4f x;
      if constexpr (kMode == 2) {
        x = v4f{mix[0], -mix[1], 0.0f, 0.0f};
      } else if constexpr (kMode == 1) {
        x = v4f{mix[0] - mix[1], 0.0f, 0.0f, 0.0f};
      } else {
        x = v4f{mix[0], 0.0f, 0.0f, 0.0f};
      }

      if constexpr (kFilter != 0) {
        if (counter <= 0) {
          const uint32_t phase1 = (c.lfo1Phase + uint32_t(i) * lfo[0].increment) & 0x7FFFFFFFu;
          RecomputeFilter(c.filterEnv[i], c.cutoff[i], c.resonance[i],
                          sine[phase1 >> 20] * lfo[0].depth);
          loadCoefficients();
          counter = period;
        }
        --counter;
        if constexpr (kFilter == 3) {
          x = FourPole(four, x, coefs, used);
        } else {
          x = TwoPole(two, x, coefs, used, highPass);
        }
      }

      const float a = c.amp[i];
      v4f side;
      if constexpr (kMode == 2) {
        side = v4f{a, -a, 0.0f, 0.0f} * x;
        if (clip) {
          side[0] = std::atan(side[0] * clipDrive) * 0.63661975f;
          side[1] = std::atan(side[1] * clipDrive) * 0.63661975f;
        }
      } else {
        float y = a * x[0];
        if (clip) y = std::atan(y * clipDrive) * 0.63661975f;
        if constexpr (kMode == 3) {
          side = v4f{y, delayLine[read], 0.0f, 0.0f};
          delayLine[write] = -y;
          read = (read + 1) & 1023;
          write = (write + 1) & 1023;
        } else {
          side = v4f{y, y, 0.0f, 0.0f};
        }
      }
      const float pn = c.pan[i];
      const v4f sample = side * v4f{1.0f - pn, pn, 0.0f, 0.0f} * 32767.0f * Splat(c.volume[i]);
      std::memcpy(frame, &sample, 2 * sizeof(float));
    }
  }

  noise = noiseState;
  delayRead = read;
  delayWrite = write;
  if constexpr (kFilter != 0) updateCounter = counter;
  if (lanes) {
    // Idle lanes keep the output they had.
    previousLo = Select(lo.run, previousLo, startLo);
    previousHi = Select(hi.run, previousHi, startHi);
    for (int k = 0; k < 3; ++k) {
      const v4f& p = k < 2 ? phaseLo : phaseHi;
      const v4f& prev = k < 2 ? previousLo : previousHi;
      const int l = k < 2 ? 2 * k : 0;
      groupA.phase[k] = p[l];
      groupA.previous[k] = prev[l];
      if (kTwoVoices) {
        groupB.phase[k] = p[l + 1];
        groupB.previous[k] = prev[l + 1];
      }
    }
  }
  for (int side = 0; side < (kMode == 2 ? 2 : 1); ++side) {
    cFilterState& s = side == 0 ? filterL : filterR;
    if constexpr (kFilter == 3) {
      const v4f* y[4] = {&four.y0, &four.y1, &four.y2, &four.y3};
      for (int k = 0; k < 4; ++k) s.y[k] = (*y[k])[side];
      s.in[0] = four.in0[side];
      for (int k = 1; k < 4; ++k) s.in[k] = s.y[k - 1];
    } else if constexpr (kFilter == 1) {
      s.s1 = two.s1[side];
      s.s2 = two.s2[side];
    }
  }
}
