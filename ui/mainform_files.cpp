// The main window's file commands: new song, load, save and module import,
// with the engine paused around the work and the caption following the file.

#include <QFileInfo>
#include <cerrno>
#include <cstring>

#include "app/tracker.h"
#include "ui/mainform.h"
#include "ui/prompts.h"
#include "ui/threadedtimer.h"

namespace {

constexpr const char* kSongFilter = "Murvelon Song (*.zqm);;All Files (*)";
constexpr const char* kModFilter = "ProTracker Module (*.mod);;All files (*)";

}  // namespace

bool TMainForm::AskDiscard(const QString& title) {
  return !tracker->Modified() ||
         prompts->AskYesNo(this, title, "Song has not been saved, discard it?");
}

// The engine stops before the song is touched: the timers first, then
// rendering, every voice, the transport and the engine itself.
void TMainForm::PauseEngine() {
  for (TThreadedTimer* timer : timers) timer->SetEnabled(false);
  Wait(100);
  tracker->PauseEngine();
}

void TMainForm::ResumeEngine() {
  tracker->ResumeEngine();
  timers[1]->SetEnabled(true);
  timers[2]->SetEnabled(true);
}

void TMainForm::SetCaption(const QString& fileName) {
  setWindowTitle(QString::fromStdString(MainCaption(fileName.toStdString())));
}

// The song in memory has no file: the save dialog must not offer to
// overwrite the one it came from before.
void TMainForm::ForgetFileName() {
  SetCaption({});
  saveName = songFolder + "/Module.zqm";
}

bool TMainForm::NewSongClick() {
  if (!tracker || !AskDiscard("New Song")) return false;
  PauseEngine();
  Wait(100);
  tracker->NewModule();
  Wait(100);
  ResumeEngine();
  ForgetFileName();
  RedrawAll(eSongChange::kNewSong);
  return true;
}

bool TMainForm::LoadSongClick() {
  if (!tracker || !AskDiscard("Load Song")) return false;
  const QString path = prompts->OpenFileName(this, "Load Song", songFolder, kSongFilter);
  if (path.isEmpty()) return false;
  songFolder = QFileInfo(path).absolutePath();
  return LoadChosenSong(path);
}

bool TMainForm::LoadSongFile(const QString& path) {
  if (!tracker || !AskDiscard("Load Song")) return false;
  return LoadChosenSong(path);
}

// The caption names the file only once it has loaded, so that a file that
// is not a song never seems to be the one in memory.
bool TMainForm::LoadChosenSong(const QString& path) {
  PauseEngine();
  const bool loaded = tracker->LoadModule(path.toStdString()) == 1;
  if (loaded) {
    SetCaption(QFileInfo(path).fileName());
    saveName = path;
  }
  ResumeEngine();
  RedrawAll(loaded ? eSongChange::kNewSong : eSongChange::kEdited);
  if (!loaded) prompts->Inform(this, "Load Song", "Song format not recognized!");
  return loaded;
}

bool TMainForm::SaveSongClick() {
  if (!tracker) return false;
  const QString path = prompts->SaveFileName(this, "Save Song", saveName, kSongFilter, "zqm");
  if (path.isEmpty()) return false;
  return SaveSongFile(path);
}

// A failed save is reported, and the song stays modified: the musician must
// never believe a song safe that is not on disk.
bool TMainForm::SaveSongFile(const QString& path) {
  if (!tracker) return false;
  PauseEngine();
  errno = 0;
  const bool saved = tracker->SaveModule(path.toStdString()) == 1;
  const int reason = errno;
  ResumeEngine();
  if (!saved) {
    QString text = "Song could not be saved!";
    if (reason != 0) text += "\n" + path + ": " + QString::fromLocal8Bit(std::strerror(reason));
    prompts->Inform(this, "Save Song", text);
    return false;
  }
  SetCaption(QFileInfo(path).fileName());
  saveName = path;
  songFolder = QFileInfo(path).absolutePath();
  return true;
}

bool TMainForm::ImportModClick() {
  if (!tracker || !AskDiscard("Import ProTracker Song")) return false;
  const QString path =
      prompts->OpenFileName(this, "Import ProTracker Song", songFolder, kModFilter);
  if (path.isEmpty()) return false;
  return ImportChosenMod(path);
}

bool TMainForm::ImportModFile(const QString& path) {
  if (!tracker || !AskDiscard("Import ProTracker Song")) return false;
  return ImportChosenMod(path);
}

// An imported module is a new song without a file: the caption drops the
// name of the file loaded before, and a save starts from the default name.
bool TMainForm::ImportChosenMod(const QString& path) {
  PauseEngine();
  const bool imported = tracker->LoadModuleMOD(path.toStdString()) == 1;
  ResumeEngine();
  if (imported) ForgetFileName();
  RedrawAll(imported ? eSongChange::kNewSong : eSongChange::kEdited);
  if (!imported) prompts->Inform(this, "Import ProTracker Song", "Song format not recognized!");
  return imported;
}
