#include "app/tracker.h"

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "audio/devicechoice.h"
#include "engine/bass.h"
#include "engine/sampler.h"
#include "sequencer/rowprocessor.h"

// Tables and delay lines are sized by the rate: a rate they were not made
// for is refused before anything is built with it.
constexpr int32_t kMinFrequency = 8000;
constexpr int32_t kMaxFrequency = 192000;

cConfig UsableConfig(const cConfig& given, std::string* error) {
  cConfig config = given;
  if (config.frequency < kMinFrequency || config.frequency > kMaxFrequency) {
    *error = "Frequency " + std::to_string(config.frequency) + " Hz is not supported (" +
             std::to_string(kMinFrequency) + "-" + std::to_string(kMaxFrequency) + " Hz).";
    config.frequency = 44100;
  }
  // Rounded as the output rounds it; a half of ten seconds is the most, so
  // that its frame count stays far inside 32 bits at every rate.
  config.latency = std::min(RoundLatencyMs(config.latency), kMaxLatencyMs);
  // A new song's settings, held to the ranges a song file keeps them in; a
  // channel count outside its range is the new song's 4.
  if (!kChannelCountRange.Holds(config.chans)) config.chans = 4;
  config.masterVol = kMasterVolumeRange.Clamp(config.masterVol);
  config.masterPan = kMasterPanRange.Clamp(config.masterPan);
  config.bpm = kBpmRange.Clamp(config.bpm);
  config.speed = kSpeedRange.Clamp(config.speed);
  // The edit state a song reset takes: a negative octave would write C-0
  // for Q.
  config.octave = std::clamp(config.octave, 0, 9);
  config.rowAdd = std::clamp(config.rowAdd, 0, 32);
  return config;
}

cTracker::cTracker(const cConfig& cfg, cStartupReport* report)
    : config(UsableConfig(cfg, &startupError)), metersDisabled(cfg.cpuCalc == 0 ? 1 : 0) {
  // Lines go out only while every step so far has succeeded.
  auto show = [&](int line, const std::string& text) {
    if (report != nullptr && startupError.empty()) report->ShowLine(line, text);
  };
  auto pause = [&](int milliseconds) {
    if (report != nullptr && startupError.empty()) report->Pause(milliseconds);
  };

  const std::string cpuLine = "Checking CPU speed... ";
  show(1, cpuLine);
  meters[0] = std::make_unique<cpuSPD>(&metersDisabled);
  const uint32_t cyclesPerMs = meters[0]->Measure();
  if (config.cpuCalc != 0 && cyclesPerMs == 0 && startupError.empty())
    startupError = "CPU Speed Error!";
  if (config.cpuCalc != 0) show(1, cpuLine + std::to_string(meters[0]->Mhz()) + " MHz");
  for (int i = 1; i < 4; ++i) meters[i] = std::make_unique<cpuSPD>(&metersDisabled, cyclesPerMs);

  show(2, "Initializing system...");
  pause(250);
  song = std::make_unique<cSongTables>();
  effects = std::make_unique<cFxChains>();
  effects->factory = cFxFactory(&song->bpm, &song->speed, config.frequency);
  waves = std::make_unique<cWavManager>();
  waves->SetEngineLock(&engineLock);
  generators = std::make_unique<cGenManager>(config.frequency);
  if (!generators->CreateGenerators() && startupError.empty())
    startupError = "Memory Allocation Error!";
  renderer = std::make_unique<cRenderPath>(config.frequency, config.latency, *song, *generators,
                                           *effects, *meters[1], *meters[0]);
  renderer->SetTickSource(this);
  handoff = std::make_unique<int16_t[]>(2 * size_t(renderer->HalfFrames()));
  show(2, "Initializing system... ok!");

  show(3, "Loading/Creating WaveTable...");
  pause(250);
  wavetables = cWavetables::Shared(config.frequency, config.wavetableCache);
  if (!wavetables && startupError.empty()) startupError = "WaveTable Error!";
  for (int c = 0; c < kGenChannels; ++c) {
    if (cBass* bass = generators->Bass(c)) bass->SetWavetables(wavetables.get());
    if (cSampler* sampler = generators->Sampler(c)) sampler->SetWaveStore(waves.get());
  }
  show(3, "Loading/Creating WaveTable... ok!");
  pause(250);

  ResetSong();
  player = std::make_unique<cPlayer>(config.frequency, config.timer1Mult, *song, *generators,
                                     *effects, *renderer);
  instruments = std::make_unique<cInstrumentAccess>(*song, *generators);
  edits = std::make_unique<cSongEdits>(*this);
}

cTracker::~cTracker() = default;

cSongDefaults cTracker::SongDefaults() const {
  return cSongDefaults{config.chans, config.masterVol, config.masterPan, config.bpm,
                       config.speed, config.octave,    config.rowAdd};
}

void cTracker::ResetSong() {
  std::lock_guard<std::recursive_mutex> lock(engineLock);
  effects->DestroyAll();
  waves->ClearAll();
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

// The output thread copies a finished half after the callback has returned
// and the engine lock is free, while the editor may clear the accumulator
// (a panic): the half is handed over in a buffer of its own, copied under
// the lock.
int16_t* cTracker::RenderCallback(int32_t flag) {
  try {
    std::lock_guard<std::recursive_mutex> lock(engineLock);
    liveNotes->StartBlock(*song, *generators, editedChannel);
    int16_t* cursor = renderer->RenderBlock(flag);
    if (flag != 1 || cursor == nullptr) return cursor;
    std::memcpy(handoff.get(), cursor, sizeof(int16_t) * 2 * size_t(renderer->HalfFrames()));
    return handoff.get();
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

std::unique_ptr<cEffect> cTracker::NewFxModule(int32_t type) {
  std::lock_guard<std::recursive_mutex> lock(engineLock);
  return effects->factory.NewFxModule(type);
}

// Building an effect (delay lines, reverberator tanks) and freeing one take
// milliseconds: both happen outside the engine lock, which the audio thread
// waits for; the lock covers only the exchange. The factory is fixed at
// construction and an effect's Init reads nothing of the song.
void cTracker::ChangeFxModule(int chain, int slot, int32_t type) {
  if (chain < 0 || chain >= kFxChains) return;
  std::unique_ptr<cEffect> fresh = type != 0 ? effects->factory.NewFxModule(type) : nullptr;
  {
    std::lock_guard<std::recursive_mutex> lock(engineLock);
    effects->object[slot & 3][chain].swap(fresh);
  }
}

void cTracker::AllocateFxModules() {
  std::lock_guard<std::recursive_mutex> lock(engineLock);
  effects->AllocateFxModules();
}

void cTracker::DestroyFxModules() {
  std::lock_guard<std::recursive_mutex> lock(engineLock);
  effects->DestroyAll();
}

cEffect* cTracker::GetFxObjPtr(int slot, int chain) {
  std::lock_guard<std::recursive_mutex> lock(engineLock);
  return effects->GetFxObjPtr(slot, chain);
}

void cTracker::SetSend(int channel, int aux, int32_t level) {
  std::lock_guard<std::recursive_mutex> lock(engineLock);
  effects->SetSend(channel, aux, level);
}

int32_t cTracker::GetSend(int channel, int aux) {
  std::lock_guard<std::recursive_mutex> lock(engineLock);
  return effects->GetSend(channel, aux);
}

int32_t cTracker::x2ms(int32_t n) {
  std::lock_guard<std::recursive_mutex> lock(engineLock);
  return effects->factory.x2ms(n);
}

void cTracker::ApplyAllFx() {
  std::lock_guard<std::recursive_mutex> lock(engineLock);
  effects->ApplyAll();
}

void cTracker::SilenceAll(bool clearEffects) {
  std::lock_guard<std::recursive_mutex> lock(engineLock);
  player->Panic(clearEffects);
}

void cTracker::ProcessTick() {
  if (tickHook) {
    tickHook();
  } else {
    player->ProcessTick();
  }
}

int32_t cTracker::SamplesPerTick() const {
  return tickHook ? hookSamplesPerTick : player->SamplesPerTick();
}

void cTracker::TransportCommand(int32_t command) {
  std::lock_guard<std::recursive_mutex> lock(engineLock);
  player->Transport(command);
}

void cTracker::SetSpeed(int32_t speed) {
  std::lock_guard<std::recursive_mutex> lock(engineLock);
  player->SetSpeed(speed);
}

void cTracker::SetBPM(int32_t bpm) {
  std::lock_guard<std::recursive_mutex> lock(engineLock);
  player->SetBPM(bpm);
}

void cTracker::ResetPosition(bool toStart) {
  std::lock_guard<std::recursive_mutex> lock(engineLock);
  player->ResetPosition(toStart);
}

// The output is ducked around the silence; ducking takes no lock.
void cTracker::Panic(int32_t withEffects) {
  if (output) output->SetOutputDucked(true);
  {
    std::lock_guard<std::recursive_mutex> lock(engineLock);
    player->Panic(withEffects != 0);
  }
  if (output) output->SetOutputDucked(false);
}

int32_t cTracker::Timer1Interval() {
  std::lock_guard<std::recursive_mutex> lock(engineLock);
  return player->Timer1Interval();
}

void cTracker::SetParam(int32_t block, int32_t word, int16_t value) {
  std::lock_guard<std::recursive_mutex> lock(engineLock);
  instruments->SetParam(editedChannel, block, word, value);
}

void cTracker::SetParams(int32_t block, int32_t word, int16_t value) {
  std::lock_guard<std::recursive_mutex> lock(engineLock);
  instruments->SetParams(editedChannel, block, word, value);
}

// It changes the edited channel's generator type, which the audio thread
// reads; the lock is re-entrant, so SetParams may reach it holding the lock.
void cTracker::FilterParams(int16_t* params) {
  std::lock_guard<std::recursive_mutex> lock(engineLock);
  instruments->FilterParams(editedChannel, params);
}

// Changes channel 0's generator type, which the audio thread reads.
void cTracker::DefaultParams(int32_t block) {
  std::lock_guard<std::recursive_mutex> lock(engineLock);
  instruments->DefaultParams(block);
}

int32_t cTracker::GetInsType(int32_t instrument) {
  std::lock_guard<std::recursive_mutex> lock(engineLock);
  return instruments->GetInsType(instrument);
}

int32_t cTracker::GetInstrument() {
  std::lock_guard<std::recursive_mutex> lock(engineLock);
  return song->currentInstrument;
}

void cTracker::SetInstrument(int32_t instrument) {
  if (instrument < 1 || instrument > 127) return;  // 128 cannot be made current
  {
    std::lock_guard<std::recursive_mutex> lock(engineLock);
    song->currentInstrument = instrument;
    if (editorLoad) editorLoad(instrument - 1, GetParams(instrument - 1));
  }
  if (editorRefresh) editorRefresh();
  if (instrumentFollower) instrumentFollower(instrument);
}

cPlayerState cTracker::PlayerState() {
  std::lock_guard<std::recursive_mutex> lock(engineLock);
  const cPlayer& p = *player;
  return cPlayerState{p.playing, p.editMode,   p.position,     p.pattern,       p.modeWord,
                      p.row,     p.currentBpm, p.currentSpeed, p.timer1Running, p.timer1Interval};
}

cLoadState cTracker::LoadState() {
  std::lock_guard<std::recursive_mutex> lock(engineLock);
  return cLoadState{renderer->mixLoad, renderer->renderLoad, generators->VoiceCount()};
}

std::string cTracker::FormatParam(int32_t word, int16_t value) {
  std::lock_guard<std::recursive_mutex> lock(engineLock);
  char text[64] = {};
  generators->currentChannel = editedChannel;
  generators->FormatParam(text, word, value);
  return text;
}

void cTracker::GetDefaults(int32_t engine, int16_t* block) {
  std::lock_guard<std::recursive_mutex> lock(engineLock);
  if (cGenerator* kind = generators->Generator(engine, 0)) kind->GetDefaults(block);
}

void cTracker::SetMixerFlags(const cMixerFlags& flags) {
  std::lock_guard<std::recursive_mutex> lock(engineLock);
  song->mixer = flags;
}

void cTracker::SetOctave(int32_t octave) {
  std::lock_guard<std::recursive_mutex> lock(engineLock);
  song->octave = std::clamp(octave, 0, 9);
}

void cTracker::SetRowAdd(int32_t rows) {
  std::lock_guard<std::recursive_mutex> lock(engineLock);
  song->rowAdd = std::clamp(rows, 0, 32);
}

void cTracker::SetSongPosition(int32_t position, eSongJump how) {
  std::lock_guard<std::recursive_mutex> lock(engineLock);
  player->position = position & 0xFFF;
  if (how == eSongJump::kPositionOnly) return;
  player->LoadPosition();
  if (how == eSongJump::kLoadEntry) return;
  player->row = -1;  // the next row played is the pattern's first
  const int channels = kChannelCountRange.Clamp(song->channelCount);
  for (int c = 0; c < channels; ++c) {
    generators->currentChannel = c;
    generators->CutChannel();
  }
}

void cTracker::SetTimer1Interval(int32_t interval) {
  std::lock_guard<std::recursive_mutex> lock(engineLock);
  player->timer1Interval = interval;
}

void cTracker::StartAtFirstEntry() {
  std::lock_guard<std::recursive_mutex> lock(engineLock);
  player->position = 0;
  player->LoadPosition();
  player->row = 0;
  player->tick = 0;
}

// The instrument is applied as a row applies an instrument byte; the note
// volume is the instrument's 127.
uint32_t cTracker::PreviewNote(int32_t channel, int32_t note, int32_t instrument) {
  if (channel < 0 || channel >= kChannels || note < 1 || note > kMaxNoteByte) return 0;
  std::lock_guard<std::recursive_mutex> lock(engineLock);
  generators->currentChannel = channel;
  LoadChannelInstrument(*song, *generators, channel, instrument);
  generators->SetInstrumentNumber(instrument);
  generators->NoteOn(note - 1);
  return generators->NotesStarted(channel);
}

void cTracker::RestartChannelEffects(int32_t channel) {
  if (channel < 0 || channel >= kChannels) return;
  std::lock_guard<std::recursive_mutex> lock(engineLock);
  ::RestartChannelEffects(*effects, channel);
}

void cTracker::ReleasePreview(int32_t channel) {
  if (channel < 0 || channel >= kChannels) return;
  std::lock_guard<std::recursive_mutex> lock(engineLock);
  generators->currentChannel = channel;
  generators->ReleaseChannel();
}

bool cTracker::ReleasePreviewIfLast(int32_t channel, uint32_t started) {
  if (channel < 0 || channel >= kChannels) return false;
  std::lock_guard<std::recursive_mutex> lock(engineLock);
  if (generators->NotesStarted(channel) != started) return false;
  ReleasePreview(channel);
  return true;
}

void cTracker::ResetChannel(int32_t channel) {
  if (channel < 0 || channel >= kChannels) return;
  std::lock_guard<std::recursive_mutex> lock(engineLock);
  generators->currentChannel = channel;
  generators->ResetChannel();
}

void cTracker::SetEditedChannel(int32_t channel) {
  editedChannel = std::clamp(channel, 0, kChannels - 1);
}

void cTracker::ErrorExit(const std::string& message) {
  // The output thread may be waiting for the engine lock inside the render
  // callback: the output is closed before anything takes that lock. Reached
  // from the output thread itself, closing only asks the thread to end.
  if (output) output->CloseAudio();
  if (fatalHandler) {
    fatalHandler(message);
    return;
  }
  std::fprintf(stderr, "System: %s\n", message.c_str());
  std::_Exit(EXIT_FAILURE);
}
