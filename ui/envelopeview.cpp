#include "ui/envelopeview.h"

#include <QPainter>
#include <QPolygon>

TEnvelopeView::TEnvelopeView(QWidget* parent) : QWidget(parent) {
  setFixedSize(kWidth, kHeight);
  setAttribute(Qt::WA_OpaquePaintEvent);
}

void TEnvelopeView::SetShape(const cEnvelopeShape& newShape) {
  shape = newShape;
  hasShape = true;
  update();
}

void TEnvelopeView::paintEvent(QPaintEvent*) {
  QPainter p(this);
  p.fillRect(rect(), Qt::black);
  if (!hasShape) return;
  // At 100 % a one-pixel pen on whole coordinates covers the pixel the
  // shape names; at 200 % it is two device pixels wide and covers that
  // pixel when centred on its middle.
  if (devicePixelRatioF() > 1.0) p.translate(0.5, 0.5);
  QPolygon outline;
  for (const cPoint& point : shape.outline) outline << QPoint(point.x, point.y);
  p.setPen(QPen(Qt::white, 1));
  p.setBrush(QColor(128, 128, 128));
  p.drawPolygon(outline);
  if (shape.holdLine) {
    p.setPen(QPen(QColor(255, 0, 0), 1));
    p.drawLine(shape.holdX, 2, shape.holdX, height());
  }
}
