// murvelon-screenshots: pictures of the windows for the README, taken
// offscreen with QWidget::grab. Usage: murvelon-screenshots OUTDIR [SUFFIX]
// (run with QT_SCALE_FACTOR=2 and the suffix "@2x" for the high-density
// pictures).

#include <QApplication>
#include <QComboBox>
#include <QDir>
#include <QHelpEvent>
#include <QPainter>
#include <QPixmap>
#include <QPushButton>
#include <QSpinBox>
#include <QStatusBar>
#include <QTabWidget>
#include <QTemporaryDir>
#include <QTest>
#include <QToolTip>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <fstream>
#include <numbers>
#include <thread>
#include <vector>

#include "app/exportjob.h"
#include "app/tracker.h"
#include "audio/wavfile.h"
#include "editor/exportoptions.h"
#include "editor/patterneditor.h"
#include "editor/patterntext.h"
#include "editor/synthcontrols.h"
#include "editor/synthedit.h"
#include "ui/analyserview.h"
#include "ui/clipmark.h"
#include "ui/exportdialog.h"
#include "ui/exportprogress.h"
#include "ui/formcommands.h"
#include "ui/formfxparm.h"
#include "ui/formpreferences.h"
#include "ui/framechans.h"
#include "ui/framesynth.h"
#include "ui/knob.h"
#include "ui/mainform.h"
#include "ui/patterneditorpart.h"
#include "ui/sampleeditor.h"

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

// The window with a knob's tooltip, which is a window of its own that a
// grab of the main window leaves out: it is painted in where it shows.
bool SaveKnobTooltip(TMainForm& form, TmKnob& knob, const QString& folder, const QString& suffix) {
  const QPoint centre = knob.rect().center();
  QHelpEvent hover(QEvent::ToolTip, centre, knob.mapToGlobal(centre));
  QApplication::sendEvent(&knob, &hover);
  Settle(100);
  QWidget* tip = nullptr;
  for (QWidget* top : QApplication::topLevelWidgets())
    if (top->objectName() == "qtooltip_label" && top->isVisible()) tip = top;
  if (tip == nullptr) {
    std::fprintf(stderr, "murvelon-screenshots: the knob shows no tooltip\n");
    return false;
  }
  QPixmap picture = form.grab();
  {
    QPainter painter(&picture);
    // Below and right of the pointer, as the tooltip places itself where
    // the screen leaves it room (the offscreen screen is smaller than the
    // window, and pushes it aside).
    painter.drawPixmap(knob.mapTo(&form, centre) + QPoint(2, 16), tip->grab());
  }
  QToolTip::hideText();
  const QString path = folder + "/knob-tooltip" + suffix + ".png";
  if (!picture.save(path)) {
    std::fprintf(stderr, "murvelon-screenshots: cannot write %s\n", path.toLocal8Bit().constData());
    return false;
  }
  std::printf("%s\n", path.toLocal8Bit().constData());
  return true;
}

// A stereo pad for the sample page: a decaying chord, its voices spread
// between the channels.
bool WriteStereoWave(const std::string& path) {
  constexpr int kRate = 44100, kFrames = 44100;
  std::vector<int16_t> samples(size_t(kFrames) * 2);
  for (int i = 0; i < kFrames; ++i) {
    const double t = double(i) / kRate, fade = std::exp(-2.5 * t) * (1.0 - std::exp(-200.0 * t));
    const double a = std::sin(2 * std::numbers::pi * 220.0 * t);
    const double b = std::sin(2 * std::numbers::pi * 277.2 * t + 0.5 * std::sin(6.0 * t));
    const double c = std::sin(2 * std::numbers::pi * 329.6 * t);
    samples[size_t(i) * 2] = int16_t(std::lround(fade * 12000.0 * (a + 0.6 * b + 0.3 * c)));
    samples[size_t(i) * 2 + 1] = int16_t(std::lround(fade * 12000.0 * (0.3 * a + 0.6 * b + c)));
  }
  cWavFile file;
  return file.Create(path, kRate) && file.Append(samples.data(), kFrames) && file.Finish();
}

// The instrument page: the demo's synthesizer (4) on both of its pages, its
// FM synthesizer (6), and a sampler (1) playing a looped stereo wave.
bool SaveSynthPages(TMainForm& form, const QString& folder, const QString& suffix,
                    const QString& scratch) {
  auto* frame = form.findChild<TFrameSynth*>();
  if (frame == nullptr) return false;
  form.TB_SynthClick();
  form.InstrumentEdit()->setValue(4);
  frame->Pages()->setCurrentIndex(kPageOscillators);
  Settle(100);
  bool ok = Save(form, folder, "synth-oscillators", suffix);
  frame->Pages()->setCurrentIndex(kPageFilter);
  Settle(100);
  ok = Save(form, folder, "synth-filter", suffix) && ok;
  ok = SaveKnobTooltip(form, *qobject_cast<TmKnob*>(frame->Control("mKnob13")), folder, suffix) &&
       ok;
  form.InstrumentEdit()->setValue(6);
  Settle(100);
  ok = Save(form, folder, "synth-fm", suffix) && ok;

  form.InstrumentEdit()->setValue(1);
  qobject_cast<QSpinBox*>(frame->Control("SE_Layer"))->setValue(5);
  const QString wave = scratch + "/Stereo Pad.wav";
  if (!WriteStereoWave(wave.toStdString())) {
    std::fprintf(stderr, "murvelon-screenshots: cannot write %s\n", wave.toLocal8Bit().constData());
    return false;
  }
  frame->LoadSampleFile(wave);
  Settle(100);
  cSampleEditor& sample = frame->Editor()->Sample();
  frame->SampleImage()->SyncSize();
  const int w = sample.Width();
  sample.SetRangeByPixels(w * 3 / 10, w * 8 / 10);
  frame->RangeToLoopClick();
  sample.SetRangeByPixels(w * 5 / 100, w * 15 / 100);
  frame->SampleImage()->Redraw();
  Settle(100);
  ok = Save(form, folder, "synth-sample", suffix) && ok;

  // The demo's snare (2) moved onto the same layer: the page names the
  // other instrument that plays it. Then back to its own.
  form.InstrumentEdit()->setValue(2);
  auto* layer = qobject_cast<QSpinBox*>(frame->Control("SE_Layer"));
  const int ownLayer = layer->value();
  layer->setValue(5);
  Settle(100);
  ok = Save(form, folder, "synth-sample-shared", suffix) && ok;
  layer->setValue(ownLayer);
  form.InstrumentEdit()->setValue(1);
  form.TB_PatternClick();
  return ok;
}

// The pattern page with the instrument list beside it: the demo's
// instruments, the sampler that the instrument pages' picture loaded, a
// preset loaded into the synthesizer (4), and the FM synthesizer (6)
// current.
bool SaveInstrumentList(TMainForm& form, const QString& folder, const QString& suffix) {
  auto* frame = form.findChild<TFrameSynth*>();
  if (frame == nullptr) return false;
  form.InstrumentEdit()->setValue(4);
  if (!frame->Editor()->LoadPreset(false, MURVELON_SOURCE_DIR "/Synths/Acid Bass.zqb")) {
    std::fprintf(stderr, "murvelon-screenshots: cannot load Synths/Acid Bass.zqb\n");
    return false;
  }
  form.InstrumentEdit()->setValue(6);
  form.TB_PatternClick();
  Settle(150);
  return Save(form, folder, "instrument-list", suffix);
}

// File > Export Audio: the options step (24-bit FLAC with stems), the
// progress window while the demo renders, and the window at the end.
bool SaveExportWindows(TMainForm& form, const QString& folder, const QString& suffix,
                       const QString& scratch) {
  cExportOptions start = DefaultExportOptions("/home/musician/Music/demo.flac", 0, 11);
  start.depth = eExportDepth::k24;
  start.stems = true;
  TExportDialog options(&form, start);
  options.show();
  Settle(100);
  bool ok = Save(options, folder, "export-options", suffix);
  options.hide();

  cRenderRequest request;
  request.mixPath = (scratch + "/demo.flac").toStdString();
  request.mixFormat = eSoundFormat::kFlac24;
  request.seconds = 600;  // long enough to be seen at work
  TExportProgress* progress = form.ExportAudio(request);
  if (progress == nullptr) return false;
  Settle(800);
  progress->Follow();
  Settle(50);
  ok = Save(*progress, folder, "export-progress", suffix) && ok;
  progress->CancelButton()->click();
  while (!progress->Finished()) Settle(20);

  request.seconds = -1;
  progress = form.ExportAudio(request);
  if (progress == nullptr) return false;
  while (!progress->Finished()) Settle(20);
  Settle(50);
  ok = Save(*progress, folder, "export-done", suffix) && ok;
  progress->hide();
  return ok;
}

}  // namespace

// The demo at twice the master volume clips: the mark lights beside the
// spectrum and the message label says so. The picture is the window's top
// right corner with the status bar's message below it.
bool SaveClipMark(TMainForm& form, const QString& folder, const QString& suffix) {
  const int32_t volume = form.Tracker()->Song().masterVolume;
  form.Tracker()->Edits().SetMasterVolume(200);
  form.TB_PatternClick();
  form.PlayClick();
  for (int i = 0; i < 100 && !form.ClipMark()->Lit(); ++i) Settle(50);
  Settle(100);
  const bool lit = form.ClipMark()->Lit();
  // The scope, spectrum and mark above the status bar with the message.
  const QPixmap corner = form.SpectrumView()->parentWidget()->grab();
  const QPixmap status = form.statusBar()->grab();
  QPixmap shot(std::max(corner.width(), status.width()), corner.height() + status.height());
  shot.setDevicePixelRatio(corner.devicePixelRatio());
  shot.fill(form.palette().color(QPalette::Window));
  {
    QPainter p(&shot);
    p.drawPixmap(0, 0, corner);
    p.drawPixmap(0, int(corner.height() / corner.devicePixelRatio()), status);
  }
  const QString path = folder + "/clip-mark" + suffix + ".png";
  const bool saved = shot.save(path);
  form.StopClick();
  form.Tracker()->Edits().SetMasterVolume(volume);
  Settle(2300);  // the mark goes out and "Ready..." returns before the next pictures
  if (!lit || !saved) {
    std::fprintf(stderr, "murvelon-screenshots: %s\n",
                 lit ? "cannot write the clip mark's picture" : "the demo at 200 % never clipped");
    return false;
  }
  std::printf("%s\n", path.toLocal8Bit().constData());
  return true;
}

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

  // The pattern page while the demo plays: in edit mode with the cursor on
  // a channel's volume (a red mark), then in play mode (a yellow one).
  form.TB_PatternClick();
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
  ok = SaveClipMark(form, folder, suffix) && ok;
  ok = SaveSynthPages(form, folder, suffix, scratch.path()) && ok;
  ok = SaveInstrumentList(form, folder, suffix) && ok;
  {
    cConfig shown = form.Config();
    shown.midiInput = "Keys:out";
    shown.midiVelocity = 1;
    TFormPreferences preferences(&form, shown, {"system", "pulse"}, {"Keys:out"});
    preferences.adjustSize();
    Settle(100);
    ok = Save(preferences, folder, "preferences", suffix) && ok;
  }
  ok = SaveExportWindows(form, folder, suffix, scratch.path()) && ok;
  // Help > Effect Commands.
  TFormCommands* commands = TFormCommands::ShowFor(&form);
  Settle(100);
  ok = Save(*commands, folder, "effect-commands", suffix) && ok;
  commands->hide();
  return ok ? 0 : 1;
}
