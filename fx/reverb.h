#pragma once
// "Reverberator": eight parallel damped comb filters followed by four series
// all-pass filters per side, fed from a mono sum. Buffer lengths are fixed in
// samples, whatever the sample rate.

#include <cstdint>

#include "fx/effect.h"

struct cReverbComb {
  float feedback = 0.0f;
  float memory = 0.0f;  // the damping low-pass
  float damp1 = 0.0f;
  float damp2 = 0.0f;
  float* buffer = nullptr;  // inside the owning cReverb
  int32_t length = 0;
  int32_t index = 0;
};

struct cReverbAllPass {
  float feedback = 0.0f;
  float* buffer = nullptr;  // inside the owning cReverb
  int32_t length = 0;
  int32_t index = 0;
};

constexpr int kReverbCombs = 8;
constexpr int kReverbAllPasses = 4;
// Every buffer of both sides laid end to end (each right length is the left
// length plus 23).
constexpr int32_t kReverbStorage = 11024 + 11208 + 1563 + 1655;

class cReverb : public cParamEffect<5> {
 public:
  cReverb();
  // The filters point into this object's own storage.
  cReverb(const cReverb&) = delete;
  cReverb& operator=(const cReverb&) = delete;

  const char* GetName() override { return "Reverberator"; }
  void Init(int32_t sampleRate) override;
  void Reset(bool loadDefaults) override;
  void Clear() override;
  int32_t Process(float* frames, int32_t count) override;
  void SetParam(int32_t index, int32_t value) override;
  void GetParamText(char* text, int32_t index, int32_t value) override;

  float gain = 0.0f;      // input gain
  float roomSize = 0.0f;  // comb feedback, 0.7-0.98
  float damp = 0.0f;      // 0-0.4
  float wet = 0.0f;       // 0-3
  float wet1 = 0.0f;      // own side
  float wet2 = 0.0f;      // cross side
  float dry = 0.0f;       // 0-2
  float width = 0.0f;     // 0-1
  float smoothedLeft = 0.0f, smoothedRight = 0.0f;

  cReverbComb combLeft[kReverbCombs], combRight[kReverbCombs];
  cReverbAllPass allPassLeft[kReverbAllPasses], allPassRight[kReverbAllPasses];

 private:
  void LayOut();
  void Update();

  float storage[kReverbStorage] = {};
};
