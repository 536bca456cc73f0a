#include "ui/scope.h"

#include <QImage>
#include <QLayout>
#include <QMouseEvent>
#include <QPainter>
#include <cmath>

TScopeView::TScopeView(QWidget* slot) : QWidget(slot) {
  setObjectName("Scope");
  setAttribute(Qt::WA_OpaquePaintEvent);
  setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Expanding);
  setMinimumSize(32, 16);
  setCursor(Qt::PointingHandCursor);
  setToolTip("Left click: mute or unmute a channel\nRight click: solo a channel, or hear all");
  if (slot->layout() != nullptr) slot->layout()->addWidget(this);
  Fit();
}

void TScopeView::Attach(cTracker& t) {
  tracker = &t;
  Capture();
}

void TScopeView::SongChanged(eSongChange) { Capture(); }

void TScopeView::RefreshDisplay() { Capture(); }

// A picture like the last one is not drawn again: flat traces cost nothing.
void TScopeView::Capture() {
  if (tracker == nullptr) return;
  Fit();
  if (!scope.Capture(*tracker) && !drawPending) return;
  drawPending = true;
  update();
}

// The image covers the widget in device pixels; the digits and the gaps grow
// by the ratio rounded to a whole number, so they stay sharp.
void TScopeView::Fit() {
  ratio = std::max(devicePixelRatioF(), 1.0);
  const int w = int(std::ceil(width() * ratio)), h = int(std::ceil(height() * ratio));
  const int scale = std::max(int(std::lround(ratio)), 1);
  const TFastBMP* bmp = scope.Image();
  if (bmp != nullptr && bmp->Width() == w && bmp->Height() == h && scope.Layout().scale == scale)
    return;
  scope.Resize(w, h, scale);
  drawPending = true;
}

void TScopeView::resizeEvent(QResizeEvent* event) {
  QWidget::resizeEvent(event);
  Fit();
  Capture();
}

void TScopeView::paintEvent(QPaintEvent*) {
  QPainter p(this);
  if (std::max(devicePixelRatioF(), 1.0) != ratio) {
    // Moved to a screen of another density.
    Fit();
    if (tracker != nullptr) scope.Capture(*tracker);
  }
  const TFastBMP* bmp = scope.Image();
  if (bmp == nullptr) {
    p.fillRect(rect(), Qt::black);
    return;
  }
  if (drawPending) {
    scope.Draw();
    drawPending = false;
  }
  QImage image(reinterpret_cast<const uchar*>(bmp->Bits()), bmp->Width(), bmp->Height(),
               bmp->LineBytes(), QImage::Format_RGB32);
  image.setDevicePixelRatio(ratio);
  p.drawImage(QPointF(0, 0), image);
}

void TScopeView::mousePressEvent(QMouseEvent* event) {
  if (tracker == nullptr) return;
  Fit();
  const QPointF at = event->position() * ratio;
  const bool right = event->button() == Qt::RightButton;
  if (scope.Click(*tracker, int(at.x()), int(at.y()), right)) Capture();
}
