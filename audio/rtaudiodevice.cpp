#include "audio/rtaudiodevice.h"

#include <RtAudio.h>

#include <algorithm>
#include <chrono>
#include <cstdlib>
#include <thread>

#include "audio/quietsound.h"
#include "audio/resampler.h"

struct cRtAudioDevice::cStream {
  std::unique_ptr<RtAudio> audio;
  unsigned int deviceId = 0;
  // Set when the device does not play the engine's rate.
  cResampler resampler;
};

// Errors of a running stream reach this callback instead of being thrown
// on RtAudio's thread; it has no user pointer, so it only counts.
static std::atomic<uint64_t> streamErrors{0};

static void OnStreamError(RtAudioError::Type type, const std::string&) {
  if (type != RtAudioError::WARNING && type != RtAudioError::DEBUG_WARNING) {
    streamErrors.fetch_add(1, std::memory_order_relaxed);
  }
}

static int DeviceCallback(void* out, void*, unsigned int frames, double, RtAudioStreamStatus status,
                          void* user) {
  static_cast<cRtAudioDevice*>(user)->FillDeviceFrames(static_cast<int16_t*>(out), frames,
                                                       (status & RTAUDIO_OUTPUT_UNDERFLOW) != 0);
  return 0;
}

static std::unique_ptr<RtAudio> MakeRtAudio(RtAudio::Api api) {
  try {
    auto audio = std::make_unique<RtAudio>(api);
    audio->showWarnings(false);
    return audio;
  } catch (...) {
    return nullptr;
  }
}

static bool ReadDeviceInfo(RtAudio& audio, unsigned int id, RtAudio::DeviceInfo& info) {
  try {
    info = audio.getDeviceInfo(id);
    return true;
  } catch (...) {
    return false;
  }
}

static unsigned int DeviceCount(RtAudio& audio) {
  try {
    return audio.getDeviceCount();
  } catch (...) {
    return 0;
  }
}

template <typename Visit>
static void ForEachOutput(Visit visit) {
  QuietSoundLibraries();
  cMutedCerr quiet;
  std::vector<RtAudio::Api> apis;
  RtAudio::getCompiledApi(apis);
  for (RtAudio::Api api : apis) {
    auto audio = MakeRtAudio(api);
    if (!audio) continue;
    const unsigned int count = DeviceCount(*audio);
    for (unsigned int id = 0; id < count; ++id) {
      RtAudio::DeviceInfo info;
      if (ReadDeviceInfo(*audio, id, info) && info.outputChannels > 0 && !visit(audio, id, info))
        return;
    }
  }
}

std::vector<std::string> ListRtAudioOutputs() {
  std::vector<std::string> names;
  ForEachOutput([&](std::unique_ptr<RtAudio>&, unsigned int, const RtAudio::DeviceInfo& info) {
    names.push_back(info.name);
    return true;
  });
  return names;
}

bool HasRtAudioOutput() {
  bool found = false;
  ForEachOutput([&](std::unique_ptr<RtAudio>&, unsigned int, const RtAudio::DeviceInfo&) {
    found = true;
    return false;
  });
  return found;
}

// The default output of the first sound system that has devices (or, when
// that default plays nothing, the first output found), or the output named
// exactly so.
static bool FindDevice(const std::string& name, std::unique_ptr<RtAudio>& audio, unsigned int& id,
                       RtAudio::DeviceInfo& info) {
  if (name.empty()) {
    cMutedCerr quiet;
    audio = MakeRtAudio(RtAudio::UNSPECIFIED);
    if (audio && DeviceCount(*audio) > 0) {
      try {
        id = audio->getDefaultOutputDevice();
        if (ReadDeviceInfo(*audio, id, info) && info.outputChannels > 0) return true;
      } catch (...) {
      }
    }
  }
  bool found = false;
  ForEachOutput([&](std::unique_ptr<RtAudio>& candidate, unsigned int candidateId,
                    const RtAudio::DeviceInfo& i) {
    if (!name.empty() && i.name != name) return true;
    audio = std::move(candidate);
    id = candidateId;
    info = i;
    found = true;
    return false;
  });
  return found;
}

cRtAudioDevice::cRtAudioDevice(std::string deviceName) : deviceName(std::move(deviceName)) {}

cRtAudioDevice::~cRtAudioDevice() { Close(); }

// The rate to open the device at: the engine's when the device offers it,
// else the device's preferred one, else the nearest it offers.
static uint32_t DeviceRate(const RtAudio::DeviceInfo& info, uint32_t engineRate) {
  const auto& rates = info.sampleRates;
  if (rates.empty() || std::find(rates.begin(), rates.end(), engineRate) != rates.end())
    return engineRate;
  if (std::find(rates.begin(), rates.end(), info.preferredSampleRate) != rates.end())
    return info.preferredSampleRate;
  return *std::min_element(rates.begin(), rates.end(), [&](unsigned int a, unsigned int b) {
    return std::abs(int64_t(a) - engineRate) < std::abs(int64_t(b) - engineRate);
  });
}

// A sound server that has just started may not answer the first question
// (JACK registers its ports a moment after its socket opens): a device asked
// for by name is looked for a little longer before it counts as missing.
static bool FindDeviceSoon(const std::string& name, std::unique_ptr<RtAudio>& audio,
                           unsigned int& id, RtAudio::DeviceInfo& info) {
  const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(2);
  for (;;) {
    const bool found = FindDevice(name, audio, id, info);
    if ((found && info.probed) || name.empty() || std::chrono::steady_clock::now() >= deadline)
      return found;
    std::this_thread::sleep_for(std::chrono::milliseconds(100));
  }
}

// device thread: the engine's frames at the cursor, for the resampler
static void SupplyEngineFrames(void* device, int16_t* frames, uint32_t count) {
  static_cast<cRtAudioDevice*>(device)->ReadAtCursor(frames, count);
}

int32_t cRtAudioDevice::Open(uint32_t sampleRate, uint32_t bufferBytes) {
  Close();
  QuietSoundLibraries();
  auto s = std::make_unique<cStream>();
  RtAudio::DeviceInfo info;
  if (!FindDeviceSoon(deviceName, s->audio, s->deviceId, info)) return kAudioNoDevice;
  if (!info.probed) return kAudioRefused;
  if (info.outputChannels < 2) return kAudioBadFormat;
  const uint32_t deviceRate = DeviceRate(info, sampleRate);
  if (deviceRate != sampleRate &&
      !s->resampler.Open(sampleRate, deviceRate, SupplyEngineFrames, this)) {
    return kAudioBadFormat;
  }
  if (!AllocateBuffer(sampleRate, bufferBytes)) return kAudioNoBuffer;

  cMutedCerr quiet;
  RtAudio::StreamParameters params;
  params.deviceId = s->deviceId;
  params.nChannels = 2;
  params.firstChannel = 0;
  RtAudio::StreamOptions options;
  options.flags = RTAUDIO_SCHEDULE_REALTIME;
  options.numberOfBuffers = 4;
  options.streamName = "Murvelon";
  unsigned int frames = 256;  // the device's own period, well under a block
  int32_t result = 0;
  try {
    s->audio->openStream(&params, nullptr, RTAUDIO_SINT16, deviceRate, &frames, DeviceCallback,
                         this, &options, OnStreamError);
    if (!s->audio->isStreamOpen()) result = kAudioNoStream;
  } catch (const RtAudioError& e) {
    result = e.getType() == RtAudioError::INVALID_PARAMETER ? kAudioBadFormat : kAudioNoStream;
  } catch (...) {
    result = kAudioNoStream;
  }
  if (result != 0) {
    FreeBuffer();
    return result;
  }
  stream = std::move(s);
  cursorFrame.store(0);
  return 0;
}

// Streams are stopped by abortStream: the output has gone silent before it
// stops a device, so there is nothing to drain, and RtAudio's draining stop
// of a JACK stream waits for a process cycle that a server which has
// dropped the client never runs.
void cRtAudioDevice::Close() {
  running.store(false);
  if (stream) {
    cMutedCerr quiet;
    try {
      if (stream->audio->isStreamRunning()) stream->audio->abortStream();
    } catch (...) {
    }
    try {
      if (stream->audio->isStreamOpen()) stream->audio->closeStream();
    } catch (...) {
    }
    stream.reset();
  }
  FreeBuffer();  // the device thread has ended: nothing reads the buffer now
}

void cRtAudioDevice::SetPosition(uint32_t byteOffset) {
  if (BufferFrames() != 0)
    cursorFrame.store((byteOffset / 4) % BufferFrames(), std::memory_order_release);
}

bool cRtAudioDevice::Play() {
  if (!stream) return false;
  if (!running.load()) stream->resampler.Reset();  // the device thread reads nothing now
  const uint64_t errors = streamErrors.load();
  running.store(true, std::memory_order_release);
  cMutedCerr quiet;
  try {
    if (!stream->audio->isStreamRunning()) stream->audio->startStream();
  } catch (...) {
  }
  if (!stream->audio->isStreamRunning() || streamErrors.load() != errors) {
    running.store(false);
    return false;
  }
  errorsAtStart = errors;
  return true;
}

void cRtAudioDevice::Stop() {
  running.store(false, std::memory_order_release);
  if (!stream) return;
  cMutedCerr quiet;
  try {
    if (stream->audio->isStreamRunning()) stream->audio->abortStream();
  } catch (...) {
  }
}

uint32_t cRtAudioDevice::PlayCursor() { return cursorFrame.load(std::memory_order_acquire) * 4; }

eBufferLock cRtAudioDevice::Lock(uint32_t offset, uint32_t bytes) {
  if (running.load() && streamErrors.load(std::memory_order_relaxed) != errorsAtStart)
    return eBufferLock::lost;
  return cSoundDevice::Lock(offset, bytes);
}

bool cRtAudioDevice::Restore() {
  if (!stream) return false;
  const uint64_t errors = streamErrors.load();
  try {
    if (stream->audio->isStreamRunning()) stream->audio->abortStream();
    stream->audio->startStream();
  } catch (...) {
    return false;
  }
  if (!stream->audio->isStreamRunning() || streamErrors.load() != errors) return false;
  errorsAtStart = errors;
  return true;
}

void cRtAudioDevice::FillDeviceFrames(int16_t* out, uint32_t frames, bool underflow) {
  if (underflow) xruns.fetch_add(1, std::memory_order_relaxed);
  if (!running.load(std::memory_order_acquire) || BufferFrames() == 0) {
    std::fill(out, out + size_t(frames) * 2, int16_t(0));
    return;
  }
  if (stream->resampler.Active()) {
    stream->resampler.Read(out, frames);
  } else {
    ReadAtCursor(out, frames);
  }
  if (cOnsetWatch* watch = ArmedOnsetWatch()) watch->Played(out, frames, SteadyNowNs(), 0.0);
}

void cRtAudioDevice::ReadAtCursor(int16_t* out, uint32_t frames) {
  const uint32_t cursor = cursorFrame.load(std::memory_order_relaxed);
  ReadPlayed(cursor * 4, frames, out);
  cursorFrame.store(uint32_t((uint64_t(cursor) + frames) % BufferFrames()),
                    std::memory_order_release);
}
