#include "audio/wavdevice.h"

#include <new>

// RIFF sizes are 32-bit: the data stops short of 4 GiB.
static constexpr uint64_t kMaxDataBytes = 0xFFFFFFFFull - 36 - 3;

static void PutLe16(uint8_t* p, uint16_t v) {
  p[0] = uint8_t(v);
  p[1] = uint8_t(v >> 8);
}
static void PutLe32(uint8_t* p, uint32_t v) {
  for (int i = 0; i < 4; ++i) p[i] = uint8_t(v >> (8 * i));
}

static void MakeHeader(uint8_t* h, uint32_t rate, uint32_t dataBytes) {
  const char* tags[] = {"RIFF", "WAVE", "fmt ", "data"};
  const int at[] = {0, 8, 12, 36};
  for (int t = 0; t < 4; ++t)
    for (int i = 0; i < 4; ++i) h[at[t] + i] = uint8_t(tags[t][i]);
  PutLe32(h + 4, 36 + dataBytes);
  PutLe32(h + 16, 16);  // fmt chunk size
  PutLe16(h + 20, 1);   // PCM
  PutLe16(h + 22, 2);   // channels
  PutLe32(h + 24, rate);
  PutLe32(h + 28, rate * 4);  // bytes per second
  PutLe16(h + 32, 4);         // block align
  PutLe16(h + 34, 16);        // bits per sample
  PutLe32(h + 40, dataBytes);
}

cWavDevice::cWavDevice(std::string path, cClock clock)
    : cNullDevice(std::move(clock)), path(std::move(path)) {}

cWavDevice::~cWavDevice() { Close(); }

int32_t cWavDevice::Open(uint32_t sampleRate, uint32_t bufferBytes) {
  Close();
  const int32_t result = cNullDevice::Open(sampleRate, bufferBytes);
  if (result != 0) return result;
  chunk.reset(new (std::nothrow) int16_t[kChunkFrames * 2]);
  bytes.reset(new (std::nothrow) uint8_t[kChunkFrames * 4]);
  if (!chunk || !bytes) {
    cNullDevice::Close();
    return kAudioNoBuffer;
  }
  file = path.empty() ? nullptr : std::fopen(path.c_str(), "wb");
  uint8_t header[44];
  MakeHeader(header, sampleRate, 0);
  if (!file || std::fwrite(header, 1, sizeof header, file) != sizeof header) {
    if (file) std::fclose(file);
    file = nullptr;
    cNullDevice::Close();
    return kAudioNoDevice;
  }
  fileRate = sampleRate;
  dataBytes = 0;
  writeFailed = false;
  return 0;
}

void cWavDevice::Close() {
  cNullDevice::Close();  // stops: nothing more plays
  if (!file) return;
  uint8_t header[44];
  MakeHeader(header, fileRate, uint32_t(dataBytes));
  if (std::fseek(file, 0, SEEK_SET) != 0 ||
      std::fwrite(header, 1, sizeof header, file) != sizeof header) {
    writeFailed = true;
  }
  if (std::fclose(file) != 0) writeFailed = true;
  file = nullptr;
}

void cWavDevice::OnPlayed(uint32_t byteOffset, uint32_t frames) {
  while (file && !writeFailed && frames > 0) {
    uint32_t n = frames < kChunkFrames ? frames : kChunkFrames;
    const uint64_t room = (kMaxDataBytes - dataBytes) / 4;
    if (room == 0) return;
    if (n > room) n = uint32_t(room);
    ReadPlayed(byteOffset, n, chunk.get());
    for (uint32_t i = 0; i < n * 2; ++i) PutLe16(bytes.get() + 2 * i, uint16_t(chunk[i]));
    if (std::fwrite(bytes.get(), 4, n, file) != n) {
      writeFailed = true;
      return;
    }
    dataBytes += uint64_t(n) * 4;
    byteOffset = uint32_t((byteOffset + uint64_t(n) * 4) % BufferBytes());
    frames -= n;
  }
}
