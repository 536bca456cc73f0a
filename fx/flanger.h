#pragma once
// Flanger/chorus: two cross-coupled delay lines whose read points are swept
// by sine LFOs. Line A feeds the left output, line B the right; each line is
// fed by its own side's input plus the other line's output times the
// feedback. cFlanger drives both lines from one LFO, the second line with a
// phase offset; cFlanger2 gives each line its own time, LFO and phase.
//
// Only FeedBack Left acts on the sound, on both paths. FeedBack Right is
// stored, shown and saved, but songs were made with it idle and rely on that.

#include "fx/effect.h"

// Two full periods of a 4096-entry sine, so that an LFO position (0 to 4096)
// plus a phase offset (up to 2048) reads inside the table.
constexpr int32_t kFlangerSineSize = 8192;
constexpr int32_t kFlangerPeriod = 4096;
constexpr int32_t kFlangerLineSize = 2048;  // samples per delay line

class cFlanger : public cEffect {
 public:
  static constexpr int32_t kNumParams = 8;
  enum : int32_t {
    kTime,
    kLfoAmp,
    kLfoSpeed,
    kLfoPhase,
    kFeedbackLeft,
    kFeedbackRight,
    kOutDry,
    kOutWet
  };

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
  void ApplyParams() override;

 private:
  void Update();

  int32_t params[kNumParams] = {};
  float sampleRate = 0.0f;
  float sine[kFlangerSineSize] = {};
  float lineA[kFlangerLineSize] = {};
  float lineB[kFlangerLineSize] = {};
  int32_t time = 0;  // samples, although the display says ms
  int32_t feedbackLeft = 0;
  int32_t feedbackRight = 0;
  int32_t lfoSpeed = 0;
  int32_t lfoAmount = 0;
  int32_t lfoPhase = 0;
  float dry = 0.0f;
  float wet = 0.0f;
  int32_t writeIndex = 0;
  double lfoIncrement = 0.0;  // table entries per sample
  double lfoPosition = 0.0;   // 0 to 4096
  float depth = 0.0f;         // samples
  float phaseOffset = 0.0f;   // table entries
};

class cFlanger2 : public cEffect {
 public:
  static constexpr int32_t kNumParams = 12;
  enum : int32_t {
    kTimeL,
    kTimeR,
    kLfoSpeedL,
    kLfoSpeedR,
    kLfoAmpL,
    kLfoAmpR,
    kFeedbackLeft,
    kFeedbackRight,
    kLfoPhaseL,
    kLfoPhaseR,
    kOutDry,
    kOutWet
  };

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
  void ApplyParams() override;

 private:
  void Update();

  int32_t params[kNumParams] = {};
  float sampleRate = 0.0f;
  float sine[kFlangerSineSize] = {};
  float lineA[kFlangerLineSize] = {};
  float lineB[kFlangerLineSize] = {};
  // Per side: [0] sweeps line A (left), [1] line B (right).
  int32_t time[2] = {};
  int32_t lfoSpeed[2] = {};
  int32_t lfoAmount[2] = {};
  int32_t lfoPhase[2] = {};
  double lfoIncrement[2] = {};
  double lfoPosition[2] = {};
  float depth[2] = {};
  float phaseOffset[2] = {};
  int32_t feedbackLeft = 0;
  int32_t feedbackRight = 0;
  float dry = 0.0f;
  float wet = 0.0f;
  int32_t writeIndex = 0;
};
