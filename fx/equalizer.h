#pragma once
// The graphic equalizers "Equalizer (5 Bands)" and "Equalizer (7 Bands)": a
// series of linear-phase FIR band stages per side. Each stage passes its
// input times the dry factor plus its band times the band's gain, so the dry
// factors of the stages multiply.

#include <cstdint>

#include "fx/effect.h"

constexpr int kFirTaps = 17;

class cFirFilter {
 public:
  // Designs the band-pass for centre and width in Hz, gain in percent
  // (-100 to 100) and dry mix in percent; the history starts empty.
  void Design(int32_t centre, int32_t width, int32_t gain, int32_t sampleRate, int32_t dryMix);
  // One side of an interleaved block: every second float from frames.
  void Process(float* frames, int32_t count);
  // The history zeroed; design, taps and dry factor stay.
  void Clear();

  double dryFactor = 1.0;
  double reserved = 0.0;
  double design[kFirTaps] = {};  // normalised band-pass taps
  float history[kFirTaps] = {};  // newest first
  float taps[kFirTaps] = {};     // design x band gain
};

// The shared body of both equalizers; Bands is the number of stages.
// Parameters: the bands, highest first, then the dry mix.
template <int Bands>
class cEqualizer : public cParamEffect<Bands + 1> {
 public:
  static constexpr int32_t kDryMixIndex = Bands;

  void Init(int32_t sampleRate) override;
  void Reset(bool loadDefaults) override;
  void Clear() override;
  int32_t Process(float* frames, int32_t count) override;
  void SetParam(int32_t index, int32_t value) override;
  void GetParamText(char* text, int32_t index, int32_t value) override;

  cFirFilter left[Bands];  // stage k is left[k - 1]
  cFirFilter right[Bands];
  int32_t centres[Bands] = {};  // Hz
  int32_t widths[Bands] = {};   // Hz
  int32_t sampleRate = 0;
  int32_t dryMix = 100;  // percent

 protected:
  // The tables of the bands, stage by stage, and of the parameters; a
  // preset also empties the filters.
  cEqualizer(const int32_t* centreTable, const int32_t* widthTable, const cFxParamDesc* params)
      : cParamEffect<Bands + 1>(params, true), centreTable(centreTable), widthTable(widthTable) {}

 private:
  using cParamEffect<Bands + 1>::params;
  const int32_t* const centreTable;
  const int32_t* const widthTable;
};

class cEqualizer5 : public cEqualizer<5> {
 public:
  cEqualizer5();
  const char* GetName() override { return "Equalizer (5 Bands)"; }
};

class cEqualizer7 : public cEqualizer<7> {
 public:
  cEqualizer7();
  const char* GetName() override { return "Equalizer (7 Bands)"; }
};

extern template class cEqualizer<5>;
extern template class cEqualizer<7>;
