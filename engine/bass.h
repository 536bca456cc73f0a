#pragma once
// cBass: the monophonic virtual-analogue synthesizer of a channel. Three
// oscillators on band-limited saws, a sine or noise, a resonant filter of
// three types, two envelopes of curved segments, three sine LFOs, glide,
// soft clipping and four render modes (single, unison, stereo, delay). Its
// sound is a block of 76 parameter words; the band-limited tables come from
// the shared wavetable store.
// Used only under the engine lock; Render allocates nothing.

#include <cstdint>

#include "engine/envelope.h"
#include "engine/generator.h"
#include "engine/noiseseeds.h"

class cWavetables;
struct cBassControls;  // the render path's own (bassrender.cpp)
struct cOscLanes;

constexpr int kBassParams = 76;

class cBass : public cGenerator {
 public:
  cBass();

  // The shared tables; until they are given, the generator renders silence.
  void SetWavetables(const cWavetables* tables) { wavetables = tables; }
  // Where Reset takes the noise seed; without one, from rand().
  void SetNoiseSeeds(cNoiseSeeds* seeds) { noiseSeeds = seeds; }

  void Init(int32_t sampleRate) override;
  void Reset() override;
  void Render(float* frames, int32_t count) override;
  void NoteOn(int32_t note) override;
  void SetPitch(int32_t note) override;
  void NoteOff() override;
  void SetPlaying(int32_t flag) override { playing = flag; }
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
  void SetInstrumentNumber(int32_t instrument) override { instrumentNumber = instrument; }
  int32_t GetPlayPosition() override { return 0; }
  int32_t GetVoiceCount() override { return amp.state != cCurveEnvelope::kIdle ? 1 : 0; }
  void FastRelease() override;

  // Read-only views for the editor and tests.
  const cCurveEnvelope& AmpEnvelope() const { return amp; }
  const cCurveEnvelope& FilterEnvelope() const { return filterEnv; }
  float TargetCutoff() const { return targetCutoff; }
  float TargetResonance() const { return targetResonance; }
  float TargetVolume() const { return targetVolume; }
  float TargetPan() const { return targetPan; }
  // Phase steps per frame in a 4096-point cycle; set 0 (A) or 1 (B), osc 0-2.
  float TargetIncrement(int set, int osc) const { return targetInc[set & 1][osc % 3]; }
  float CurrentIncrement(int set, int osc) const { return currentInc[set & 1][osc % 3]; }
  float SamplesPerMs() const { return samplesPerMs; }
  // Phase step per frame of LFO 0-2 (31-bit cycle), set at note-on.
  uint32_t LfoIncrement(int index) const { return lfo[index % 3].increment; }

 private:
  struct cOscGroup {
    float phase[3] = {};  // 0 <= phase < 4096
    float previous[3] = {};
  };
  struct cFilterState {
    float s1 = 0.0f, s2 = 0.0f;
    float y[4] = {}, in[4] = {};
  };
  struct cLfo {
    uint32_t phase = 0;  // 31 bits
    uint32_t increment = 0;
    uint32_t start = 0;
    float rateHz = 0.0f;
    int32_t rateWord = 0, range = 0;
    float depth = 0.0f;
    float out = 0.0f;  // kept by LFO 3, which holds it through its delay
    bool freeRunning = false;
  };
  void ApplyWord(int32_t index, int16_t value);
  float EnvelopeTime(int32_t w) const;
  void SetLfoRate(cLfo& lfo);
  void StartLfoIncrements();
  float Increment(float semitones) const;
  void ClearFilters();
  // The filter's coefficients from the filter envelope, the smoothed cutoff
  // and resonance and LFO 1 of one frame.
  void RecomputeFilter(float envelope, float cutoffNow, float resonanceNow, float lfo1);
  [[gnu::always_inline]] float Wave(int osc, float p, float width, uint32_t noiseState) const;
  // One oscillator's frame: its output, its phase moved on; `wrapped` says
  // whether the phase passed the end of its period.
  [[gnu::always_inline]] float StepOscillator(int osc, float& phase, float& previous, float inc,
                                              float width, uint32_t noiseState,
                                              bool& wrapped) const;
  [[gnu::always_inline]] float RunGroup(cOscGroup& g, const float* inc, const float* width,
                                        const float* level, const bool* runs, uint32_t noiseState);
  // One stretch's control values, the envelopes, smoothing and LFOs moved on.
  void PrepareControls(cBassControls& c, int32_t frames, bool widths);
  void SetUpLanes(cOscLanes& lo, cOscLanes& hi, const bool* runs, const float* levels,
                  const float* unisonInc, int mode) const;
  void StepLanesScalar(const cOscLanes& s, float* phase, float* previous, const float* inc,
                       const float* width, uint32_t noiseA, uint32_t noiseB, float* product) const;
  template <int kMode, int kFilter, bool kPlain>
  void RenderFrames(float* frames, int32_t count);

  const cWavetables* wavetables = nullptr;

  // Rate constants.
  int32_t sampleRate = 44100;
  float rate = 44100.0f, invRate = 1.0f / 44100.0f;
  float samplesPerMs = 44.1f, hzScale = 44100.0f / 4096.0f, slideScale = 1.0f;
  static const float* SharedSine();
  const float* sine;  // 2048 points of one cycle

  int16_t params[kBassParams] = {};

  // Converted parameters.
  float targetVolume = 1.0f, targetPan = 0.5f;
  int32_t wave[3] = {};
  float width[3] = {};  // 0-1 of a cycle
  float level[3] = {};
  int32_t coarse[3] = {};  // semitones
  float fine[3] = {};      // semitones
  float feedback[3] = {};
  bool pitchFromEnv[3] = {};
  bool oscOn[3] = {true, true, true};  // stored; no render mode reads them
  bool sync2 = false, sync3 = false;
  float glideStep = 0.0f;
  int32_t filterType = 0;
  int32_t cutoffMode = 0;
  float targetCutoff = 0.0025f, targetResonance = 0.0f;
  float envAmount = 0.0f;
  float envToPitch = 0.0f;
  bool softClip = false;
  float drive = 3.0f;
  float stored34 = 0.0f, stored35 = 0.0f;
  int32_t lfo3Flag = 0;
  int32_t renderMode = 0;
  int32_t updatePeriod = 64;  // frames between filter coefficient updates
  int32_t transpose = 0;
  int32_t lfo3Delay = 0;  // frames

  // Voice state.
  int32_t note = 0;
  float targetInc[2][3] = {};
  float currentInc[2][3] = {};
  cOscGroup groupA, groupB;
  float volume = 0.0f, pan = 0.0f, cutoff = 0.0025f, resonance = 0.0f;
  cCurveEnvelope amp, filterEnv;
  cLfo lfo[3];
  int32_t lfo3Counter = 0;
  uint32_t noise = 0x67B981C4u;
  cNoiseSeeds* noiseSeeds = nullptr;
  cFilterState filterL, filterR;
  int32_t updateCounter = 0;
  // Filter coefficients, shared by both filters.
  float coefC = 0.0f, coefB = 1.0f, coefFb = 0.0f, coefG = 1.0f, coefF4 = 0.0f;
  const float* table[3] = {};
  cCommandColumns columns;
  int32_t playing = 0;
  int32_t instrumentNumber = 0;

  // Mode 3: the right channel reads the inverted output 5 ms late.
  float delayLine[1024] = {};
  int32_t delayRead = 0, delayWrite = 0;
};
