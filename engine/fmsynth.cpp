#include "engine/fmsynth.h"

#include <algorithm>
#include <cfloat>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <memory>
#include <numbers>

#if defined(__x86_64__)
#include <xmmintrin.h>
#endif

namespace {

constexpr float kLevel = 1.0f / 127.0f;
constexpr float kTableSize = float(kFMTableSize);
constexpr int32_t kTableMask = kFMTableSize - 1;

constexpr int16_t kDefaults[kFMWords] = {
    64, 64, 0,  0, 0, 0, 0, 40,     // volume, pan, transpose, tunings, index
    0,  5,  48, 0, 7, 0, 0, 0,  1,  // modulation envelope, its curves, restart
    0,  3,  48, 0, 7, 0, 0, 0,  0,  // amplitude envelope, its curves, restart
    0,  0,  0,                      // waveforms, feedback
    0,  0,  2};                     // unused, unused, generator type

// The range each word's editor control offers.
struct cRange {
  int16_t low, high;
};
constexpr cRange kRanges[kFMWords] = {
    {0, 127},    {0, 127}, {-24, 24}, {-36, 36}, {-100, 100}, {-36, 36},   {-100, 100}, {0, 127},
    {0, 255},    {0, 255}, {0, 127},  {0, 255},  {0, 255},    {-127, 127}, {-127, 127}, {-127, 127},
    {0, 1},      {0, 255}, {0, 255},  {0, 127},  {0, 255},    {0, 255},    {-127, 127}, {-127, 127},
    {-127, 127}, {0, 1},   {0, 3},    {0, 3},    {0, 127},    {0, 0},      {0, 0},      {2, 2}};

int16_t Clamp(int32_t index, int16_t value) {
  return std::clamp(value, kRanges[index].low, kRanges[index].high);
}

float Approach(float value, float target, float delta) {
  if (value < target) return std::min(value + delta, target);
  if (value > target) return std::max(value - delta, target);
  return value;
}

// Into 0 ... 16384 by whole periods, however far it lies outside.
float Wrap(float x) {
  if (x >= kTableSize || x < 0.0f) x -= kTableSize * std::floor(x * (1.0f / kTableSize));
  return x;
}

// std::lrint, without the library call it compiles to: on x86-64 that
// function is this very instruction (rounding in the current mode, 64 bits).
int64_t RoundToInteger(float x) {
#if defined(__x86_64__)
  return _mm_cvtss_si64(_mm_set_ss(x));
#else
  return std::lrint(x);
#endif
}

// Both indices are masked into the table: a position that wraps to exactly
// 16384 reads entry 0, and index + 1 never passes the end.
float Lookup(const float* table, float p) {
  const int32_t i = int32_t(RoundToInteger(p - 0.5f));
  const float a = table[i & kTableMask];
  const float b = table[(i + 1) & kTableMask];
  return a + (b - a) * (p - float(i));
}

}  // namespace

cFMSynth::cFMSynth() : tables(SharedTables()) {
  Init(44100);
  Reset();
}

// The four waveforms depend on nothing but the table size: built once, on
// the first construction (never on the audio thread), and shared by every
// FM synthesizer.
const cFMSynth::cTables& cFMSynth::SharedTables() {
  struct cSet {
    cTables t;
  };
  static const std::unique_ptr<const cSet> shared = [] {
    auto set = std::make_unique<cSet>();
    cTables& t = set->t;
    float* sine = t[0];
    for (int i = 0; i < kFMTableSize; ++i) {
      sine[i] = float(std::sin(double(i) * 2.0 * std::numbers::pi / double(kFMTableSize)));
    }
    // Waveforms 1-3 are emphasised slightly while they are built, each from
    // y[-1] = 0 in index order.
    for (int w = 1; w < kFMWaveforms; ++w) {
      float previous = 0.0f;
      for (int i = 0; i < kFMTableSize; ++i) {
        const int j = i & 8191;
        float x = 0.0f;
        if (w == 1) {
          x = sine[j];
        } else if (w == 2) {
          x = i < 8192 ? sine[i] : 0.0f;
        } else if (j < 4096) {
          x = sine[j];
        } else if (j < 5120) {
          x = sine[5 * j - 16384];
        }
        previous = x + 0.002f * (x - previous);
        t[w][i] = previous;
      }
    }
    return set;
  }();
  return shared->t;
}

void cFMSynth::Init(int32_t sampleRate) {
  rate = float(sampleRate);
  samplesPerMs = rate * 0.001f;
  stepsPerHz = kTableSize / rate;
}

void cFMSynth::Reset() {
  LoadDefaults();
  amp.Silence();
  mod.Silence();
  phase[0] = phase[1] = 0.0f;
  modOutput = 0.0f;
  volume = pan = 0.0f;
  playing = 0;
  note = 0;
  columns.Clear();
}

void cFMSynth::LoadDefaults() { SetParams(kDefaults); }

void cFMSynth::GetDefaults(int16_t* p) { std::memcpy(p, kDefaults, sizeof kDefaults); }

void cFMSynth::FilterParams(int16_t* p) {
  for (int32_t i = 0; i < kFMWords; ++i) p[i] = Clamp(i, p[i]);
}

void cFMSynth::FormatParam(char* text, int32_t, int16_t value) {
  std::snprintf(text, 8, "%d", int(value));
}

// A block from a song file may be unfiltered: the copy is clamped, so that no
// word can push a frequency or a table index out of range.
void cFMSynth::SetParams(const int16_t* p) {
  for (int32_t i = 0; i < kFMWords; ++i) params[i] = Clamp(i, p[i]);
  for (int32_t i = 0; i <= 7; ++i) ApplyWord(i);
  for (int32_t i = 26; i <= 28; ++i) ApplyWord(i);
  ApplyEnvelopes();
}

void cFMSynth::SetParam(int32_t index, int16_t value) {
  if (index < 0 || index >= kFMWords) return;
  params[index] = Clamp(index, value);
  // The envelope words wait for the next whole block.
  if (index <= 7 || (index >= 26 && index <= 28)) ApplyWord(index);
}

void cFMSynth::ApplyWord(int32_t index) {
  const int16_t w = params[index];
  switch (index) {
    case 0:
      targetVolume = float(std::min<int>(w, 127)) / 64.0f;
      break;
    case 1:
      targetPan = float(w & 127) * kLevel;
      break;
    case 2:
      transpose = w;
      break;
    case 3:
      coarse[0] = float(w);
      break;
    case 4:
      fine[0] = float(w) * 0.01f;
      break;
    case 5:
      coarse[1] = float(w);
      break;
    case 6:
      fine[1] = float(w) * 0.01f;
      break;
    case 7:
      modIndex = float(w & 127) * kLevel * 5.0f;
      break;
    case 26:
      waveform[0] = w & 3;
      break;
    case 27:
      waveform[1] = w & 3;
      break;
    case 28:
      feedback = float(w & 127) * kLevel * kTableSize * 0.25f;
      break;
    default:
      break;
  }
}

float cFMSynth::Samples(int16_t word, bool zeroIsOneMs) const {
  if (word == 0) return zeroIsOneMs ? samplesPerMs : 0.0f;
  return float(word) * 10.0f * samplesPerMs;
}

void cFMSynth::ApplyEnvelopes() {
  struct Words {
    cCurveEnvelope* e;
    int first;  // attack, decay, level, sustain time, release, three curves, restart
  };
  for (Words x : {Words{&mod, 8}, Words{&amp, 17}}) {
    cCurveEnvelope& e = *x.e;
    const int16_t* w = params + x.first;
    e.attack = Samples(w[0], true);
    e.decay = Samples(w[1], true);
    e.sustain = float(w[2] & 127) * kLevel;
    e.sustainTime = Samples(w[3], false);
    e.release = Samples(w[4], true);
    e.attackCurve = float(w[5]) * kLevel;
    e.decayCurve = float(w[6]) * kLevel;
    e.releaseCurve = float(w[7]) * kLevel;
    e.restart = w[8] == 1;
  }
}

void cFMSynth::SetPitch(int32_t n) {
  if (n < 0) n = 0;
  const int32_t f = n + transpose;
  for (int op = 0; op < 2; ++op) {
    const float hz = 16.3516f * std::pow(2.0f, (float(f) + coarse[op] + fine[op]) / 12.0f);
    increment[op] = hz * stepsPerHz;
  }
}

void cFMSynth::NoteOn(int32_t n) {
  note = n;
  SetPitch(n);
  if (columns.Has(0x03)) return;  // a slide onto the note: no restart
  amp.Start();
  mod.Start();
}

// An idle envelope stays idle: no release from silence.
void cFMSynth::NoteOff() {
  for (cCurveEnvelope* e : {&amp, &mod}) {
    if (e->state != cCurveEnvelope::kIdle) e->Release();
  }
}

void cFMSynth::FastRelease() {
  amp.release = mod.release = 15.0f * rate / 1000.0f;
  NoteOff();
}

void cFMSynth::SetPan(int32_t p) { targetPan = float(std::clamp(p, 1, 126)) * kLevel; }

void cFMSynth::PanSlide(int32_t step) {
  // Rounded back to the pan word: truncation gives p - 1 for some words (9,
  // 13, 18, ...), where a slide by +1 would stall.
  if (step != 0) SetPan((int32_t(targetPan * 127.0f + 0.5f) & 127) + step);
}

void cFMSynth::SetVolume(int32_t v) { targetVolume = float(std::clamp(v, 0, 127)) / 64.0f; }

void cFMSynth::VolumeSlide(int32_t step) {
  if (step != 0) SetVolume(int32_t(targetVolume * 64.0f) + step);
}

void cFMSynth::SetCommand(int32_t column, int32_t command) {
  const cCommandColumns::cColumn& c = columns.Take(column, command);
  if (c.command == 0x08) SetPitch(note);
  if (c.command == 0x0C) SetVolume(c.parameter);
}

void cFMSynth::Tick(int32_t tick) {
  for (const cCommandColumns::cColumn& c : columns) {
    if (c.command == 0x08) {
      SetPitch(note + c.ArpeggioStep(tick));
    } else if (c.command == 0x0A) {
      VolumeSlide(c.high - c.low);
    }
  }
}

void cFMSynth::Render(float* frames, int32_t count) {
  if (count <= 0) return;
  if (amp.state == cCurveEnvelope::kIdle) {
    std::memset(frames, 0, sizeof(float) * 2 * size_t(count));
    return;
  }
  const float* m = tables[waveform[0]];
  const float* c = tables[waveform[1]];
  for (int32_t k = 0; k < count; ++k) {
    const float vol = volume, pn = pan;
    volume = Approach(volume, targetVolume, 1.0f / 128.0f);
    pan = Approach(pan, targetPan, 1.0f / 128.0f);
    amp.Advance();
    mod.Advance();

    float p = modOutput * feedback + phase[0];
    p = std::fabs(p) < FLT_MIN ? 0.0f : Wrap(p);
    modOutput = Lookup(m, p) * modIndex * mod.value;
    phase[0] = Wrap(phase[0] + increment[0]);

    const float q = Wrap(modOutput * kTableSize + phase[1]);
    const float y = Lookup(c, q) * amp.value;
    phase[1] = Wrap(phase[1] + increment[1]);

    frames[2 * k] = y * (1.0f - pn) * 24575.25f * vol;
    frames[2 * k + 1] = y * pn * 24575.25f * vol;
  }
}
