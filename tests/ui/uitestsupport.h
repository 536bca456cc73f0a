#pragma once
// The main window in tests: offscreen, on the null device, without the
// clock measurement or the pauses of start-up, with message boxes and file
// dialogs answered by a script.

#include <QApplication>
#include <QMouseEvent>
#include <QTemporaryDir>
#include <QTest>
#include <deque>
#include <fstream>
#include <memory>
#include <string>
#include <vector>

#include "ui/mainform.h"
#include "ui/prompts.h"

// Offscreen Qt for every test of this program.
class TQtEnvironment {
 public:
  static QApplication& App() {
    static int argc = 1;
    static char name[] = "test_ui";
    static char* argv[] = {name, nullptr};
    static QApplication* app = [] {
      qputenv("QT_QPA_PLATFORM", "offscreen");
      return new QApplication(argc, argv);
    }();
    return *app;
  }
};

// Two clicks as the platform sends them: the second press comes as the
// double click.
inline void DoubleClick(QWidget* widget, QPoint at) {
  QTest::mousePress(widget, Qt::LeftButton, Qt::NoModifier, at);
  QTest::mouseRelease(widget, Qt::LeftButton, Qt::NoModifier, at);
  QMouseEvent second(QEvent::MouseButtonDblClick, QPointF(at), widget->mapToGlobal(QPointF(at)),
                     Qt::LeftButton, Qt::LeftButton, Qt::NoModifier);
  QApplication::sendEvent(widget, &second);
  QTest::mouseRelease(widget, Qt::LeftButton, Qt::NoModifier, at);
}

// One wavetable cache for the whole test program: built by the first
// window, read by the others.
inline std::string SharedWavetableCache() {
  static QTemporaryDir folder;
  return folder.filePath("wf_sawt.raw").toStdString();
}

// Answers in order; records what was asked and told.
class TScriptedPrompts : public TPrompts {
 public:
  bool AskYesNo(QWidget*, const QString& title, const QString& text) override {
    asked.push_back((title + ": " + text).toStdString());
    if (answers.empty()) return false;
    const bool yes = answers.front();
    answers.pop_front();
    return yes;
  }
  // The next of saveAnswers; without one, the next yes/no answer with Yes
  // as Discard (the question's Yes before it offered Save).
  eUnsavedAnswer AskSaveDiscard(QWidget*, const QString& title, const QString& text) override {
    asked.push_back((title + ": " + text).toStdString());
    if (!saveAnswers.empty()) {
      const eUnsavedAnswer answer = saveAnswers.front();
      saveAnswers.pop_front();
      return answer;
    }
    if (answers.empty()) return eUnsavedAnswer::kCancel;
    const bool yes = answers.front();
    answers.pop_front();
    return yes ? eUnsavedAnswer::kDiscard : eUnsavedAnswer::kCancel;
  }
  bool Propose(QWidget* parent, const QString& title, const QString& text) override {
    return AskYesNo(parent, title, text);
  }
  int ChooseItem(QWidget*, const QString& title, const QString&,
                 const QStringList& items) override {
    offered.push_back((title + ": " + items.join(" | ")).toStdString());
    if (choices.empty()) return -1;
    const int choice = choices.front();
    choices.pop_front();
    return choice;
  }
  void Inform(QWidget*, const QString& title, const QString& text) override {
    told.push_back((title + ": " + text).toStdString());
  }
  QString OpenFileName(QWidget*, const QString&, const QString&, const QString&) override {
    return NextFile();
  }
  QString SaveFileName(QWidget*, const QString&, const QString& suggestion, const QString&,
                       const QString&) override {
    suggested.push_back(suggestion.toStdString());
    return NextFile();
  }
  void Fatal(const QString& text) override { fatal.push_back(text.toStdString()); }

  std::deque<bool> answers;
  std::deque<eUnsavedAnswer> saveAnswers;
  std::deque<QString> files;
  std::deque<int> choices;           // for ChooseItem
  std::vector<std::string> offered;  // what ChooseItem listed
  std::vector<std::string> asked, told, fatal;
  std::vector<std::string> suggested;  // the save dialogs' proposed paths

 private:
  QString NextFile() {
    if (files.empty()) return {};
    QString f = files.front();
    files.pop_front();
    return f;
  }
};

// A started main window. The settings file holds the given lines after the
// quiet defaults (null device, no clock measurement).
class TWindowFixture {
 public:
  explicit TWindowFixture(const std::string& extraSettings = {}, const std::string& song = {}) {
    TQtEnvironment::App();
    const std::string ini = folder.filePath("murvelon.ini").toStdString();
    std::ofstream(ini) << "[DirectSound]\nDevice=null\n[Tracker]\nCPUcalc=0\n" << extraSettings;
    options.iniPath = ini;
    options.songPath = song;
    options.paths.songs = folder.filePath("Songs").toStdString();
    options.paths.wavetables = SharedWavetableCache();
    options.quickStart = true;
    options.prompts = &prompts;
    form = std::make_unique<TMainForm>(options);
    form->FormShow();
  }
  ~TWindowFixture() { form.reset(); }

  TMainForm& Form() { return *form; }
  cTracker& Tracker() { return *form->Tracker(); }
  QString Path(const char* name) const { return folder.filePath(name); }

  TScriptedPrompts prompts;
  QTemporaryDir folder;
  cStartOptions options;
  std::unique_ptr<TMainForm> form;
};
