#include "editor/scopelayout.h"

#include <algorithm>

cScopeLayout MakeScopeLayout(int width, int height, int channels, int scale) {
  cScopeLayout l;
  l.width = std::max(width, 0);
  l.height = std::max(height, 0);
  l.scale = std::max(scale, 1);
  l.channels = std::clamp(channels, 0, 16);
  l.columns = std::max((l.channels + 1) / 2, 1);
  l.cellWidth = l.width / l.columns - 2 * l.scale;
  l.halfRow = l.height / 4;
  return l;
}

// Follows the drawn cells, which are cellWidth + scale apart: dividing by
// the cell width alone drifts a pixel per column, so that on a wide count a
// click on one channel's trace would reach the next channel's.
int cScopeLayout::ChannelAt(int x, int y) const {
  if (x < 0 || y < 0 || x >= width || y >= height) return -1;
  const int pitch = std::max(cellWidth + scale, 1);
  const int column = std::clamp((x - 2 * scale) / pitch, 0, columns - 1);
  return column * 2 + (y >= height / 2 ? 1 : 0);
}
