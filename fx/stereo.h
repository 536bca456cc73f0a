#pragma once
// Stereo expander: widens the image by delaying one side by a fixed 700
// samples and inverting the other.

#include "fx/effect.h"

constexpr int32_t kStereoLag = 700;  // samples; 15.9 ms at 44100 Hz

class cStereo : public cEffect {
 public:
  static constexpr int32_t kNumParams = 1;
  enum : int32_t { kKind };

  const char* GetName() override;
  void Init(int32_t sampleRate) override;
  void Reset(bool loadDefaults) override;
  void Clear() override;
  int32_t Process(float* frames, int32_t count) override;
  int32_t GetNumParams() override;
  void SetParam(int32_t index, int32_t value) override;
  int32_t GetParam(int32_t index) override;
  void GetParamText(char* text, int32_t index, int32_t value) override;
  const cFxParamDesc* GetParamDesc(int32_t index) override;
  int32_t GetNumPresets() override;
  void LoadPreset(int32_t preset) override;

 private:
  int32_t params[kNumParams] = {};
  float sampleRate = 0.0f;
  int32_t kind = 0;  // 0: right delayed, left inverted; 1: left delayed, right inverted
  float line[kStereoLag] = {};
  int32_t index = 0;  // 0 to 699
};
