// murvelon-screenshots: pictures of the windows for the README, taken
// offscreen with QWidget::grab. Usage: murvelon-screenshots OUTDIR [SUFFIX]
// (run with QT_SCALE_FACTOR=2 and the suffix "@2x" for the high-density
// pictures).

#include <QApplication>
#include <QComboBox>
#include <QDir>
#include <QPixmap>
#include <QTemporaryDir>
#include <QTest>
#include <chrono>
#include <cstdio>
#include <fstream>
#include <thread>

#include "app/tracker.h"
#include "ui/formfxparm.h"
#include "ui/framechans.h"
#include "ui/mainform.h"

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

  // The channel page while the demo plays, showing the chain of channel 4:
  // a stereo expander and sends to both aux buses.
  form.TB_ChansClick();
  auto* chans = form.findChild<TFrameChans*>();
  chans->ChainBox()->setCurrentIndex(4);
  Settle(300);
  ok = Save(form, folder, "channel-page", suffix) && ok;

  // The demo's reverberator on Aux1, as "..." opens it (shown without
  // waiting for it to close).
  TFormFXparm reverb(&form);
  if (reverb.Build(*form.Tracker(), 16, 0)) {
    reverb.show();
    Settle(100);
    ok = Save(reverb, folder, "effect-window", suffix) && ok;
    reverb.hide();
    reverb.Clear();
  } else {
    std::fprintf(stderr, "murvelon-screenshots: the demo has no effect on Aux1\n");
    ok = false;
  }
  form.StopClick();
  return ok ? 0 : 1;
}
