#include "editor/fastbmp.h"

#include <algorithm>

TFastBMP::TFastBMP(int w, int h)
    : width(w > 0 && h > 0 ? w : 0),
      height(w > 0 && h > 0 ? h : 0),
      pixels(std::make_unique<uint32_t[]>(size_t(width) * size_t(height) + 1)) {
  Fill(0, 0, 0);
}

void TFastBMP::SetPixel(int x, int y, uint8_t red, uint8_t green, uint8_t blue) {
  if (x < 0 || y < 0 || x >= width || y >= height) return;
  pixels[size_t(y) * size_t(width) + size_t(x)] = Rgb(red, green, blue);
}

uint32_t TFastBMP::Pixel(int x, int y) const {
  if (x < 0 || y < 0 || x >= width || y >= height) return 0;
  return pixels[size_t(y) * size_t(width) + size_t(x)];
}

void TFastBMP::Fill(uint8_t red, uint8_t green, uint8_t blue, int fromLine) {
  const int first = std::clamp(fromLine, 0, height);
  std::fill(pixels.get() + size_t(first) * size_t(width),
            pixels.get() + size_t(height) * size_t(width), Rgb(red, green, blue));
}
