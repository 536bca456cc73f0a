#pragma once
// Flanger/chorus: two cross-coupled delay lines whose read points are swept
// by sine LFOs. Line A feeds the left output, line B the right; each line is
// fed by its own side's input plus the other line's output times the
// feedback. cFlanger drives both lines from one LFO, the second line with a
// phase offset; cFlanger2 gives each line its own time, LFO and phase. Both
// are one core that differs only in its parameters, their names and texts.
//
// Only FeedBack Left acts on the sound, on both paths. FeedBack Right is
// stored, shown and saved, but songs were made with it idle and rely on that.

#include "fx/effect.h"

// Two full periods of a 4096-entry sine, so that an LFO position (0 to 4096)
// plus a phase offset (up to 2048) reads inside the table.
constexpr int32_t kFlangerSineSize = 8192;
constexpr int32_t kFlangerPeriod = 4096;
constexpr int32_t kFlangerLineSize = 2048;  // samples per delay line

// The sound of both flangers: the lines, the sine and one sweep per line.
class cFlangerCore {
 public:
  // One line's sweep.
  struct cSweep {
    int32_t time = 0;        // samples, although the display says ms
    int32_t speed = 0;       // units of 0.00003 Hz
    int32_t amount = 0;      // 1-256
    int32_t phase = 0;       // 256 is half a period
    double increment = 0.0;  // table entries per sample
    double position = 0.0;   // 0 to 4096
    float depth = 0.0f;      // samples
    float offset = 0.0f;     // table entries
  };

  void Init(float sampleRate);
  // The write point and the sweeps start again at 0; the lines keep what
  // they hold.
  void Clear();
  // Increments, offsets and depths from the sweeps' settings.
  void Update();
  void Process(float* frames, int32_t count);

  cSweep sweep[2];  // [0] moves line A (left), [1] line B (right)
  int32_t feedbackLeft = 0, feedbackRight = 0;
  float dry = 0.0f, wet = 0.0f;

 private:
  float sampleRate = 0.0f;
  float sine[kFlangerSineSize] = {};
  float lineA[kFlangerLineSize] = {};
  float lineB[kFlangerLineSize] = {};
  int32_t writeIndex = 0;
};

// What a flanger parameter drives, and on which lines.
struct cFlangerRole {
  enum : int32_t { kTime, kAmount, kSpeed, kPhase, kFeedbackLeft, kFeedbackRight, kDry, kWet };
  int32_t what;
  int32_t lines;  // bit 0 line A, bit 1 line B
};

// A flanger of N parameters; each parameter's role is in a table.
template <int32_t N>
class cFlangerEffect : public cParamEffect<N> {
 public:
  void Init(int32_t sampleRate) override;
  void Reset(bool loadDefaults) override;
  void Clear() override { core.Clear(); }
  int32_t Process(float* frames, int32_t count) override;
  // Held to the offered range: a damaged song must not read outside the
  // lines, sweep past the sine table or feed back more than unity.
  void SetParam(int32_t index, int32_t value) override;
  void GetParamText(char* text, int32_t index, int32_t value) override;

 protected:
  cFlangerEffect(const cFxParamDesc* params, const cFlangerRole* roles,
                 const int32_t (*presets)[N] = nullptr, int32_t presetCount = 0)
      : cParamEffect<N>(params, false, presets, presetCount), roles(roles) {}

 private:
  const cFlangerRole* const roles;
  cFlangerCore core;
};

class cFlanger : public cFlangerEffect<8> {
 public:
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

  cFlanger();
  const char* GetName() override;
};

class cFlanger2 : public cFlangerEffect<12> {
 public:
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

  cFlanger2();
  const char* GetName() override;
};

extern template class cFlangerEffect<8>;
extern template class cFlangerEffect<12>;
