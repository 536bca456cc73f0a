#pragma once
// The sequence view (Image1): the song's order list as the pattern editor
// draws it, 184 x 144 pixels at the screen's pixel ratio. Clicks edit the
// entries and the song range; while the transport plays the cursor follows
// the song position.

#include "ui/textview.h"

class TPatternEditorPart;

class TSequenceView : public TTextView {
 public:
  TSequenceView(TPatternEditorPart& part, QWidget* parent);

 protected:
  void mousePressEvent(QMouseEvent* event) override;

 private:
  void FitPicture() override;

  TPatternEditorPart& part;
};
