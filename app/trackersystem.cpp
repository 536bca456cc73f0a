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
  switch (OpenOutput(deviceName)) {
    case eOutputStep::kPlaying:
      Wait(50);
      return true;
    case eOutputStep::kStart:
      ErrorExit("DirectSound Starting error!");
      return false;
    default:
      ErrorExit("DirectSound Initialization error!");
      return false;
  }
}

cTracker::eOutputStep cTracker::OpenOutput(const std::string& name, int32_t* code) {
  int32_t ignored = 0;
  if (code == nullptr) code = &ignored;
  std::unique_ptr<cSoundDevice> device = ChooseSoundDevice(name, &deviceWarning);
  if (!device) {
    *code = kAudioNoDevice;
    return eOutputStep::kOpen;
  }
  output = std::make_unique<cAudioOutput>(std::move(device));
  *code = output->OpenAudio([this](int32_t flag) { return RenderCallback(flag); }, config.frequency,
                            config.latency);
  if (*code != 0) return eOutputStep::kOpen;
  output->SetRenderEnabled(true);
  *code = output->StartAudio();
  if (*code != 0) {
    output->CloseAudio();
    return eOutputStep::kStart;
  }
  return eOutputStep::kPlaying;
}

// The song, the player and the engine go on as they are: only the output
// stops and starts. A device that fails is said why, and the one that
// played plays again.
bool cTracker::ChangeDevice(const std::string& name, std::string* why) {
  if (why) why->clear();
  StopAudio();
  int32_t code = 0;
  if (OpenOutput(name, &code) == eOutputStep::kPlaying) {
    deviceName = name;
    Wait(50);
    return true;
  }
  if (why) {
    *why = "The sound device \"" + name + "\" cannot be used (error " + std::to_string(code) +
           "): \"" + deviceName + "\" plays on.";
  }
  if (output) output->CloseAudio();
  if (OpenOutput(deviceName) != eOutputStep::kPlaying) {
    ErrorExit("DirectSound Initialization error!");
    return false;
  }
  Wait(50);
  return false;
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
