#include "ui/sequenceview.h"

#include <QMouseEvent>
#include <QPaintEvent>
#include <QPainter>

#include "editor/patterneditor.h"
#include "ui/mainform.h"
#include "ui/patterneditorpart.h"

TSequenceView::TSequenceView(TPatternEditorPart& p, QWidget* parent) : QWidget(parent), part(p) {
  setObjectName("SequenceView");
  setAttribute(Qt::WA_OpaquePaintEvent);
  // A click here takes the focus from a text field, and with it the keys.
  setFocusPolicy(Qt::ClickFocus);
  setFixedSize(kSequenceWidth, kSequenceHeight);
  setToolTip(
      "A digit: left click raises it, right click lowers it.\n"
      "A channel: left click steps skip, play, release, cut; right click back.");
  canvas.Resize(kSequenceWidth, kSequenceHeight, devicePixelRatioF());
}

void TSequenceView::ShowDrawn() {
  const QRect drawn = canvas.TakeDirty();
  if (!drawn.isEmpty()) update(drawn);
}

// A screen of another scale: a new picture, drawn in full.
void TSequenceView::FitPicture() {
  if (canvas.Ratio() == devicePixelRatioF()) return;
  canvas.Resize(kSequenceWidth, kSequenceHeight, devicePixelRatioF());
  part.SequenceResized();
  update();
}

void TSequenceView::showEvent(QShowEvent*) { FitPicture(); }

void TSequenceView::paintEvent(QPaintEvent* event) {
  if (canvas.Ratio() != devicePixelRatioF())
    QMetaObject::invokeMethod(
        this, [this] { FitPicture(); }, Qt::QueuedConnection);
  QPainter painter(this);
  const qreal ratio = canvas.Ratio();
  for (const QRect& r : event->region()) {
    const QRectF source(r.x() * ratio, r.y() * ratio, r.width() * ratio, r.height() * ratio);
    painter.drawImage(QRectF(r), canvas.Image(), source);
  }
}

void TSequenceView::mousePressEvent(QMouseEvent* event) {
  cPatternEditor* editor = part.Editor();
  if (editor == nullptr) return;
  int button = 0;
  switch (event->button()) {
    case Qt::LeftButton:
      button = kButtonLeft;
      break;
    case Qt::RightButton:
      button = kButtonRight;
      break;
    case Qt::MiddleButton:
      button = kButtonMiddle;
      break;
    default:
      return;
  }
  const QPoint at = event->position().toPoint();
  editor->SequenceMouseDown(at.x(), at.y(), button);
}
