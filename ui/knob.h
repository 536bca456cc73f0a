#pragma once
// The rotary knob: an integer between Min and Max, turned by dragging the
// mouse vertically, painted as a drawn dial or as one tile of a film strip.
// Every change of its value, by the user or by a program, raises OnChange.

#include <QColor>
#include <QPoint>
#include <QWidget>
#include <functional>

#include "editor/knob.h"

class QPixmap;

enum TMarkStyle { msLine = 0, msCircle = 1 };

class TmKnob : public QWidget {
  Q_OBJECT

 public:
  using TKnobChangeEvent = std::function<void(TmKnob* knob, int value)>;

  explicit TmKnob(QWidget* parent = nullptr);

  int Position() const { return model.position; }
  int Max() const { return model.max; }
  int Min() const { return model.min; }
  int NumTile() const { return model.numTile; }
  TMarkStyle MarkStyle() const { return markStyle; }
  bool AllowUserDrag() const { return allowUserDrag; }
  bool Dragging() const { return dragging; }

  void SetCurValue(int value);
  void DeltaCurValue(int delta);
  // Position is not held to the new bounds.
  void SetMaxValue(int value);
  void SetMin(int value) { model.min = value; }
  void SetNumTile(int n);
  void SetMarkStyle(TMarkStyle style);
  void SetTickColor(const QColor& color);
  void SetColor(const QColor& color);
  void SetDrag(bool allow);
  // Paints from the strip (not owned; it must outlive the knob): the knob
  // takes one tile's size, the strip's width / 63 by its height.
  void SetGfxData(const QPixmap* strip);
  void SetOnChange(TKnobChangeEvent handler) { onChange = std::move(handler); }

 protected:
  void paintEvent(QPaintEvent* event) override;
  void mousePressEvent(QMouseEvent* event) override;
  void mouseMoveEvent(QMouseEvent* event) override;
  void mouseReleaseEvent(QMouseEvent* event) override;

 private:
  void KnobChange();
  void UpdatePosition(QPoint pointer);
  void PointerToAnchor();

  cKnobModel model;
  TMarkStyle markStyle = msLine;
  QColor faceColor;
  QColor tickColor = Qt::black;
  bool allowUserDrag = true;
  TKnobChangeEvent onChange;
  const QPixmap* graphics = nullptr;
  bool dragging = false;
  QPoint anchor;    // screen position where the drag began
  QPoint lastSeen;  // where the platform cannot move the pointer back
  bool pointerMovable = true;
};

// The knobs' film strip, drawn here at the screen's pixel ratio: 63 tiles of
// 25 x 25 logical pixels, from the minimum (tile 0) to the maximum (tile 62).
QPixmap MakeKnobStrip(qreal devicePixelRatio);
