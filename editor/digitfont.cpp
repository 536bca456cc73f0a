#include "editor/digitfont.h"

namespace {

// One byte per glyph row, the left pixel in bit 2.
constexpr uint8_t kGlyphs[10][kDigitHeight] = {
    {0b111, 0b101, 0b101, 0b101, 0b111},  // 0
    {0b010, 0b110, 0b010, 0b010, 0b111},  // 1
    {0b111, 0b001, 0b111, 0b100, 0b111},  // 2
    {0b111, 0b001, 0b011, 0b001, 0b111},  // 3
    {0b101, 0b101, 0b111, 0b001, 0b001},  // 4
    {0b111, 0b100, 0b111, 0b001, 0b111},  // 5
    {0b111, 0b100, 0b111, 0b101, 0b111},  // 6
    {0b111, 0b001, 0b001, 0b010, 0b010},  // 7
    {0b111, 0b101, 0b111, 0b101, 0b111},  // 8
    {0b111, 0b101, 0b111, 0b001, 0b111},  // 9
};

void DrawDigit(TFastBMP& bmp, int x, int y, int d, int scale, uint8_t r, uint8_t g, uint8_t b) {
  for (int gy = 0; gy < kDigitHeight; ++gy) {
    for (int gx = 0; gx < kDigitWidth; ++gx) {
      if (!DigitPixel(d, gx, gy)) continue;
      for (int sy = 0; sy < scale; ++sy) {
        for (int sx = 0; sx < scale; ++sx)
          bmp.SetPixel(x + gx * scale + sx, y + gy * scale + sy, r, g, b);
      }
    }
  }
}

}  // namespace

bool DigitPixel(int d, int x, int y) {
  if (d < 0 || d > 9 || x < 0 || x >= kDigitWidth || y < 0 || y >= kDigitHeight) return false;
  return (kGlyphs[d][y] >> (kDigitWidth - 1 - x) & 1) != 0;
}

void DrawNumber(TFastBMP& bmp, int x, int y, int value, int scale, uint8_t red, uint8_t green,
                uint8_t blue) {
  if (value < 0 || value > 99 || scale < 1) return;
  if (value >= 10) {
    DrawDigit(bmp, x, y, value / 10, scale, red, green, blue);
    x += kDigitPitch * scale;
  }
  DrawDigit(bmp, x, y, value % 10, scale, red, green, blue);
}
