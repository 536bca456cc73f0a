#include "audio/sounddevice.h"

#include <algorithm>
#include <atomic>
#include <cmath>
#include <new>

float VolumeGain(int32_t hundredthsDb) {
  const int32_t v = std::clamp(hundredthsDb, -10000, 0);
  return static_cast<float>(std::pow(10.0, v / 2000.0));
}

cSoundDevice::~cSoundDevice() = default;

// The device thread of a backend reads the buffer while the polling thread
// writes another part of it; when a late write meets the read, each sample
// is still whole. Relaxed atomic access costs a plain move on common
// processors.
static int16_t LoadSample(const int16_t& s) {
  return std::atomic_ref<int16_t>(const_cast<int16_t&>(s)).load(std::memory_order_relaxed);
}
static void StoreSample(int16_t& s, int16_t v) {
  std::atomic_ref<int16_t>(s).store(v, std::memory_order_relaxed);
}

bool cSoundDevice::AllocateBuffer(uint32_t sampleRate, uint32_t bufferBytes) {
  FreeBuffer();
  const uint32_t frames = bufferBytes / 4;
  if (frames == 0) return false;
  samples.reset(new (std::nothrow) int16_t[size_t(frames) * 2]());
  if (!samples) return false;
  bufferFrames = frames;
  rate = sampleRate;
  return true;
}

void cSoundDevice::FreeBuffer() {
  samples.reset();
  bufferFrames = 0;
  locked = false;
}

eBufferLock cSoundDevice::Lock(uint32_t offset, uint32_t bytes) {
  const uint64_t end = uint64_t(offset) + bytes;
  if (!samples || locked || offset % 4 != 0 || bytes % 4 != 0 || end > uint64_t(bufferFrames) * 4) {
    return eBufferLock::failed;
  }
  lockOffset = offset;
  lockBytes = bytes;
  locked = true;
  return eBufferLock::ok;
}

void cSoundDevice::Write(const int16_t* source) {
  if (!locked) return;
  int16_t* dest = samples.get() + lockOffset / 2;
  const uint32_t count = lockBytes / 2;
  for (uint32_t i = 0; i < count; ++i) StoreSample(dest[i], source ? source[i] : int16_t(0));
}

void cSoundDevice::Unlock() { locked = false; }

void cSoundDevice::SetVolume(int32_t hundredthsDb) {
  const int32_t v = std::clamp(hundredthsDb, -10000, 0);
  gain.store(VolumeGain(v), std::memory_order_relaxed);
  volume.store(v, std::memory_order_relaxed);
}

void cSoundDevice::ReadPlayed(uint32_t byteOffset, uint32_t frames, int16_t* out) const {
  if (!samples) {
    std::fill(out, out + size_t(frames) * 2, int16_t(0));
    return;
  }
  const float g = gain.load(std::memory_order_relaxed);
  uint32_t frame = (byteOffset / 4) % bufferFrames;
  for (uint32_t i = 0; i < frames; ++i) {
    for (int c = 0; c < 2; ++c) {
      const int16_t s = LoadSample(samples[size_t(frame) * 2 + c]);
      // The gain never exceeds 1, so the product stays in range.
      out[size_t(i) * 2 + c] = g == 1.0f ? s : static_cast<int16_t>(std::lrint(s * g));
    }
    if (++frame == bufferFrames) frame = 0;
  }
}

int16_t cSoundDevice::ReadSample(uint32_t index) const {
  return samples && index < bufferFrames * 2 ? LoadSample(samples[index]) : int16_t(0);
}
