#pragma once
// The spectrum analyser's picture: 15 bars in a 96 x 24 area, black on the
// button face, painted in logical pixels so it stays crisp at any scale.

#include <QWidget>
#include <array>

#include "editor/analyser.h"

class TSpectrumView : public QWidget {
  Q_OBJECT

 public:
  explicit TSpectrumView(QWidget* parent = nullptr);
  void SetHeights(const cSpectrum& spectrum);
  void Clear();
  int Height(int bar) const { return heights[size_t(bar)]; }

 protected:
  void paintEvent(QPaintEvent* event) override;

 private:
  std::array<int, cSpectrum::kBars> heights{};
};
