#pragma once
// "Delay + Feedback": a stereo delay with separate left and right times and
// feedback, a one-pole tone filter in the feedback path and a ping-pong mode.

#include <cstdint>
#include <memory>

#include "fx/effect.h"

// The shortest line: enough for 1024 ms at 96 kHz. Above 96 kHz a line holds
// one sample more than 1024 ms, so that the longest delay stays distinct
// from 0 ms, which returns after the whole line.
constexpr int32_t kDelayLineLength = 98496;
constexpr int32_t kDelayMaxMs = 1024;

class cDelay : public cParamEffect<8> {
 public:
  cDelay();

  const char* GetName() override { return "Delay + Feedback"; }
  void Init(int32_t sampleRate) override;
  void Reset(bool loadDefaults) override;
  void Clear() override;
  int32_t Process(float* frames, int32_t count) override;
  void SetParam(int32_t index, int32_t value) override;
  void GetParamText(char* text, int32_t index, int32_t value) override;
  void ApplyParams() override;

  // Samples in each line, as Init sized them for the rate.
  int32_t LineLength() const { return lineLength; }

  float sampleRate = 0.0f;
  float samplesPerMs = 0.0f;
  int32_t framesPerSecond = 0;                      // the rate again, for exact lags
  float feedbackLeft = 0.0f, feedbackRight = 0.0f;  // 0-0.95
  float dry = 0.0f, wet = 0.0f;
  int32_t pingPong = 0;
  // The read indices only advance; a new delay time moves the write index,
  // so the time between them is the echo's lag.
  int32_t readLeft = 0, readRight = 0;
  int32_t writeLeft = 0, writeRight = 0;
  float color = 0.0f;  // coefficient of the one-pole filter in the feedback path
  float lastLeft = 0.0f, lastRight = 0.0f;

 private:
  // Allocated by Init, never while processing.
  int32_t lineLength = 0;
  std::unique_ptr<float[]> lineLeft, lineRight;
};
