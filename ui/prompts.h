#pragma once
// What the window asks the user and tells them: message boxes and file
// dialogs in the program, a script in the tests.

#include <QString>
#include <QStringList>

#include "editor/unsavedsong.h"

class QWidget;

class TPrompts {
 public:
  virtual ~TPrompts() = default;
  // Yes/No; anything but Yes is false.
  virtual bool AskYesNo(QWidget* parent, const QString& title, const QString& text) = 0;
  // Save, Discard or Cancel, Save the default; closing the box cancels.
  virtual eUnsavedAnswer AskSaveDiscard(QWidget* parent, const QString& title,
                                        const QString& text) = 0;
  // Yes/No with Yes the default button, for an offer the user most likely
  // wants; anything but Yes is false.
  virtual bool Propose(QWidget* parent, const QString& title, const QString& text) = 0;
  // One of the items (shown in their order, the first one chosen at
  // first): its index, or -1 when cancelled.
  virtual int ChooseItem(QWidget* parent, const QString& title, const QString& label,
                         const QStringList& items) = 0;
  virtual void Inform(QWidget* parent, const QString& title, const QString& text) = 0;
  // The chosen file, or empty when cancelled. filter is a Qt name filter.
  virtual QString OpenFileName(QWidget* parent, const QString& title, const QString& folder,
                               const QString& filter) = 0;
  // Asks before overwriting. suggested is a folder or a full path; a name
  // typed without an extension gets defaultSuffix.
  virtual QString SaveFileName(QWidget* parent, const QString& title, const QString& suggested,
                               const QString& filter, const QString& defaultSuffix) = 0;
  // A fatal error: the box titled "System", then the program ends.
  virtual void Fatal(const QString& text) = 0;
};

class TQtPrompts : public TPrompts {
 public:
  bool AskYesNo(QWidget* parent, const QString& title, const QString& text) override;
  eUnsavedAnswer AskSaveDiscard(QWidget* parent, const QString& title,
                                const QString& text) override;
  bool Propose(QWidget* parent, const QString& title, const QString& text) override;
  int ChooseItem(QWidget* parent, const QString& title, const QString& label,
                 const QStringList& items) override;
  void Inform(QWidget* parent, const QString& title, const QString& text) override;
  QString OpenFileName(QWidget* parent, const QString& title, const QString& folder,
                       const QString& filter) override;
  QString SaveFileName(QWidget* parent, const QString& title, const QString& suggested,
                       const QString& filter, const QString& defaultSuffix) override;
  void Fatal(const QString& text) override;
};
