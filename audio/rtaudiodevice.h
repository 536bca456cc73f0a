#pragma once
// The system's sound devices through RtAudio (ALSA, PulseAudio, JACK). The
// looping buffer lives here; RtAudio's device thread copies frames from it
// at the play cursor, applies the volume and advances the cursor, with
// atomics only. A device that does not play the engine's rate (a JACK
// server's one rate) is opened at its own, and the sound converted.

#include <atomic>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "audio/sounddevice.h"

class cRtAudioDevice : public cSoundDevice {
 public:
  // An empty name is the system's default output.
  explicit cRtAudioDevice(std::string deviceName);
  ~cRtAudioDevice() override;

  std::string Name() const override { return deviceName.empty() ? "default" : deviceName; }
  // 100 no such device; 101 the device could not be probed (busy or
  // refused); 111 fewer than two channels or no rate conversion;
  // 120 no memory for the buffer; 110 the stream does not open.
  int32_t Open(uint32_t sampleRate, uint32_t bufferBytes) override;
  void Close() override;
  void SetPosition(uint32_t byteOffset) override;
  bool Play() override;
  void Stop() override;
  uint32_t PlayCursor() override;
  // lost after the stream reported an error while running.
  eBufferLock Lock(uint32_t offset, uint32_t bytes) override;
  // Restarts the stream.
  bool Restore() override;
  uint64_t DeviceUnderruns() const override { return xruns.load(std::memory_order_relaxed); }

  // device thread
  void FillDeviceFrames(int16_t* out, uint32_t frames, bool underflow);
  // device thread: frames from the cursor on, moving it past them
  void ReadAtCursor(int16_t* out, uint32_t frames);

 private:
  struct cStream;

  std::string deviceName;
  std::unique_ptr<cStream> stream;
  std::atomic<uint32_t> cursorFrame{0};
  std::atomic<bool> running{false};
  std::atomic<uint64_t> xruns{0};
  uint64_t errorsAtStart = 0;  // stream errors counted when the stream last started
};

// Output devices as RtAudio names them, over every sound system compiled in.
std::vector<std::string> ListRtAudioOutputs();
// Whether the machine has any output device at all.
bool HasRtAudioOutput();
