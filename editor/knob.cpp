#include "editor/knob.h"

#include <cmath>
#include <numbers>

int ConstrainValue(int min, int max, int value) {
  if (value > max) return max;
  if (value < min) return min;
  return value;
}

bool cKnobModel::SetCurValue(int value) {
  if (value == position) return false;
  const int constrained = ConstrainValue(min, max, value);
  if (constrained == position) return false;
  position = constrained;
  return true;
}

bool cKnobModel::DeltaCurValue(int delta) {
  if (delta == 0) return false;
  // In 64 bits: a long drag must not wrap past the maximum.
  const int64_t wanted = int64_t(position) + delta;
  const int constrained = wanted > max ? max : (wanted < min ? min : int(wanted));
  if (constrained == position) return false;
  position = constrained;
  return true;
}

void cKnobModel::SetNumTile(int n) {
  if (n > 1) numTile = n;
}

double cKnobModel::Fraction() const {
  if (max == min) return 0.0;
  return double(position - min) / double(max - min);
}

double cKnobModel::Angle() const {
  return Fraction() * 3.0 * std::numbers::pi / 2.0 - 3.0 * std::numbers::pi / 4.0;
}

cKnobLine cKnobModel::MarkLine(int w, int h) const {
  const double a = Angle();
  const int halfW = w / 2, halfH = h / 2;
  const int quarterW = 2 * (w / 8), quarterH = 2 * (h / 8);
  const int outerW = halfW - w / 8, outerH = halfH - h / 8;
  return cKnobLine{int(std::lround(halfW + quarterW * std::sin(a))),
                   int(std::lround(halfH - quarterH * std::cos(a))),
                   int(std::lround(halfW + outerW * std::sin(a))),
                   int(std::lround(halfH - outerH * std::cos(a)))};
}

int cKnobModel::TileIndex() const {
  int index = max == min ? numTile - 1 : int(std::lround(Fraction() * numTile));
  return ConstrainValue(0, numTile - 1, index);
}
