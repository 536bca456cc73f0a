#include "editor/sampledraw.h"

#include <algorithm>
#include <cmath>

namespace {

void FillRect(std::vector<uint32_t>& pixels, int32_t w, int32_t h, int32_t x0, int32_t y0,
              int32_t x1, int32_t y1, uint32_t colour) {  // [x0, x1) x [y0, y1)
  x0 = std::max(x0, 0);
  y0 = std::max(y0, 0);
  x1 = std::min(x1, w);
  y1 = std::min(y1, h);
  for (int32_t y = y0; y < y1; ++y) {
    for (int32_t x = x0; x < x1; ++x) pixels[size_t(y) * size_t(w) + size_t(x)] = colour;
  }
}

}  // namespace

cSamplePicture ComputeSamplePicture(cSampleEditor& editor) {
  cSamplePicture p;
  p.width = editor.Width();
  p.height = editor.Height();
  p.scale = editor.Scale();
  if (!editor.HasSound()) return p;
  const cWaveEntry& wave = editor.Wave();
  p.empty = false;
  p.stereo = (wave.flags & kWaveStereoFlags) != 0;
  const int32_t channels = p.stereo ? 2 : 1;
  const int16_t* samples = wave.data + kWaveMargin;
  const int64_t last = wave.length - 1;
  const int64_t viewStart = editor.ViewStart();
  const double step = double(editor.ViewWidth()) / p.width;
  p.dots = step < 1.0;

  p.columns.resize(size_t(p.width));
  for (int32_t x = 0; x < p.width; ++x) {
    int64_t first = std::min(viewStart + std::lround(x * step), last);
    // Every frame under the column, so that no peak falls between columns.
    int64_t end = p.dots ? first : std::min(viewStart + std::lround((x + 1) * step) - 1, last);
    end = std::max(end, first);
    cSampleColumn& c = p.columns[size_t(x)];
    for (int32_t ch = 0; ch < channels; ++ch) {
      int16_t low = samples[first * channels + ch], high = low;
      for (int64_t f = first + 1; f <= end; ++f) {
        const int16_t v = samples[f * channels + ch];
        low = std::min(low, v);
        high = std::max(high, v);
      }
      c.low[ch] = low;
      c.high[ch] = high;
    }
    if (channels == 1) c.low[1] = c.high[1] = 0;
  }

  if (editor.HasRange()) {
    p.rangeLeft = std::max(editor.FrameToPixel(editor.RangeStart()), 0);
    p.rangeRight = std::min(editor.FrameToPixel(int64_t(editor.RangeEnd()) + 1), p.width);
    p.rangeRight = std::max(p.rangeRight, p.rangeLeft + 1);  // at least one column
  }

  p.loopShown = editor.IsLooped();
  if (p.loopShown) {
    p.loopStartX = editor.FrameToPixel(wave.loopStart);
    p.loopEndX = editor.FrameToPixel(int64_t(wave.loopEnd) + 1) - 1;
  }
  return p;
}

void RenderSamplePicture(const cSamplePicture& p, std::vector<uint32_t>& pixels) {
  const int32_t w = p.width, h = p.height;
  pixels.assign(size_t(w) * size_t(h), kSampleBackground);
  if (p.empty || w <= 0 || h <= 0) return;

  const int32_t lanes = p.stereo ? 2 : 1;
  const double scale = (h / 2 - 8) / 32767.0 / lanes;
  for (int32_t ch = 0; ch < lanes; ++ch) {
    const int32_t centre = p.stereo ? (ch == 0 ? h / 4 : h / 2 + h / 4) : h / 2;
    FillRect(pixels, w, h, 0, centre, w, centre + 1, kSampleWave);
    int32_t prevLow = 0, prevHigh = 0;
    for (int32_t x = 0; x < w; ++x) {
      const cSampleColumn& c = p.columns[size_t(x)];
      const int32_t columnLow = centre + int32_t(std::lround(c.low[ch] * scale));
      const int32_t columnHigh = centre + int32_t(std::lround(c.high[ch] * scale));
      int32_t low = columnLow, high = columnHigh;
      // Joined to the column before, as a line through the points would be.
      if (!p.dots && x > 0) {
        low = std::min(low, prevHigh);
        high = std::max(high, prevLow);
      }
      prevLow = columnLow;
      prevHigh = columnHigh;
      FillRect(pixels, w, h, x, low, x + 1, high + 1, kSampleWave);
    }
  }

  for (int32_t x = std::max(p.rangeLeft, 0); x < std::min(p.rangeRight, w); ++x) {
    for (int32_t y = 0; y < h; ++y) {
      uint32_t& px = pixels[size_t(y) * size_t(w) + size_t(x)];
      px = MergePenNot(px, kSampleRangePen);
    }
  }

  if (!p.loopShown) return;
  const int32_t line = p.scale, flag = 8 * p.scale;
  if (p.loopStartX >= 0) {
    FillRect(pixels, w, h, p.loopStartX, 0, p.loopStartX + line, h, kSampleLoopStart);
    FillRect(pixels, w, h, p.loopStartX, 0, p.loopStartX + flag, flag, kSampleLoopStart);
  }
  if (p.loopEndX <= w) {
    const int32_t right = p.loopEndX + 1;
    FillRect(pixels, w, h, right - line, 0, right, h, kSampleLoopEnd);
    FillRect(pixels, w, h, right - flag, h - flag, right, h, kSampleLoopEnd);
  }
}
