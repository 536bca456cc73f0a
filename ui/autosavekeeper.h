#pragma once
// The window's side of autosave: a copy of the modified song every so
// often, the restore question at start, File > "Open Autosave...", and an
// end the user did not ask for (SIGTERM, SIGHUP, SIGINT from a terminal,
// the window destroyed from outside, the display gone): a copy of a
// modified song first, and the session's marker stays so that the next
// start offers it back.

#include <QObject>
#include <QString>
#include <QTimer>
#include <memory>
#include <string>

#include "app/autosave.h"

class QAbstractNativeEventFilter;
class QSocketNotifier;
class TMainForm;

class TAutosaveKeeper : public QObject {
  Q_OBJECT

 public:
  // stateFolder empty or seconds 0: no copies, no marker, no question.
  TAutosaveKeeper(TMainForm& form, const std::string& stateFolder, int32_t seconds);
  ~TAutosaveKeeper() override;

  // After start-up: the marker, the restore question, the timer, the
  // signals and the watch on the window.
  void Start();
  // The window's end: the marker goes, unless an end nobody asked for
  // left unsaved work behind.
  void End();
  // An end nobody asked for: a copy of a modified song, then the event
  // loop ends with status (none when status is below 0: the process is
  // ending already).
  void EndUnasked(int status);
  // File > "Open Autosave...": the copies, newest first, one of them
  // loaded as a modified song.
  bool OpenAutosaveClick();

  cAutosave& Autosave() { return autosave; }
  // Tests: one pass of the timer.
  void Tick() { OnTimer(); }

 private:
  void OnTimer();
  void Told(const cAutosaveResult& result);  // window thread
  void AskRestore();
  // Loads the first copy that reads (the engine paused around it); says
  // what was passed over.
  bool Restore(const std::vector<cAutosaveCopy>& copies, const QString& original,
               const QString& title);
  std::string SongFile() const;
  void WatchSignals();
  void WatchWindow();

  TMainForm& form;
  cAutosave autosave;
  QTimer timer;
  bool started = false;
  bool ending = false;
  bool unsavedAtEnd = false;
  QSocketNotifier* signalNotifier = nullptr;
  std::unique_ptr<QAbstractNativeEventFilter> windowWatch;
};

// The text of a copy in the question and the list: its song and time.
QString AutosaveCopyText(const cAutosaveCopy& copy, const QString& original);
