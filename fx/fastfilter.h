#pragma once
// "FastFilter 24db": a resonant two-pole low-pass or high-pass filter per
// stereo side. Pattern commands may move its type, cutoff and resonance for
// a while without touching the stored parameters; a command with nibble 0
// (or ApplyParams) brings the stored values back.

#include <cstdint>

#include "fx/effect.h"

class cFastFilter24 : public cParamEffect<3> {
 public:
  cFastFilter24();

  const char* GetName() override { return "FastFilter 24db"; }
  void Init(int32_t sampleRate) override;
  void Reset(bool loadDefaults) override;
  void Clear() override;
  int32_t Process(float* frames, int32_t count) override;
  void SetParam(int32_t index, int32_t value) override;
  void GetParamText(char* text, int32_t index, int32_t value) override;
  void Command(int32_t value, int32_t reserved) override;

  // params: type, cutoff, resonance

  float sampleRate = 0.0f;  // only for the display text
  int32_t highPass = 0;
  float f = 0.0f;  // cutoff coefficient, 0.001-0.999
  float oneMinusF = 1.0f;
  float feedback = 0.0f;
  float q = 0.0f;  // resonance, 0.001-0.999
  float stage1Left = 0.0f, stage1Right = 0.0f, stage2Left = 0.0f, stage2Right = 0.0f;

 private:
  // Makes a value take effect without storing it.
  void Apply(int32_t index, int32_t value);
};
