#pragma once
// The lower area's pages with a side panel at their right (the instrument
// list). The panel gives way first: while the page in view would get less
// than the width it wants, the panel is folded away, and it comes back as
// the window grows or another page shows, unless the musician folded it
// with the handle.

#include <QSplitter>
#include <vector>

class QStackedWidget;

class TSideSplit : public QSplitter {
  Q_OBJECT

 public:
  TSideSplit(QStackedWidget* pages, QWidget* side, QWidget* parent);

  // The width below which the page would scroll or be cut; 0 (the
  // default) for a page that fits any width.
  void SetPageWidth(int page, int width);
  bool SideShown() const { return sizes().value(1) > 0; }

 protected:
  void resizeEvent(QResizeEvent* event) override;

 private:
  void Arrange();

  QStackedWidget* pages;
  std::vector<int> pageWidths;
  int sideWidth = 0;          // what the panel had when last shown
  bool foldedByHand = false;  // the musician dragged it shut
  bool arranging = false;
};
