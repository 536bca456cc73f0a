// The main window's transport, pages and edit mode, and the global keys
// that reach them from anywhere in the window.

#include <QAction>
#include <QApplication>
#include <QKeyEvent>
#include <QLabel>
#include <QStackedWidget>

#include "app/tracker.h"
#include "ui/mainform.h"
#include "ui/threadedtimer.h"

void TMainForm::Transport(int32_t command) {
  if (!tracker) return;
  tracker->TransportCommand(command);
  int32_t running, interval;
  {
    std::lock_guard<std::recursive_mutex> lock(tracker->EngineLock());
    running = tracker->Player().timer1Running;
    interval = tracker->Player().timer1Interval;
  }
  timers[0]->SetInterval(uint16_t(std::clamp(interval, 1, 65535)));
  timers[0]->SetEnabled(running != 0);
  if (command == kTransportEditMode) ShowEditMode();
}

void TMainForm::PlayClick() { Transport(kTransportPlay); }
void TMainForm::StopClick() { Transport(kTransportStop); }
void TMainForm::ContinueClick() { Transport(kTransportContinue); }
void TMainForm::PlayPatClick() { Transport(kTransportPlayPattern); }
void TMainForm::TB_RecClick() { Transport(kTransportEditMode); }

void TMainForm::TB_PanicClick() {
  if (tracker) tracker->Panic(1);
}

// The restart begins with a new song: unsaved changes are asked about
// first, as every other command that replaces the song does.
bool TMainForm::EngineRestart() {
  if (!tracker || !AskDiscard("Engine Restart")) return false;
  timers[0]->SetEnabled(false);
  tracker->EngineRestart();
  ForgetFileName();
  RedrawAll();
  return true;
}

void TMainForm::ShowEditMode() {
  if (!tracker) return;
  int32_t editMode;
  const char* text;
  {
    std::lock_guard<std::recursive_mutex> lock(tracker->EngineLock());
    editMode = tracker->Player().editMode;
    text = tracker->Player().ModeText();
  }
  panels[1]->setText(text);
  Action("Rec")->setChecked(editMode == 1);
}

// The display-follow interval of the tempo in use, recomputed after a
// change of BPM or speed in the fields.
void TMainForm::RecomputeTimer1() {
  if (!tracker) return;
  const int32_t interval = tracker->Timer1Interval();
  {
    std::lock_guard<std::recursive_mutex> lock(tracker->EngineLock());
    tracker->Player().timer1Interval = interval;
  }
  timers[0]->SetInterval(uint16_t(std::clamp(interval, 1, 65535)));
}

void TMainForm::ShowPage(int page) {
  shownPage = page;
  lowerPanel->setCurrentIndex(page);
  Action("Pattern")->setChecked(page == kPagePattern);
  Action("Synth")->setChecked(page == kPageSynth);
  Action("Chans")->setChecked(page == kPageChans);
}

void TMainForm::TB_PatternClick() { ShowPage(kPagePattern); }
void TMainForm::TB_SynthClick() { ShowPage(kPageSynth); }
void TMainForm::TB_ChansClick() { ShowPage(kPageChans); }

// The window's global keys, seen before any control while the main window
// is the active window: dialogs and text fields keep their own keys.
bool TMainForm::eventFilter(QObject* watched, QEvent* event) {
  if (event->type() != QEvent::KeyPress || !tracker || !started) {
    return QMainWindow::eventFilter(watched, event);
  }
  if (QApplication::activeWindow() != this || QApplication::activeModalWidget() != nullptr)
    return false;
  auto* key = static_cast<QKeyEvent*>(event);
  const bool keypad = key->modifiers() & Qt::KeypadModifier;
  const bool shift = QGuiApplication::queryKeyboardModifiers() & Qt::ShiftModifier;
  switch (key->key()) {
    case Qt::Key_Escape:
      if (shift) {
        EngineRestart();
      } else {
        TB_PanicClick();
      }
      return true;
    case Qt::Key_F7:
      PlayPatClick();
      return true;
    case Qt::Key_F8:
      ContinueClick();
      return true;
    case Qt::Key_F9:
      PlayClick();
      return true;
    case Qt::Key_7:
      if (!keypad) break;
      TB_PatternClick();
      return true;
    case Qt::Key_8:
      if (!keypad) break;
      TB_ChansClick();
      return true;
    case Qt::Key_9:
      if (!keypad) break;
      TB_SynthClick();
      return true;
    default:
      break;
  }
  return false;
}
