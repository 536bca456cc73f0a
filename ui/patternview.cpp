#include "ui/patternview.h"

#include <QApplication>
#include <QMouseEvent>
#include <QWheelEvent>

#include "editor/patterneditor.h"
#include "editor/patterntext.h"
#include "ui/patterneditorpart.h"

TPatternView::TPatternView(TPatternEditorPart& p, QWidget* parent) : TTextView(parent), part(p) {
  setObjectName("PatternView");
  // The row numbers and one channel; the header, five rows and the bar.
  setMinimumSize(kRowNumberChars * kCharWidth + kChannelWidth, 7 * kLineHeight);
  setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Expanding);
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
