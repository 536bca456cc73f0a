#pragma once
// The two-operator FM synthesizer of a channel: a modulator with
// self-feedback drives the phase of a carrier; an amplitude envelope and a
// modulation envelope with curved segments; four operator waveforms held in
// tables that every FM synthesizer shares. Engine lock held for every call.

#include <cstdint>

#include "engine/envelope.h"
#include "engine/generator.h"

constexpr int kFMWords = 32;
constexpr int kFMTableSize = 16384;
constexpr int kFMWaveforms = 4;

class cFMSynth : public cGenerator {
 public:
  cFMSynth();

  void Init(int32_t sampleRate) override;
  void Reset() override;
  void Render(float* frames, int32_t count) override;
  void NoteOn(int32_t note) override;
  void SetPitch(int32_t note) override;
  void NoteOff() override;
  void SetPlaying(int32_t p) override { playing = p; }
  void SetPan(int32_t pan) override;
  void PanSlide(int32_t step) override;
  void SetVolume(int32_t volume) override;
  void VolumeSlide(int32_t step) override;
  void LoadDefaults() override;
  void GetDefaults(int16_t* params) override;
  void SetParams(const int16_t* params) override;
  void SetParam(int32_t index, int16_t value) override;
  void FilterParams(int16_t* params) override;
  void FormatParam(char* text, int32_t index, int16_t value) override;
  void SetCommand(int32_t column, int32_t command) override;
  void Tick(int32_t tick) override;
  void SetInstrumentNumber(int32_t) override {}
  int32_t GetPlayPosition() override { return 0; }
  int32_t GetVoiceCount() override { return amp.state != cCurveEnvelope::kIdle ? 1 : 0; }
  // Both release times become 15 ms, then the note is released.
  void FastRelease() override;

  const cCurveEnvelope& AmpEnvelope() const { return amp; }
  const cCurveEnvelope& ModEnvelope() const { return mod; }
  float Increment(int op) const { return increment[op & 1]; }
  const float* Table(int waveform) const { return tables[waveform & 3]; }
  float TargetVolume() const { return targetVolume; }
  float TargetPan() const { return targetPan; }

 private:
  void ApplyWord(int32_t index);
  void ApplyEnvelopes();
  float Samples(int16_t word, bool zeroIsOneMs) const;

  float rate = 44100.0f, samplesPerMs = 44.1f;
  float stepsPerHz = 16384.0f / 44100.0f;  // table steps per frame for 1 Hz

  int16_t params[kFMWords] = {};
  float targetVolume = 0, volume = 0, targetPan = 0, pan = 0;
  int32_t transpose = 0;
  float coarse[2] = {}, fine[2] = {};  // modulator, carrier; semitones
  float modIndex = 0, feedback = 0;
  int32_t waveform[2] = {};
  cCurveEnvelope amp, mod;

  int32_t note = 0;
  int32_t playing = 0;
  cCommandColumns columns;
  float phase[2] = {}, increment[2] = {};  // table steps
  float modOutput = 0;

  using cTables = float[kFMWaveforms][kFMTableSize];
  static const cTables& SharedTables();
  const cTables& tables;
};
