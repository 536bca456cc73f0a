#include "audio/wavdevice.h"

#include <new>

cWavDevice::cWavDevice(std::string path, cClock clock)
    : cNullDevice(std::move(clock)), path(std::move(path)) {}

cWavDevice::~cWavDevice() { Close(); }

int32_t cWavDevice::Open(uint32_t sampleRate, uint32_t bufferBytes) {
  Close();
  const int32_t result = cNullDevice::Open(sampleRate, bufferBytes);
  if (result != 0) return result;
  chunk.reset(new (std::nothrow) int16_t[kChunkFrames * 2]);
  if (!chunk) {
    cNullDevice::Close();
    return kAudioNoBuffer;
  }
  if (path.empty() || !file.Create(path, sampleRate)) {
    cNullDevice::Close();
    return kAudioNoDevice;
  }
  return 0;
}

void cWavDevice::Close() {
  cNullDevice::Close();  // stops: nothing more plays
  file.Finish();
}

void cWavDevice::OnPlayed(uint32_t byteOffset, uint32_t frames) {
  while (file.IsOpen() && !file.Failed() && frames > 0) {
    const uint32_t n = frames < kChunkFrames ? frames : kChunkFrames;
    ReadPlayed(byteOffset, n, chunk.get());
    if (!file.Append(chunk.get(), n)) return;
    byteOffset = uint32_t((byteOffset + uint64_t(n) * 4) % BufferBytes());
    frames -= n;
  }
}
