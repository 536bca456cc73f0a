#include "editor/scope.h"

#include <algorithm>
#include <cmath>

#include "app/tracker.h"
#include "editor/digitfont.h"
#include "editor/mutesolo.h"

namespace {

constexpr uint8_t kWhite = 255;

}  // namespace

// The gain is set for a logical cell of halfRow / scale pixels and then
// scaled, so that the trace looks the same on a dense screen.
int ScopeTraceRow(float left, float right, int halfRow, int scale, bool* clipped) {
  *clipped = false;
  if (halfRow <= 0 || scale < 1) {
    *clipped = true;
    return 0;
  }
  const double logicalHalf = double(halfRow) / scale;
  double value = -(double(left) + double(right)) * (1.0 / logicalHalf) * 0.5 * 0.02;
  if (std::fabs(value) < 0.25) value = 0.0;
  const double row = double(halfRow) + value * scale;
  // Also catches NaN, which a broken effect may leave in its buffer.
  if (!(row >= 0.0 && row < 2.0 * halfRow)) {
    *clipped = true;
    return 0;
  }
  return int(row);
}

double ScopeFrameStep(int cellWidth, int scale) {
  const double logicalWidth = double(std::max(cellWidth, 1)) / std::max(scale, 1);
  return (1.0 + 400.0 / logicalWidth * 0.05) / std::max(scale, 1);
}

void cScope::Resize(int width, int height, int pixelScale) {
  scale = std::max(pixelScale, 1);
  resized = true;
  // The traces were taken for the old size: until the next Capture only
  // the numbers are drawn.
  std::fill(std::begin(points), std::end(points), 0);
  if (width < 1 || height < 1) {
    bmp.reset();
    layout = MakeScopeLayout(0, 0, 0, scale);
    rows.clear();
    return;
  }
  bmp = std::make_unique<TFastBMP>(width, height);
  layout = MakeScopeLayout(width, height, layout.channels, scale);
  rows.assign(size_t(16) * size_t(width), 0);
}

bool cScope::Capture(cTracker& t) {
  if (!bmp) return false;
  bool changed = resized;
  resized = false;
  t.ReadEngine([&](const cTracker::cEngineView& engine) {
    const cSongTables& song = engine.song;
    const cScopeLayout before = layout;
    layout = MakeScopeLayout(bmp->Width(), bmp->Height(), song.channelCount, scale);
    changed |= layout.channels != before.channels;
    const int frames = engine.renderer.BlockFrames();
    const int columns = layout.cellWidth - 2 * scale;
    const double step = ScopeFrameStep(layout.cellWidth, scale);
    for (int k = 0; k < 16; ++k) {
      const bool wasHeard = heard[k];
      const int wasPoints = points[k];
      heard[k] = k < layout.channels && song.IsActive(k);
      points[k] = 0;
      changed |= heard[k] != wasHeard;
      if (!heard[k] || columns <= 0 || layout.halfRow <= 0) {
        changed |= wasPoints != 0;
        continue;
      }
      const float* buffer = engine.renderer.ChannelBuffer(k);
      int* out = rows.data() + size_t(k) * size_t(bmp->Width());
      double position = 0.0;
      int x = 0;
      // A short block at a low rate ends the trace early rather than read on.
      for (; x < columns && int(position) < frames; ++x, position += step) {
        const int frame = int(position);
        bool clipped = false;
        const int row = ScopeTraceRow(buffer[2 * frame], buffer[2 * frame + 1], layout.halfRow,
                                      scale, &clipped);
        const int point = clipped ? -1 : row;
        changed |= out[x] != point;
        out[x] = point;
      }
      points[k] = x;
      changed |= x != wasPoints;
    }
  });
  return changed;
}

void cScope::Draw() {
  if (!bmp) return;
  bmp->Fill(0, 0, 0);
  for (int k = 0; k < layout.channels; ++k) {
    const int cx = layout.CellX(k), cy = layout.CellY(k);
    const int* row = rows.data() + size_t(k) * size_t(bmp->Width());
    for (int x = 0; x < points[k]; ++x) {
      const int y = row[x] < 0 ? 0 : row[x];
      bmp->SetPixel(cx + x, cy + y, kWhite, kWhite, kWhite);
      // Steep slopes stay one line: join the point to the one before it.
      if (x > 0 && row[x] >= 0 && row[x - 1] >= 0) {
        const int from = std::min(row[x - 1], row[x]), to = std::max(row[x - 1], row[x]);
        for (int j = from + 1; j < to; ++j) bmp->SetPixel(cx + x, cy + j, kWhite, kWhite, kWhite);
      }
    }
    DrawNumber(*bmp, cx + 3 * scale, cy + 2 * scale, k, scale, kWhite, kWhite, kWhite);
  }
}

void cScope::Refresh(cTracker& t) {
  Capture(t);
  Draw();
}

// Mute and solo are the window thread's to change: read here, written back
// under the lock for the mixer.
bool cScope::Click(cTracker& t, int x, int y, bool rightButton) {
  if (!bmp) return false;
  const cSongTables& song = t.Song();
  const cScopeLayout now = MakeScopeLayout(bmp->Width(), bmp->Height(), song.channelCount, scale);
  const int channel = now.ChannelAt(x, y);
  if (channel < 0 || channel >= now.channels) return false;
  cMixerFlags flags = song.mixer;
  ScopeMuteSolo(flags, channel, rightButton);
  t.SetMixerFlags(flags);
  return true;
}
