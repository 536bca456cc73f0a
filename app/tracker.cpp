#include "app/tracker.h"

#include <cstdio>
#include <cstdlib>

#include "engine/bass.h"

cTracker::cTracker(const cConfig& cfg) : config(cfg), metersDisabled(cfg.cpuCalc == 0 ? 1 : 0) {
  meters[0] = std::make_unique<cpuSPD>(&metersDisabled);
  const uint32_t cyclesPerMs = meters[0]->Measure();
  for (int i = 1; i < 4; ++i) meters[i] = std::make_unique<cpuSPD>(&metersDisabled, cyclesPerMs);

  song = std::make_unique<cSongTables>();
  effects = std::make_unique<cFxChains>();
  wavetables = cWavetables::Shared(config.frequency, config.wavetableCache);
  if (!wavetables) ErrorExit("WaveTable Error!");
  generators = std::make_unique<cGenManager>(config.frequency);
  generators->CreateGenerators();
  for (int c = 0; c < kGenChannels; ++c) {
    if (cBass* bass = generators->Bass(c)) bass->SetWavetables(wavetables.get());
  }
  renderer = std::make_unique<cRenderPath>(config.frequency, config.latency, *song, *generators,
                                           *effects, *meters[1], *meters[0]);
  renderer->SetTickSource(this);
  ResetSong();
}

cTracker::~cTracker() = default;

cSongDefaults cTracker::SongDefaults() const {
  return cSongDefaults{config.chans, config.masterVol, config.masterPan, config.bpm,
                       config.speed, config.octave, config.rowAdd};
}

void cTracker::ResetSong() {
  std::lock_guard<std::recursive_mutex> lock(engineLock);
  effects->DestroyAll();
  song->Reset(SongDefaults());  // zeroes words 0-63 of every instrument block
  FillInstrumentDefaults();
}

// Every instrument block takes the virtual-analogue defaults, through the
// generators of channel 0.
void cTracker::FillInstrumentDefaults() {
  generators->currentChannel = 0;
  generators->SelectGenerator(kGenBass);
  for (int i = 0; i < kInstruments; ++i) generators->GetDefaults(song->Instrument(i));
}

int16_t* cTracker::RenderCallback(int32_t flag) {
  try {
    std::lock_guard<std::recursive_mutex> lock(engineLock);
    return renderer->RenderBlock(flag);
  } catch (...) {
    ErrorExit("System exception!");
    return renderer->OutputAccumulator();
  }
}

void cTracker::SetEngine(int32_t on) {
  std::lock_guard<std::recursive_mutex> lock(engineLock);
  renderer->engineOn = on;
}

void cTracker::SetFxEngine(int32_t on) {
  std::lock_guard<std::recursive_mutex> lock(engineLock);
  renderer->fxEngineOn = on;
}

void cTracker::ClearBuffers() {
  std::lock_guard<std::recursive_mutex> lock(engineLock);
  renderer->ClearBuffers();
}

void cTracker::ProcessTick() {
  if (tickHook) tickHook();
}

void cTracker::ErrorExit(const std::string& message) {
  if (fatalHandler) {
    fatalHandler(message);
    return;
  }
  std::fprintf(stderr, "System: %s\n", message.c_str());
  std::_Exit(EXIT_FAILURE);
}
