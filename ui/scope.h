#pragma once
// The channel scope of the main window: the last rendered block of every
// audible channel side by side, each with its number. A left click mutes or
// unmutes a channel (or, while one is soloed, keeps it and the clicked one),
// a right click solos it or opens every channel again. The picture is drawn
// by cScope at the screen's pixel ratio and copied whole.

#include <QWidget>

#include "editor/scope.h"
#include "ui/songpart.h"

class TScopeView : public QWidget, public TSongPart {
  Q_OBJECT

 public:
  // Puts itself into the slot's layout.
  explicit TScopeView(QWidget* slot);

  void Attach(cTracker& tracker) override;
  void SongChanged(eSongChange reason) override;
  // Timer2: copies the song's traces through the controller's snapshot,
  // which takes the engine lock itself; the paint draws after, when they
  // changed.
  void RefreshDisplay();

  const cScope& Scope() const { return scope; }
  // The image pixels per logical pixel the picture is drawn at.
  qreal PixelRatio() const { return ratio; }

 protected:
  void paintEvent(QPaintEvent* event) override;
  void resizeEvent(QResizeEvent* event) override;
  void mousePressEvent(QMouseEvent* event) override;

 private:
  void Fit();
  void Capture();

  cTracker* tracker = nullptr;
  cScope scope;
  qreal ratio = 1.0;
  bool drawPending = false;
};
