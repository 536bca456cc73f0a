#pragma once
// The effect base class: fourteen virtual operations in a fixed order and
// the fields common to every effect. Every parameter is a 32-bit integer
// described by a read-only descriptor. An effect owns all of its audio memory
// inside itself, so deleting it is a plain deletion.

#include <cstdint>

struct cFxParamDesc {
  const char* longLabel;   // with unit, e.g. "Delay Left (ms)"
  const char* shortLabel;  // under a knob, e.g. "DelayL"
  int32_t minimum;
  int32_t maximum;
  int32_t defaultValue;  // the value preset 0 sets
  int32_t flags;         // kFxTimeSync, or 0
};

// The parameter is a time in milliseconds for which the interface offers
// values synchronised to the song's tempo.
constexpr int32_t kFxTimeSync = 16;

// Display texts are written into caller buffers of at least this size.
constexpr int kFxTextSize = 64;

class cEffect {
 public:
  virtual ~cEffect() = default;

  virtual const char* GetName() { return nullptr; }
  virtual void Init(int32_t sampleRate) { (void)sampleRate; }
  virtual void Reset(bool loadDefaults) { (void)loadDefaults; }
  virtual void Clear() {}
  // In place on interleaved stereo frames (left, right); always returns 0.
  virtual int32_t Process(float* frames, int32_t count) {
    (void)frames;
    (void)count;
    return 0;
  }
  virtual int32_t GetNumParams() { return 0; }
  virtual void SetParam(int32_t index, int32_t value) {
    (void)index;
    (void)value;
  }
  virtual int32_t GetParam(int32_t index) {
    (void)index;
    return 0;
  }
  virtual void GetParamText(char* text, int32_t index, int32_t value) {
    (void)text;
    (void)index;
    (void)value;
  }
  virtual const cFxParamDesc* GetParamDesc(int32_t index) {
    (void)index;
    return nullptr;
  }
  virtual int32_t GetNumPresets() { return 0; }
  virtual void LoadPreset(int32_t preset) { (void)preset; }
  virtual void ApplyParams() {}
  virtual void Command(int32_t value, int32_t reserved) {
    (void)value;
    (void)reserved;
  }

  // Common fields. The tempo pointers are set by the factory and point at
  // the song-level BPM and speed.
  const int32_t* bpm = nullptr;
  const int32_t* speed = nullptr;
  void* reserved = nullptr;
  // Cleared by cDelay's Reset and by the row processor on every row on
  // which the channel plays; nothing reads it.
  uint8_t rowFlag = 0;
  // The last block given to Process and its frame count (cDelay, cReverb).
  float* lastBlock = nullptr;
  int32_t lastBlockFrames = 0;
};

// The parameter plumbing most effects share: N values described by a table
// of descriptors and read back with range checks; presets as lists of values
// (preset 0 is every descriptor's default), set through SetParam in index
// order; ApplyParams sending every stored value through SetParam again. How
// a value is held and what it drives is each effect's own SetParam.
template <int32_t N>
class cParamEffect : public cEffect {
 public:
  static constexpr int32_t kNumParams = N;

  int32_t GetNumParams() override { return N; }
  int32_t GetParam(int32_t index) override { return Has(index) ? params[index] : -1; }
  const cFxParamDesc* GetParamDesc(int32_t index) override {
    return Has(index) ? &descriptors[index] : nullptr;
  }
  int32_t GetNumPresets() override { return 1 + presetCount; }
  // A number without a preset does nothing.
  void LoadPreset(int32_t preset) override {
    if (preset == 0) {
      for (int32_t i = 0; i < N; ++i) SetParam(i, descriptors[i].defaultValue);
    } else if (preset >= 1 && preset <= presetCount) {
      for (int32_t i = 0; i < N; ++i) SetParam(i, presets[preset - 1][i]);
    } else {
      return;
    }
    if (clearAfterPreset) Clear();
  }
  void ApplyParams() override {
    for (int32_t i = 0; i < N; ++i) SetParam(i, params[i]);
  }

 protected:
  // descriptors: N of them; presets: the value lists of presets 1 to
  // presetCount; clearAfterPreset: loading a preset also silences the effect.
  explicit cParamEffect(const cFxParamDesc* descriptors, bool clearAfterPreset = false,
                        const int32_t (*presets)[N] = nullptr, int32_t presetCount = 0)
      : descriptors(descriptors),
        presets(presets),
        presetCount(presets ? presetCount : 0),
        clearAfterPreset(clearAfterPreset) {}

  static bool Has(int32_t index) { return index >= 0 && index < N; }
  // The value held to the range the descriptor offers.
  int32_t Clamped(int32_t index, int32_t value) const {
    const cFxParamDesc& d = descriptors[index];
    return value < d.minimum ? d.minimum : value > d.maximum ? d.maximum : value;
  }

  // The values GetParam returns, the song stores and the interface shows.
  int32_t params[N] = {};

 private:
  const cFxParamDesc* const descriptors;
  const int32_t (*const presets)[N];
  const int32_t presetCount;
  const bool clearAfterPreset;
};
