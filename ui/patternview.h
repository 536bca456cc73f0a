#pragma once
// The pattern view (Image2): the picture the pattern editor draws, shown at
// the screen's pixel ratio, growing with the window. Presses and drags on it
// go to the editor; while the transport plays it follows the playing row.

#include <QWidget>

#include "ui/textimage.h"

class TPatternEditorPart;

class TPatternView : public QWidget {
 public:
  TPatternView(TPatternEditorPart& part, QWidget* parent);

  TTextImage& Canvas() { return canvas; }
  // Shows what the editor drew since the last call.
  void ShowDrawn();


 protected:
  void paintEvent(QPaintEvent* event) override;
  void resizeEvent(QResizeEvent* event) override;
  void showEvent(QShowEvent* event) override;
  void mousePressEvent(QMouseEvent* event) override;
  void mouseMoveEvent(QMouseEvent* event) override;
  void mouseReleaseEvent(QMouseEvent* event) override;
  void wheelEvent(QWheelEvent* event) override;

 private:
  // A new size or pixel ratio: a new picture, laid out and drawn again.
  void FitPicture();

  TPatternEditorPart& part;
  TTextImage canvas;
  int wheelRemainder = 0;  // eighths of a degree not yet turned into rows
};
