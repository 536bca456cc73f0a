#pragma once
// The sound device as the audio output sees it: one looping buffer of 16-bit
// stereo frames that plays round and round, a play cursor that tells where
// it is, lock/write/unlock of a region, a volume, play and stop. Backends:
// cRtAudioDevice (real devices), cNullDevice (the cursor follows the clock),
// cWavDevice (as null, recording what plays) and cSimDevice (tests).
//
// Threads: Open, Close, SetPosition, Play and Stop come from the thread that
// controls the output; PlayCursor, Lock, Write, Unlock and Restore from the
// polling thread with the output lock held. SetVolume may come from any
// thread. A backend with a device thread of its own reads the buffer without
// a lock.

#include <atomic>
#include <cstdint>
#include <memory>
#include <string>

#include "audio/onsetwatch.h"

enum class eBufferLock { ok, lost, failed };

// Open's results, one per step that can fail.
constexpr int32_t kAudioNoDevice = 100;   // no device, or it cannot be created
constexpr int32_t kAudioRefused = 101;    // the device refuses to be used
constexpr int32_t kAudioNoStream = 110;   // the stream cannot be opened
constexpr int32_t kAudioBadFormat = 111;  // rate or format unsupported
constexpr int32_t kAudioNoBuffer = 120;   // the buffer cannot be allocated
constexpr int32_t kAudioNoThread = 130;   // the polling thread cannot be created

// Buffer volume in hundredths of a decibel (-10000..0) as a linear gain.
float VolumeGain(int32_t hundredthsDb);

class cSoundDevice {
 public:
  virtual ~cSoundDevice();

  cSoundDevice(const cSoundDevice&) = delete;
  cSoundDevice& operator=(const cSoundDevice&) = delete;

  // The name the device was chosen by ("null", "wav:PATH", a device name).
  virtual std::string Name() const = 0;

  // Creates the device with a silent looping buffer of bufferBytes (whole
  // frames) at sampleRate. Returns 0 or one of the codes above; a device
  // that fails holds nothing afterwards.
  virtual int32_t Open(uint32_t sampleRate, uint32_t bufferBytes) = 0;
  // Stops playback and releases the stream and the buffer. Safe when closed.
  virtual void Close() = 0;

  virtual void SetPosition(uint32_t byteOffset) = 0;
  virtual bool Play() = 0;  // loops until Stop
  virtual void Stop() = 0;
  // Byte offset in the buffer of the frame that plays now.
  virtual uint32_t PlayCursor() = 0;

  // Reserves bytes at offset for one Write. lost: the buffer must be
  // restored first; failed: nothing can be written now.
  virtual eBufferLock Lock(uint32_t offset, uint32_t bytes);
  // Copies the locked region's bytes from source; null writes silence.
  void Write(const int16_t* source);
  void Unlock();
  // Brings a lost buffer back; its content is undefined afterwards.
  virtual bool Restore() { return true; }

  void SetVolume(int32_t hundredthsDb);
  int32_t Volume() const { return volume.load(std::memory_order_relaxed); }

  // Gaps the device itself noticed (a device thread that found nothing to play in time).
  virtual uint64_t DeviceUnderruns() const { return 0; }

  // Latency measurement: the device tells the watch what it plays, and when.
  // Null stops it. Any thread; the watch must outlive the device's playing.
  void SetOnsetWatch(cOnsetWatch* watch) { onsetWatch.store(watch, std::memory_order_release); }

  uint32_t SampleRate() const { return rate; }
  uint32_t BufferBytes() const { return bufferFrames * 4; }

 protected:
  cSoundDevice() = default;

  // Allocates the zeroed buffer; false when the memory is refused.
  bool AllocateBuffer(uint32_t sampleRate, uint32_t bufferBytes);
  void FreeBuffer();
  bool HasBuffer() const { return samples != nullptr; }
  uint32_t BufferFrames() const { return bufferFrames; }
  // Copies frames of the buffer from byteOffset on, wrapping at its end,
  // with the volume applied: what the listener hears. No lock, no
  // allocation: a device thread may call it.
  void ReadPlayed(uint32_t byteOffset, uint32_t frames, int16_t* out) const;
  // The buffer as written, for tests and backends.
  int16_t ReadSample(uint32_t index) const;
  // The watch, when one is armed.
  cOnsetWatch* ArmedOnsetWatch() const {
    cOnsetWatch* watch = onsetWatch.load(std::memory_order_acquire);
    return watch != nullptr && watch->Armed() ? watch : nullptr;
  }

 private:
  std::unique_ptr<int16_t[]> samples;  // interleaved left, right
  uint32_t bufferFrames = 0;
  uint32_t rate = 0;
  std::atomic<int32_t> volume{0};
  std::atomic<float> gain{1.0f};
  std::atomic<cOnsetWatch*> onsetWatch{nullptr};
  uint32_t lockOffset = 0, lockBytes = 0;
  bool locked = false;
};
