#pragma once
// The application-wide key filter: every key press in the main window
// reaches the pattern editor before any control sees it (and every release
// after it), as a cKey (the
// virtual-key code of the printed key, the physical key's scan code and the
// modifiers). It acts only while the main window is the active window and
// nothing modal or popped up is in front of it; a focused text field keeps
// every key but the function keys and Escape, so that a number or a file
// name typed there never plays or enters notes.

#include <QObject>
#include <QPointer>

#include "editor/keys.h"

class QAbstractSpinBox;
class QKeyEvent;
class QWidget;
class TPatternEditorPart;

// The editors' view of a key event; vk 0 for keys they have no code for.
cKey KeyOfEvent(const QKeyEvent& event);

// A control that takes typed text: spin boxes, line and text edits,
// editable combo boxes.
bool IsTextField(const QWidget* widget);

class TAppMessage : public QObject {
 public:
  TAppMessage(TPatternEditorPart& part, QObject* parent);

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  // The key event is the main window's own delivery, while the window is
  // in front and nothing grabs the keys.
  bool ForTheEditor(QObject* watched, const QKeyEvent& event) const;
  bool KeyPress(QObject* watched, QKeyEvent& event);
  void KeyRelease(QObject* watched, const QKeyEvent& event);
  void SpinBoxClick(QObject* watched, QEvent& event);

  TPatternEditorPart& part;
  QPointer<QAbstractSpinBox> arrowClick;  // a spin box pressed on its arrows
};
