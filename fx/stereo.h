#pragma once
// Stereo expander: widens the image by delaying one side by a fixed 700
// samples and inverting the other.

#include "fx/effect.h"

constexpr int32_t kStereoLag = 700;  // samples; 15.9 ms at 44100 Hz

class cStereo : public cParamEffect<1> {
 public:
  cStereo();
  enum : int32_t { kKind };

  const char* GetName() override;
  void Init(int32_t sampleRate) override;
  void Reset(bool loadDefaults) override;
  void Clear() override;
  int32_t Process(float* frames, int32_t count) override;
  void SetParam(int32_t index, int32_t value) override;
  void GetParamText(char* text, int32_t index, int32_t value) override;
  // The kind in use stays as it is (a Reset without defaults returns it to
  // 0 while the stored value stays).
  void ApplyParams() override {}

 private:
  float sampleRate = 0.0f;
  int32_t kind = 0;  // 0: right delayed, left inverted; 1: left delayed, right inverted
  float line[kStereoLag] = {};
  int32_t index = 0;  // 0 to 699
};
