#include "ui/analyserview.h"

#include <QPainter>

TSpectrumView::TSpectrumView(QWidget* parent) : QWidget(parent) {
  setFixedSize(cSpectrum::kWidth, cSpectrum::kHeight);
  setAttribute(Qt::WA_OpaquePaintEvent);
}

void TSpectrumView::SetHeights(const cSpectrum& spectrum) {
  bool changed = false;
  for (int b = 0; b < cSpectrum::kBars; ++b) {
    changed |= heights[size_t(b)] != spectrum.BarHeight(b);
    heights[size_t(b)] = spectrum.BarHeight(b);
  }
  if (changed) update();
}

void TSpectrumView::Clear() {
  heights.fill(0);
  update();
}

void TSpectrumView::paintEvent(QPaintEvent*) {
  QPainter p(this);
  p.fillRect(rect(), palette().color(QPalette::Button));
  // Bar b covers the five columns from b x 6 + 2 and rises from row 20.
  const QColor bar = palette().color(QPalette::ButtonText);
  for (int b = 0; b < cSpectrum::kBars; ++b) {
    const int h = heights[size_t(b)];
    if (h > 0) p.fillRect(b * 6 + 2, cSpectrum::kMaxHeight - h, 5, h, bar);
  }
}
