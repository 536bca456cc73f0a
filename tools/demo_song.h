#pragma once
// The demo song, composed through the controller's own operations: drum
// sounds synthesised into the wave store and played by the sampler, a bass
// line and a pad on the virtual-analogue voice, broken chords and a lead on
// the FM voice, a filter sweep by effect command, a reverberator and a
// tempo-synchronised delay on two aux buses.
//
// Four patterns of four bars in A minor (Am F C G), 120 BPM at speed 6: a
// row is a sixteenth note, a pattern lasts eight seconds, the song 32.
//
// Everything is computed from constants with plain IEEE additions and
// multiplications (no library sine or exponential, no rand()), so the same
// program writes the same bytes wherever it runs; the drum sounds included.

#include <cstdint>
#include <vector>

#include "app/tracker.h"
#include "app/trackerinside.h"
#include "engine/bass.h"
#include "engine/fmsynth.h"
#include "engine/sampler.h"

namespace demo {

constexpr int32_t kRate = 44100;  // the drum sounds play at their recorded speed at this rate
constexpr int kSongSeconds = 32;  // four patterns of 64 rows at 120 BPM, speed 6

// Channels of the arrangement.
enum : int { kKick, kSnare, kHat, kBass, kKeys, kLead, kPad, kChannelCount };

// Instrument numbers (block = number - 1).
enum : int { kInsKick = 1, kInsSnare, kInsHat, kInsBass = 5, kInsKeys, kInsLead, kInsPad };

// Wave slots of the drum sounds.
enum : int { kWaveKick, kWaveSnare, kWaveHat };

// The sampler plays a sound at its recorded speed near note 64 (E-5).
constexpr int kDrumNote = 64;

// Effect types, and the aux buses' chains.
enum : int32_t { kFxFilter = 1, kFxDelay = 2, kFxReverb = 3, kFxStereo = 4, kFxOverdrive = 6 };
constexpr int kAuxReverb = 0, kAuxDelay = 1;
constexpr int kReverbChain = 16 + kAuxReverb, kDelayChain = 16 + kAuxDelay;

// Pitch classes and the progression, one chord a bar.
enum : int { C = 0, D = 2, E = 4, F = 5, G = 7, A = 9, B = 11 };
struct cChord {
  int root;   // pitch class
  int third;  // semitones above the root
};
constexpr cChord kProgression[4] = {{A, 3}, {F, 4}, {C, 4}, {G, 4}};

constexpr int NoteNumber(int pitchClass, int octave) { return octave * 12 + pitchClass; }

// ---------------------------------------------------------------------------
// Deterministic sound synthesis for the drum samples.

// A 32-bit linear congruential generator: white noise in -1 ... 1.
class cNoise {
 public:
  float Next() {
    state = state * 1664525u + 1013904223u;
    return float(int32_t(state >> 8) - 0x800000) * (1.0f / 8388608.0f);
  }

 private:
  uint32_t state = 0x2545F491u;
};

// sin(2 pi x) for a phase in turns, by range reduction and a Taylor series:
// only additions and multiplications, so every machine computes the same.
inline double SineTurns(double turns) {
  double x = turns - double(int64_t(turns));
  if (x < 0.0) x += 1.0;
  // Fold into -1/4 ... 1/4 turn.
  if (x > 0.75) {
    x -= 1.0;
  } else if (x > 0.25) {
    x = 0.5 - x;
  }
  const double r = x * 6.283185307179586;
  const double r2 = r * r;
  double term = r, sum = r;
  for (int k = 1; k <= 8; ++k) {
    term *= -r2 / double((2 * k) * (2 * k + 1));
    sum += term;
  }
  return sum;
}

inline int16_t ToSample(double v) {
  const double s = v * 32767.0;
  const double clamped = s > 32767.0 ? 32767.0 : (s < -32767.0 ? -32767.0 : s);
  return int16_t(clamped < 0.0 ? clamped - 0.5 : clamped + 0.5);
}

// Kick: a sine falling from 160 Hz to 45 Hz with a short click, 0.4 s.
inline std::vector<int16_t> MakeKick() {
  std::vector<int16_t> out(size_t(kRate * 4 / 10));
  double phase = 0.0, sweep = 1.0, amp = 1.0;
  for (size_t i = 0; i < out.size(); ++i) {
    const double hz = 45.0 + 115.0 * sweep;
    const double click = i < 64 ? (1.0 - double(i) / 64.0) * 0.3 : 0.0;
    out[i] = ToSample((SineTurns(phase) * amp + click) * 0.92);
    phase += hz / kRate;
    sweep *= 0.99935;
    amp *= 0.99988;
  }
  // Fade the last 10 ms so the sound ends in silence.
  const size_t fade = kRate / 100;
  for (size_t i = 0; i < fade; ++i) {
    const size_t j = out.size() - fade + i;
    out[j] = int16_t(int32_t(out[j]) * int32_t(fade - i) / int32_t(fade));
  }
  return out;
}

// Snare: a 190 Hz body under brightened noise, 0.25 s.
inline std::vector<int16_t> MakeSnare() {
  std::vector<int16_t> out(size_t(kRate / 4));
  cNoise noise;
  double phase = 0.0, body = 1.0, hiss = 1.0, previous = 0.0, smooth = 0.0;
  for (size_t i = 0; i < out.size(); ++i) {
    const double n = noise.Next();
    const double bright = n - previous * 0.6;  // tilts the noise towards the highs
    previous = n;
    smooth += (bright - smooth) * 0.7;
    const double v = SineTurns(phase) * body * 0.55 + smooth * hiss * 0.5;
    out[i] = ToSample(v * 0.9);
    phase += 190.0 / kRate;
    body *= 0.99945;
    hiss *= 0.99975;
  }
  return out;
}

// Hat: noise through a first difference (high-pass), fast decay, 0.09 s.
inline std::vector<int16_t> MakeHat() {
  std::vector<int16_t> out(size_t(kRate * 9 / 100));
  cNoise noise;
  for (int skip = 0; skip < 1000; ++skip) noise.Next();  // not the snare's noise
  double previous = 0.0, amp = 1.0;
  for (size_t i = 0; i < out.size(); ++i) {
    const double n = noise.Next();
    out[i] = ToSample((n - previous) * 0.45 * amp);
    previous = n;
    amp *= 0.99915;
  }
  return out;
}

// ---------------------------------------------------------------------------
// Pattern writing.

class cPatternWriter {
 public:
  cPatternWriter(cSongTables& song, int pattern) : song(song), pattern(pattern) {}

  // A note (note number 0-107) with its instrument; volume 0-127 or -1.
  void Note(int channel, int row, int note, int instrument, int volume = -1) {
    uint8_t* cell = song.Cell(pattern, channel, row);
    cell[0] = uint8_t(note + 1);
    cell[1] = uint8_t(instrument);
    if (volume >= 0) cell[2] = uint8_t(volume);
  }
  void Release(int channel, int row) { song.Cell(pattern, channel, row)[0] = kNoteRelease; }
  void Volume(int channel, int row, int volume) {
    song.Cell(pattern, channel, row)[2] = uint8_t(volume);
  }
  void Pan(int channel, int row, int pan) { song.Cell(pattern, channel, row)[3] = uint8_t(pan); }
  // column 0 or 1
  void Command(int channel, int row, int column, int command, int parameter) {
    uint8_t* cell = song.Cell(pattern, channel, row);
    cell[4 + 2 * column] = uint8_t(command);
    cell[5 + 2 * column] = uint8_t(parameter);
  }

 private:
  cSongTables& song;
  int pattern;
};

// The four sections of the song.
enum : int { kIntro, kVerse, kChorus, kOutro, kSections };

inline void WriteDrums(cPatternWriter& p, int section) {
  for (int bar = 0; bar < 4; ++bar) {
    const int r = bar * 16;
    const bool lastBar = bar == 3;
    // Kick: four on the floor, with a pickup before the next bar's downbeat.
    if (!(section == kOutro && lastBar)) {
      for (int beat = 0; beat < 4; ++beat) p.Note(kKick, r + beat * 4, kDrumNote, kInsKick, 120);
      if (section != kIntro && (bar & 1)) p.Note(kKick, r + 14, kDrumNote, kInsKick, 80);
    } else {
      p.Note(kKick, r, kDrumNote, kInsKick, 120);
    }
    // Snare on two and four from the verse on; a roll into the chorus.
    if (section != kIntro && !(section == kOutro && lastBar)) {
      p.Note(kSnare, r + 4, kDrumNote, kInsSnare, 100);
      p.Note(kSnare, r + 12, kDrumNote, kInsSnare, 100);
      if (section == kVerse && lastBar) {
        p.Note(kSnare, r + 13, kDrumNote, kInsSnare, 50);
        p.Note(kSnare, r + 14, kDrumNote, kInsSnare, 70);
        p.Note(kSnare, r + 15, kDrumNote, kInsSnare, 90);
      }
    } else if (section == kIntro && lastBar) {
      p.Note(kSnare, r + 12, kDrumNote, kInsSnare, 60);
      p.Note(kSnare, r + 14, kDrumNote, kInsSnare, 80);
    }
    // Hats: eighths, the off-beats accented; sixteenths in the chorus.
    const bool sixteenths = section == kChorus;
    for (int step = 0; step < 16; step += sixteenths ? 1 : 2) {
      if (section == kOutro && lastBar && step >= 8) break;
      const int volume = (step % 4 == 2) ? 96 : (step & 1) ? 40 : 60;
      p.Note(kHat, r + step, kDrumNote, kInsHat, volume);
      // Hats move a little left and right.
      p.Pan(kHat, r + step, (step & 2) ? 80 : 48);
    }
  }
}

inline void WriteBass(cPatternWriter& p, int section) {
  // Steps of a bar: row, interval above the root, volume.
  struct cStep {
    int row, interval, volume;
  };
  constexpr cStep kRiff[] = {{0, 0, 127}, {3, 0, 90},   {4, 12, 110}, {6, 0, 100},
                             {8, 0, 120}, {10, 12, 95}, {11, 0, 90},  {14, 7, 105}};
  for (int bar = 0; bar < 4; ++bar) {
    const int r = bar * 16;
    // A1, F1, C2, G1: the roots stay close together.
    const int low = NoteNumber(kProgression[bar].root, kProgression[bar].root >= F ? 1 : 2);
    if (section == kOutro && bar == 3) {
      p.Note(kBass, r, low, kInsBass, 127);
      p.Release(kBass, r + 12);
      continue;
    }
    for (const cStep& s : kRiff) {
      if (section == kIntro && bar < 2 && s.row != 0 && s.row != 8) continue;
      p.Note(kBass, r + s.row, low + s.interval, kInsBass, s.volume);
      // The chorus opens the bass filter note by note (0x20 sets the cutoff
      // after the instrument byte has loaded its own).
      if (section == kChorus) p.Command(kBass, r + s.row, 1, 0x20, 40 + (r + s.row) * 2);
      if (s.row == 6 || s.row == 14) p.Release(kBass, r + s.row + 1);
    }
  }
}

inline void WriteKeys(cPatternWriter& p, int section) {
  if (section == kIntro) return;
  // Broken chords in eighths: root, third, fifth, octave, and back.
  constexpr int kShape[8] = {0, 1, 2, 3, 2, 1, 2, 3};
  for (int bar = 0; bar < 4; ++bar) {
    const cChord& c = kProgression[bar];
    const int octave = c.root >= F ? 3 : 4;  // voicings from A3, F3, C4, G3
    const int root = NoteNumber(c.root, octave);
    const int tones[4] = {root, root + c.third, root + 7, root + 12};
    for (int step = 0; step < 8; ++step) {
      if (section == kOutro && bar == 3 && step > 0) break;
      p.Note(kKeys, bar * 16 + step * 2, tones[kShape[step]], kInsKeys, step == 0 ? 110 : 85);
    }
  }
}

inline void WriteLead(cPatternWriter& p, int section) {
  struct cTone {
    int row, pitchClass, octave;
  };
  constexpr cTone kVerseTune[] = {
      {0, E, 5},  {6, D, 5},  {8, C, 5},  {10, D, 5}, {12, E, 5},  // Am
      {16, A, 5}, {22, G, 5}, {24, F, 5}, {28, E, 5},              // F
      {32, G, 5}, {38, E, 5}, {40, C, 5}, {44, D, 5}, {46, E, 5},  // C
      {48, D, 5}, {54, B, 4}, {56, G, 4},                          // G
  };
  constexpr cTone kChorusTune[] = {
      {0, A, 5},  {4, G, 5},  {6, E, 5},  {8, A, 5},  {12, B, 5}, {14, C, 6},  // Am
      {16, C, 6}, {22, A, 5}, {24, F, 5}, {26, A, 5}, {28, C, 6},              // F
      {32, G, 5}, {36, E, 5}, {40, G, 5}, {44, C, 6}, {46, B, 5},              // C
      {48, B, 5}, {52, D, 6}, {56, B, 5}, {58, G, 5},                          // G
  };
  if (section == kVerse) {
    for (const cTone& t : kVerseTune)
      p.Note(kLead, t.row, NoteNumber(t.pitchClass, t.octave), kInsLead);
    p.Release(kLead, 62);
  } else if (section == kChorus) {
    for (const cTone& t : kChorusTune)
      p.Note(kLead, t.row, NoteNumber(t.pitchClass, t.octave), kInsLead);
    p.Release(kLead, 62);
  } else if (section == kOutro) {
    // Held chords by arpeggio (0x08: root, root + high nibble, root + low nibble).
    for (int bar = 0; bar < 4; ++bar) {
      const cChord& c = kProgression[bar];
      p.Note(kLead, bar * 16, NoteNumber(c.root, 5), kInsLead, bar == 3 ? 110 : 80);
      for (int row = bar * 16; row < bar * 16 + 16; ++row)
        p.Command(kLead, row, 0, 0x08, c.third * 16 + 7);
    }
    p.Release(kLead, 56);
  }
}

inline void WritePad(cPatternWriter& p, int section) {
  for (int bar = 0; bar < 4; ++bar) {
    const int root = NoteNumber(kProgression[bar].root, kProgression[bar].root >= F ? 3 : 4);
    p.Note(kPad, bar * 16, root, kInsPad, section == kIntro ? 110 : 90);
  }
  if (section == kOutro) p.Release(kPad, 52);
  // Slot 1 of the pad's chain is a low-pass filter: command 0xA4 sets its
  // cutoff. The intro opens it over eight seconds, the outro closes it.
  for (int row = 0; row < 64; row += 2) {
    int cutoff = 100;
    if (section == kIntro) cutoff = 6 + row * 3 / 2;
    if (section == kOutro) cutoff = 100 - row * 3 / 2;
    p.Command(kPad, row, 1, 0xA4, cutoff);
  }
}

// ---------------------------------------------------------------------------
// Instruments.

inline void MakeInstruments(cTracker& t) {
  cGenManager& g = Inside(t).Generators();
  cSongTables& s = Inside(t).Song();

  struct cDrum {
    int instrument, wave, volume, pan;
  };
  for (cDrum d : {cDrum{kInsKick, kWaveKick, 64, 64}, cDrum{kInsSnare, kWaveSnare, 84, 60},
                  cDrum{kInsHat, kWaveHat, 46, 64}}) {
    int16_t* w = s.Instrument(d.instrument - 1);
    g.Sampler(0)->GetDefaults(w);
    w[0] = int16_t(d.volume);
    w[1] = int16_t(d.pan);
    w[2] = int16_t(d.wave);
    w[7] = 127;  // sustain at full level: the sound plays out
    w[31] = 1;
  }

  // Bass: two saws a few cents apart over a sine sub, a resonant low-pass
  // with a plucked filter envelope.
  int16_t* b = s.Instrument(kInsBass - 1);
  g.Bass(0)->GetDefaults(b);
  b[0] = 52;    // volume
  b[2] = 0;     // osc 1 saw
  b[6] = 0;     // osc 2 saw
  b[8] = 0;     // osc 2 in unison with osc 1...
  b[9] = 9;     // ...nine cents sharp
  b[10] = 70;   // osc 2 level
  b[11] = 1;    // amp attack 10 ms: no click
  b[12] = 25;   // amp decay
  b[13] = 90;   // amp sustain
  b[15] = 6;    // amp release
  b[16] = 0;    // filter attack
  b[17] = 18;   // filter decay
  b[18] = 10;   // filter sustain
  b[20] = 8;    // filter release
  b[21] = 3;    // four-pole low-pass
  b[22] = 40;   // cutoff
  b[23] = 110;  // resonance
  b[25] = 0;    // no cutoff LFO
  b[30] = 70;   // osc 3 level
  b[32] = 70;   // filter envelope amount
  b[33] = 0;    // no soft clipping: the channel's overdrive adds the grit
  b[40] = 0;    // single voice: the low end stays mono
  b[42] = 80;   // osc 1 level
  b[43] = 2;    // osc 3 sine...
  b[45] = -12;  // ...an octave down
  b[60] = 0;    // no vibrato
  b[31] = 0;

  // Pad: saws on the root, the fifth and the octave in the stereo mode, slow
  // swell and a long release; the channel's filter shapes it further.
  int16_t* d = s.Instrument(kInsPad - 1);
  g.Bass(0)->GetDefaults(d);
  d[0] = 48;
  d[2] = 0;
  d[6] = 0;
  d[8] = 7;  // a fifth up
  d[9] = 6;
  d[10] = 60;
  d[11] = 90;  // 0.9 s swell
  d[12] = 60;
  d[13] = 100;
  d[15] = 120;  // 1.2 s release
  d[21] = 1;    // low-pass
  d[22] = 150;
  d[23] = 40;
  d[25] = 10;  // slow cutoff LFO
  d[24] = 3;
  d[30] = 45;
  d[32] = 0;
  d[40] = 2;  // stereo: two detuned oscillator groups
  d[42] = 70;
  d[43] = 0;
  d[45] = 12;  // osc 3 an octave up
  d[60] = 6;   // slight vibrato
  d[31] = 0;

  // Keys: an FM bell, modulator at three times the carrier, a quick
  // modulation decay so the attack rings and the tail is round.
  int16_t* k = s.Instrument(kInsKeys - 1);
  g.FM(0)->GetDefaults(k);
  k[0] = 50;
  k[1] = 64;
  k[3] = 19;  // modulator a twelfth up
  k[4] = 2;
  k[7] = 36;  // modulation index
  k[8] = 0;
  k[9] = 22;
  k[10] = 12;
  k[12] = 20;
  k[16] = 1;
  k[17] = 0;
  k[18] = 45;
  k[19] = 30;
  k[21] = 35;
  k[31] = 2;

  // Lead: a 1:1 FM tone with some feedback, a soft attack and a brassy
  // swell in the modulation.
  int16_t* l = s.Instrument(kInsLead - 1);
  g.FM(0)->GetDefaults(l);
  l[0] = 54;
  l[1] = 64;
  l[3] = 0;
  l[4] = 0;
  l[5] = 0;
  l[6] = 0;
  l[7] = 26;
  l[8] = 6;
  l[9] = 40;
  l[10] = 55;
  l[12] = 25;
  l[16] = 1;
  l[17] = 3;
  l[18] = 30;
  l[19] = 100;
  l[21] = 28;
  l[28] = 6;  // modulator feedback
  l[31] = 2;
}

// ---------------------------------------------------------------------------
// Effects.

inline void SetEffect(cTracker& t, int chain, int slot, int32_t type,
                      std::initializer_list<std::pair<int32_t, int32_t>> params) {
  Inside(t).Effects().type[slot][chain] = uint32_t(type);
  Inside(t).ChangeFxModule(chain, slot, type);
  cEffect* fx = Inside(t).GetFxObjPtr(slot, chain);
  if (fx == nullptr) return;
  for (const auto& [index, value] : params) fx->SetParam(index, value);
}

inline void MakeEffects(cTracker& t) {
  // Aux 0: a large, dark room, wet only.
  SetEffect(t, kReverbChain, 0, kFxReverb, {{0, 0}, {1, 320}, {2, 860}, {3, 550}, {4, 1000}});
  // Aux 1: a dotted-eighth ping-pong echo, wet only.
  const int32_t dottedEighth = t.x2ms(2);  // three rows
  SetEffect(
      t, kDelayChain, 0, kFxDelay,
      {{0, dottedEighth}, {1, dottedEighth}, {2, 42}, {3, 42}, {4, 55}, {5, 0}, {6, 70}, {7, 1}});
  // Pad: the swept low-pass (type 0 is low-pass).
  SetEffect(t, kPad, 0, kFxFilter, {{0, 0}, {1, 800}, {2, 70}});
  // Keys: widened.
  SetEffect(t, kKeys, 0, kFxStereo, {{0, 0}});
  // Bass: a little overdrive under the dry sound.
  SetEffect(t, kBass, 0, kFxOverdrive, {{0, 70}, {1, 30}, {2, 12}, {3, 70}});

  struct cSend {
    int channel, aux, percent;
  };
  for (cSend s :
       {cSend{kSnare, kAuxReverb, 22}, cSend{kHat, kAuxReverb, 8}, cSend{kKeys, kAuxReverb, 25},
        cSend{kKeys, kAuxDelay, 30}, cSend{kLead, kAuxReverb, 30}, cSend{kLead, kAuxDelay, 26},
        cSend{kPad, kAuxReverb, 35}}) {
    Inside(t).SetSend(s.channel, s.aux, s.percent);
  }
}

// ---------------------------------------------------------------------------

// Composes the demo song into the tracker's current song. False when a wave
// buffer could not be had.
inline bool ComposeDemoSong(cTracker& t) {
  t.NewModule();
  cSongTables& s = Inside(t).Song();

  const std::vector<int16_t> kick = MakeKick(), snare = MakeSnare(), hat = MakeHat();
  if (!Inside(t).Waves().SetSlot(kWaveKick, kick.data(), int32_t(kick.size()), 0, 0, 0, "Kick") ||
      !Inside(t).Waves().SetSlot(kWaveSnare, snare.data(), int32_t(snare.size()), 0, 0, 0,
                                 "Snare") ||
      !Inside(t).Waves().SetSlot(kWaveHat, hat.data(), int32_t(hat.size()), 0, 0, 0, "Hat")) {
    return false;
  }

  s.SetChannelCount(kChannelCount);
  s.bpm = 120;
  s.speed = 6;
  s.masterVolume = 100;
  s.masterPan = 0;
  constexpr int kVolumes[kChannelCount] = {100, 80, 70, 90, 75, 80, 75};
  for (int c = 0; c < kChannelCount; ++c) s.channelVolume[c] = kVolumes[c];

  MakeInstruments(t);
  MakeEffects(t);

  for (int section = 0; section < kSections; ++section) {
    s.ClearPattern(section);
    cPatternWriter p(s, section);
    WriteDrums(p, section);
    WriteBass(p, section);
    WriteKeys(p, section);
    WriteLead(p, section);
    WritePad(p, section);
    s.SetPattern(section, uint32_t(section));
    for (int c = 0; c < kChannelCount; ++c) s.SetChannelMode(section, c, kModePlay);
  }
  s.start = 0;
  s.repeat = 0;
  s.end = kSections - 1;
  return true;
}

}  // namespace demo
