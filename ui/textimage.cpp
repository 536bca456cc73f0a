#include "ui/textimage.h"

#include <QFontDatabase>
#include <QFontInfo>
#include <QFontMetrics>
#include <QPainter>
#include <algorithm>
#include <cmath>
#include <cstring>

namespace {

uint32_t Pixel(cRgb c) { return 0xFF000000u | uint32_t(c.r) << 16 | uint32_t(c.g) << 8 | c.b; }

}  // namespace

int TTextImage::Device(int logical) const { return int(std::lround(logical * ratio)); }

void TTextImage::Resize(int w, int h, qreal r) {
  w = std::max(w, 0);
  h = std::max(h, 0);
  r = r > 0 ? r : 1.0;
  const bool newRatio = r != ratio || glyphs.empty();
  width = w;
  height = h;
  ratio = r;
  if (newRatio) {
    cellWidth = std::max(Device(kCharWidth), 1);
    cellHeight = std::max(Device(kLineHeight), 1);
    glyphs.clear();
    lastGlyphs = 0;
    ChooseFont();
  }
  image = QImage(std::max(Device(w), 1), std::max(Device(h), 1), QImage::Format_RGB32);
  image.setDevicePixelRatio(ratio);
  image.fill(Qt::black);
  dirty = QRect(0, 0, w, h);
}

// The largest size of the system's fixed-pitch font whose characters fit
// the cell.
void TTextImage::ChooseFont() {
  font = QFontDatabase::systemFont(QFontDatabase::FixedFont);
  if (!QFontInfo(font).fixedPitch()) font.setFamily("DejaVu Sans Mono");
  font.setStyleHint(QFont::Monospace);
  font.setHintingPreference(QFont::PreferFullHinting);
  font.setStyleStrategy(QFont::NoSubpixelAntialias);
  for (int size = cellHeight; size >= 4; --size) {
    font.setPixelSize(size);
    const QFontMetrics metrics(font);
    if (metrics.horizontalAdvance(QLatin1Char('W')) <= cellWidth &&
        metrics.ascent() + metrics.descent() <= cellHeight + 1)
      return;
  }
}

const uint32_t* TTextImage::GlyphsOn(cRgb background) {
  if (lastGlyphs < glyphs.size() && glyphs[lastGlyphs].background == background)
    return glyphs[lastGlyphs].pixels.data();
  for (size_t i = 0; i < glyphs.size(); ++i) {
    if (glyphs[i].background == background) {
      lastGlyphs = i;
      return glyphs[i].pixels.data();
    }
  }
  // Drawn once on the real background, so that the font's smoothing blends
  // into the colour it is seen on.
  QImage strip(cellWidth * kGlyphCount, cellHeight, QImage::Format_RGB32);
  strip.fill(QColor(background.r, background.g, background.b));
  {
    QPainter painter(&strip);
    painter.setFont(font);
    painter.setPen(Qt::black);
    const QFontMetrics metrics(font);
    const int baseline =
        (cellHeight - (metrics.ascent() + metrics.descent())) / 2 + metrics.ascent();
    for (int g = 0; g < kGlyphCount; ++g) {
      const QChar c(char16_t(kFirstGlyph + g));
      const int left = g * cellWidth + (cellWidth - metrics.horizontalAdvance(c)) / 2;
      painter.setClipRect(g * cellWidth, 0, cellWidth, cellHeight);
      painter.drawText(left, baseline, QString(c));
    }
  }
  cGlyphs set{background, std::vector<uint32_t>(size_t(kGlyphCount * cellWidth * cellHeight))};
  for (int g = 0; g < kGlyphCount; ++g) {
    for (int row = 0; row < cellHeight; ++row) {
      const auto* line = reinterpret_cast<const uint32_t*>(strip.constScanLine(row));
      std::memcpy(&set.pixels[size_t((g * cellHeight + row) * cellWidth)], line + g * cellWidth,
                  size_t(cellWidth) * 4);
    }
  }
  glyphs.push_back(std::move(set));
  lastGlyphs = glyphs.size() - 1;
  return glyphs.back().pixels.data();
}

void TTextImage::MarkDirty(int x, int y, int w, int h) { dirty |= QRect(x, y, w, h); }

QRect TTextImage::TakeDirty() {
  const QRect taken = dirty & QRect(0, 0, width, height);
  dirty = QRect();
  return taken;
}

void TTextImage::Text(int x, int y, std::string_view text, cRgb background) {
  if (text.empty()) return;
  MarkDirty(x, y, int(text.size()) * kCharWidth, kLineHeight);
  const uint32_t* tiles = GlyphsOn(background);
  const int imageWidth = image.width();
  const int top = Device(y);
  const int rows = std::min(cellHeight, image.height() - top);
  if (top < 0 || rows <= 0) return;
  // Where each character starts and how much of it fits.
  const int count = int(text.size());
  for (int row = 0; row < rows; ++row) {
    auto* line = reinterpret_cast<uint32_t*>(image.scanLine(top + row));
    for (int i = 0; i < count; ++i) {
      const int left = Device(x + i * kCharWidth);
      if (left >= imageWidth) break;
      if (left < 0) continue;
      int g = static_cast<unsigned char>(text[size_t(i)]) - kFirstGlyph;
      if (g < 0 || g >= kGlyphCount) g = '?' - kFirstGlyph;
      const uint32_t* source = tiles + size_t((g * cellHeight + row) * cellWidth);
      std::copy_n(source, std::min(cellWidth, imageWidth - left), line + left);
    }
  }
}

void TTextImage::Fill(int x, int y, int w, int h, cRgb colour) {
  if (w <= 0 || h <= 0) return;
  MarkDirty(x, y, w, h);
  // A line of one logical pixel stays at least one device pixel wide.
  const int left = std::clamp(Device(x), 0, image.width());
  const int right = std::clamp(std::max(Device(x + w), Device(x) + 1), 0, image.width());
  const int top = std::clamp(Device(y), 0, image.height());
  const int bottom = std::clamp(std::max(Device(y + h), Device(y) + 1), 0, image.height());
  const uint32_t pixel = Pixel(colour);
  for (int row = top; row < bottom; ++row) {
    auto* line = reinterpret_cast<uint32_t*>(image.scanLine(row));
    std::fill(line + left, line + right, pixel);
  }
}

void TTextImage::Scroll(int top, int h, int dy) {
  if (h <= 0 || dy == 0) return;
  MarkDirty(0, top, width, h);
  const int first = std::clamp(Device(top), 0, image.height());
  const int end = std::clamp(Device(top + h), 0, image.height());
  const int distance = Device(dy);
  const int moved = end - first - std::abs(distance);
  if (moved <= 0) return;
  // The lines of an RGB32 image lie one after another: one move does it.
  const qsizetype lineBytes = image.bytesPerLine();
  uchar* bits = image.bits();
  if (distance < 0) {
    std::memmove(bits + first * lineBytes, bits + (first - distance) * lineBytes,
                 size_t(moved * lineBytes));
  } else {
    std::memmove(bits + (first + distance) * lineBytes, bits + first * lineBytes,
                 size_t(moved * lineBytes));
  }
}
