#pragma once
// Four-channel ProTracker modules ("M.K.") written in code: a small builder
// for tests that need a few cells and samples, and a composed module that
// sounds (four looped samples: a square, a saw, a triangle and a decaying
// noise burst; two patterns with a note on every other row of each channel,
// volume, portamento, vibrato and arpeggio commands, played twice).

#include <algorithm>
#include <cstdint>
#include <cstring>
#include <vector>

// A sample header: number 1-31, length, loop start and loop length in words.
struct cModSample {
  int number, words, volume, loopStart, loopLength;
};

// A module of `patterns` empty patterns, played in order and then pattern 0
// up to songLength positions; each sample's bytes are number x 10 + index.
inline std::vector<uint8_t> BuildModule(const std::vector<cModSample>& samples, int songLength = 1,
                                        int patterns = 1) {
  std::vector<uint8_t> m(1084 + 1024 * size_t(patterns), 0);
  auto be16 = [&](size_t at, int v) {
    m[at] = uint8_t(v >> 8);
    m[at + 1] = uint8_t(v);
  };
  for (const cModSample& s : samples) {
    const size_t h = 20 + size_t(s.number - 1) * 30;
    be16(h + 22, s.words);
    m[h + 25] = uint8_t(s.volume);
    be16(h + 26, s.loopStart);
    be16(h + 28, s.loopLength);
  }
  m[950] = uint8_t(songLength);
  for (int p = 0; p < std::min(patterns, 128); ++p) m[952 + size_t(p)] = uint8_t(p);
  std::memcpy(m.data() + 1080, "M.K.", 4);
  for (const cModSample& s : samples) {
    for (int i = 0; i < 2 * s.words; ++i) m.push_back(uint8_t(s.number * 10 + i));
  }
  return m;
}

// One cell of a module that BuildModule made.
inline void SetModCell(std::vector<uint8_t>& m, int pattern, int row, int channel, int period,
                       int sample, int effect, int parameter) {
  uint8_t* b = m.data() + 1084 + size_t(pattern) * 1024 + size_t(row) * 16 + size_t(channel) * 4;
  b[0] = uint8_t((sample & 0x10) | ((period >> 8) & 0x0F));
  b[1] = uint8_t(period);
  b[2] = uint8_t(((sample & 0x0F) << 4) | effect);
  b[3] = uint8_t(parameter);
}

inline std::vector<uint8_t> ComposeModule() {
  constexpr int kSamples = 4, kPatternsUsed = 2, kWords = 512;
  std::vector<uint8_t> m(1084, 0);
  std::memcpy(m.data(), "generated module", 16);
  auto be16 = [&](size_t at, int v) {
    m[at] = uint8_t(v >> 8);
    m[at + 1] = uint8_t(v);
  };
  for (int s = 0; s < kSamples; ++s) {
    const size_t h = 20 + size_t(s) * 30;
    std::memcpy(m.data() + h, "sample", 6);
    m[h + 6] = uint8_t('1' + s);
    be16(h + 22, kWords);
    m[h + 25] = uint8_t(48 + 4 * s);  // volume
    be16(h + 26, s == 3 ? 0 : 64);    // loop start in words
    be16(h + 28, s == 3 ? 1 : kWords - 64);
  }
  m[950] = 4;  // song length
  m[951] = 127;
  const uint8_t order[4] = {0, 1, 0, 1};
  for (int i = 0; i < 4; ++i) m[952 + i] = order[i];
  std::memcpy(m.data() + 1080, "M.K.", 4);

  const int periods[8] = {428, 381, 339, 320, 285, 254, 226, 214};
  const uint8_t effects[6][2] = {{0x0C, 40},   {0x03, 8},    {0x04, 0x46},
                                 {0x00, 0x37}, {0x0A, 0x02}, {0x0F, 6}};
  for (int p = 0; p < kPatternsUsed; ++p) {
    for (int row = 0; row < 64; ++row) {
      for (int c = 0; c < 4; ++c) {
        uint8_t cell[4] = {0, 0, 0, 0};
        if ((row + c) % 2 == 0) {
          const int period = periods[(row / 2 + c * 3 + p) % 8] >> (c == 3 ? 1 : 0);
          const int sample = 1 + (c + row / 16) % kSamples;
          cell[0] = uint8_t((sample & 0x10) | ((period >> 8) & 0x0F));
          cell[1] = uint8_t(period);
          cell[2] = uint8_t((sample & 0x0F) << 4);
        }
        const uint8_t* e = effects[(row + c + p) % 6];
        if (row % 3 == 1 || (row % 16 == 0 && c == 0)) {
          cell[2] = uint8_t((cell[2] & 0xF0) | e[0]);
          cell[3] = e[1];
        }
        m.insert(m.end(), cell, cell + 4);
      }
    }
  }
  for (int s = 0; s < kSamples; ++s) {
    uint32_t noise = 12345;
    for (int i = 0; i < 2 * kWords; ++i) {
      int v;
      if (s == 0) {
        v = (i / 32) % 2 ? 80 : -80;
      } else if (s == 1) {
        v = (i % 64) * 4 - 128;
      } else if (s == 2) {
        const int k = i % 64;
        v = (k < 32 ? k : 64 - k) * 8 - 128;
      } else {
        noise = noise * 1103515245u + 12345u;
        v = int((noise >> 16) % 255) - 127;
        v = v * (2 * kWords - i) / (2 * kWords);
      }
      m.push_back(uint8_t(int8_t(v)));
    }
  }
  return m;
}
