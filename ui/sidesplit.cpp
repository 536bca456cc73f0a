#include "ui/sidesplit.h"

#include <QStackedWidget>

TSideSplit::TSideSplit(QStackedWidget* pages, QWidget* side, QWidget* parent)
    : QSplitter(Qt::Horizontal, parent), pages(pages) {
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
  connect(pages, &QStackedWidget::currentChanged, this, [this] { Arrange(); });
}

void TSideSplit::SetPageWidth(int page, int width) {
  if (page < 0) return;
  if (size_t(page) >= pageWidths.size()) pageWidths.resize(size_t(page) + 1, 0);
  pageWidths[size_t(page)] = width;
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
  const size_t page = size_t(pages->currentIndex());
  const int wanted = page < pageWidths.size() ? pageWidths[page] : 0;
  const bool fits = room - sideWidth >= wanted;
  arranging = true;
  if (!fits && shown) setSizes({room, 0});
  if (fits && !shown && !foldedByHand) setSizes({room - sideWidth, sideWidth});
  arranging = false;
}
