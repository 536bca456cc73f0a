#pragma once
// The seeds of the synthesizers' noise: the C library's rand() sequence as
// it runs from seed 1 (glibc's additive generator), held by each engine.
// The process-wide rand() would tie the noise of one engine to the resets
// of another: an export rendered beside live playback must sound as the
// same song rendered alone, and as it does in a process of its own.

#include <cstdint>

class cNoiseSeeds {
 public:
  cNoiseSeeds() {
    int64_t word = 1;
    state[0] = 1;
    for (int i = 1; i < kDegree; ++i) {
      word = (16807 * word) % 2147483647;
      state[i] = uint32_t(word);
    }
    for (int i = 0; i < 10 * kDegree; ++i) Next();
  }

  // The next value, 0 to 2^31 - 1.
  int32_t Next() {
    state[front] += state[rear];
    const int32_t value = int32_t(state[front] >> 1);
    front = (front + 1) % kDegree;
    rear = (rear + 1) % kDegree;
    return value;
  }

 private:
  static constexpr int kDegree = 31;
  uint32_t state[kDegree];
  int front = 3, rear = 0;
};
