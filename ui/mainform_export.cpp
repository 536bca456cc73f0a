// File > Export Audio: the song's sound to WAV or FLAC files, rendered on a
// second engine from the song as it is now, while this window goes on.

#include <QFileInfo>
#include <memory>

#include "app/exportjob.h"
#include "app/tracker.h"
#include "editor/exportoptions.h"
#include "ui/exportdialog.h"
#include "ui/exportprogress.h"
#include "ui/mainform.h"
#include "ui/prompts.h"

namespace {

constexpr const char* kExportFilter = "WAV (*.wav);;FLAC (*.flac)";

}  // namespace

bool TMainForm::ExportAudioClick() {
  if (!tracker) return false;
  // One export at a time: a second request shows the running one.
  if (exportProgress != nullptr && !exportProgress->Finished()) {
    exportProgress->show();
    exportProgress->raise();
    exportProgress->activateWindow();
    return false;
  }
  const QFileInfo songFile(saveName);
  const QString folder = exportFolder.isEmpty() ? songFile.absolutePath() : exportFolder;
  const QString path = prompts->SaveFileName(this, "Export Audio",
                                             folder + "/" + songFile.completeBaseName() + ".wav",
                                             kExportFilter, "wav");
  if (path.isEmpty()) return false;
  exportFolder = QFileInfo(path).absolutePath();

  const cSongTables& song = tracker->Song();
  TExportDialog options(this, DefaultExportOptions(path.toStdString(), song.start, song.end));
  if (options.exec() != QDialog::Accepted) return false;
  const cExportOptions chosen = options.Options();
  // A type changed in the options step changes the file's name: a file of
  // that name that the save dialog did not ask about is not replaced unasked.
  const QString target = QString::fromStdString(chosen.path);
  if (target != path && QFileInfo::exists(target) &&
      !prompts->AskYesNo(this, "Export Audio",
                         QFileInfo(target).fileName() + " already exists. Replace it?")) {
    return false;
  }
  return ExportAudio(ExportRequest(chosen)) != nullptr;
}

TExportProgress* TMainForm::ExportAudio(const cRenderRequest& request) {
  if (!tracker || (exportProgress != nullptr && !exportProgress->Finished())) return nullptr;
  delete exportProgress;
  exportProgress = new TExportProgress(this, std::make_unique<cExportJob>(*tracker, request));
  exportProgress->show();
  return exportProgress;
}
