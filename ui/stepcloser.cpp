#include "ui/stepcloser.h"

#include <QEvent>
#include <QKeyEvent>

TStepCloser::TStepCloser(std::function<void()> closeStep, QObject* parent)
    : QObject(parent), close(std::move(closeStep)) {
  wheelPause.setSingleShot(true);
  wheelPause.setInterval(kWheelPauseMs);
  connect(&wheelPause, &QTimer::timeout, this, [this] { close(); });
}

bool TStepCloser::eventFilter(QObject* watched, QEvent* event) {
  switch (event->type()) {
    case QEvent::MouseButtonRelease:
    case QEvent::FocusOut:
      close();
      break;
    case QEvent::Wheel:
      wheelPause.start();
      break;
    case QEvent::KeyPress: {
      // A number typed into a field ends with Return, Enter, Tab or Escape.
      const int key = static_cast<QKeyEvent*>(event)->key();
      if (key == Qt::Key_Return || key == Qt::Key_Enter || key == Qt::Key_Tab ||
          key == Qt::Key_Escape)
        close();
      break;
    }
    default:
      break;
  }
  return QObject::eventFilter(watched, event);
}
