#pragma once
// The starter presets shipped with the program: virtual-analogue sounds
// (.zqb, in Synths/) and FM sounds (.zqf, in FMSynths/), each the
// generator's defaults with the words below changed. murvelon-make-presets
// writes them; the tests check that the committed files are what this table
// makes, and that each one sounds and differs from the others.

#include <cstdint>
#include <filesystem>
#include <string>
#include <vector>

#include "app/tracker.h"
#include "app/trackerinside.h"
#include "engine/bass.h"
#include "engine/fmsynth.h"

namespace presets {

struct cWord {
  int16_t index;
  int16_t value;
};

struct cPreset {
  const char* name;  // the file name without its extension
  int32_t type;      // kGenBass or kGenFM
  int32_t note;      // where it is meant to be played, for the level report
  float held;        // seconds the report holds that note
  std::vector<cWord> words;
};

// Words of cBass that most presets set the same way: mono output, no
// cutoff wobble, no pulse-width sweep, no vibrato. A preset lists them again
// where it wants them.
inline std::vector<cWord> Plain(std::vector<cWord> words) {
  std::vector<cWord> all = {{40, 0}, {25, 0}, {28, 0}, {60, 0}};
  all.insert(all.end(), words.begin(), words.end());
  return all;
}

// clang-format off
inline std::vector<cPreset> StarterPresets() {
  return {
      // ---- virtual analogue ------------------------------------------------
      // Two saws a few cents apart over a sine an octave down, a four-pole
      // low-pass that closes quickly after each note.
      {"Saw Bass", kGenBass, 24, 0.6f, Plain({
          {0, 48}, {2, 0}, {42, 90}, {6, 0}, {8, 0}, {9, 8}, {10, 70},
          {43, 2}, {45, -12}, {30, 60},
          {21, 3}, {22, 28}, {23, 70}, {32, 60},
          {16, 0}, {17, 22}, {18, 30}, {20, 8},
          {11, 0}, {12, 30}, {13, 100}, {15, 8}})},
      // A pure sine: weight below everything else.
      {"Sub Bass", kGenBass, 24, 0.6f, Plain({
          {0, 60}, {2, 2}, {42, 120}, {10, 0}, {30, 0},
          {21, 0},
          {11, 1}, {12, 0}, {13, 127}, {15, 10}})},
      // One saw into a two-pole low-pass near self-oscillation, a short
      // filter envelope and a slide between notes.
      {"Acid Bass", kGenBass, 36, 0.5f, Plain({
          {0, 36}, {2, 0}, {42, 110}, {10, 0}, {30, 0},
          {21, 1}, {22, 14}, {23, 235}, {32, 85}, {41, 63},
          {16, 0}, {17, 16}, {18, 0}, {20, 5},
          {11, 0}, {12, 40}, {13, 90}, {15, 5},
          {4, 6}})},
      // A square with a sine sub and a gentle filter thump.
      {"Square Bass", kGenBass, 24, 0.6f, Plain({
          {0, 46}, {2, 1}, {3, 127}, {42, 90}, {10, 0},
          {43, 2}, {45, -12}, {30, 50},
          {21, 3}, {22, 40}, {23, 40}, {32, 40},
          {16, 0}, {17, 18}, {18, 30}, {20, 6},
          {11, 0}, {12, 20}, {13, 90}, {15, 6}})},
      // A resonant low-pass swept by the cutoff LFO, three times a second.
      {"Wobble Bass", kGenBass, 24, 1.2f, Plain({
          {0, 50}, {2, 0}, {42, 90}, {6, 1}, {7, 64}, {8, 0}, {9, 6}, {10, 60},
          {43, 2}, {45, -12}, {30, 50},
          {21, 3}, {22, 55}, {23, 60}, {32, 0}, {41, 48},
          {24, 48}, {25, 24}, {26, 96},
          {11, 1}, {12, 0}, {13, 127}, {15, 8}})},
      // The classic hard-sync lead: oscillator 2 synced to an inaudible
      // oscillator 1, its pitch swept down by the filter envelope.
      {"Sync Lead", kGenBass, 60, 1.0f, {
          {40, 2}, {25, 0}, {28, 0},
          {0, 70}, {2, 0}, {42, 0}, {5, 1}, {6, 0}, {8, 7}, {9, 0}, {10, 100},
          {30, 0}, {66, 40}, {68, 1},
          {16, 0}, {17, 45}, {18, 20}, {20, 20},
          {21, 1}, {22, 140}, {23, 40}, {32, 20},
          {11, 1}, {12, 30}, {13, 110}, {15, 20},
          {59, 88}, {60, 10}, {64, 20}}},
      // Three saws in the unison mode, a little glide: wide and bright.
      {"Saw Lead", kGenBass, 60, 1.0f, {
          {40, 1}, {25, 0}, {28, 0}, {60, 0},
          {0, 44}, {2, 0}, {42, 90}, {6, 0}, {8, 0}, {9, 12}, {10, 80},
          {43, 0}, {45, 12}, {30, 30},
          {21, 1}, {22, 150}, {23, 30}, {32, 25},
          {16, 0}, {17, 30}, {18, 60}, {20, 15},
          {11, 1}, {12, 20}, {13, 110}, {15, 15}, {4, 3}}},
      // A hollow square an octave over a thin pulse, portamento and a late
      // vibrato; the delay mode spreads it across the stereo image.
      {"Square Lead", kGenBass, 60, 1.0f, {
          {40, 3}, {25, 0}, {28, 0},
          {0, 56}, {2, 1}, {3, 127}, {42, 80}, {6, 1}, {7, 30}, {8, 12}, {9, 3}, {10, 30},
          {30, 0},
          {21, 1}, {22, 110}, {23, 60}, {32, 20},
          {16, 0}, {17, 20}, {18, 60}, {20, 10},
          {11, 1}, {12, 10}, {13, 120}, {15, 10}, {4, 10},
          {59, 90}, {60, 14}, {64, 15}}},
      // Two pulses whose widths a slow LFO sweeps, in the stereo mode, with
      // a slow swell and a long release.
      {"Pulse Width Pad", kGenBass, 48, 2.0f, {
          {40, 2}, {25, 0},
          {0, 42}, {2, 1}, {42, 70}, {6, 1}, {8, 0}, {9, 10}, {10, 60}, {30, 0},
          {27, 8}, {28, 90},
          {21, 1}, {22, 90}, {23, 20}, {32, 15},
          {16, 100}, {17, 100}, {18, 60}, {20, 150},
          {11, 80}, {12, 50}, {13, 110}, {15, 150},
          {59, 80}, {60, 4}, {64, 25}}},
      // Detuned saws and a saw an octave up, slow bow, long release.
      {"String Pad", kGenBass, 48, 2.0f, {
          {40, 2}, {28, 0},
          {0, 48}, {2, 0}, {42, 80}, {6, 0}, {8, 0}, {9, 7}, {10, 70},
          {43, 0}, {45, 12}, {30, 30},
          {21, 1}, {22, 100}, {23, 10}, {32, 0},
          {24, 4}, {25, 6},
          {11, 120}, {12, 0}, {13, 127}, {15, 180},
          {59, 90}, {60, 6}, {64, 30}}},
      // A sine with a quiet saw an octave up and a sine a fifth up, under a
      // slowly opening four-pole low-pass.
      {"Warm Pad", kGenBass, 48, 2.0f, {
          {40, 2}, {28, 0}, {60, 0},
          {0, 48}, {2, 2}, {42, 80}, {6, 0}, {8, 12}, {9, 4}, {10, 30},
          {43, 2}, {45, 7}, {30, 30},
          {21, 3}, {22, 30}, {23, 30}, {32, 30},
          {16, 150}, {17, 100}, {18, 90}, {20, 200},
          {24, 3}, {25, 10},
          {11, 150}, {12, 100}, {13, 100}, {15, 200}}},
      // Saw and pulse through a resonant low-pass that snaps shut; the note
      // dies away by itself.
      {"Pluck", kGenBass, 60, 1.0f, {
          {40, 2}, {25, 0}, {28, 0}, {60, 0},
          {0, 60}, {2, 0}, {42, 90}, {6, 1}, {7, 50}, {8, 12}, {9, 0}, {10, 40}, {30, 0},
          {21, 1}, {22, 8}, {23, 90}, {32, 100},
          {16, 0}, {17, 15}, {18, 0}, {20, 5},
          {11, 0}, {12, 50}, {13, 0}, {15, 30}}},
      // Sines at the fifth-partial and twelfth above the note, no filter:
      // a struck, glassy tone that rings out.
      {"Bell Pluck", kGenBass, 72, 1.5f, {
          {40, 2}, {25, 0}, {28, 0}, {60, 0},
          {0, 64}, {2, 2}, {42, 90}, {6, 2}, {8, 28}, {9, 0}, {10, 40},
          {43, 2}, {45, 19}, {30, 25},
          {21, 0},
          {11, 0}, {12, 90}, {13, 0}, {15, 80}}},
      // Detuned saws whose four-pole low-pass opens a little late after
      // each note, as a brass section swells.
      {"Brass Synth", kGenBass, 48, 1.2f, {
          {40, 2}, {25, 0}, {28, 0},
          {0, 44}, {2, 0}, {42, 90}, {6, 0}, {8, 0}, {9, 6}, {10, 80}, {30, 0},
          {21, 3}, {22, 60}, {23, 20}, {32, 90},
          {16, 12}, {17, 40}, {18, 64}, {20, 20},
          {11, 3}, {12, 20}, {13, 115}, {15, 15},
          {59, 90}, {60, 8}, {64, 25}}},

      // ---- FM ---------------------------------------------------------------
      // Modulator at the carrier's frequency, a bright strike that mellows.
      {"Electric Piano", kGenFM, 60, 1.2f, {
          {0, 84}, {3, 0}, {5, 0}, {7, 14},
          {8, 0}, {9, 40}, {10, 15}, {12, 20}, {16, 1},
          {17, 0}, {18, 180}, {19, 20}, {21, 30}}},
      // An inharmonic 3.5:1 modulator and a long ring.
      {"Tubular Bell", kGenFM, 72, 2.0f, {
          {0, 84}, {3, 21}, {4, 69}, {5, 0}, {7, 9},
          {8, 0}, {9, 200}, {10, 0}, {12, 200}, {16, 1},
          {17, 0}, {18, 255}, {19, 0}, {21, 200}}},
      // A feedback modulator at unison: a growl that closes fast.
      {"FM Bass", kGenFM, 24, 0.6f, {
          {0, 90}, {3, 0}, {5, 0}, {7, 16}, {28, 30},
          {8, 0}, {9, 15}, {10, 20}, {12, 6}, {16, 1},
          {17, 0}, {18, 40}, {19, 90}, {21, 6}}},
      // The modulation swells in after the note starts, as a horn's
      // brightness follows its breath.
      {"Brass", kGenFM, 48, 1.2f, {
          {0, 84}, {3, 0}, {5, 0}, {7, 18}, {28, 20},
          {8, 8}, {9, 30}, {10, 80}, {12, 15}, {16, 1},
          {17, 4}, {18, 20}, {19, 110}, {21, 15}}},
      // A steady modulator a twelfth up: odd-harmonic drawbars that sound
      // as long as the key is held.
      {"Drawbar Organ", kGenFM, 60, 1.2f, {
          {0, 76}, {3, 19}, {4, 2}, {5, 0}, {7, 5},
          {8, 0}, {9, 0}, {10, 127}, {12, 4}, {16, 0},
          {17, 1}, {18, 0}, {19, 127}, {21, 4}}},
      // A 4:1 modulator struck hard and damped quickly, a short wooden body.
      {"Marimba", kGenFM, 60, 0.8f, {
          {0, 90}, {3, 24}, {5, 0}, {7, 12},
          {8, 0}, {9, 5}, {10, 0}, {12, 5}, {16, 1},
          {17, 0}, {18, 50}, {19, 0}, {21, 40}}},
      // A half-sine carrier and a feedback modulator: a nasal, biting pluck.
      {"Clav", kGenFM, 60, 0.8f, {
          {0, 80}, {3, 0}, {5, 0}, {7, 20}, {27, 2}, {28, 60},
          {8, 0}, {9, 30}, {10, 30}, {12, 5}, {16, 1},
          {17, 0}, {18, 60}, {19, 40}, {21, 3}}},
      // A slightly detuned 2:1 modulator whose depth rises slowly under a
      // slow swell: a soft pad that brightens as it is held.
      {"Glass Pad", kGenFM, 48, 2.0f, {
          {0, 80}, {3, 12}, {4, 7}, {5, 0}, {7, 10},
          {8, 200}, {9, 100}, {10, 90}, {12, 200}, {16, 1},
          {17, 150}, {18, 100}, {19, 110}, {21, 200}}},
  };
}
// clang-format on

inline std::string FileName(const cPreset& p) {
  return std::string(p.type == kGenFM ? "FMSynths/" : "Synths/") + p.name +
         (p.type == kGenFM ? ".zqf" : ".zqb");
}

// The preset's instrument block: the generator's defaults, the preset's
// words, held to the generator's ranges.
inline void MakeBlock(cTracker& t, const cPreset& p, int16_t* block) {
  cGenerator* g = p.type == kGenFM ? static_cast<cGenerator*>(Inside(t).Generators().FM(0))
                                   : static_cast<cGenerator*>(Inside(t).Generators().Bass(0));
  for (int i = 0; i < kInstrumentWords; ++i) block[i] = 0;
  g->GetDefaults(block);
  for (const cWord& w : p.words) block[w.index] = w.value;
  block[kParamGenType] = int16_t(p.type);
  g->FilterParams(block);
}

// Writes every preset under root (its Synths/ and FMSynths/ folders are
// created), through the program's own preset saving. False at the first
// file that cannot be written.
inline bool WritePresets(cTracker& t, const std::filesystem::path& root) {
  std::error_code error;
  std::filesystem::create_directories(root / "Synths", error);
  std::filesystem::create_directories(root / "FMSynths", error);
  for (const cPreset& p : StarterPresets()) {
    MakeBlock(t, p, Inside(t).Song().Instrument(0));
    const std::string path = (root / FileName(p)).string();
    const int saved = p.type == kGenFM ? t.SaveFMSynth(path, 0) : t.SaveSynth(path, 0);
    if (saved != 1) return false;
  }
  return true;
}

// One note of an instrument block on channel 0's generators: held for
// `held` frames, then released and followed for `tail` frames. Interleaved
// stereo in 16-bit scale, as the generator writes it.
inline std::vector<float> RenderNote(cTracker& t, const int16_t* block, int32_t note, int32_t held,
                                     int32_t tail) {
  std::lock_guard<std::recursive_mutex> lock(Inside(t).EngineLock());
  cGenManager& g = Inside(t).Generators();
  g.currentChannel = 0;
  g.ResetChannel();
  g.SelectGenerator(block[kParamGenType]);
  g.LoadInstrument(block);
  g.NoteOn(note);
  std::vector<float> out(2 * size_t(held + tail));
  constexpr int32_t kChunk = 441;  // 10 ms at 44100 Hz, as the render path's ticks cut blocks
  for (int32_t done = 0; done < held + tail;) {
    if (done == held) g.ReleaseChannel();
    const int32_t end = done < held ? held : held + tail;
    const int32_t n = std::min(kChunk, end - done);
    g.Render(out.data() + 2 * size_t(done), n);
    done += n;
  }
  return out;
}

}  // namespace presets
