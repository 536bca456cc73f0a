#pragma once
// The sampler of a channel: up to eight voices playing sounds of the wave
// store with cubic interpolation, forward and ping-pong loops, a linear envelope, per-voice
// volume and pan, chords, arpeggios and sample offsets from effect commands,
// and pitch slides in 32.32 fixed point. Engine lock held for every call.

#include <cstdint>

#include "engine/generator.h"
#include "engine/genmanager.h"

class cWavManager;

constexpr int kSamplerVoices = 8;
constexpr int kSamplerWords = 16;

class cSampler : public cGenerator {
 public:
  cSampler();

  // The manager's cubic weight tables (four of kInterpSize, then a ramp).
  void BindTables(const float (*tables)[kInterpSize]) { interp = tables; }
  void SetWaveStore(cWavManager* store) { waves = store; }

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
  void SetInstrumentNumber(int32_t instrument) override { instrumentByte = instrument; }
  int32_t GetPlayPosition() override;
  int32_t GetVoiceCount() override;
  // Every sounding voice fades out over 1 ms.
  void FastRelease() override;

  enum : int32_t { kEnvIdle, kEnvAttack, kEnvDecay, kEnvSustain, kEnvRelease, kEnvFast };

  struct cVoice {
    int32_t ready;  // the instrument was applied and a sample found
    int32_t playing;
    int32_t stereo;
    int32_t slot;         // 255 = none
    const int16_t* data;  // first sample value, past the zero margin
    int32_t note;
    float playHz;                        // sample frames per second
    float coarse, fine;                  // semitones
    int32_t offset;                      // last sample-offset parameter
    int64_t position;                    // 32.32 frames
    int64_t targetStep, step;            // 32.32 frames per output frame
    int32_t loopStart, loopEnd, length;  // frames
    int32_t loopMode;                    // 0 none, 1 forward, 2 ping-pong
    int32_t direction;                   // 0 forward, 1 backward (ping-pong)
    int32_t baseVolume;
    float targetVolume, volume, targetPan, pan;
    float attackMs, decayMs;
    float sustainTime;  // samples; 0 = until note-off
    float sustainLevel;
    float releaseMs;
    float envValue, envRate;
    int32_t envState;
    float sustainCounter;
    uint32_t generation;  // of the wave slot when the voice took it
  };

  const cVoice& Voice(int i) const { return voices[i & (kSamplerVoices - 1)]; }

 private:
  void ClearVoice(cVoice& v);
  int32_t ChooseVoice() const;
  int32_t StartNote(int32_t note);
  void ApplyInstrument(cVoice& v);
  bool TakeSlot(cVoice& v, int32_t slot);
  void Retune(cVoice& v, int32_t note);
  void Arpeggio(int32_t semitones);
  void ReleaseVoice(cVoice& v);
  void StopVoice(cVoice& v);
  template <bool kFirst>
  int32_t RenderVoice(cVoice& v, float* frames, int32_t count);
  static int32_t SteadyFrames(const cVoice& v, int32_t limit);
  template <bool kStereo, bool kFirst>
  void RenderSteady(cVoice& v, float* frames, int32_t count) const;
  static void TurnPingPong(cVoice& v, int64_t first, int64_t last);
  int64_t ToFixed(float value) const;

  float rate = 44100.0f, samplesPerMs = 44.1f, slideScale = 1.0f;
  const float (*interp)[kInterpSize] = nullptr;
  cWavManager* waves = nullptr;

  cCommandColumns columns;
  int32_t instrumentByte = 0;
  int32_t playing = 0;
  int32_t group[kSamplerVoices] = {};
  int32_t groupCount = 0;
  int32_t voiceCount = kSamplerVoices;
  int32_t sounding = 0;
  int16_t params[kSamplerWords] = {};
  cVoice voices[kSamplerVoices];
};
