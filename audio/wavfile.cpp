#include "audio/wavfile.h"

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

bool cWavFile::Create(const std::string& path, uint32_t sampleRate) {
  Finish();
  file = std::fopen(path.c_str(), "wb");
  if (file == nullptr) return false;
  // A block of a renderer is a few kilobytes: with the default buffer each
  // one would be a system call of its own.
  constexpr size_t kBufferBytes = 1 << 18;
  if (!buffer) buffer.reset(new char[kBufferBytes]);
  std::setvbuf(file, buffer.get(), _IOFBF, kBufferBytes);
  rate = sampleRate;
  dataBytes = 0;
  failed = false;
  uint8_t header[44];
  MakeHeader(header, rate, 0);
  if (std::fwrite(header, 1, sizeof header, file) != sizeof header) {
    std::fclose(file);
    file = nullptr;
    return false;
  }
  return true;
}

bool cWavFile::Append(const int16_t* frames, uint32_t count) {
  if (file == nullptr || failed) return false;
  uint8_t bytes[4096 * 4];
  while (count > 0) {
    const uint64_t room = (kMaxDataBytes - dataBytes) / 4;
    uint32_t n = count < 4096 ? count : 4096;
    if (n > room) n = uint32_t(room);
    if (n == 0) return false;
    for (uint32_t i = 0; i < n * 2; ++i) PutLe16(bytes + 2 * i, uint16_t(frames[i]));
    if (std::fwrite(bytes, 4, n, file) != n) {
      failed = true;
      return false;
    }
    dataBytes += uint64_t(n) * 4;
    frames += size_t(n) * 2;
    count -= n;
  }
  return true;
}

bool cWavFile::Finish() {
  if (file == nullptr) return !failed;
  uint8_t header[44];
  MakeHeader(header, rate, uint32_t(dataBytes));
  if (std::fseek(file, 0, SEEK_SET) != 0 ||
      std::fwrite(header, 1, sizeof header, file) != sizeof header) {
    failed = true;
  }
  if (std::fclose(file) != 0) failed = true;
  file = nullptr;
  return !failed;
}
