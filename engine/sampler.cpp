#include "engine/sampler.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstring>

#include "engine/wavestore.h"

#if defined(__SSE2__)
#include <emmintrin.h>
#include <xmmintrin.h>
#endif

namespace {

constexpr float kLevel = 1.0f / 127.0f;
constexpr int16_t kNoSample = 255;
constexpr int16_t kDefaults[kSamplerWords] = {64, 63, 0, 0, 0, 0, 0, 112, 0, 0, 0, 0, 127, 0, 0, 0};
// Steps above this many frames per output frame are held there: an unclamped
// coarse tune would otherwise overflow the fixed-point step.
constexpr float kMaxStep = 65536.0f;

float Approach(float value, float target, float delta) {
  if (value < target) return std::min(value + delta, target);
  if (value > target) return std::max(value - delta, target);
  return value;
}

// A voice's frame into the buffer: added to what the voices before it left
// there, or (the first voice) added to the zeros the buffer was cleared to.
template <bool kFirst>
void AddFrame(float* frame, float left, float right) {
  if constexpr (kFirst) {
    frame[0] = 0.0f + left;
    frame[1] = 0.0f + right;
  } else {
    frame[0] += left;
    frame[1] += right;
  }
}

float PanOf(int32_t p) { return float(std::clamp(p, 1, 126)) * kLevel; }
float VolumeOf(int32_t v) { return float(std::clamp(v, 0, 127)) / 64.0f; }
// Envelope times in ms: 0 means the given shortest time. Only the low byte
// counts; a word whose low byte is 0 (256, 512, ... from a damaged block) is
// read as 0 too, since a time of 0 ms would divide a level of 0 by 0 and hold
// the voice for ever.
float TimeMs(int16_t word, float zeroMs) {
  return (word & 255) == 0 ? zeroMs : float(word & 255) * 10.0f;
}

}  // namespace

cSampler::cSampler() {
  Init(44100);
  LoadDefaults();
  Reset();
}

void cSampler::Init(int32_t sampleRate) {
  rate = float(sampleRate);
  samplesPerMs = rate * 0.001f;
  slideScale = rate / 44100.0f;
}

void cSampler::ClearVoice(cVoice& v) {
  std::memset(&v, 0, sizeof v);
  v.slot = kNoSample;
  v.pan = v.targetPan = 0.5f;
  v.envState = kEnvIdle;
}

void cSampler::Reset() {
  for (cVoice& v : voices) ClearVoice(v);
  columns.Clear();
  groupCount = 0;
  playing = 0;
  sounding = 0;
}

void cSampler::LoadDefaults() { SetParams(kDefaults); }

void cSampler::GetDefaults(int16_t* p) { std::memcpy(p, kDefaults, sizeof kDefaults); }

void cSampler::SetParams(const int16_t* p) { std::memcpy(params, p, sizeof params); }

void cSampler::FilterParams(int16_t* p) {
  p[0] = int16_t(std::clamp<int>(p[0], 0, 127));
  p[1] &= 0x7F;
  // 255 stays: it is the "no sample" mark, not slot 127.
  if (p[2] != kNoSample) p[2] &= 0x7F;
  p[7] &= 0x7F;
}

void cSampler::FormatParam(char* text, int32_t, int16_t value) {
  std::snprintf(text, 8, "%d", int(value));
}

// Takes the slot's sound into the voice. The loop is clamped into the sound,
// whatever a song file or an editor left in the slot, so that no voice ever
// reads outside its buffer.
bool cSampler::TakeSlot(cVoice& v, int32_t slot) {
  cWaveEntry e;
  if (!waves || !waves->GetEntry(slot, &e) || !e.data || e.length <= 0) {
    v.slot = kNoSample;
    v.data = nullptr;
    return false;
  }
  v.slot = slot;
  v.generation = waves->Generation(slot);
  v.data = e.data + kWaveMargin;
  v.direction = 0;
  v.position = 0;
  v.length = e.length;
  if ((e.flags & kWaveLoopFlags) == 0) {
    v.loopMode = 0;
    v.loopStart = 0;
    v.loopEnd = e.length - 1;
  } else {
    // Mode 2 turns at the loop's ends; 1 and 3 jump back to its start.
    v.loopMode = (e.flags & kWaveLoopFlags) == 2 ? 2 : 1;
    v.loopStart = std::clamp(e.loopStart, 0, e.length - 1);
    v.loopEnd = std::clamp(e.loopEnd, v.loopStart, e.length - 1);
  }
  v.stereo = (e.flags & kWaveStereoFlags) ? 1 : 0;
  return true;
}

void cSampler::ApplyInstrument(cVoice& v) {
  v.ready = 0;
  if (params[2] == kNoSample) return;
  v.baseVolume = params[0];
  v.targetVolume = VolumeOf(params[0]);
  v.targetPan = PanOf(params[1] & 127);
  v.fine = float(params[3]) * kLevel;
  v.coarse = float(params[4]);
  if (!TakeSlot(v, params[2] & 127)) return;
  v.attackMs = TimeMs(params[5], 1.0f);
  v.decayMs = TimeMs(params[6], 1.0f);
  v.sustainLevel = float(params[7] & 127) * kLevel;
  v.sustainTime = params[8] == 0 ? 0.0f : float(params[8] & 255) * 10.0f * samplesPerMs;
  v.releaseMs = TimeMs(params[9], 2.0f);
  v.ready = 1;
}

int64_t cSampler::ToFixed(float value) const {
  const float whole = std::trunc(value);
  const double fraction = double(value - whole) * 4294967296.0;
  return int64_t(whole) * 4294967296LL + int64_t(uint32_t(fraction));
}

void cSampler::Retune(cVoice& v, int32_t note) {
  float s = float(note - 24) + v.coarse + v.fine;
  if (s < 0.0f) s = 0.0f;
  v.playHz = rate * 0.1f * std::pow(2.0f, s / 12.0f);
  if (!(v.playHz >= 10.0f)) {
    v.playHz = 0.0f;
    StopVoice(v);
    return;
  }
  v.targetStep = ToFixed(std::min(v.playHz / rate, kMaxStep));
  v.step = v.targetStep;
}

void cSampler::StopVoice(cVoice& v) {
  if (v.envState != kEnvIdle && v.playing) --sounding;
  v.envState = kEnvIdle;
  v.envValue = 0.0f;
  v.playing = 0;
}

void cSampler::ReleaseVoice(cVoice& v) {
  if (v.envState == kEnvIdle || v.envState == kEnvRelease || v.envState == kEnvFast) return;
  v.envState = kEnvRelease;
  v.envRate = v.envValue / (v.releaseMs * samplesPerMs);
}

int32_t cSampler::ChooseVoice() const {
  for (int32_t i = 0; i < voiceCount; ++i) {
    if (voices[i].envState == kEnvIdle) return i;
  }
  return 0;
}

// Starts a note on a chosen voice, which joins the group; returns the voice.
int32_t cSampler::StartNote(int32_t note) {
  const int32_t index = ChooseVoice();
  cVoice& v = voices[index];
  if (groupCount < kSamplerVoices) group[groupCount++] = index;
  const bool stolen = v.envState != kEnvIdle;

  // While a song plays, a cell without an instrument keeps the voice as it
  // is: its sound, volume, pan and tuning, and its place in the sound, so the
  // note goes on from where the voice stopped. A voice with nothing to play
  // (never given an instrument, or its slot replaced since) takes the
  // instrument all the same, or the note would be lost.
  if (playing == 0 || instrumentByte != 0 || !v.ready || !waves ||
      waves->Generation(v.slot) != v.generation) {
    ApplyInstrument(v);
  }
  if (playing != 0) {
    for (const cCommandColumns::cColumn& c : columns) {
      if (c.command == 0x0C) v.targetVolume = VolumeOf(c.parameter);
    }
  }
  if (!v.ready || note < 0) {
    // A stolen voice that lost its sound to an empty slot falls silent; one
    // whose instrument has no sample goes on with its old note.
    if (stolen && v.data == nullptr) StopVoice(v);
    return index;
  }

  v.note = note;
  v.direction = 0;
  v.playing = 1;
  Retune(v, note);
  if (!v.playing) return index;
  // A stolen voice rises from the level it had reached.
  v.envState = kEnvAttack;
  v.envRate = 1.0f / (v.attackMs * samplesPerMs);
  if (!stolen) ++sounding;
  return index;
}

void cSampler::NoteOn(int32_t note) {
  groupCount = 0;
  if (!columns.Has(0x1A)) NoteOff();
  const int32_t first = StartNote(note);
  cVoice& v = voices[first];
  for (const cCommandColumns::cColumn& c : columns) {
    if (c.command != 0x19 || !v.playing) continue;
    v.position = int64_t((v.length >> 8) * c.parameter) << 32;
    v.offset = c.parameter;
  }
  for (const cCommandColumns::cColumn& c : columns) {
    if (c.command != 0x18) continue;
    if (c.high) StartNote(note + c.high);
    if (c.low) StartNote(note + c.low);
  }
  for (const cCommandColumns::cColumn& c : columns) {
    if (c.command == 0x0C) SetVolume(c.parameter);
  }
}

void cSampler::SetPitch(int32_t note) {
  for (int32_t g = 0; g < groupCount; ++g) {
    cVoice& v = voices[group[g]];
    v.note = note;
    if (v.playing) Retune(v, note);
  }
}

void cSampler::NoteOff() {
  for (cVoice& v : voices) ReleaseVoice(v);
}

void cSampler::FastRelease() {
  for (cVoice& v : voices) {
    if (v.envState == kEnvIdle || v.envState == kEnvFast) continue;
    v.envState = kEnvFast;
    v.envRate = v.envValue / samplesPerMs;
  }
}

void cSampler::SetPan(int32_t pan) {
  for (int32_t g = 0; g < groupCount; ++g) voices[group[g]].targetPan = PanOf(pan);
}

void cSampler::PanSlide(int32_t step) {
  if (step == 0) return;
  for (int32_t g = 0; g < groupCount; ++g) {
    cVoice& v = voices[group[g]];
    // The pan word is recovered by rounding: truncating p / 127 * 127 gives
    // p - 1 for some words (9, 13, 18, ...), where a slide by +1 would stall.
    v.targetPan = PanOf((int32_t(v.targetPan * 127.0f + 0.5f) & 127) + step);
  }
}

void cSampler::SetVolume(int32_t volume) {
  for (int32_t g = 0; g < groupCount; ++g) voices[group[g]].targetVolume = VolumeOf(volume);
}

void cSampler::VolumeSlide(int32_t step) {
  if (step == 0) return;
  for (int32_t g = 0; g < groupCount; ++g) {
    cVoice& v = voices[group[g]];
    v.targetVolume = VolumeOf(int32_t(v.targetVolume * 64.0f) + step);
  }
}

// The instrument editor's change of one word reaches the voices of the last
// note; the stored block stays as it was loaded, and later notes take the
// word when the instrument is next loaded.
void cSampler::SetParam(int32_t index, int16_t value) {
  if (index < 0 || index >= kSamplerWords) return;
  for (int32_t g = 0; g < groupCount; ++g) {
    cVoice& v = voices[group[g]];
    switch (index) {
      case 0:
        v.targetVolume = VolumeOf(value);
        break;
      case 1:
        v.targetPan = PanOf(value & 127);
        break;
      case 2:
        if (value == kNoSample || !TakeSlot(v, value & 127)) {
          StopVoice(v);
          v.ready = 0;
        }
        break;
      case 3:
        v.fine = float(value) * kLevel;
        if (v.playing) Retune(v, v.note);
        break;
      case 4:
        v.coarse = float(value);
        if (v.playing) Retune(v, v.note);
        break;
      default:
        break;
    }
  }
}

void cSampler::SetCommand(int32_t column, int32_t command) {
  const cCommandColumns::cColumn& c = columns.Take(column, command);
  if (c.command == 0x08) Arpeggio(0);
  if (c.command == 0x0A) SetVolume(params[0]);
  if (c.command == 0x0C) SetVolume(c.parameter);
}

// Every sounding voice of the group plays its own note raised by the given
// semitones; the note it keeps is its own.
void cSampler::Arpeggio(int32_t semitones) {
  for (int32_t g = 0; g < groupCount; ++g) {
    cVoice& v = voices[group[g]];
    if (v.playing) Retune(v, v.note + semitones);
  }
}

void cSampler::Tick(int32_t tick) {
  for (const cCommandColumns::cColumn& c : columns) {
    if (c.command == 0x08) {
      Arpeggio(c.ArpeggioStep(tick));
      continue;
    }
    const int64_t d = ToFixed(float(c.parameter) * (1.0f / 1023.0f) * slideScale);
    for (int32_t g = 0; g < groupCount; ++g) {
      cVoice& v = voices[group[g]];
      switch (c.command) {
        case 0x01:
          v.step += d;
          break;
        case 0x02:
          v.step = std::max<int64_t>(v.step - d, 0);
          break;
        case 0x03:
          if (v.step < v.targetStep) {
            v.step = std::min(v.step + d, v.targetStep);
          } else {
            v.step = std::max(v.step - d, v.targetStep);
          }
          break;
        default:
          break;
      }
    }
    if (c.command == 0x0A) VolumeSlide(c.high - c.low);
  }
}

int32_t cSampler::GetPlayPosition() {
  return groupCount > 0 ? int32_t(voices[group[0]].position >> 32) : 0;
}

int32_t cSampler::GetVoiceCount() {
  int32_t n = 0;
  for (const cVoice& v : voices) n += (v.playing && v.envState != kEnvIdle) ? 1 : 0;
  return n;
}

// The buffer is cleared and every voice added to it. The first voice that
// sounds stores 0 + its frame where the others add theirs to the buffer:
// the same sums, without writing the zeros first.
void cSampler::Render(float* frames, int32_t count) {
  if (count <= 0) return;
  int32_t cleared = 0;  // frames from the start that hold a sum
  if (interp) {
    for (cVoice& v : voices) {
      if (!v.playing || v.envState == kEnvIdle) continue;
      // A slot replaced or emptied since the voice took it: its buffer is gone.
      if (!waves || waves->Generation(v.slot) != v.generation) {
        StopVoice(v);
        v.ready = 0;
        continue;
      }
      if (cleared == 0) {
        // A voice that ends early leaves the rest of the buffer to the zeros.
        cleared = RenderVoice<true>(v, frames, count);
        std::memset(frames + 2 * size_t(cleared), 0, sizeof(float) * 2 * size_t(count - cleared));
        cleared = count;
      } else {
        RenderVoice<false>(v, frames, count);
      }
    }
  }
  if (cleared == 0) std::memset(frames, 0, sizeof(float) * 2 * size_t(count));
}

// A ping-pong voice that ran past an end of its loop [first, last] turns
// there: what its step carried it beyond the end is played back the other
// way, as often as the step spans the loop.
void cSampler::TurnPingPong(cVoice& v, int64_t first, int64_t last) {
  const uint64_t span = uint64_t(last - first);
  const uint64_t cycle = 2 * span;
  // The way from the loop start, as if the loop were laid out forwards and
  // then backwards again and again.
  const uint64_t run =
      v.direction == 0 ? uint64_t(v.position - first) : cycle + uint64_t(first - v.position);
  const uint64_t at = cycle == 0 ? 0 : run % cycle;
  if (at <= span) {
    v.position = first + int64_t(at);
    v.direction = 0;
  } else {
    v.position = first + int64_t(cycle - at);
    v.direction = 1;
  }
}

// Frames, up to `limit`, from the voice's position on in which every step
// of the frame below but the interpolation and the sum stands still: volume
// and pan at their targets, the envelope holding its sustain level until
// note-off, the voice moving forward and short of its loop end. 0 when the
// next frame is not such a frame.
int32_t cSampler::SteadyFrames(const cVoice& v, int32_t limit) {
  if (v.volume != v.targetVolume || v.pan != v.targetPan || v.step < 0 || v.direction != 0 ||
      v.envState != kEnvSustain || v.sustainTime > 0.0f) {
    return 0;
  }
  // The frame past the loop end starts at the first position with a whole
  // part above loopEnd.
  const int64_t end = (int64_t(v.loopEnd) + 1) << 32;
  if (v.position >= end) return 0;
  if (v.step == 0) return limit;
  const int64_t frames = (end - 1 - v.position) / v.step + 1;
  return frames < limit ? int32_t(frames) : limit;
}

// The steady frames: the gains stand still, so each frame is the cubic
// interpolation and the products of the general frame, in the same order.
template <bool kStereo, bool kFirst>
void cSampler::RenderSteady(cVoice& v, float* out, int32_t count) const {
  const float* w0 = interp[0];
  const float* w1 = interp[1];
  const float* w2 = interp[2];
  const float* w3 = interp[3];
  const int16_t* s = v.data;
  const float leftGain = 1.0f - v.pan, rightGain = v.pan;
  const float volume = v.volume, env = v.envValue;
  int64_t position = v.position;
  const int64_t step = v.step;
  int32_t k = 0;
#if defined(__SSE2__)
  if constexpr (!kStereo) {
    // Four frames a step, one lane each: every lane does the frame's own
    // products and sums in the frame's order, so the sums are the same.
    const __m128 leftGains = _mm_set1_ps(leftGain), rightGains = _mm_set1_ps(rightGain);
    const __m128 twos = _mm_set1_ps(2.0f), volumes = _mm_set1_ps(volume), envs = _mm_set1_ps(env);
    // The four points around frame i, s[i-1] to s[i+2], as floats.
    auto points = [s](int64_t at) {
      const __m128i words = _mm_loadl_epi64(reinterpret_cast<const __m128i*>(s + (at >> 32) - 1));
      return _mm_cvtepi32_ps(_mm_srai_epi32(_mm_unpacklo_epi16(words, words), 16));
    };
    for (; k + 4 <= count; k += 4) {
      const int64_t p0 = position, p1 = p0 + step, p2 = p1 + step, p3 = p2 + step;
      position = p3 + step;
      const uint32_t f0 = uint32_t(p0) >> 22, f1 = uint32_t(p1) >> 22;
      const uint32_t f2 = uint32_t(p2) >> 22, f3 = uint32_t(p3) >> 22;
      __m128 before = points(p0), at = points(p1), after = points(p2), next = points(p3);
      _MM_TRANSPOSE4_PS(before, at, after, next);
      const __m128 y = _mm_add_ps(
          _mm_add_ps(_mm_add_ps(_mm_mul_ps(before, _mm_setr_ps(w0[f0], w0[f1], w0[f2], w0[f3])),
                                _mm_mul_ps(at, _mm_setr_ps(w1[f0], w1[f1], w1[f2], w1[f3]))),
                     _mm_mul_ps(after, _mm_setr_ps(w2[f0], w2[f1], w2[f2], w2[f3]))),
          _mm_mul_ps(next, _mm_setr_ps(w3[f0], w3[f1], w3[f2], w3[f3])));
      const __m128 left =
          _mm_mul_ps(_mm_mul_ps(_mm_mul_ps(_mm_mul_ps(y, leftGains), twos), volumes), envs);
      const __m128 right =
          _mm_mul_ps(_mm_mul_ps(_mm_mul_ps(_mm_mul_ps(y, rightGains), twos), volumes), envs);
      float* o = out + 2 * k;
      const __m128 sumLow = kFirst ? _mm_setzero_ps() : _mm_loadu_ps(o);
      const __m128 sumHigh = kFirst ? _mm_setzero_ps() : _mm_loadu_ps(o + 4);
      _mm_storeu_ps(o, _mm_add_ps(sumLow, _mm_unpacklo_ps(left, right)));
      _mm_storeu_ps(o + 4, _mm_add_ps(sumHigh, _mm_unpackhi_ps(left, right)));
    }
  }
#endif
  for (; k < count; ++k) {
    const uint32_t f = uint32_t(position) >> 22;
    float left, right;
    if constexpr (kStereo) {
      const int16_t* p = s + 2 * (position >> 32);
      left = float(p[-2]) * w0[f] + float(p[0]) * w1[f] + float(p[2]) * w2[f] + float(p[4]) * w3[f];
      right =
          float(p[-1]) * w0[f] + float(p[1]) * w1[f] + float(p[3]) * w2[f] + float(p[5]) * w3[f];
    } else {
      const int16_t* p = s + (position >> 32);
      left = float(p[-1]) * w0[f] + float(p[0]) * w1[f] + float(p[1]) * w2[f] + float(p[2]) * w3[f];
      right = left;
    }
    position += step;
    AddFrame<kFirst>(out + 2 * k, left * leftGain * 2.0f * volume * env,
                     right * rightGain * 2.0f * volume * env);
  }
  v.position = position;
}

// Returns the frames it wrote: all of them, or those up to the frame at
// which the voice fell silent.
template <bool kFirst>
int32_t cSampler::RenderVoice(cVoice& v, float* out, int32_t count) {
  const float* w0 = interp[0];
  const float* w1 = interp[1];
  const float* w2 = interp[2];
  const float* w3 = interp[3];
  const int16_t* s = v.data;
  const int64_t loopLength = int64_t(v.loopEnd) + 1 - v.loopStart;
  // A ping-pong voice plays from the loop start's first fraction to the loop
  // end's last one.
  const int64_t pingPongFirst = int64_t(v.loopStart) << 32;
  const int64_t pingPongLast = ((int64_t(v.loopEnd) + 1) << 32) - 1;
  for (int32_t k = 0; k < count; ++k) {
    if (const int32_t steady = SteadyFrames(v, count - k); steady > 0) {
      if (v.stereo) {
        RenderSteady<true, kFirst>(v, out + 2 * k, steady);
      } else {
        RenderSteady<false, kFirst>(v, out + 2 * k, steady);
      }
      k += steady - 1;
      continue;
    }
    const float volume = v.volume, pan = v.pan, env = v.envValue;
    v.volume = Approach(v.volume, v.targetVolume, 1.0f / 64.0f);
    v.pan = Approach(v.pan, v.targetPan, 1.0f / 64.0f);

    // Past the loop end: a looping voice wraps by whole loop lengths, however
    // far its step carried it; a voice without a loop holds its last frame
    // and fades. A ping-pong voice turns at either end of its loop.
    if (v.step < 0) v.step = -v.step;
    if (v.loopMode == 2 &&
        (v.direction == 0 ? v.position > pingPongLast : v.position < pingPongFirst)) {
      TurnPingPong(v, pingPongFirst, pingPongLast);
    }
    int64_t i = v.position >> 32;
    if (i > v.loopEnd && v.loopMode != 2) {
      if (v.loopMode == 0) {
        ReleaseVoice(v);
        v.step = 0;
        i = v.loopEnd;
        v.position = i << 32;
      } else {
        i = v.loopStart + (i - v.loopStart) % loopLength;
        v.position = (i << 32) | (v.position & 0xFFFFFFFFLL);
      }
    }

    bool ended = false;
    switch (v.envState) {
      case kEnvAttack:
        v.envValue += v.envRate;
        if (v.envValue > 1.0f) {
          v.envValue = 1.0f;
          v.envState = kEnvDecay;
          v.envRate = (1.0f - v.sustainLevel) / (v.decayMs * samplesPerMs);
        }
        break;
      case kEnvDecay:
        v.envValue -= v.envRate;
        if (v.envValue <= v.sustainLevel) {
          v.envValue = v.sustainLevel;
          v.sustainCounter = v.sustainTime;
          v.envState = kEnvSustain;
        }
        break;
      case kEnvSustain:
        if (v.sustainTime > 0.0f) {
          v.sustainCounter -= 1.0f;
          if (v.sustainCounter <= 0.0f) {
            v.envState = kEnvRelease;
            v.envRate = v.envValue / (v.releaseMs * samplesPerMs);
          }
        }
        break;
      default:  // release and fast release
        v.envValue -= v.envRate;
        if (v.envValue <= 0.0f) ended = true;
        break;
    }

    const uint32_t f = uint32_t(v.position) >> 22;
    float left, right;
    if (v.stereo) {
      const int16_t* p = s + 2 * i;
      left = float(p[-2]) * w0[f] + float(p[0]) * w1[f] + float(p[2]) * w2[f] + float(p[4]) * w3[f];
      right =
          float(p[-1]) * w0[f] + float(p[1]) * w1[f] + float(p[3]) * w2[f] + float(p[5]) * w3[f];
    } else {
      const int16_t* p = s + i;
      left = float(p[-1]) * w0[f] + float(p[0]) * w1[f] + float(p[1]) * w2[f] + float(p[2]) * w3[f];
      right = left;
    }
    if (v.direction == 0) {
      v.position += v.step;
    } else {
      v.position -= v.step;
    }
    AddFrame<kFirst>(out + 2 * k, left * (1.0f - pan) * 2.0f * volume * env,
                     right * pan * 2.0f * volume * env);
    if (ended) {
      StopVoice(v);
      return k + 1;
    }
  }
  return count;
}
