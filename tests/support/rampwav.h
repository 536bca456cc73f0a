#pragma once
// A 16-bit PCM WAV file at 44100 Hz of frames x channels samples holding a
// ramp (sample i is i x 7), for tests that load a sample into an instrument.

#include <cstdint>
#include <cstdio>
#include <string>
#include <vector>

inline bool WriteRampWav(const std::string& path, int32_t frames, int32_t channels) {
  std::vector<uint8_t> b;
  auto put = [&](uint32_t v, int bytes) {
    for (int i = 0; i < bytes; ++i) b.push_back(uint8_t(v >> (8 * i)));
  };
  auto text = [&](const char* t) {
    for (int i = 0; i < 4; ++i) b.push_back(uint8_t(t[i]));
  };
  const uint32_t dataBytes = uint32_t(frames * channels * 2);
  text("RIFF");
  put(36 + dataBytes, 4);
  text("WAVE");
  text("fmt ");
  put(16, 4);
  put(1, 2);
  put(uint32_t(channels), 2);
  put(44100, 4);
  put(44100u * uint32_t(channels) * 2, 4);
  put(uint32_t(channels) * 2, 2);
  put(16, 2);
  text("data");
  put(dataBytes, 4);
  for (int32_t i = 0; i < frames * channels; ++i) put(uint32_t(uint16_t(int16_t(i * 7))), 2);
  std::FILE* f = std::fopen(path.c_str(), "wb");
  if (f == nullptr) return false;
  const bool written = std::fwrite(b.data(), 1, b.size(), f) == b.size();
  return std::fclose(f) == 0 && written;
}
