#pragma once
// The digest the pinned renders are recorded in: FNV-1a 64 taking each
// value whole (a byte, a 16-bit sample, the bit pattern of a float).

#include <bit>
#include <cstdint>

struct cDigest {
  uint64_t value = 1469598103934665603ull;

  void AddWord(uint32_t word) {
    value ^= word;
    value *= 1099511628211ull;
  }
  void AddFloat(float sample) { AddWord(std::bit_cast<uint32_t>(sample)); }
  // A 16-bit sample as its two little-endian bytes.
  void AddSampleBytes(int16_t sample) {
    const uint16_t v = uint16_t(sample);
    AddWord(uint8_t(v));
    AddWord(uint8_t(v >> 8));
  }
};
