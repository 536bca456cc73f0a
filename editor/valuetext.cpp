#include "editor/valuetext.h"

#include <cmath>
#include <cstdio>
#include <cstring>

namespace {

enum class eUnit {
  Plain,
  Off,            // 0 is off, else the number (glide)
  EnvTime,        // 0: 1 ms, else w x 10 ms (attack, decay, the synths' release)
  SampleRelease,  // 0: 2 ms, else w x 10 ms
  Hold,           // 0: until note-off, else w x 10 ms
  Level,          // w / 127, as a percentage (levels, depths, curvatures)
  Cutoff,         // w / 255, as a percentage
  LfoRate,        // w / (16 << range word) Hz
  PitchDepth,     // the pitch LFO's swing: 1 + 0.75 x w / 1024 as a frequency ratio
  Phase,          // w x 2^24 on a 2^31 cycle: degrees
  Wait,           // w x 20 ms
};

struct cWordUnit {
  int32_t engine;
  int32_t word;
  eUnit unit;
  int32_t rangeWord = -1;  // the LFO's rate range, for LfoRate
};

// The words the knobs edit, with the conversion their generator applies.
// clang-format off
constexpr cWordUnit kUnits[] = {
    {kGenBass, 4, eUnit::Off},
    {kGenBass, 11, eUnit::EnvTime}, {kGenBass, 12, eUnit::EnvTime}, {kGenBass, 13, eUnit::Level},
    {kGenBass, 14, eUnit::Hold}, {kGenBass, 15, eUnit::EnvTime},
    {kGenBass, 16, eUnit::EnvTime}, {kGenBass, 17, eUnit::EnvTime}, {kGenBass, 18, eUnit::Level},
    {kGenBass, 19, eUnit::Hold}, {kGenBass, 20, eUnit::EnvTime},
    {kGenBass, 22, eUnit::Cutoff},
    {kGenBass, 24, eUnit::LfoRate, 51}, {kGenBass, 25, eUnit::Level}, {kGenBass, 26, eUnit::Phase},
    {kGenBass, 27, eUnit::LfoRate, 52}, {kGenBass, 28, eUnit::Level}, {kGenBass, 29, eUnit::Phase},
    {kGenBass, 32, eUnit::Level},
    {kGenBass, 59, eUnit::LfoRate, 62}, {kGenBass, 60, eUnit::PitchDepth},
    {kGenBass, 61, eUnit::Phase}, {kGenBass, 64, eUnit::Wait},
    {kGenBass, 70, eUnit::Level}, {kGenBass, 71, eUnit::Level}, {kGenBass, 72, eUnit::Level},
    {kGenBass, 73, eUnit::Level}, {kGenBass, 74, eUnit::Level}, {kGenBass, 75, eUnit::Level},

    {kGenSampler, 5, eUnit::EnvTime}, {kGenSampler, 6, eUnit::EnvTime},
    {kGenSampler, 7, eUnit::Level}, {kGenSampler, 8, eUnit::Hold},
    {kGenSampler, 9, eUnit::SampleRelease},

    {kGenFM, 7, eUnit::Level},
    {kGenFM, 8, eUnit::EnvTime}, {kGenFM, 9, eUnit::EnvTime}, {kGenFM, 10, eUnit::Level},
    {kGenFM, 11, eUnit::Hold}, {kGenFM, 12, eUnit::EnvTime},
    {kGenFM, 13, eUnit::Level}, {kGenFM, 14, eUnit::Level}, {kGenFM, 15, eUnit::Level},
    {kGenFM, 17, eUnit::EnvTime}, {kGenFM, 18, eUnit::EnvTime}, {kGenFM, 19, eUnit::Level},
    {kGenFM, 20, eUnit::Hold}, {kGenFM, 21, eUnit::EnvTime},
    {kGenFM, 22, eUnit::Level}, {kGenFM, 23, eUnit::Level}, {kGenFM, 24, eUnit::Level},
    {kGenFM, 28, eUnit::Level},
};
// clang-format on

const cWordUnit* UnitOf(const cSynthControl& c) {
  const int32_t engine = PageEngine(c.page);
  for (const cWordUnit& u : kUnits) {
    if (u.engine == engine && u.word == c.word) return &u;
  }
  return nullptr;
}

std::string Milliseconds(int32_t ms) { return std::to_string(ms) + " ms"; }

std::string Percent(double fraction) { return std::to_string(std::lround(fraction * 100.0)) + "%"; }

std::string Decimals(double value, const char* unit) {
  char text[32];
  std::snprintf(text, sizeof text, "%.2f %s", value, unit);
  return text;
}

}  // namespace

const char* WaveformName(const cSynthControl& c, int32_t value) {
  if (c.kind != cControlKind::Spin || std::strcmp(c.label, "Waveform") != 0) return nullptr;
  if (PageEngine(c.page) == kGenFM) {
    // The operators' tables: the sine, its positive half twice, the
    // positive half and silence, a quarter rise with a steep fall, twice.
    static const char* const kFM[] = {"Sine", "Abs Sine", "Half Sine", "Quarter Sine"};
    return value >= 0 && value < 4 ? kFM[value] : "";
  }
  // Waveforms past the named ones play nothing.
  static const char* const kBass[] = {"Saw", "Pulse", "Sine", "Noise", "Inverted Saw"};
  return value >= 0 && value < 5 ? kBass[value] : "Off";
}

std::string ControlValueText(const cSynthControl& c, int32_t value, const int16_t* block) {
  if (const char* name = WaveformName(c, value)) return std::to_string(value) + " " + name;
  const cWordUnit* u = c.kind == cControlKind::Knob ? UnitOf(c) : nullptr;
  switch (u != nullptr ? u->unit : eUnit::Plain) {
    case eUnit::Plain:
      break;
    case eUnit::Off:
      if (value == 0) return "Off";
      break;
    case eUnit::EnvTime:
      return Milliseconds(value == 0 ? 1 : value * 10);
    case eUnit::SampleRelease:
      return Milliseconds(value == 0 ? 2 : value * 10);
    case eUnit::Hold:
      return value == 0 ? "Until note-off" : Milliseconds(value * 10);
    case eUnit::Level:
      return Percent(value / 127.0);
    case eUnit::Cutoff:
      return Percent(value / 255.0);
    case eUnit::LfoRate: {
      const int32_t range = block != nullptr ? block[u->rangeWord] & 3 : 0;
      return Decimals(value / double(16 << range), "Hz");
    }
    case eUnit::PitchDepth:
      return "\u00b1" + Decimals(12.0 * std::log2(1.0 + 0.75 * value / 1024.0), "semitones");
    case eUnit::Phase:
      return std::to_string(std::lround(value * 360.0 / 128.0)) + "\u00b0";
    case eUnit::Wait:
      return Milliseconds(value * 20);
  }
  return std::to_string(value);
}
