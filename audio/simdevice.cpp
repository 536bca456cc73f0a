#include "audio/simdevice.h"

int32_t cSimDevice::Open(uint32_t sampleRate, uint32_t bufferBytes) {
  ++opens;
  if (openResult != 0) return openResult;
  if (!AllocateBuffer(sampleRate, bufferBytes)) return kAudioNoBuffer;
  isOpen = true;
  return 0;
}

void cSimDevice::Close() {
  ++closes;
  isOpen = false;
  FreeBuffer();
}

bool cSimDevice::Play() {
  ++plays;
  return playResult;
}

eBufferLock cSimDevice::Lock(uint32_t offset, uint32_t bytes) {
  ++locks;
  if (!lockResults.empty()) {
    const eBufferLock answer = lockResults.front();
    lockResults.pop_front();
    if (answer != eBufferLock::ok) return answer;
  }
  return cSoundDevice::Lock(offset, bytes);
}

bool cSimDevice::Restore() {
  ++restores;
  return restoreResult;
}

void cSimDevice::FillBuffer(int16_t value) {
  const int16_t frame[2] = {value, value};
  for (uint32_t offset = 0; offset < BufferBytes(); offset += 4) {
    if (cSoundDevice::Lock(offset, 4) != eBufferLock::ok) return;
    Write(frame);
    Unlock();
  }
}
