#pragma once
// The generator manager owns the 48 generators (three kinds for each of the
// 16 channels), remembers which kind each channel has selected and routes
// calls to the selected generator of the current channel. It does no locking
// of its own: callers hold the engine lock and set currentChannel right
// before each call.

#include <cstdint>
#include <memory>

#include "engine/generator.h"
#include "engine/noiseseeds.h"

constexpr int kGenChannels = 16;
constexpr int kInterpSize = 1024;

class cBass;
class cSampler;
class cFMSynth;

class cGenManager {
 public:
  explicit cGenManager(int32_t sampleRate);
  ~cGenManager();

  // Creates the generators of every kind that exists, kind by kind, each
  // kind only when the one before it was created completely, then calls Init
  // on every channel's generators. False on any shortfall.
  bool CreateGenerators();

  // Installs a generator of a kind for a channel (tests, and kinds created
  // elsewhere); CreateGenerators leaves installed ones in place. A sampler
  // is bound to the interpolation tables here. Init is the caller's.
  void InstallGenerator(int32_t kind, int32_t channel, std::unique_ptr<cGenerator> generator);
  cGenerator* Generator(int32_t kind, int32_t channel) const;
  // The channel's virtual-analogue generator; null when none exists or a
  // generator of another class was installed in its place.
  cBass* Bass(int32_t channel) const;
  // Null when the channel has no generator of that class.
  cSampler* Sampler(int32_t channel) const;
  cFMSynth* FM(int32_t channel) const;

  // Routed to the selected generator of currentChannel; nothing happens when
  // the channel's type is out of range or its generator does not exist.
  void FormatParam(char* text, int32_t index, int16_t value);
  void FilterParams(int16_t* params);
  void GetDefaults(int16_t* params);
  void LoadInstrument(const int16_t* params);
  void SetParam(int32_t index, int16_t value);
  void NoteOn(int32_t note);
  // Notes started on a channel since the manager was made, whoever started
  // them (a row, a preview, a MIDI key): a preview compares it to tell
  // whether its note is still the channel's last one. Wraps around.
  uint32_t NotesStarted(int32_t channel) const { return notesStarted[channel & 0x0F]; }
  void SetPan(int32_t pan);
  void PanSlide(int32_t step);
  void SetCommand(int32_t column, int32_t command);
  void SetInstrumentNumber(int32_t instrument);
  void Tick(int32_t tick);
  // A channel without a selected generator renders silence.
  void Render(float* frames, int32_t count);

  // Selects the generator kind of currentChannel (word 31 of an instrument).
  void SelectGenerator(int32_t type) { generatorType[currentChannel & 0x0F] = type; }

  // All three generators of currentChannel.
  void ResetChannel();
  void ReleaseChannel();
  void CutChannel();

  // All channels.
  void ResetAll();
  void ResetSamplers();
  void SetPlaying(int32_t playing);
  int32_t VoiceCount();

  // Five tables of 1024 weights for t = i / 1024: four cubic weights and a
  // linear ramp, shared by every sampler.
  float interpolation[5][kInterpSize];

  int32_t sampleRate;
  int32_t currentChannel = 0;
  int32_t generatorType[kGenChannels] = {};

 private:
  cGenerator* Selected() const;

  std::unique_ptr<cGenerator> generators[kGenKinds][kGenChannels];
  cNoiseSeeds noiseSeeds;  // of this engine's synthesizers
  uint32_t notesStarted[kGenChannels] = {};
};
