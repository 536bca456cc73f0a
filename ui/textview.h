#pragma once
// A widget that shows a text picture the pattern editor draws: the picture
// is copied one device pixel to one screen pixel, only where it was drawn,
// and made anew when the widget moves to a screen of another scale.

#include <QWidget>

#include "ui/textimage.h"

class TTextView : public QWidget {
 public:
  TTextImage& Canvas() { return canvas; }
  // Shows what the editor drew since the last call.
  void ShowDrawn();

 protected:
  explicit TTextView(QWidget* parent);
  void paintEvent(QPaintEvent* event) override;
  void showEvent(QShowEvent* event) override;
  // A new size or pixel ratio: a new picture, laid out and drawn again.
  virtual void FitPicture() = 0;

  TTextImage canvas;
};
