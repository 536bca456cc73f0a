#pragma once
// An envelope picture of the instrument editor: black, the envelope's shape
// in grey with a white outline, a red line where the sustain holds until
// note-off. It paints the shape its owner computed, in logical pixels, so
// it stays crisp at any scale.

#include <QWidget>

#include "editor/envelope.h"

class TEnvelopeView : public QWidget {
  Q_OBJECT

 public:
  // The picture's size in logical pixels, as the shapes are computed for.
  static constexpr int kWidth = 140;
  static constexpr int kHeight = 44;

  explicit TEnvelopeView(QWidget* parent = nullptr);
  void SetShape(const cEnvelopeShape& shape);

 protected:
  void paintEvent(QPaintEvent* event) override;

 private:
  cEnvelopeShape shape{};
  bool hasShape = false;
};
