#include "ui/sequenceview.h"

#include <QMouseEvent>

#include "editor/patterneditor.h"
#include "ui/patterneditorpart.h"

TSequenceView::TSequenceView(TPatternEditorPart& p, QWidget* parent) : TTextView(parent), part(p) {
  setObjectName("SequenceView");
  setFixedSize(kSequenceWidth, kSequenceHeight);
  setToolTip(
      "A digit: left click raises it, right click lowers it.\n"
      "A channel: left click steps skip, play, release, cut; right click back.");
  canvas.Resize(kSequenceWidth, kSequenceHeight, devicePixelRatioF());
}

// A screen of another scale: a new picture, drawn in full.
void TSequenceView::FitPicture() {
  if (canvas.Ratio() == devicePixelRatioF()) return;
  canvas.Resize(kSequenceWidth, kSequenceHeight, devicePixelRatioF());
  part.SequenceResized();
  update();
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
