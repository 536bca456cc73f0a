#pragma once
// The lower area's pages with a side panel at their right (the instrument
// list). The panel gives way first: while the pages would get less than the
// width they want, it is folded away, and it comes back as the window grows
// again, unless the musician folded it with the handle.

#include <QSplitter>

class TSideSplit : public QSplitter {
  Q_OBJECT

 public:
  TSideSplit(QWidget* pages, QWidget* side, QWidget* parent);

  // The width below which the pages would scroll (their widest page).
  void SetPagesWidth(int width);
  bool SideShown() const { return sizes().value(1) > 0; }

 protected:
  void resizeEvent(QResizeEvent* event) override;

 private:
  void Arrange();

  int pagesWidth = 0;
  int sideWidth = 0;          // what the panel had when last shown
  bool foldedByHand = false;  // the musician dragged it shut
  bool arranging = false;
};
