#include "ui/appmessage.h"

#include <QAbstractSpinBox>
#include <QApplication>
#include <QComboBox>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QTextEdit>
#include <QWindow>
#include <algorithm>
#include <iterator>

#include "editor/notekeys.h"
#include "ui/patterneditorpart.h"

namespace {

struct cKeyCode {
  int qtKey;
  int vk;
};

// Keys with a name; letters and digits are their own codes.
constexpr cKeyCode kNamedKeys[] = {
    {Qt::Key_Backspace, kVkBack},
    {Qt::Key_Tab, kVkTab},
    {Qt::Key_Backtab, kVkTab},
    {Qt::Key_Return, kVkReturn},
    {Qt::Key_Enter, kVkReturn},
    {Qt::Key_Escape, kVkEscape},
    {Qt::Key_Space, kVkSpace},
    {Qt::Key_PageUp, kVkPrior},
    {Qt::Key_PageDown, kVkNext},
    {Qt::Key_End, kVkEnd},
    {Qt::Key_Home, kVkHome},
    {Qt::Key_Left, kVkLeft},
    {Qt::Key_Up, kVkUp},
    {Qt::Key_Right, kVkRight},
    {Qt::Key_Down, kVkDown},
    {Qt::Key_Insert, kVkInsert},
    {Qt::Key_Delete, kVkDelete},
    {Qt::Key_Comma, kVkOemComma},
    {Qt::Key_Period, kVkOemPeriod},
    {Qt::Key_Backslash, kVkOem5},
};

bool IsModifierKey(int key) {
  switch (key) {
    case Qt::Key_Shift:
    case Qt::Key_Control:
    case Qt::Key_Alt:
    case Qt::Key_AltGr:
    case Qt::Key_Meta:
    case Qt::Key_Super_L:
    case Qt::Key_Super_R:
    case Qt::Key_CapsLock:
    case Qt::Key_NumLock:
      return true;
    default:
      return false;
  }
}

// Keys that act everywhere in the window, also from a text field, which has
// no use for them.
bool ReachesPastTextFields(int key) {
  return key == Qt::Key_Escape || (key >= Qt::Key_F1 && key <= Qt::Key_F12);
}

}  // namespace

cKey KeyOfEvent(const QKeyEvent& event) {
  cKey key;
  key.scanCode = int(event.nativeScanCode());
  const Qt::KeyboardModifiers modifiers = event.modifiers();
  if (modifiers & Qt::ShiftModifier) key.modifiers |= kModShift;
  if (modifiers & Qt::ControlModifier) key.modifiers |= kModCtrl;
  if (modifiers & Qt::AltModifier) key.modifiers |= kModAlt;
  key.repeat = event.isAutoRepeat();

  const int q = event.key();
  if (modifiers & Qt::KeypadModifier) {
    if (q >= Qt::Key_0 && q <= Qt::Key_9) {
      key.vk = kVkNumpad0 + (q - Qt::Key_0);
      return key;
    }
    if (q == Qt::Key_Plus) key.vk = kVkAdd;
    if (q == Qt::Key_Minus) key.vk = kVkSubtract;
    if (q == Qt::Key_Asterisk) key.vk = kVkMultiply;
    if (q == Qt::Key_Slash) key.vk = kVkDivide;
    if (key.vk != 0) return key;
  }
  if ((q >= Qt::Key_A && q <= Qt::Key_Z) || (q >= Qt::Key_0 && q <= Qt::Key_9)) {
    key.vk = q;
  } else if (q >= Qt::Key_F1 && q <= Qt::Key_F12) {
    key.vk = kVkF1 + (q - Qt::Key_F1);
  } else {
    const auto* named = std::find_if(std::begin(kNamedKeys), std::end(kNamedKeys),
                                     [q](const cKeyCode& k) { return k.qtKey == q; });
    if (named != std::end(kNamedKeys)) {
      key.vk = named->vk;
    } else {
      // A symbol on the digit row (AZERTY's unshifted level, any shifted
      // digit) is still that digit for hex entry.
      key.vk = DigitRowVk(key.scanCode);
    }
  }
  return key;
}

bool IsTextField(const QWidget* widget) {
  if (widget == nullptr) return false;
  if (qobject_cast<const QAbstractSpinBox*>(widget) != nullptr) return true;
  if (qobject_cast<const QLineEdit*>(widget) != nullptr) return true;
  if (qobject_cast<const QTextEdit*>(widget) != nullptr) return true;
  if (qobject_cast<const QPlainTextEdit*>(widget) != nullptr) return true;
  const auto* combo = qobject_cast<const QComboBox*>(widget);
  return combo != nullptr && combo->isEditable();
}

TAppMessage::TAppMessage(TPatternEditorPart& p, QObject* parent) : QObject(parent), part(p) {}

bool TAppMessage::eventFilter(QObject* watched, QEvent* event) {
  switch (event->type()) {
    case QEvent::KeyPress:
      return KeyPress(watched, *static_cast<QKeyEvent*>(event));
    case QEvent::KeyRelease:
      KeyRelease(watched, *static_cast<QKeyEvent*>(event));
      return false;
    case QEvent::MouseButtonPress:
    case QEvent::MouseButtonRelease:
      SpinBoxClick(watched, *event);
      return false;
    // Another window or a dialog takes the keyboard, and the releases of
    // the keys held now with it.
    case QEvent::WindowDeactivate:
      if (watched == part.Window()) part.KeyboardLost();
      return false;
    default:
      return false;
  }
}

bool TAppMessage::ForTheEditor(QObject* watched, const QKeyEvent& event) const {
  QWidget* window = part.Window();
  if (part.Editor() == nullptr || window == nullptr) return false;
  // A menu bar walked with the keyboard grabs them.
  if (QApplication::activeWindow() != window || QApplication::activeModalWidget() != nullptr ||
      QApplication::activePopupWidget() != nullptr || QWidget::keyboardGrabber() != nullptr)
    return false;
  // The window's own delivery comes once per key, before any control: a
  // key that a control does not take goes on to its parents, and this
  // filter would see it again for each of them.
  return watched == window->windowHandle() && !IsModifierKey(event.key());
}

bool TAppMessage::KeyPress(QObject* watched, QKeyEvent& event) {
  if (!ForTheEditor(watched, event)) return false;
  QWidget* focus = QApplication::focusWidget();
  // Alt chords belong to the menus.
  if (event.modifiers() & Qt::AltModifier) return false;
  if (IsTextField(focus)) {
    if (!ReachesPastTextFields(event.key())) return false;
    if (event.key() == Qt::Key_Escape) focus->clearFocus();
  }
  const cKey key = KeyOfEvent(event);
  if (QLabel* label = part.KeyCodeLabel())
    label->setText(QString("%1").arg(key.vk, 4, 16, QLatin1Char('0')).toUpper());
  return part.AppMessage(key);
}

// A release is never taken from the controls; it reaches the editor also
// when a text field has the focus, so that a note previewed before a click
// into the field still stops with its key.
void TAppMessage::KeyRelease(QObject* watched, const QKeyEvent& event) {
  if (ForTheEditor(watched, event)) part.KeyUp(KeyOfEvent(event));
}

// A click on a spin box's arrows changes the value and leaves the keys with
// the pattern editor: a musician who steps the octave up goes on playing.
// A click into the number takes the keys for typing.
void TAppMessage::SpinBoxClick(QObject* watched, QEvent& event) {
  if (event.type() == QEvent::MouseButtonPress) {
    // A press on the number goes to the box's line edit; the box itself
    // gets the presses on its arrows.
    auto* box = qobject_cast<QAbstractSpinBox*>(watched);
    if (box != nullptr && box->window() == part.Window()) arrowClick = box;
    return;
  }
  if (arrowClick != nullptr && watched == arrowClick) {
    // After the box has seen the release and stopped stepping.
    QMetaObject::invokeMethod(
        arrowClick.data(),
        [box = arrowClick] {
          if (box != nullptr && box->hasFocus()) box->clearFocus();
        },
        Qt::QueuedConnection);
    arrowClick = nullptr;
  }
}
