#pragma once
// The clip mark beside the spectrum: a red "CLIP" while the output clipped
// in the last two seconds, the button face otherwise. cClipMeter decides;
// this only paints, in logical pixels, so it stays crisp at any scale.

#include <QWidget>

#include "editor/clipmeter.h"

class TClipMark : public QWidget {
  Q_OBJECT

 public:
  explicit TClipMark(QWidget* parent = nullptr);
  // The display timer's call with the mix's running count of samples at
  // full scale; true when the message label should say kClipText now.
  bool Update(uint32_t clippedTotal, bool playing);
  bool Lit() const { return lit; }

 protected:
  void paintEvent(QPaintEvent* event) override;

 private:
  void Show(bool on);

  cClipMeter meter;
  bool lit = false;
};
