#pragma once
// The "System Message" window of start-up: a heading and three centred
// lines that the main window writes as the steps go.

#include <QWidget>

class QLabel;

class TFormSystem : public QWidget {
  Q_OBJECT

 public:
  TFormSystem();

  // Sets line 1-3 and repaints at once: start-up runs before the event loop.
  void SetLine(int line, const QString& text);
  QString Line(int line) const;

 private:
  QLabel* Title;
  QLabel* Message[3];
};
