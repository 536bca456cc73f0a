#include "engine/genmanager.h"

#include <cstring>
#include <new>

#include "engine/bass.h"
#include "engine/fmsynth.h"
#include "engine/sampler.h"

cGenManager::cGenManager(int32_t sampleRate) : sampleRate(sampleRate) {
  for (int i = 0; i < kInterpSize; ++i) {
    const float t = float(i) / float(kInterpSize);
    const float t2 = t * t, t3 = t2 * t;
    interpolation[0][i] = -0.5f * t3 + t2 - 0.5f * t;
    interpolation[1][i] = 1.5f * t3 - 2.5f * t2 + 1.0f;
    interpolation[2][i] = -1.5f * t3 + 2.0f * t2 + 0.5f * t;
    interpolation[3][i] = 0.5f * t3 - 0.5f * t2;
    interpolation[4][i] = t;
  }
}

cGenManager::~cGenManager() = default;

// A generator installed before (tests) is kept; the missing ones are made.
template <class T>
static bool CreateKind(std::unique_ptr<cGenerator> (&kind)[kGenChannels]) {
  for (auto& g : kind) {
    if (g) continue;
    g.reset(new (std::nothrow) T());
    if (!g) return false;
  }
  return true;
}

// Kinds are created in the order bass, sampler, FM, each only when the kind
// before it exists on all 16 channels; then every channel's generators are
// initialised in that order.
bool cGenManager::CreateGenerators() {
  if (!CreateKind<cBass>(generators[kGenBass])) return false;
  for (int c = 0; c < kGenChannels; ++c) {
    if (cBass* bass = Bass(c)) bass->SetNoiseSeeds(&noiseSeeds);
  }
  if (!CreateKind<cSampler>(generators[kGenSampler])) return false;
  for (int c = 0; c < kGenChannels; ++c) {
    if (cSampler* sampler = Sampler(c)) sampler->BindTables(interpolation);
  }
  if (!CreateKind<cFMSynth>(generators[kGenFM])) return false;
  for (int c = 0; c < kGenChannels; ++c) {
    for (auto& kind : generators) {
      if (kind[c]) kind[c]->Init(sampleRate);
    }
  }
  return true;
}

void cGenManager::InstallGenerator(int32_t kind, int32_t channel,
                                   std::unique_ptr<cGenerator> generator) {
  if (kind < 0 || kind >= kGenKinds || channel < 0 || channel >= kGenChannels) return;
  if (auto* sampler = dynamic_cast<cSampler*>(generator.get())) sampler->BindTables(interpolation);
  generators[kind][channel] = std::move(generator);
}

cSampler* cGenManager::Sampler(int32_t channel) const {
  return dynamic_cast<cSampler*>(Generator(kGenSampler, channel));
}

cFMSynth* cGenManager::FM(int32_t channel) const {
  return dynamic_cast<cFMSynth*>(Generator(kGenFM, channel));
}

cGenerator* cGenManager::Generator(int32_t kind, int32_t channel) const {
  if (kind < 0 || kind >= kGenKinds || channel < 0 || channel >= kGenChannels) return nullptr;
  return generators[kind][channel].get();
}

cBass* cGenManager::Bass(int32_t channel) const {
  return dynamic_cast<cBass*>(Generator(kGenBass, channel));
}

cGenerator* cGenManager::Selected() const {
  const int channel = currentChannel & 0x0F;
  return Generator(generatorType[channel], channel);
}

void cGenManager::FormatParam(char* text, int32_t index, int16_t value) {
  if (cGenerator* g = Selected()) g->FormatParam(text, index, value);
}

void cGenManager::FilterParams(int16_t* params) {
  if (cGenerator* g = Selected()) g->FilterParams(params);
}

void cGenManager::GetDefaults(int16_t* params) {
  if (cGenerator* g = Selected()) g->GetDefaults(params);
}

void cGenManager::LoadInstrument(const int16_t* params) {
  if (cGenerator* g = Selected()) g->SetParams(params);
}

void cGenManager::SetParam(int32_t index, int16_t value) {
  if (cGenerator* g = Selected()) g->SetParam(index, value);
}

void cGenManager::NoteOn(int32_t note) {
  ++notesStarted[currentChannel & 0x0F];
  if (cGenerator* g = Selected()) g->NoteOn(note);
}

void cGenManager::SetPan(int32_t pan) {
  if (cGenerator* g = Selected()) g->SetPan(pan);
}

void cGenManager::PanSlide(int32_t step) {
  if (cGenerator* g = Selected()) g->PanSlide(step);
}

void cGenManager::SetCommand(int32_t column, int32_t command) {
  if (cGenerator* g = Selected()) g->SetCommand(column, command);
}

void cGenManager::SetInstrumentNumber(int32_t instrument) {
  if (cGenerator* g = Selected()) g->SetInstrumentNumber(instrument);
}

void cGenManager::Tick(int32_t tick) {
  if (cGenerator* g = Selected()) g->Tick(tick);
}

void cGenManager::Render(float* frames, int32_t count) {
  if (cGenerator* g = Selected()) {
    g->Render(frames, count);
  } else if (count > 0) {
    std::memset(frames, 0, sizeof(float) * 2 * size_t(count));
  }
}

void cGenManager::ResetChannel() {
  for (auto& kind : generators) {
    if (auto& g = kind[currentChannel & 0x0F]) g->Reset();
  }
}

void cGenManager::ReleaseChannel() {
  for (auto& kind : generators) {
    if (auto& g = kind[currentChannel & 0x0F]) g->NoteOff();
  }
}

void cGenManager::CutChannel() {
  for (auto& kind : generators) {
    if (auto& g = kind[currentChannel & 0x0F]) g->FastRelease();
  }
}

void cGenManager::ResetAll() {
  for (int c = 0; c < kGenChannels; ++c) {
    for (auto& kind : generators) {
      if (kind[c]) kind[c]->Reset();
    }
  }
}

void cGenManager::ResetSamplers() {
  for (auto& g : generators[kGenSampler]) {
    if (g) g->Reset();
  }
}

void cGenManager::SetPlaying(int32_t playing) {
  for (int c = 0; c < kGenChannels; ++c) {
    for (auto& kind : generators) {
      if (kind[c]) kind[c]->SetPlaying(playing);
    }
  }
}

int32_t cGenManager::VoiceCount() {
  int32_t voices = 0;
  for (int c = 0; c < kGenChannels; ++c) {
    if (cGenerator* g = Generator(generatorType[c], c)) voices += g->GetVoiceCount();
  }
  return voices;
}
