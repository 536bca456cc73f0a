#pragma once
// Two memoryless shapers for samples in the 16-bit range (full scale 32767):
// cDistorter pushes every sample beyond a threshold outward by a fixed
// amount; cOverdrive is a soft polynomial saturator with a hard ceiling.

#include "fx/effect.h"

class cDistorter : public cParamEffect<3> {
 public:
  cDistorter();
  enum : int32_t { kMix, kThreshold, kClamp };

  const char* GetName() override;
  void Init(int32_t sampleRate) override;
  void Reset(bool loadDefaults) override;
  void Clear() override;
  int32_t Process(float* frames, int32_t count) override;
  void SetParam(int32_t index, int32_t value) override;
  void GetParamText(char* text, int32_t index, int32_t value) override;

 private:
  float mix = 0.0f;          // the clean share
  float oneMinusMix = 0.0f;  // the distorted share
  float threshold = 0.0f;    // sample units
  float push = 0.0f;         // sample units
};

class cOverdrive : public cParamEffect<4> {
 public:
  cOverdrive();
  enum : int32_t { kDry, kWet, kDrive, kCutter };

  const char* GetName() override;
  void Init(int32_t sampleRate) override;
  void Reset(bool loadDefaults) override;
  void Clear() override;
  int32_t Process(float* frames, int32_t count) override;
  void SetParam(int32_t index, int32_t value) override;
  void GetParamText(char* text, int32_t index, int32_t value) override;

 private:
  float dry = 0.0f;
  float wet = 0.0f;
  float drive = 0.0f;
  float ceiling = 0.0f;  // sample units
};
