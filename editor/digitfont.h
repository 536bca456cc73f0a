#pragma once
// A small digit font for the scope's channel numbers: 3 x 5 pixel glyphs,
// drawn at an integer scale so that they stay crisp on dense screens.

#include <cstdint>

#include "editor/fastbmp.h"

constexpr int kDigitWidth = 3;
constexpr int kDigitHeight = 5;
constexpr int kDigitPitch = 4;  // from one digit's left edge to the next

// True where digit d (0-9) has a pixel at column x, row y of its glyph.
bool DigitPixel(int d, int x, int y);

// Writes value (0-99: one or two decimal digits) with its top left at
// (x, y); each glyph pixel becomes a scale x scale square.
void DrawNumber(TFastBMP& bmp, int x, int y, int value, int scale, uint8_t red, uint8_t green,
                uint8_t blue);
