// File > Export Audio: the options step, and the progress window of an
// export that runs beside live playback and writes the command line's file.

#include <gtest/gtest.h>

#include <QAction>
#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QRadioButton>
#include <QSpinBox>
#include <QTest>
#include <chrono>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <thread>

#include "app/exportjob.h"
#include "app/songrender.h"
#include "app/tracker.h"
#include "tests/ui/uitestsupport.h"
#include "ui/exportdialog.h"
#include "ui/exportprogress.h"

namespace {

constexpr const char* kDemo = MURVELON_SOURCE_DIR "/Songs/demo.zqm";

std::vector<uint8_t> Bytes(const QString& path) {
  std::ifstream in(path.toStdString(), std::ios::binary);
  return std::vector<uint8_t>(std::istreambuf_iterator<char>(in), {});
}

// Lets the window run until the export has ended (or a minute has passed).
bool WaitForExport(TExportProgress& progress) {
  const auto until = std::chrono::steady_clock::now() + std::chrono::minutes(1);
  while (!progress.Finished() && std::chrono::steady_clock::now() < until) {
    QApplication::processEvents(QEventLoop::AllEvents, 20);
    std::this_thread::sleep_for(std::chrono::milliseconds(5));
  }
  return progress.Finished();
}

// The demo as `murvelon-cli render` renders it.
std::vector<uint8_t> CommandLineRender(const QString& path) {
  cConfig config;
  config.cpuCalc = 0;
  cTracker t(config);
  EXPECT_TRUE(t.SystemStart(false));
  t.PauseEngine();
  EXPECT_EQ(t.LoadModule(kDemo), 1);
  t.ResumeEngine();
  cRenderRequest request;
  request.mixPath = path.toStdString();
  request.mixFormat = SoundFormatForPath(request.mixPath);
  EXPECT_TRUE(RenderSong(t, request).ok);
  return Bytes(path);
}

}  // namespace

TEST(Export, TheOptionsStepChoosesTypeDepthRangeAndStems) {
  TQtEnvironment::App();
  TExportDialog dialog(nullptr, DefaultExportOptions("/music/demo.wav", 2, 9));
  EXPECT_EQ(dialog.FileLabel()->text(), "/music/demo.wav");
  EXPECT_EQ(dialog.DepthBox()->count(), 3);
  EXPECT_TRUE(dialog.WholeSong()->isChecked());
  EXPECT_EQ(dialog.WholeSong()->text(), "Whole song (positions 002 to 009)");
  EXPECT_FALSE(dialog.FirstPosition()->isEnabled());
  EXPECT_FALSE(dialog.StemsFolder()->isEnabled());
  EXPECT_EQ(dialog.StemsFolder()->text(), "/music/demo stems");
  cRenderRequest request = ExportRequest(dialog.Options());
  EXPECT_EQ(request.mixPath, "/music/demo.wav");
  EXPECT_EQ(request.mixFormat, eSoundFormat::kWav16);
  EXPECT_TRUE(request.stemsFolder.empty());
  EXPECT_EQ(request.firstPosition, -1);

  dialog.DepthBox()->setCurrentIndex(2);  // 32-bit float
  dialog.TypeBox()->setCurrentIndex(1);   // FLAC has no float: 24-bit
  EXPECT_EQ(dialog.DepthBox()->count(), 2);
  EXPECT_EQ(dialog.FileLabel()->text(), "/music/demo.flac");
  dialog.PartOfSong()->setChecked(true);
  EXPECT_TRUE(dialog.FirstPosition()->isEnabled());
  dialog.FirstPosition()->setValue(4);
  dialog.LastPosition()->setValue(3);
  dialog.StemsBox()->setChecked(true);
  dialog.StemsFolder()->setText("/music/parts");
  request = ExportRequest(dialog.Options());
  EXPECT_EQ(request.mixPath, "/music/demo.flac");
  EXPECT_EQ(request.mixFormat, eSoundFormat::kFlac24);
  EXPECT_EQ(request.stemsFolder, "/music/parts");
  EXPECT_EQ(request.stemFormat, eSoundFormat::kFlac24);
  EXPECT_EQ(request.firstPosition, 3);  // in order, whichever way round
  EXPECT_EQ(request.lastPosition, 4);

  // Return exports, wherever the focus stands.
  dialog.show();
  dialog.DepthBox()->setFocus();
  QTest::keyClick(dialog.DepthBox(), Qt::Key_Return);
  EXPECT_EQ(dialog.result(), QDialog::Accepted);
}

// The song as it is, not the window's mute, while the window plays on.
TEST(Export, TheWindowsExportIsTheCommandLinesFile) {
  TWindowFixture w({}, kDemo);
  QAction* menu = w.Form().findChild<QAction*>("ExportAudio");
  ASSERT_NE(menu, nullptr);
  EXPECT_EQ(menu->text(), "&Export Audio...");
  EXPECT_EQ(menu->shortcut(), QKeySequence("Ctrl+E"));
  EXPECT_FALSE(w.Form().ExportAudioClick());  // the save dialog cancelled

  cMixerFlags muted = w.Tracker().Song().mixer;
  muted.on[0] = 0;
  w.Tracker().SetMixerFlags(muted);
  w.Form().PlayClick();
  cRenderRequest request;
  request.mixPath = w.Path("window.flac").toStdString();
  request.mixFormat = eSoundFormat::kFlac16;
  TExportProgress* progress = w.Form().ExportAudio(request);
  ASSERT_NE(progress, nullptr);
  EXPECT_TRUE(progress->isVisible());
  EXPECT_EQ(w.Form().ExportAudio(request), nullptr);  // one at a time
  ASSERT_TRUE(WaitForExport(*progress));
  w.Form().StopClick();
  EXPECT_TRUE(progress->ResultLabel()->text().startsWith("Exported 0:3"))
      << progress->ResultLabel()->text().toStdString();
  EXPECT_EQ(progress->CancelButton()->text(), "Close");
  EXPECT_EQ(progress->Bar()->value(), progress->Bar()->maximum());
  EXPECT_EQ(Bytes(w.Path("window.flac")), CommandLineRender(w.Path("cli.flac")));
  EXPECT_EQ(w.Tracker().Song().mixer.on[0], 0);  // the window's state untouched
}

TEST(Export, CancelAndFailureLeaveNoFileAndSayWhy) {
  TWindowFixture w({}, kDemo);
  cRenderRequest request;
  request.mixPath = w.Path("long.wav").toStdString();
  request.stemsFolder = w.Path("long stems").toStdString();
  request.seconds = 600;
  TExportProgress* progress = w.Form().ExportAudio(request);
  ASSERT_NE(progress, nullptr);
  while (progress->Job().Progress().frames == 0) std::this_thread::yield();
  progress->Follow();
  EXPECT_TRUE(progress->PositionLabel()->text().startsWith("Position 0"))
      << progress->PositionLabel()->text().toStdString();
  progress->CancelButton()->click();
  ASSERT_TRUE(WaitForExport(*progress));
  EXPECT_EQ(progress->ResultLabel()->text(), "Export cancelled: no file was written.");
  EXPECT_FALSE(std::filesystem::exists(w.Path("long stems").toStdString()));
  for (const auto& entry : std::filesystem::directory_iterator(w.folder.path().toStdString()))
    EXPECT_EQ(entry.path().filename().string().find("long"), std::string::npos) << entry.path();

  request.mixPath = w.Path("missing/out.wav").toStdString();
  request.stemsFolder.clear();
  progress = w.Form().ExportAudio(request);
  ASSERT_NE(progress, nullptr);
  ASSERT_TRUE(WaitForExport(*progress));
  EXPECT_EQ(progress->ResultLabel()->text(),
            "Export failed!\n" + w.Path("missing/out.wav") + ": No such file or directory");
}
