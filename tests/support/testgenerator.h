#pragma once
// A generator for tests: renders a constant on both sides, counts the frames
// it has rendered and remembers the calls that reached it.

#include <cmath>
#include <string>
#include <vector>

#include "engine/generator.h"

class cTestGenerator : public cGenerator {
 public:
  explicit cTestGenerator(float level = 0.0f, int voices = 0) : level(level), voices(voices) {}

  void Init(int32_t rate) override { sampleRate = rate; }
  void Reset() override { calls.push_back("Reset"); }
  void Render(float* frames, int32_t count) override {
    for (int32_t i = 0; i < 2 * count; ++i) frames[i] = level;
    framesRendered += count;
  }
  void NoteOn(int32_t note) override { calls.push_back("NoteOn " + std::to_string(note)); }
  void SetPitch(int32_t) override {}
  void NoteOff() override { calls.push_back("NoteOff"); }
  void SetPlaying(int32_t p) override { calls.push_back("SetPlaying " + std::to_string(p)); }
  void SetPan(int32_t p) override { calls.push_back("SetPan " + std::to_string(p)); }
  void PanSlide(int32_t s) override { calls.push_back("PanSlide " + std::to_string(s)); }
  void SetVolume(int32_t) override {}
  void VolumeSlide(int32_t) override {}
  void LoadDefaults() override {}
  void GetDefaults(int16_t*) override {}
  void SetParams(const int16_t*) override { calls.push_back("SetParams"); }
  void SetParam(int32_t i, int16_t v) override {
    calls.push_back("SetParam " + std::to_string(i) + " " + std::to_string(v));
  }
  void FilterParams(int16_t*) override { calls.push_back("FilterParams"); }
  void FormatParam(char*, int32_t, int16_t) override {}
  void SetCommand(int32_t column, int32_t command) override {
    calls.push_back("SetCommand " + std::to_string(column) + " " + std::to_string(command));
  }
  void Tick(int32_t t) override { calls.push_back("Tick " + std::to_string(t)); }
  void SetInstrumentNumber(int32_t i) override {
    calls.push_back("SetInstrumentNumber " + std::to_string(i));
  }
  int32_t GetPlayPosition() override { return 0; }
  int32_t GetVoiceCount() override { return voices; }
  void FastRelease() override { calls.push_back("FastRelease"); }

  float level;
  int voices;
  int32_t sampleRate = 0;
  long framesRendered = 0;
  std::vector<std::string> calls;
};
