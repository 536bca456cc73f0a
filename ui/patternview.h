#pragma once
// The pattern view (Image2): the picture the pattern editor draws, shown at
// the screen's pixel ratio, growing with the window. Presses and drags on it
// go to the editor; while the transport plays it follows the playing row.

#include "ui/textview.h"

class TPatternEditorPart;

class TPatternView : public TTextView {
 public:
  TPatternView(TPatternEditorPart& part, QWidget* parent);

 protected:
  void resizeEvent(QResizeEvent* event) override;
  void mousePressEvent(QMouseEvent* event) override;
  void mouseMoveEvent(QMouseEvent* event) override;
  void mouseReleaseEvent(QMouseEvent* event) override;
  void wheelEvent(QWheelEvent* event) override;

 private:
  void FitPicture() override;

  TPatternEditorPart& part;
  int wheelRemainder = 0;  // eighths of a degree not yet turned into rows
};
