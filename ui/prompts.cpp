#include "ui/prompts.h"

#include <QApplication>
#include <QFileDialog>
#include <QMessageBox>
#include <cstdio>
#include <cstdlib>

bool TQtPrompts::AskYesNo(QWidget* parent, const QString& title, const QString& text) {
  return QMessageBox::question(parent, title, text, QMessageBox::Yes | QMessageBox::No,
                               QMessageBox::No) == QMessageBox::Yes;
}

void TQtPrompts::Inform(QWidget* parent, const QString& title, const QString& text) {
  QMessageBox::warning(parent, title, text, QMessageBox::Ok);
}

QString TQtPrompts::OpenFileName(QWidget* parent, const QString& title, const QString& folder,
                                 const QString& filter) {
  return QFileDialog::getOpenFileName(parent, title, folder, filter);
}

QString TQtPrompts::SaveFileName(QWidget* parent, const QString& title, const QString& suggested,
                                 const QString& filter, const QString& defaultSuffix) {
  QFileDialog dialog(parent, title, suggested, filter);
  dialog.setAcceptMode(QFileDialog::AcceptSave);
  dialog.setDefaultSuffix(defaultSuffix);
  if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty()) return {};
  return dialog.selectedFiles().first();
}

void TQtPrompts::Fatal(const QString& text) {
  std::fprintf(stderr, "System: %s\n", text.toLocal8Bit().constData());
  QMessageBox::critical(nullptr, "System", text, QMessageBox::Ok);
  std::exit(EXIT_FAILURE);
}
