#pragma once
// The rotary knob's value and picture arithmetic: clamping, the mark's angle
// and line, the film-strip tile. The widget paints what this computes.

#include <cstdint>

int ConstrainValue(int min, int max, int value);

struct cKnobLine {
  int x1, y1, x2, y2;
};

class cKnobModel {
 public:
  // Each returns true when Position changed, which is when OnChange is
  // raised: a drag past the maximum raises nothing.
  bool SetCurValue(int value);
  bool DeltaCurValue(int delta);
  // Accepted only for n > 1.
  void SetNumTile(int n);

  // 0 at Min, 1 at Max; 0 when Max equals Min.
  double Fraction() const;
  // Radians, clockwise from straight up: -3pi/4 at Min, 3pi/4 at Max.
  double Angle() const;
  // The line mark of a w x h dial, from a quarter to three eighths out.
  cKnobLine MarkLine(int w, int h) const;
  // The film-strip tile that shows the value.
  int TileIndex() const;

  int position = 0;
  int max = 100;
  int min = 0;
  int numTile = 63;
};
