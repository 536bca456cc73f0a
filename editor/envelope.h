#pragma once
// The envelope pictures of the instrument editor: a grey shape with a white
// outline through attack, decay, sustain and hold, and a red line where the
// sustain has no hold time. The widget paints what this computes.

#include <cstdint>
#include <span>

struct cEnvelopeImage {
  const char* name;   // the image's name, e.g. "Image_A"
  int32_t page;       // the page it sits on
  const char* group;  // the caption of the group it belongs to
  int32_t firstWord;  // attack; decay, sustain, hold and release follow
};
std::span<const cEnvelopeImage> EnvelopeImages();

struct cPoint {
  int32_t x, y;
};

struct cEnvelopeShape {
  cPoint outline[5];  // (0, H), the attack peak, the sustain's ends, (W, H)
  bool holdLine;      // hold 0: sustain until note-off, shown by a red line
  int32_t holdX;      // the line runs from y 2 to H
};

// Each segment is drawn at most 35 pixels wide, whatever the time; the
// release does not show.
cEnvelopeShape EnvelopeShape(int32_t attack, int32_t decay, int32_t sustain, int32_t hold,
                             int32_t width, int32_t height);
