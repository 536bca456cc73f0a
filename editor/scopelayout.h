#pragma once
// Where the channel scope puts each channel: (channels + 1) / 2 columns of
// two rows, even channels on top, so that an odd count still gives the last
// channel a place. All figures are image pixels; scale is the number of
// image pixels per logical pixel (the screen's pixel ratio, at least 1), by
// which the gaps between cells grow.

struct cScopeLayout {
  int width = 0, height = 0;  // of the image
  int scale = 1;
  int channels = 0;   // 0-16
  int columns = 1;    // never 0, whatever the count
  int cellWidth = 0;  // may be 0 or less on a tiny image: nothing is drawn then
  int halfRow = 0;    // a row is two of these high

  int CellX(int channel) const { return (channel / 2) * (cellWidth + scale) + 2 * scale; }
  int CellY(int channel) const { return 2 * halfRow * (channel & 1); }

  // The channel whose cell column and row hold (x, y); a gap belongs to the
  // cell on its left. It may be at or beyond the channel count (the empty
  // place of an odd count); -1 outside the image.
  int ChannelAt(int x, int y) const;
};

cScopeLayout MakeScopeLayout(int width, int height, int channels, int scale = 1);
