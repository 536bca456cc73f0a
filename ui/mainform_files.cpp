// The main window's file commands: new song, load, save and module import,
// with the engine paused around the work and the caption following the file.

#include <QFileInfo>

#include "app/tracker.h"
#include "editor/unsavedsong.h"
#include "ui/mainform.h"
#include "ui/prompts.h"
#include "ui/threadedtimer.h"

namespace {

constexpr const char* kSongFilter = "Murvelon Song (*.zqm);;All Files (*)";
constexpr const char* kModFilter = "ProTracker Module (*.mod);;All files (*)";
constexpr const char* kNotASong = "Song format not recognized!";

// What failed, then on a second line the file and, where there is one, why.
QString FailureText(const QString& what, const QString& path, const cFileResult& why) {
  const std::string reason = FileResultReason(why);
  return what + "\n" + path + (reason.empty() ? "" : ": " + QString::fromStdString(reason));
}

// What a load that kept only part of the file could not read, as a sentence.
QString PartialText(const cFileResult& why) {
  QString text = QString::fromStdString(FileResultReason(why));
  if (!text.isEmpty()) text[0] = text[0].toUpper();
  return text;
}

}  // namespace

// Save in the question saves as Ctrl+S does; the command goes on only when
// the song is then on disk.
bool TMainForm::AskDiscard(const QString& title) {
  return MayReplaceSong(
      tracker->Modified(), [&] { return prompts->AskSaveDiscard(this, title, kUnsavedQuestion); },
      [this] { return SaveInPlaceClick(); });
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
  captionName = fileName;
  ShowCaption();
}

void TMainForm::ShowCaption() {
  const bool modified = tracker && tracker->Modified();
  setWindowTitle(QString::fromStdString(MainCaption(captionName.toStdString(), modified)));
}

// The song in memory has no file: the save dialog must not offer to
// overwrite the one it came from before.
void TMainForm::ForgetFileName() {
  SetCaption({});
  saveName = songFolder + "/Module.zqm";
  songFile.clear();
}

void TMainForm::SetSongFile(const QString& path) {
  SetCaption(QFileInfo(path).fileName());
  saveName = path;
  songFile = path;
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

// The caption names the file only once it has loaded whole, so that a file
// that is not a song never seems to be the one in memory. A song read only
// in part has no file name: a save asks where, rather than offering to
// write over the file it could still be recovered from.
bool TMainForm::LoadChosenSong(const QString& path) {
  PauseEngine();
  cFileResult why;
  const bool loaded = tracker->LoadModule(path.toStdString(), &why) == 1;
  if (loaded && why.Ok()) {
    SetSongFile(path);
  } else if (loaded) {
    ForgetFileName();
  }
  ResumeEngine();
  RedrawAll(loaded ? eSongChange::kNewSong : eSongChange::kEdited);
  if (!loaded) prompts->Inform(this, "Load Song", FailureText(kNotASong, path, why));
  if (loaded && !why.Ok()) prompts->Inform(this, "Load Song", PartialText(why));
  return loaded;
}

bool TMainForm::SaveSongClick() {
  if (!tracker) return false;
  const QString path = prompts->SaveFileName(this, "Save Song", saveName, kSongFilter, "zqm");
  if (path.isEmpty()) return false;
  return SaveSongFile(path);
}

bool TMainForm::SaveInPlaceClick() {
  if (!tracker) return false;
  if (songFile.isEmpty()) return SaveSongClick();
  return SaveSongFile(songFile);
}

// A failed save is reported, and the song stays modified: the musician must
// never believe a song safe that is not on disk.
bool TMainForm::SaveSongFile(const QString& path) {
  if (!tracker) return false;
  PauseEngine();
  cFileResult why;
  const bool saved = tracker->SaveModule(path.toStdString(), &why) == 1;
  ResumeEngine();
  if (!saved) {
    prompts->Inform(this, "Save Song", FailureText("Song could not be saved!", path, why));
    return false;
  }
  SetSongFile(path);
  songFolder = QFileInfo(path).absolutePath();
  return true;
}

bool TMainForm::LoadRecovered(const std::function<bool()>& load, const QString& original) {
  PauseEngine();
  const bool loaded = load();
  ResumeEngine();
  if (loaded && original.isEmpty()) ForgetFileName();
  if (loaded && !original.isEmpty()) SetSongFile(original);
  RedrawAll(loaded ? eSongChange::kNewSong : eSongChange::kEdited);
  return loaded;
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
  cFileResult why;
  const bool imported = tracker->LoadModuleMOD(path.toStdString(), &why) == 1;
  ResumeEngine();
  if (imported) ForgetFileName();
  RedrawAll(imported ? eSongChange::kNewSong : eSongChange::kEdited);
  const QString title = "Import ProTracker Song";
  if (!imported) prompts->Inform(this, title, FailureText(kNotASong, path, why));
  if (imported && !why.Ok()) prompts->Inform(this, title, PartialText(why));
  return imported;
}
