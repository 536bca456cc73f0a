#pragma once
// The pattern view's texts and colours: a row is its number and 24
// characters for each channel (note, instrument, volume, pan and the two
// effect columns), black on a background chosen by the row.

#include <cstdint>

#include "editor/canvas.h"
#include "editor/subcolumns.h"

constexpr int kRowNumberChars = 3;
constexpr int kChannelChars = 24;
constexpr int kChannelWidth = kChannelChars * kCharWidth;  // 192 pixels

// "..." for no note, "C-0" .. "B-8" for 1-108, "off" for a release.
void NoteName(uint8_t note, char out[3]);

// Volume and pan: ".." empty, two hex digits for 0x00-0x7F, "+" and the
// low nibble for 0x80-0x8F, "-" and the low nibble above.
void VolumeText(uint8_t value, char out[2]);

// The 24 characters of one channel's cell.
void ChannelText(const cCell& cell, char out[kChannelChars]);

// "07 " for a row of the pattern, blanks for rows outside it.
void RowNumberText(int row, char out[kRowNumberChars]);

// Character column of sub-column k of channel c, counted from the row's
// first character (k held to 0-14).
int SubColumnPosition(int channel, int subColumn);

// Background of a row (rows outside 0-63 included), by the channel's mask
// state and whether it is the cursor row.
cRgb PatternRowColour(int row, bool masked, bool cursorRow);

constexpr cRgb kPatternHeaderColour{216, 200, 152};
constexpr cRgb kScrollMarkColour{216, 200, 152};
constexpr cRgb kBlack{0, 0, 0};
constexpr cRgb kEditCursorColour{255, 0, 0};
constexpr cRgb kPlayCursorColour{255, 255, 0};
// Where the view is wider or taller than its rows and channels.
constexpr cRgb kPatternBlankColour{152, 152, 136};
