#pragma once
// Decaying tails of feedback loops sink into the denormal range, where the
// arithmetic turns slow. A float whose eight exponent bits are all zero
// (a denormal, or a zero of either sign) is replaced by +0.

#include <bit>
#include <cstdint>

inline float FlushDenormal(float x) {
  return (std::bit_cast<uint32_t>(x) & 0x7F800000u) == 0 ? 0.0f : x;
}
