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
