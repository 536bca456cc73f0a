#include "ui/textview.h"

#include <QPaintEvent>
#include <QPainter>

TTextView::TTextView(QWidget* parent) : QWidget(parent) {
  setAttribute(Qt::WA_OpaquePaintEvent);
  // A click here takes the focus from a text field, and with it the keys.
  setFocusPolicy(Qt::ClickFocus);
}

void TTextView::ShowDrawn() {
  const QRect drawn = canvas.TakeDirty();
  if (!drawn.isEmpty()) update(drawn);
}

void TTextView::showEvent(QShowEvent*) { FitPicture(); }

void TTextView::paintEvent(QPaintEvent* event) {
  if (canvas.Ratio() != devicePixelRatioF()) {
    // Moved to a screen of another scale: drawn again at the new one.
    QMetaObject::invokeMethod(
        this, [this] { FitPicture(); }, Qt::QueuedConnection);
  }
  QPainter painter(this);
  const QImage& image = canvas.Image();
  const qreal ratio = canvas.Ratio();
  for (const QRect& r : event->region()) {
    const QRectF source(r.x() * ratio, r.y() * ratio, r.width() * ratio, r.height() * ratio);
    painter.drawImage(QRectF(r), image, source);
  }
}
