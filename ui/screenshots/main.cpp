// murvelon-screenshots: pictures of the windows for the README, taken
// offscreen with QWidget::grab. Usage: murvelon-screenshots OUTDIR [SUFFIX]
// (run with QT_SCALE_FACTOR=2 and the suffix "@2x" for the high-density
// pictures).

#include <QApplication>
#include <QDir>
#include <QPixmap>
#include <QTemporaryDir>
#include <QTest>
#include <chrono>
#include <cstdio>
#include <fstream>
#include <thread>

#include "app/tracker.h"
#include "editor/patterneditor.h"
#include "editor/patterntext.h"
#include "ui/mainform.h"
#include "ui/patterneditorpart.h"

namespace {

void Settle(int milliseconds) {
  const auto until = std::chrono::steady_clock::now() + std::chrono::milliseconds(milliseconds);
  while (std::chrono::steady_clock::now() < until) {
    QApplication::processEvents(QEventLoop::AllEvents, 10);
    std::this_thread::sleep_for(std::chrono::milliseconds(5));
  }
}

bool Save(QWidget& widget, const QString& folder, const QString& name, const QString& suffix) {
  const QString path = folder + "/" + name + suffix + ".png";
  if (!widget.grab().save(path)) {
    std::fprintf(stderr, "murvelon-screenshots: cannot write %s\n", path.toLocal8Bit().constData());
    return false;
  }
  std::printf("%s\n", path.toLocal8Bit().constData());
  return true;
}

}  // namespace

int main(int argc, char** argv) {
  qputenv("QT_QPA_PLATFORM", "offscreen");
  QApplication app(argc, argv);
  if (argc < 2) {
    std::fprintf(stderr, "Usage: murvelon-screenshots OUTDIR [SUFFIX]\n");
    return 2;
  }
  const QString folder = argv[1];
  const QString suffix = argc > 2 ? argv[2] : "";
  QDir().mkpath(folder);

  QTemporaryDir scratch;
  const std::string ini = scratch.filePath("murvelon.ini").toStdString();
  std::ofstream(ini) << "[DirectSound]\nDevice=null\n[Tracker]\nCPUcalc=0\n";
  cStartOptions options;
  options.iniPath = ini;
  options.paths.songs = MURVELON_SOURCE_DIR "/Songs";
  options.paths.wavetables = scratch.filePath("wf_sawt.raw").toStdString();
  options.quickStart = true;
  TMainForm form(options);
  form.resize(1280, 800);
  form.show();
  form.FormShow();
  form.LoadSongFile(MURVELON_SOURCE_DIR "/Songs/demo.zqm");
  Settle(200);

  bool ok = Save(form, folder, "main-window", suffix);
  form.PlayClick();
  Settle(1500);
  ok = Save(form, folder, "main-window-playing", suffix) && ok;
  form.StopClick();

  // The pattern page while the demo plays: in edit mode with the cursor on
  // a channel's volume (a red mark), then in play mode (a yellow one).
  form.TB_RecClick();
  cPatternView& view = form.PatternEditor()->Editor()->PatternView();
  view.cursorColumn = 2 * kSubColumns + 3;
  view.NormaliseColumn();
  form.PatternEditor()->RepaintPattern();
  form.PlayClick();
  Settle(1500);
  ok = Save(form, folder, "pattern-edit-mode", suffix) && ok;
  form.TB_RecClick();
  Settle(700);
  ok = Save(form, folder, "pattern-play-mode", suffix) && ok;
  form.StopClick();
  return ok ? 0 : 1;
}
