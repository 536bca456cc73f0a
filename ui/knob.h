#pragma once
// The rotary knob: an integer between Min and Max, turned by dragging the
// mouse vertically or by the wheel (one step a notch), painted as a drawn
// dial or as one tile of a film strip. Every change of its value, by the
// user or by a program, raises OnChange. Its value shows as a tooltip
// ("Attack: 30 ms", the caption being its tool tip) on hover and while it
// turns, and screen readers see it as a dial with that value.

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
  using TValueText = std::function<QString(int value)>;

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
  // How the value is worded ("30 ms"); the plain number without it.
  void SetValueText(TValueText text) { valueText = std::move(text); }
  QString ValueText() const;
  // What a double click turns the knob to; without it a double click is a
  // second click.
  void SetDefaultValue(std::function<int()> value) { defaultValue = std::move(value); }

 protected:
  bool event(QEvent* event) override;
  void paintEvent(QPaintEvent* event) override;
  void mousePressEvent(QMouseEvent* event) override;
  void mouseMoveEvent(QMouseEvent* event) override;
  void mouseReleaseEvent(QMouseEvent* event) override;
  void mouseDoubleClickEvent(QMouseEvent* event) override;
  void wheelEvent(QWheelEvent* event) override;

 private:
  void KnobChange();
  void UpdatePosition(QPoint pointer);
  void PointerToAnchor();
  void ShowValueTip(QPoint at);

  cKnobModel model;
  TMarkStyle markStyle = msLine;
  QColor faceColor;
  QColor tickColor = Qt::black;
  bool allowUserDrag = true;
  TKnobChangeEvent onChange;
  TValueText valueText;
  std::function<int()> defaultValue;
  int wheelRest = 0;  // eighths of a degree the wheel turned short of a notch
  const QPixmap* graphics = nullptr;
  bool dragging = false;
  QPoint anchor;    // screen position where the drag began
  QPoint lastSeen;  // where the platform cannot move the pointer back
  bool pointerMovable = true;
};

// The knobs' film strip, drawn here at the screen's pixel ratio: 63 tiles of
// 25 x 25 logical pixels, from the minimum (tile 0) to the maximum (tile 62).
QPixmap MakeKnobStrip(qreal devicePixelRatio);
