#pragma once
// The sequence view (Image1): the song's order list as the pattern editor
// draws it, 184 x 144 pixels at the screen's pixel ratio. Clicks edit the
// entries and the song range; while the transport plays the cursor follows
// the song position.

#include <QWidget>

#include "ui/textimage.h"

class TPatternEditorPart;

class TSequenceView : public QWidget {
 public:
  TSequenceView(TPatternEditorPart& part, QWidget* parent);

  TTextImage& Canvas() { return canvas; }
  void ShowDrawn();


 protected:
  void paintEvent(QPaintEvent* event) override;
  void showEvent(QShowEvent* event) override;
  void mousePressEvent(QMouseEvent* event) override;

 private:
  void FitPicture();

  TPatternEditorPart& part;
  TTextImage canvas;
};
