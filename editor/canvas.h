#pragma once
// What the text views draw with: black text in 8 x 16 character cells on a
// background colour, filled rectangles, and a band of the picture moved up
// or down. Coordinates are logical pixels; the window's canvas paints them
// at the screen's pixel ratio, tests record them.

#include <cstdint>
#include <string_view>

struct cRgb {
  uint8_t r = 0, g = 0, b = 0;
  bool operator==(const cRgb&) const = default;
};

constexpr int kCharWidth = 8;    // pixels
constexpr int kLineHeight = 16;  // pixels

class cTextCanvas {
 public:
  virtual ~cTextCanvas() = default;
  // Black characters from (x, y), each kCharWidth wide, on a background of
  // kLineHeight pixels.
  virtual void Text(int x, int y, std::string_view text, cRgb background) = 0;
  virtual void Fill(int x, int y, int width, int height, cRgb colour) = 0;
  // Moves the picture between top and top + height by dy pixels (up when
  // negative); what is moved in from outside the band is left undefined,
  // the caller draws it.
  virtual void Scroll(int top, int height, int dy) = 0;
};

// A view of `lines` text lines from `top` whose cursor sits on line `half`,
// moved by `moved` lines (down the list when positive): the picture is
// scrolled, and the lines it exposes, the cursor's old line and its new
// one are drawn by drawLine(line).
template <class DrawLine>
void ScrollLines(cTextCanvas& canvas, int top, int lines, int half, int moved,
                 DrawLine&& drawLine) {
  canvas.Scroll(top, lines * kLineHeight, -moved * kLineHeight);
  if (moved > 0) {
    for (int line = lines - moved; line < lines; ++line) drawLine(line);
  } else {
    for (int line = 0; line < -moved; ++line) drawLine(line);
  }
  const int oldCursorLine = half - moved;
  if (oldCursorLine >= 0 && oldCursorLine < lines) drawLine(oldCursorLine);
  drawLine(half);
}
