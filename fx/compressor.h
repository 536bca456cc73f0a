#pragma once
// A stereo-linked peak compressor. One gain serves both sides; while either
// side's peak follower is over the threshold the gain walks down towards a
// floor set by the ratio, otherwise it walks back up to 1. The walks are
// linear, so attack and release are the times of the whole journey.

#include "fx/effect.h"

class cCompressor : public cParamEffect<6> {
 public:
  cCompressor();
  enum : int32_t { kThreshold, kRatio, kPreAmp, kAttack, kRelease, kPostAmp };

  const char* GetName() override;
  void Init(int32_t sampleRate) override;
  void Reset(bool loadDefaults) override;
  void Clear() override;
  int32_t Process(float* frames, int32_t count) override;
  void SetParam(int32_t index, int32_t value) override;
  void GetParamText(char* text, int32_t index, int32_t value) override;

 private:
  void ComputeSteps();

  float sampleRate = 0.0f;
  float samplesPerMs = 0.0f;
  float envelopeLeft = 0.0f;
  float envelopeRight = 0.0f;
  int32_t threshold = 0;   // linear, in sample units (full scale 32767)
  float downStep = 0.0f;   // gain lost per sample while over the threshold
  float upStep = 0.0f;     // gain regained per sample while under it
  float floorGain = 0.0f;  // lowest gain, from the ratio
  float gain = 1.0f;
  float preGain = 0.0f;
  float postGain = 0.0f;
};
