#pragma once
// The effect types and the factory that builds an effect from its type id.
// The id is the position in the effect menu and what the song file stores.

#include <cstdint>
#include <memory>

#include "fx/effect.h"

constexpr int32_t kFxTypeCount = 12;  // 0 (empty slot) to 11
// The most parameters any effect type has: what one slot's parameter block
// in a song file can hold at most.
constexpr int32_t kFxMostParams = 12;

// The menu name of a type id ("None" for 0), or null outside 0-11.
const char* FxTypeName(int32_t type);

class cFxFactory {
 public:
  cFxFactory() = default;
  // The tempo pointers point at the song's BPM and speed and are handed to
  // every effect built; the rate is the output's sampling frequency.
  cFxFactory(const int32_t* bpm, const int32_t* speed, int32_t sampleRate)
      : bpm(bpm), speed(speed), sampleRate(sampleRate) {}

  // A new effect, initialised and holding preset 0; null for 0 and for any
  // id outside 1-11.
  std::unique_ptr<cEffect> NewFxModule(int32_t type) const;

  // Milliseconds of n + 1 pattern rows at the song's tempo; 0 while the BPM
  // is 0.
  int32_t x2ms(int32_t n) const;

  int32_t SampleRate() const { return sampleRate; }

 private:
  const int32_t* bpm = nullptr;
  const int32_t* speed = nullptr;
  int32_t sampleRate = 44100;
};
