#pragma once
// An off-screen image of 32-bit pixels (blue in the lowest byte, then green,
// then red, the top byte always 0xFF), one line after another without
// padding: the layout of QImage::Format_RGB32, so the widget copies it
// whole. Drawing here needs no display.

#include <cstdint>
#include <memory>

class TFastBMP {
 public:
  // A width or height below 1 gives an empty image that ignores drawing.
  TFastBMP(int width, int height);

  int Width() const { return width; }
  int Height() const { return height; }
  int LineBytes() const { return width * 4; }
  const uint32_t* Line(int y) const { return pixels.get() + size_t(y) * size_t(width); }
  const uint32_t* Bits() const { return pixels.get(); }

  // Ignored outside the image.
  void SetPixel(int x, int y, uint8_t red, uint8_t green, uint8_t blue);
  uint32_t Pixel(int x, int y) const;
  // From line `fromLine` to the bottom.
  void Fill(uint8_t red, uint8_t green, uint8_t blue, int fromLine = 0);

  static uint32_t Rgb(uint8_t red, uint8_t green, uint8_t blue) {
    return 0xFF000000u | uint32_t(red) << 16 | uint32_t(green) << 8 | uint32_t(blue);
  }

 private:
  int width;
  int height;
  std::unique_ptr<uint32_t[]> pixels;
};
