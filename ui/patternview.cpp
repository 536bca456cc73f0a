#include "ui/patternview.h"

#include <QApplication>
#include <QMouseEvent>
#include <QPaintEvent>
#include <QPainter>
#include <QWheelEvent>

#include "editor/patterneditor.h"
#include "editor/patterntext.h"
#include "ui/mainform.h"
#include "ui/patterneditorpart.h"

TPatternView::TPatternView(TPatternEditorPart& p, QWidget* parent) : QWidget(parent), part(p) {
  setObjectName("PatternView");
  setAttribute(Qt::WA_OpaquePaintEvent);
  // A click here takes the focus from a text field, and with it the keys.
  setFocusPolicy(Qt::ClickFocus);
  // The row numbers and one channel; the header, five rows and the bar.
  setMinimumSize(kRowNumberChars * kCharWidth + kChannelWidth, 7 * kLineHeight);
  setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Expanding);
}

void TPatternView::ShowDrawn() {
  const QRect drawn = canvas.TakeDirty();
  if (!drawn.isEmpty()) update(drawn);
}

void TPatternView::FitPicture() {
  const qreal ratio = devicePixelRatioF();
  if (canvas.Width() == width() && canvas.Height() == height() && canvas.Ratio() == ratio &&
      !canvas.Image().isNull())
    return;
  canvas.Resize(width(), height(), ratio);
  part.PatternResized();
  update();
}

void TPatternView::resizeEvent(QResizeEvent*) { FitPicture(); }

void TPatternView::showEvent(QShowEvent*) { FitPicture(); }

// The picture is copied one device pixel to one screen pixel.
void TPatternView::paintEvent(QPaintEvent* event) {
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

void TPatternView::mousePressEvent(QMouseEvent* event) {
  cPatternEditor* editor = part.Editor();
  if (editor == nullptr || event->button() != Qt::LeftButton) return;
  const QPoint at = event->position().toPoint();
  editor->PatternMouseDown(at.x(), at.y());
}

void TPatternView::mouseMoveEvent(QMouseEvent* event) {
  cPatternEditor* editor = part.Editor();
  if (editor == nullptr || !(event->buttons() & Qt::LeftButton)) return;
  const QPoint at = event->position().toPoint();
  editor->PatternMouseMove(at.x(), at.y());
}

void TPatternView::mouseReleaseEvent(QMouseEvent* event) {
  cPatternEditor* editor = part.Editor();
  if (editor != nullptr && event->button() == Qt::LeftButton) editor->PatternMouseUp();
}

// The wheel moves the cursor row as the arrow keys do, so it follows their
// rule: not while the transport plays.
void TPatternView::wheelEvent(QWheelEvent* event) {
  cPatternEditor* editor = part.Editor();
  if (editor == nullptr) return;
  wheelRemainder += event->angleDelta().y();
  const int notches = wheelRemainder / 120;
  wheelRemainder -= notches * 120;
  const int rows = notches * QApplication::wheelScrollLines();
  for (int i = 0; i < std::abs(rows); ++i) editor->AppMsgPattern(cKey{rows > 0 ? kVkUp : kVkDown});
  event->accept();
}
