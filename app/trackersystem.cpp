// Start-up, the audio start and stop sequences, the engine pause around file
// work, the engine restart and shutdown.

#include <chrono>
#include <thread>

#include "app/tracker.h"
#include "audio/devicechoice.h"

namespace {

void Wait(int milliseconds) {
  std::this_thread::sleep_for(std::chrono::milliseconds(milliseconds));
}

}  // namespace

bool cTracker::SystemStart(bool withAudio) {
  if (!startupError.empty()) {
    ErrorExit(startupError);
    return false;
  }
  {
    std::lock_guard<std::recursive_mutex> lock(engineLock);
    FillInstrumentDefaults();
    const int16_t* first = song->Instrument(0);
    for (int c = 0; c < kChannels; ++c) {
      song->channelVolume[c] = 100;
      generators->currentChannel = c;
      generators->ResetChannel();
      generators->SelectGenerator(first[kParamGenType]);
      generators->LoadInstrument(first);
    }
    NewModule();
    // Instrument 4 starts as a sampler instrument on wave slot 0; its other
    // words keep the virtual-analogue defaults.
    song->Instrument(3)[kParamGenType] = kGenSampler;
    song->Instrument(3)[2] = 0;
  }
  return !withAudio || StartAudio();
}

bool cTracker::StartAudio() {
  {
    std::lock_guard<std::recursive_mutex> lock(engineLock);
    renderer->tickRemainder = 0;
  }
  if (output) output->CloseAudio();
  std::unique_ptr<cSoundDevice> device = ChooseSoundDevice(config.device, &deviceWarning);
  if (!device) {
    ErrorExit("DirectSound Initialization error!");
    return false;
  }
  output = std::make_unique<cAudioOutput>(std::move(device));
  if (output->OpenAudio([this](int32_t flag) { return RenderCallback(flag); }, config.frequency,
                        config.latency) != 0) {
    ErrorExit("DirectSound Initialization error!");
    return false;
  }
  output->SetRenderEnabled(true);
  if (output->StartAudio() != 0) {
    output->CloseAudio();
    ErrorExit("DirectSound Starting error!");
    return false;
  }
  Wait(50);
  return true;
}

void cTracker::StopAudio() {
  if (!output) return;
  output->CloseAudio();
  Wait(150);
}

void cTracker::PauseEngine() {
  if (output) {
    output->SetRenderEnabled(false);
    Wait(100);
  }
  Panic(1);
  std::lock_guard<std::recursive_mutex> lock(engineLock);
  player->Transport(kTransportStop);
  renderer->engineOn = 0;
}

void cTracker::ResumeEngine() {
  SetEngine(1);
  if (output) output->SetRenderEnabled(true);
}

void cTracker::EngineRestart() {
  // The output goes first: its thread may be waiting for the engine lock.
  StopAudio();
  {
    std::lock_guard<std::recursive_mutex> lock(engineLock);
    player->playing = 0;
    player->timer1Running = 0;
  }
  NewModule();
  Wait(250);
  StartAudio();
}

void cTracker::Shutdown() {
  if (output) output->SetOutputDucked(true);
  PauseEngine();
  Wait(25);
  StopAudio();
  Wait(25);
}
