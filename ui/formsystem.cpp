#include "ui/formsystem.h"

#include <QApplication>
#include <QLabel>
#include <QScreen>
#include <QVBoxLayout>

TFormSystem::TFormSystem()
    : QWidget(nullptr, Qt::Tool | Qt::CustomizeWindowHint | Qt::WindowTitleHint) {
  setWindowTitle("System Message");
  auto* layout = new QVBoxLayout(this);
  layout->setContentsMargins(24, 16, 24, 16);
  Title = new QLabel("MURVELON", this);
  QFont heading = Title->font();
  heading.setPointSizeF(heading.pointSizeF() * 2.0);
  heading.setBold(true);
  Title->setFont(heading);
  Title->setAlignment(Qt::AlignCenter);
  layout->addWidget(Title);
  for (QLabel*& line : Message) {
    line = new QLabel(this);
    line->setAlignment(Qt::AlignCenter);
    line->setMinimumWidth(320);
    layout->addWidget(line);
  }
  adjustSize();
  if (QScreen* screen = QGuiApplication::primaryScreen()) {
    move(screen->availableGeometry().center() - rect().center());
  }
}

void TFormSystem::SetLine(int line, const QString& text) {
  if (line < 1 || line > 3) return;
  Message[line - 1]->setText(text);
  Message[line - 1]->repaint();
  QCoreApplication::processEvents(QEventLoop::ExcludeUserInputEvents);
}

QString TFormSystem::Line(int line) const {
  return line >= 1 && line <= 3 ? Message[line - 1]->text() : QString();
}
