#include "editor/envelope.h"

#include <algorithm>
#include <cmath>

#include "editor/synthcontrols.h"

namespace {

constexpr cEnvelopeImage kImages[] = {
    {"Image_A", kPageFilter, " Volume Envelope ", 11},
    {"Image_F", kPageFilter, " Filter Envelope ", 16},
    {"Image_SA", kPageSample, "", 5},
    {"Image_D", kPageFM, " Depth Envelope ", 8},
    {"Image_V", kPageFM, " Volume Envelope ", 17},
};

constexpr int32_t kSegment = 35;  // pixels

}  // namespace

std::span<const cEnvelopeImage> EnvelopeImages() { return kImages; }

cEnvelopeShape EnvelopeShape(int32_t a, int32_t d, int32_t s, int32_t h, int32_t w, int32_t ht) {
  // Words from a damaged file may be negative: such a segment is drawn flat.
  const int32_t attack = std::clamp(a + 1, 0, kSegment);
  const int32_t decay = std::clamp(d + 1, 0, kSegment);
  const int32_t hold = std::clamp(h, 0, kSegment);
  const int32_t level = std::clamp(int32_t(std::lround((s + 1) / 127.0 * (ht - 1))), 0, ht);
  cEnvelopeShape shape;
  shape.outline[0] = {0, ht};
  shape.outline[1] = {attack, 2};
  shape.outline[2] = {attack + decay, ht - level};
  shape.outline[3] = {attack + decay + hold, ht - level};
  shape.outline[4] = {w, ht};
  shape.holdLine = h == 0;
  shape.holdX = attack + decay;
  return shape;
}
