#pragma once
// The sample editor's picture: the waveform as the lowest and highest value
// under each pixel column, the range shown by inverting, and the loop lines
// with their flags. It is drawn into 32-bit ARGB pixels, which the widget
// shows as they are (one image pixel per device pixel).

#include <cstdint>
#include <vector>

#include "editor/sampleeditor.h"

constexpr uint32_t kSampleBackground = 0xFF000000;
constexpr uint32_t kSampleWave = 0xFFDAD6C9;      // the wave and its centre lines
constexpr uint32_t kSampleRangePen = 0x00008080;  // merged with the inverted picture
constexpr uint32_t kSampleLoopStart = 0xFFFF0000;
constexpr uint32_t kSampleLoopEnd = 0xFF008000;

// Lowest and highest sample under one pixel column, per channel (the right
// channel only for stereo waves).
struct cSampleColumn {
  int16_t low[2];
  int16_t high[2];
};

struct cSamplePicture {
  int32_t width = 0, height = 0, scale = 1;
  bool empty = true;    // no sound: the picture stays black
  bool stereo = false;  // two lanes, left above right
  bool dots = false;    // fewer frames than columns: one point per column
  std::vector<cSampleColumn> columns;
  // Columns [rangeLeft, rangeRight) are inverted; empty without a range.
  int32_t rangeLeft = 0, rangeRight = 0;
  bool loopShown = false;  // the wave is looped
  int32_t loopStartX = 0;  // the red line
  int32_t loopEndX = 0;    // the green line
};

// What the image shows now.
cSamplePicture ComputeSamplePicture(cSampleEditor& editor);

// Draws the picture into width x height pixels.
void RenderSamplePicture(const cSamplePicture& picture, std::vector<uint32_t>& pixels);

// The range's merge: the pen's colour ORed with the inverse of the pixel.
inline uint32_t MergePenNot(uint32_t pixel, uint32_t pen) {
  return 0xFF000000 | ((~pixel | pen) & 0x00FFFFFF);
}
