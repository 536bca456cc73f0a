#include "engine/bass.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <numbers>

#include "engine/wavetables.h"

namespace {

constexpr float k127 = 1.0f / 127.0f;
// A tuning word far out of range would overflow the phase step to infinity
// (and the phase to NaN); steps are held to 4096 cycles per frame, far above
// anything audible. Slides are left alone: they add at most 16 per tick.
constexpr float kMaxIncrement = 16777216.0f;

struct cWordRange {
  int16_t low, high;
  bool clamped;
};

// What FilterParams forces, word by word (word 31, the type, is forced to 0).
// clang-format off
constexpr cWordRange kRanges[kBassParams] = {
    {0, 127, true},    {0, 127, true},    {0, 15, true},     {0, 127, true},    // 0-3
    {0, 127, true},    {0, 1, true},      {0, 15, true},     {0, 127, true},    // 4-7
    {0, 0, false},     {0, 0, false},     {0, 127, true},    {0, 255, true},    // 8-11
    {0, 255, true},    {0, 127, true},    {0, 255, true},    {0, 255, true},    // 12-15
    {0, 255, true},    {0, 255, true},    {0, 127, true},    {0, 255, true},    // 16-19
    {0, 255, true},    {0, 7, true},      {0, 255, true},    {0, 255, true},    // 20-23
    {0, 255, true},    {0, 127, true},    {0, 0, false},     {0, 255, true},    // 24-27
    {0, 127, true},    {0, 0, false},     {0, 127, true},    {0, 0, true},      // 28-31
    {-127, 127, true}, {0, 1, true},      {0, 127, true},    {0, 127, true},    // 32-35
    {0, 127, true},    {0, 127, true},    {0, 0, false},     {0, 0, false},     // 36-39
    {0, 3, true},      {0, 63, true},     {0, 127, true},    {0, 15, true},     // 40-43
    {0, 127, true},    {0, 0, false},     {0, 0, false},     {0, 1, true},      // 44-47
    {0, 127, true},    {0, 127, true},    {0, 127, true},    {0, 3, true},      // 48-51
    {0, 3, true},      {0, 1, true},      {0, 1, true},      {0, 1, true},      // 52-55
    {0, 1, true},      {0, 0, false},     {0, 1, true},      {0, 255, true},    // 56-59
    {0, 127, true},    {0, 0, false},     {0, 3, true},      {0, 1, true},      // 60-63
    {0, 127, true},    {0, 0, false},     {-127, 127, true}, {0, 1, true},      // 64-67
    {0, 1, true},      {0, 1, true},      {-127, 127, true}, {-127, 127, true}, // 68-71
    {-127, 127, true}, {-127, 127, true}, {-127, 127, true}, {-127, 127, true}, // 72-75
};

constexpr int16_t kDefaults[kBassParams] = {
    64, 64, 0,  32, 0,  0, 0,  32, 12, 5,  48, 3,   3,  48, 0,  7,  7,  5,  48,
    0,  7,  1,  16, 208, 5, 8, 63, 5,  100, 63, 0,  0,   31, 0,  0,  0,  0,  0,
    0,  0,  2,  0,  79, 0,  32, -12, 0, 0, 0,  0,   0,  0,  0,  0,  0,  0,  0,
    0,  0,  96, 16, 0,  0,  0,  50, 0,   0,  0,  0,  0,  0,  0,  0,  0,  0,  0,
};
// clang-format on

int32_t Clamp(int32_t v, int32_t low, int32_t high) { return v < low ? low : v > high ? high : v; }

}  // namespace

// ---- Set-up and parameters ------------------------------------------------

// The LFOs' sine depends on nothing but its size: built once, on the first
// construction (never on the audio thread), and shared by every voice.
const float* cBass::SharedSine() {
  static const auto table = [] {
    std::array<float, 2048> t{};
    for (int i = 0; i < 2048; ++i) {
      t[size_t(i)] = float(std::sin(double(i) * 2.0 * std::numbers::pi / 2048.0));
    }
    return t;
  }();
  return table.data();
}

cBass::cBass() : sine(SharedSine()) {
  std::memcpy(params, kDefaults, sizeof(params));
  Init(44100);
}

void cBass::Init(int32_t newRate) {
  sampleRate = newRate > 0 ? newRate : 44100;
  rate = float(sampleRate);
  invRate = 1.0f / rate;
  samplesPerMs = rate * 0.001f;
  hzScale = rate / 4096.0f;
  slideScale = rate / 44100.0f;
  std::fill(std::begin(delayLine), std::end(delayLine), 0.0f);
  delayRead = 0;
  delayWrite = int32_t(samplesPerMs * 5.0f) & 1023;
  for (int i = 0; i < kBassParams; ++i) ApplyWord(i, params[i]);
}

void cBass::Reset() {
  noise = uint32_t(noiseSeeds != nullptr ? noiseSeeds->Next() : std::rand()) ^ 0x67B981C4u;
  LoadDefaults();
  amp.Silence();
  filterEnv.Silence();
  groupA = cOscGroup{};
  groupB = cOscGroup{};
  for (int s = 0; s < 2; ++s) {
    for (int k = 0; k < 3; ++k) targetInc[s][k] = currentInc[s][k] = 0.0f;
  }
  ClearFilters();
  volume = pan = 0.0f;
  glideStep = 0.0f;
  for (cLfo& l : lfo) {
    l.out = 0.0f;
    l.phase = l.start;
  }
  lfo3Counter = 0;
  playing = 0;
  columns.Clear();
  // The delay line keeps its indices; what it still held of an earlier sound
  // would otherwise open the next note on the right channel.
  std::fill(std::begin(delayLine), std::end(delayLine), 0.0f);
}

void cBass::LoadDefaults() { SetParams(kDefaults); }

void cBass::GetDefaults(int16_t* out) { std::memcpy(out, kDefaults, sizeof(kDefaults)); }

void cBass::SetParams(const int16_t* in) {
  for (int i = 0; i < kBassParams; ++i) {
    params[i] = in[i];
    ApplyWord(i, in[i]);
  }
}

void cBass::FilterParams(int16_t* block) {
  for (int i = 0; i < kBassParams; ++i) {
    const cWordRange& r = kRanges[i];
    if (r.clamped) block[i] = int16_t(Clamp(block[i], r.low, r.high));
  }
  block[kParamGenType] = 0;
}

void cBass::FormatParam(char* text, int32_t, int16_t value) { std::snprintf(text, 8, "%d", value); }

float cBass::EnvelopeTime(int32_t w) const {
  return w == 0 ? samplesPerMs : float(w * 10) * samplesPerMs;
}

void cBass::SetLfoRate(cLfo& l) { l.rateHz = float(l.rateWord) / float(16 << l.range); }

void cBass::StartLfoIncrements() {
  // Through a signed integer: a negative rate word runs the LFO backwards.
  for (cLfo& l : lfo) l.increment = uint32_t(int64_t(l.rateHz * 2048.0f / rate * 1048576.0f));
}

// Converts one word into the generator's settings. A block taken over
// without FilterParams (an instrument of a song file) is converted as it
// stands; only the LFO rate ranges are held to 0-3, since they are shift
// counts.
void cBass::ApplyWord(int32_t index, int16_t raw) {
  if (index < 0 || index >= kBassParams) return;
  const bool shift = index == 51 || index == 52 || index == 62;
  const int32_t w = shift ? Clamp(raw, kRanges[index].low, kRanges[index].high) : raw;
  const float fw = float(w);
  // clang-format off
  switch (index) {
    case 0: targetVolume = fw / 64.0f; break;
    case 1: targetPan = fw * k127; break;
    case 2: wave[0] = w; break;
    case 3: width[0] = fw * k127 * 0.5f; break;
    case 4: glideStep = w == 0 ? 0.0f : 4096.0f / float((w + 1) * 35); break;
    case 5: sync2 = w != 0; break;
    case 6: wave[1] = w; break;
    case 7: width[1] = fw * k127; break;
    case 8: coarse[1] = w; break;
    case 9: fine[1] = fw * 0.01f; break;
    case 10: level[1] = fw * k127; break;
    case 11: amp.attack = EnvelopeTime(w); break;
    case 12: amp.decay = EnvelopeTime(w); break;
    case 13: amp.sustain = fw * k127; break;
    case 14: amp.sustainTime = float(w * 10) * samplesPerMs; break;
    case 15: amp.release = EnvelopeTime(w); break;
    case 16: filterEnv.attack = EnvelopeTime(w); break;
    case 17: filterEnv.decay = EnvelopeTime(w); break;
    case 18: filterEnv.sustain = fw * k127; break;
    case 19: filterEnv.sustainTime = float(w * 10) * samplesPerMs; break;
    case 20: filterEnv.release = EnvelopeTime(w); break;
    case 21:
      // Coefficients of one type mean nothing to another: recompute at once.
      if (w != filterType) updateCounter = 0;
      filterType = w;
      break;
    case 22: targetCutoff = std::max(fw / 255.0f, 0.0025f); break;
    case 23: targetResonance = fw / 64.0f; break;
    case 24: lfo[0].rateWord = w; SetLfoRate(lfo[0]); break;
    case 25: lfo[0].depth = fw * k127; break;
    case 26: lfo[0].start = (uint32_t(w) << 24) & 0x7FFFFFFFu; break;
    case 27: lfo[1].rateWord = w; SetLfoRate(lfo[1]); break;
    case 28: lfo[1].depth = fw * k127; break;
    case 29: lfo[1].start = (uint32_t(w) << 24) & 0x7FFFFFFFu; break;
    case 30: level[2] = fw * k127; break;
    case 31: break;
    case 32: envAmount = fw * k127; break;
    case 33: softClip = w != 0; break;
    case 34: stored34 = fw * k127; break;
    case 35: stored35 = w == 0 ? 1.0f / 32768.0f : fw * k127; break;
    case 36: drive = (fw * k127 * 2.0f + 0.1f) * 30.0f; break;
    case 37: break;
    case 38: coarse[0] = w; break;
    case 39: fine[0] = fw * 0.01f; break;
    case 40: renderMode = w; break;
    case 41: updatePeriod = (63 - w) + 1; break;
    case 42: level[0] = fw * k127; break;
    case 43: wave[2] = w; break;
    case 44: width[2] = fw * k127 * 0.5f; break;
    case 45: coarse[2] = w; break;
    case 46: fine[2] = fw * 0.01f; break;
    case 47: sync3 = w != 0; break;
    case 48: case 49: case 50: feedback[index - 48] = fw * k127 * 0.25f; break;
    case 51: lfo[0].range = w; SetLfoRate(lfo[0]); break;
    case 52: lfo[1].range = w; SetLfoRate(lfo[1]); break;
    case 53: amp.restart = w != 0; break;
    case 54: filterEnv.restart = w != 0; break;
    case 55: lfo[0].freeRunning = w != 0; break;
    case 56: lfo[1].freeRunning = w != 0; break;
    case 57:
      for (int k = 0; k < 3; ++k) oscOn[k] = ((w >> k) & 1) == 0;
      break;
    case 58: cutoffMode = w; break;
    case 59: lfo[2].rateWord = w; SetLfoRate(lfo[2]); break;
    case 60: lfo[2].depth = fw / 1024.0f; break;
    case 61: lfo[2].start = (uint32_t(w) << 24) & 0x7FFFFFFFu; break;
    case 62: lfo[2].range = w; SetLfoRate(lfo[2]); break;
    case 63: lfo3Flag = w; break;
    case 64: lfo3Delay = int32_t(float(w * 20) * samplesPerMs); break;
    case 65: transpose = w; break;
    case 66: envToPitch = fw / 18.0f; break;
    case 67: case 68: case 69: pitchFromEnv[index - 67] = w != 0; break;
    case 70: amp.attackCurve = fw * k127; break;
    case 71: amp.decayCurve = fw * k127; break;
    case 72: amp.releaseCurve = fw * k127; break;
    case 73: filterEnv.attackCurve = fw * k127; break;
    case 74: filterEnv.decayCurve = fw * k127; break;
    case 75: filterEnv.releaseCurve = fw * k127; break;
    default: break;
  }
  // clang-format on
}

// Words that change the sound at once; the others (pulse widths, glide,
// envelopes, LFO phases, LFO 3's range, flag and delay) wait for the next
// SetParams. An LFO rate or range word changes the rate at once, but the
// LFO moves at its new speed from the next note-on.
void cBass::SetParam(int32_t index, int16_t value) {
  // clang-format off
  switch (index) {
    case 0: case 1: case 2: case 5: case 6: case 10: case 24: case 25: case 27: case 28:
    case 30: case 32: case 33: case 34: case 35: case 36: case 40: case 41: case 42:
    case 43: case 47: case 48: case 49: case 50: case 53: case 54: case 55: case 56:
    case 51: case 52: case 57: case 58: case 59: case 60: case 66: case 67: case 68: case 69:
      break;
    case 8: case 9: case 38: case 39: case 45: case 46: case 65:
      params[index] = value;
      ApplyWord(index, value);
      SetPitch(note);
      return;
    case 21:
      params[index] = value;
      ApplyWord(index, value);
      ClearFilters();
      return;
    case 22: case 23:
      params[index] = value;
      ApplyWord(index, value);
      updateCounter = 0;
      return;
    default:
      return;
  }
  // clang-format on
  params[index] = value;
  ApplyWord(index, value);
}

// ---- Notes ----------------------------------------------------------------

float cBass::Increment(float semitones) const {
  const float inc = 16.3516f * std::exp2(semitones / 12.0f) * 4096.0f / rate;
  return std::min(inc, kMaxIncrement);
}

void cBass::SetPitch(int32_t n) {
  if (n < 0) n = 0;
  const int32_t f = n + transpose;
  const bool detuned = renderMode >= 1 && renderMode <= 3;
  for (int k = 0; k < 3; ++k) {
    const float s = float(f + coarse[k]) + fine[k];
    if (detuned) {
      targetInc[0][k] = Increment(s + 0.05f);
      targetInc[1][k] = Increment(s - 0.05f);
    } else {
      targetInc[0][k] = targetInc[1][k] = Increment(s);
    }
    for (int set = 0; set < 2; ++set) {
      if (currentInc[set][k] == 0.0f) currentInc[set][k] = targetInc[set][k];
    }
  }
}

void cBass::NoteOn(int32_t n) {
  note = n;
  SetPitch(n);
  if (columns.Has(0x03)) return;
  StartLfoIncrements();
  for (int i = 0; i < 2; ++i) {
    if (!lfo[i].freeRunning) lfo[i].phase = lfo[i].start;
  }
  lfo[2].phase = lfo[2].start;
  lfo[2].out = 0.0f;
  lfo3Counter = lfo3Delay;
  amp.Start();
  filterEnv.Start();
}

void cBass::NoteOff() {
  amp.Release();
  filterEnv.Release();
}

void cBass::FastRelease() {
  const float fast = 15.0f * rate / 1000.0f;
  amp.release = fast;
  filterEnv.release = fast;
  NoteOff();
}

void cBass::SetPan(int32_t p) { targetPan = float(Clamp(p, 1, 126)) * k127; }

// The pan word is recovered by rounding: truncating p / 127 * 127 gives
// p - 1 for some words (9, 13, 18, ...), where a slide by +1 would stall.
void cBass::PanSlide(int32_t step) {
  if (step != 0) SetPan((int32_t(targetPan * 127.0f + 0.5f) & 127) + step);
}

void cBass::SetVolume(int32_t v) { targetVolume = float(Clamp(v, 0, 127)) / 64.0f; }

void cBass::VolumeSlide(int32_t step) {
  if (step != 0) SetVolume(int32_t(targetVolume * 64.0f) + step);
}

// ---- Effect commands ------------------------------------------------------

void cBass::SetCommand(int32_t column, int32_t word) {
  if (column < 0 || column > 1) return;
  const cCommandColumns::cColumn& c = columns.Take(column, word);
  switch (c.command) {
    case 0x08:
      SetPitch(note);
      break;
    case 0x0C:
      SetVolume(c.parameter);
      break;
    case 0x20:
      SetParam(22, int16_t(c.parameter));
      break;
    case 0x21:
      targetResonance = float(c.parameter) / 256.0f;
      updateCounter = 0;
      break;
    default:
      break;
  }
}

void cBass::Tick(int32_t t) {
  for (const cCommandColumns::cColumn& c : columns) {
    const int sets = renderMode == 2 ? 2 : 1;
    switch (c.command) {
      case 0x01: {
        const float d = float(c.parameter) * 4096.0f / 65536.0f * slideScale;
        for (int s = 0; s < sets; ++s) {
          for (float& inc : targetInc[s]) inc += d;
        }
        break;
      }
      case 0x02: {
        const float d = float(c.parameter) * 4096.0f / 65536.0f * slideScale;
        for (int s = 0; s < sets; ++s) {
          for (float& inc : targetInc[s]) inc = std::max(inc - d, 0.0f);
        }
        break;
      }
      case 0x08:
        SetPitch(note + c.ArpeggioStep(t));
        break;
      case 0x0A:
        VolumeSlide(c.high - c.low);
        break;
      default:
        break;
    }
  }
}
