#pragma once
// The "Effect Commands" window: the command table as a musician reads it,
// one row per command with its bytes, name, what the parameter does and
// who acts on it. Not modal: it stays open beside the pattern while notes
// and commands are typed.

#include <QWidget>

class QTableWidget;

class TFormCommands : public QWidget {
  Q_OBJECT

 public:
  explicit TFormCommands(QWidget* owner);

  // Shows the owner's window, making it the first time, and raises it.
  static TFormCommands* ShowFor(QWidget* owner);

  QTableWidget* Table() { return table; }

 private:
  QTableWidget* table;
};
