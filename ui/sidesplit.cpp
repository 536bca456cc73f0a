#include "ui/sidesplit.h"

TSideSplit::TSideSplit(QWidget* pages, QWidget* side, QWidget* parent)
    : QSplitter(Qt::Horizontal, parent) {
  addWidget(pages);
  addWidget(side);
  setCollapsible(0, false);
  setStretchFactor(0, 1);
  setStretchFactor(1, 0);
  handle(1)->setToolTip("Drag to show, narrow or fold the instrument list");
  connect(this, &QSplitter::splitterMoved, this, [this] {
    if (arranging) return;
    const int side = sizes().value(1);
    foldedByHand = side == 0;
    if (side > 0) sideWidth = side;
  });
}

void TSideSplit::SetPagesWidth(int width) {
  pagesWidth = width;
  Arrange();
}

void TSideSplit::resizeEvent(QResizeEvent* event) {
  QSplitter::resizeEvent(event);
  Arrange();
}

void TSideSplit::Arrange() {
  const int room = width() - handleWidth();
  if (room <= 0) return;
  const bool shown = SideShown();
  if (shown) sideWidth = sizes().value(1);
  if (sideWidth <= 0) sideWidth = widget(1)->sizeHint().width();
  const bool fits = room - sideWidth >= pagesWidth;
  arranging = true;
  if (!fits && shown) setSizes({room, 0});
  if (fits && !shown && !foldedByHand) setSizes({room - sideWidth, sideWidth});
  arranging = false;
}
