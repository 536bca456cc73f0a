#include "ui/prompts.h"

#include <QApplication>
#include <QFileDialog>
#include <QInputDialog>
#include <QListView>
#include <QMessageBox>
#include <QPushButton>
#include <cstdio>
#include <cstdlib>

bool TQtPrompts::AskYesNo(QWidget* parent, const QString& title, const QString& text) {
  return QMessageBox::question(parent, title, text, QMessageBox::Yes | QMessageBox::No,
                               QMessageBox::No) == QMessageBox::Yes;
}

// The buttons say Save and Discard whatever the desktop style calls them.
eUnsavedAnswer TQtPrompts::AskSaveDiscard(QWidget* parent, const QString& title,
                                          const QString& text) {
  QMessageBox box(QMessageBox::Question, title, text,
                  QMessageBox::Save | QMessageBox::Discard | QMessageBox::Cancel, parent);
  box.setDefaultButton(QMessageBox::Save);
  box.setEscapeButton(QMessageBox::Cancel);
  box.button(QMessageBox::Save)->setText("Save");
  box.button(QMessageBox::Discard)->setText("Discard");
  box.button(QMessageBox::Cancel)->setText("Cancel");
  switch (box.exec()) {
    case QMessageBox::Save:
      return eUnsavedAnswer::kSave;
    case QMessageBox::Discard:
      return eUnsavedAnswer::kDiscard;
    default:
      return eUnsavedAnswer::kCancel;
  }
}

bool TQtPrompts::Propose(QWidget* parent, const QString& title, const QString& text) {
  return QMessageBox::question(parent, title, text, QMessageBox::Yes | QMessageBox::No,
                               QMessageBox::Yes) == QMessageBox::Yes;
}

int TQtPrompts::ChooseItem(QWidget* parent, const QString& title, const QString& label,
                           const QStringList& items) {
  QInputDialog dialog(parent);
  dialog.setWindowTitle(title);
  dialog.setLabelText(label);
  dialog.setOption(QInputDialog::UseListViewForComboBoxItems);
  dialog.setComboBoxItems(items);
  if (!items.isEmpty()) dialog.setTextValue(items.first());
  for (QListView* list : dialog.findChildren<QListView*>()) list->setAccessibleName(label);
  if (dialog.exec() != QDialog::Accepted) return -1;
  return int(items.indexOf(dialog.textValue()));
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
