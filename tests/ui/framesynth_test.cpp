// The instrument page: its controls write the words of the instrument, its
// pages follow the engine, its pictures follow the words, and the sample
// editor's buttons and mouse strips set the wave's view and loop.

#include "ui/framesynth.h"

#include <gtest/gtest.h>

#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QMouseEvent>
#include <QPushButton>
#include <QScrollArea>
#include <QScrollBar>
#include <QSlider>
#include <QSpinBox>
#include <QTabWidget>
#include <QTest>
#include <filesystem>
#include <fstream>
#include <vector>

#include "app/tracker.h"
#include "app/trackerinside.h"
#include "editor/synthcontrols.h"
#include "editor/synthedit.h"
#include "tests/support/enginedefaults.h"
#include "tests/support/rampwav.h"
#include "tests/ui/uitestsupport.h"
#include "ui/envelopeview.h"
#include "ui/knob.h"
#include "ui/sampleeditor.h"

namespace {

constexpr const char* kDemo = MURVELON_SOURCE_DIR "/Songs/demo.zqm";

void WriteWav(const QString& path, int32_t frames, int32_t channels) {
  ASSERT_TRUE(WriteRampWav(path.toStdString(), frames, channels));
}

// A started window showing its instrument page, the editor's engine change
// without its pause.
class TSynthWindow : public TWindowFixture {
 public:
  explicit TSynthWindow(const std::string& song = {}) : TWindowFixture({}, song) {
    frame = form->findChild<TFrameSynth*>();
    frame->Editor()->engineChangeWaitMs = 0;
    form->resize(1280, 800);
    form->show();
    form->TB_SynthClick();
    EXPECT_TRUE(QTest::qWaitForWindowExposed(form.get()));
  }

  template <class T>
  T* Get(const char* name) {
    T* widget = qobject_cast<T*>(frame->Control(name));
    EXPECT_NE(widget, nullptr) << name;
    return widget;
  }
  void SelectInstrument(int instrument) {
    form->InstrumentEdit()->setValue(instrument);
    QApplication::processEvents();
  }
  int Block() { return frame->Editor()->Block(); }
  int16_t Word(int32_t word) { return Tracker().GetParam(Block(), word); }
  std::vector<int16_t> Words() {
    const int16_t* p = Inside(Tracker()).GetParams(Block());
    return std::vector<int16_t>(p, p + 128);
  }
  // The block as the engine's defaults leave it.
  std::vector<int16_t> Defaults(int32_t engine) {
    return EngineDefaults(Tracker(), Words(), engine);
  }
  std::vector<int> ShownPages() {
    std::vector<int> shown;
    for (int page = 0; page < kSynthPages; ++page)
      if (frame->Pages()->isTabVisible(page)) shown.push_back(page);
    return shown;
  }
  // What a widget of the table shows.
  int Shown(size_t index) {
    QWidget* w = frame->Control(SynthControls()[index].name);
    if (auto* knob = qobject_cast<TmKnob*>(w)) return knob->Position();
    if (auto* spin = qobject_cast<QSpinBox*>(w)) return spin->value();
    if (auto* box = qobject_cast<QCheckBox*>(w)) return box->isChecked() ? 1 : 0;
    // A vertical bar's position counts from the top.
    if (auto* bar = qobject_cast<QSlider*>(w))
      return bar->orientation() == Qt::Vertical ? bar->maximum() - bar->value() : bar->value();
    if (auto* combo = qobject_cast<QComboBox*>(w)) return combo->currentIndex();
    return 0;
  }
  void Click(const char* button) { QTest::mouseClick(Get<QPushButton>(button), Qt::LeftButton); }
  cSampleEditor& Sample() { return frame->Editor()->Sample(); }
  TSampleEditor* Image() { return frame->SampleImage(); }
  // A sampler instrument (4 after start-up) showing a fresh wave of the layer.
  void LoadWave(int32_t frames, int32_t channels = 1, int layer = 5) {
    SelectInstrument(4);
    Get<QSpinBox>("SE_Layer")->setValue(layer);
    const QString path = Path("wave.wav");
    WriteWav(path, frames, channels);
    ASSERT_TRUE(frame->LoadSampleFile(path));
    QApplication::processEvents();
  }

  TFrameSynth* frame = nullptr;
};

// Press, a move with the button held, release.
void Drag(QWidget* w, QPoint from, QPoint to) {
  QTest::mousePress(w, Qt::LeftButton, Qt::NoModifier, from);
  QMouseEvent move(QEvent::MouseMove, QPointF(to), w->mapToGlobal(QPointF(to)), Qt::NoButton,
                   Qt::LeftButton, Qt::NoModifier);
  QApplication::sendEvent(w, &move);
  QTest::mouseRelease(w, Qt::LeftButton, Qt::NoModifier, to);
}

}  // namespace

TEST(FrameSynth, FeedbackBarsWrite127AtTheTopAnd0AtTheBottom) {
  TSynthWindow w;
  w.frame->Pages()->setCurrentIndex(kPageOscillators);
  QApplication::processEvents();
  for (const char* name : {"TrackBar9", "TrackBar10", "TrackBar11"}) {
    QSlider* bar = w.Get<QSlider>(name);
    const int32_t word = SynthControls()[size_t(FindSynthControl(name))].word;
    const QPoint middle = bar->rect().center();
    bar->setValue(64);  // the handle under the middle
    Drag(bar, middle, QPoint(middle.x(), -40));
    EXPECT_EQ(w.Word(word), 127) << name;
    EXPECT_EQ(w.form->MessageLabel()->text(), "127");
    bar->setValue(64);
    Drag(bar, middle, QPoint(middle.x(), bar->height() + 40));
    EXPECT_EQ(w.Word(word), 0) << name;
  }
}

TEST(FrameSynth, CheckBoxesWriteTheirWordsAndNoRstAndKeybAreInverted) {
  TSynthWindow w;
  struct Case {
    int page;
    const char* box;
    int32_t word;
    int16_t checked, clear;
  };
  for (Case c : {Case{kPageFilter, "CheckBox3", 53, 0, 1},  // "No RST" of the volume envelope
                 {kPageFilter, "CheckBox4", 54, 0, 1},      // and of the filter envelope
                 {kPageFilter, "CheckBox5", 55, 0, 1},      // "Keyb"
                 {kPageFilter, "CheckBox7", 33, 1, 0},      // the Distorter's "Enabled"
                 {kPageOscillators, "CheckBox1", 5, 1, 0}}) {
    w.frame->Pages()->setCurrentIndex(c.page);
    QApplication::processEvents();
    QCheckBox* box = w.Get<QCheckBox>(c.box);
    for (int click = 0; click < 2; ++click) {
      QTest::mouseClick(box, Qt::LeftButton, Qt::NoModifier, box->rect().center());
      EXPECT_EQ(w.Word(c.word), box->isChecked() ? c.checked : c.clear)
          << c.box << (box->isChecked() ? " checked" : " clear");
    }
  }
}

TEST(FrameSynth, TheEngineBoxResetsTheInstrumentAndShowsItsPages) {
  TSynthWindow w;
  QComboBox* engine = w.Get<QComboBox>("ComboBox1");
  EXPECT_EQ(w.ShownPages(), (std::vector<int>{kPageOscillators, kPageFilter}));
  struct Case {
    int32_t engine;
    const char* text;
    std::vector<int> pages;
  };
  for (const Case& c :
       {Case{kGenSampler, "Sampler", {kPageSample}}, Case{kGenFM, "FM Synth", {kPageFM}},
        Case{kGenBass, "Synthesizer", {kPageOscillators, kPageFilter}}}) {
    Inside(w.Tracker()).GetParams(w.Block())[0] = 99;  // the defaults put the volume back
    std::vector<int16_t> defaults = w.Defaults(c.engine);
    // Instrument 4, a sampler from the start, holds layer 0: a new sampler
    // takes the next.
    if (c.engine == kGenSampler) defaults[2] = 1;
    engine->setCurrentIndex(c.engine);
    EXPECT_EQ(engine->currentText(), c.text);
    EXPECT_EQ(w.Words(), defaults) << c.text;
    EXPECT_EQ(w.ShownPages(), c.pages) << c.text;
    EXPECT_EQ(w.frame->Pages()->currentIndex(), c.pages[0]);
    EXPECT_TRUE(w.Get<QSlider>("TrackBar1")->isVisible());
    EXPECT_EQ(w.Get<QSlider>("TrackBar1")->value(), defaults[0] & 127);
  }
}

TEST(FrameSynth, ADoubleClickPutsTheSamplePagesSpinEditsBackTo0) {
  TSynthWindow w;
  w.SelectInstrument(4);
  struct Case {
    const char* spin;
    int32_t word;
  };
  for (Case c : {Case{"SE_Tune", 4}, {"SE_Fine", 3}, {"SE_Layer", 2}}) {
    QSpinBox* spin = w.Get<QSpinBox>(c.spin);
    spin->setValue(5);
    ASSERT_EQ(w.Word(c.word), 5) << c.spin;
    QTest::mouseDClick(spin->findChild<QLineEdit*>(), Qt::LeftButton);
    EXPECT_EQ(spin->value(), 0) << c.spin;
    EXPECT_EQ(w.Word(c.word), 0) << c.spin;
  }
}

TEST(FrameSynth, ADoubleClickTurnsAKnobToItsEnginesDefault) {
  TSynthWindow w;
  struct Case {
    int32_t engine;
    const char* knob;
    int32_t word;
  };
  for (Case c : {Case{kGenBass, "mKnob23", 22},
                 {kGenBass, "mKnob32", 32},
                 {kGenFM, "mKnob120", 7},
                 {kGenSampler, "mKnob37", 7}}) {
    w.Get<QComboBox>("ComboBox1")->setCurrentIndex(c.engine);
    auto* knob = w.Get<TmKnob>(c.knob);
    knob->SetCurValue(knob->Min() + 1);
    ASSERT_EQ(w.Word(c.word), knob->Min() + 1) << c.knob;
    DoubleClick(knob, knob->rect().center());
    EXPECT_EQ(w.Word(c.word), w.Defaults(c.engine)[size_t(c.word)]) << c.knob;
    EXPECT_EQ(knob->Position(), w.Word(c.word)) << c.knob;
  }
}

TEST(FrameSynth, WaveformFieldsShowTheWaveformsName) {
  TSynthWindow w;
  auto NameShown = [&w](const char* spin, const char* name) {
    for (QLabel* label : w.Get<QSpinBox>(spin)->parentWidget()->findChildren<QLabel*>())
      if (label->text() == name) return true;
    return false;
  };
  w.Get<QSpinBox>("SpinEdit4")->setValue(3);
  EXPECT_TRUE(NameShown("SpinEdit4", "Noise"));
  EXPECT_FALSE(NameShown("SpinEdit4", "Saw"));
  // A refresh shows the names of the instrument selected.
  w.Get<QComboBox>("ComboBox1")->setCurrentIndex(kGenFM);
  w.Get<QSpinBox>("SpinEdit106")->setValue(2);
  w.SelectInstrument(2);
  EXPECT_FALSE(NameShown("SpinEdit106", "Half Sine"));
  w.SelectInstrument(1);
  EXPECT_TRUE(NameShown("SpinEdit106", "Half Sine"));
}

TEST(FrameSynth, EnvelopePicturesFollowTheKnobs) {
  TSynthWindow w;
  w.frame->Pages()->setCurrentIndex(kPageFilter);
  w.Get<TmKnob>("mKnob17")->SetCurValue(200);  // attack
  w.Get<TmKnob>("mKnob18")->SetCurValue(10);   // decay
  w.Get<TmKnob>("mKnob19")->SetCurValue(60);   // sustain
  w.Get<TmKnob>("mKnob20")->SetCurValue(0);    // hold
  TEnvelopeView* view = w.frame->EnvelopeImage(0);
  ASSERT_EQ(view->objectName(), "Image_A");
  QImage picture = view->grab().toImage();
  const QRgb white = qRgb(255, 255, 255), red = qRgb(255, 0, 0), black = qRgb(0, 0, 0);
  // The attack edge is 35 pixels wide: its peak is the only outline at row 2.
  EXPECT_EQ(picture.pixel(35, 2), white);
  for (int x = 0; x < 34; ++x) EXPECT_EQ(picture.pixel(x, 2), black) << x;
  // Hold 0: the red line at the end of the decay (35 + 11).
  EXPECT_EQ(picture.pixel(46, 5), red);
  EXPECT_EQ(picture.pixel(46, TEnvelopeView::kHeight - 2), red);

  w.Get<TmKnob>("mKnob20")->SetCurValue(10);
  picture = view->grab().toImage();
  EXPECT_EQ(picture.pixel(46, 5), black);
  EXPECT_EQ(w.Word(14), 10);
  EXPECT_EQ(w.form->MessageLabel()->text(), "10");
}

TEST(FrameSynth, SelectingAnInstrumentShowsItAndWritesNothing) {
  TSynthWindow w(kDemo);
  std::vector<std::vector<int16_t>> before;
  for (int block = 0; block < 128; ++block) {
    const int16_t* p = Inside(w.Tracker()).GetParams(block);
    before.emplace_back(p, p + 128);
  }
  struct Case {
    int instrument;
    int page;
  };
  for (Case c :
       {Case{4, kPageOscillators}, {1, kPageSample}, {6, kPageFM}, {5, kPageOscillators}}) {
    w.SelectInstrument(c.instrument);
    EXPECT_EQ(w.Block(), c.instrument - 1);
    EXPECT_EQ(w.frame->Pages()->currentIndex(), c.page) << c.instrument;
    // Every control of the strip and of the shown pages shows its word.
    const auto table = SynthControls();
    const int32_t engine = w.frame->Editor()->Engine();
    for (size_t i = 0; i < table.size(); ++i) {
      if (table[i].kind == cControlKind::Button) continue;
      if (table[i].page != kStrip && !PageShown(table[i].page, engine)) continue;
      EXPECT_EQ(w.Shown(i), w.frame->Editor()->ControlValue(int32_t(i)))
          << table[i].name << " of instrument " << c.instrument;
    }
  }
  w.form->RedrawAll(eSongChange::kEdited);
  for (int block = 0; block < 128; ++block) {
    const int16_t* p = Inside(w.Tracker()).GetParams(block);
    EXPECT_EQ(std::vector<int16_t>(p, p + 128), before[size_t(block)]) << block;
  }
  EXPECT_FALSE(w.Tracker().Modified());
  // The demo's sampler 1 plays layer 0.
  w.SelectInstrument(1);
  EXPECT_EQ(w.frame->NameLabel()->text(), "Kick:  17640 (Mono)");
  EXPECT_EQ(w.frame->LoopLabel()->text(), "No loop");
}

TEST(FrameSynth, AWaveOfOneFrameShowsNothing) {
  TSynthWindow w;
  w.LoadWave(1);
  EXPECT_EQ(w.frame->NameLabel()->text(), "No sample loaded.");
  const QImage picture = w.Image()->grab().toImage();
  for (int y = 0; y < picture.height(); y += 3) {
    for (int x = 0; x < picture.width(); x += 3)
      ASSERT_EQ(picture.pixel(x, y), qRgb(0, 0, 0)) << x << "," << y;
  }
}

TEST(FrameSynth, TheZoomButtonsMoveTheView) {
  TSynthWindow w;
  w.LoadWave(1000);
  // A click selects one frame: too little to zoom into.
  const QPoint middle = w.Image()->rect().center();
  QTest::mouseClick(w.Image(), Qt::LeftButton, Qt::NoModifier, middle);
  ASSERT_EQ(w.Sample().RangeWidth(), 1);
  w.Click("Btn_ZoomIn");
  EXPECT_EQ(w.Sample().ViewStart(), 0);
  EXPECT_EQ(w.Sample().ViewEnd(), 999);

  w.Sample().SetView(0, 99);
  w.Click("Btn_ZoomOut");
  EXPECT_EQ(w.Sample().ViewStart(), 0);
  EXPECT_EQ(w.Sample().ViewEnd(), 149);

  // A dragged range zooms in.
  Drag(w.Image(), QPoint(w.Image()->width() / 4, middle.y()),
       QPoint(w.Image()->width() / 2, middle.y()));
  const int32_t start = w.Sample().RangeStart(), end = w.Sample().RangeEnd();
  ASSERT_GT(end - start, 10);
  w.Click("Btn_ZoomIn");
  EXPECT_EQ(w.Sample().ViewStart(), start);
  EXPECT_EQ(w.Sample().ViewEnd(), end);
  w.Click("Btn_ShowAll");
  EXPECT_EQ(w.Sample().ViewStart(), 0);
  EXPECT_EQ(w.Sample().ViewEnd(), 999);

  // "LS" on a wave without a loop mode leaves the view.
  w.Sample().SetView(500, 599);
  w.Click("SB_LS");
  w.Click("SB_LE");
  EXPECT_EQ(w.Sample().ViewStart(), 500);
  EXPECT_EQ(w.Sample().ViewEnd(), 599);
}

TEST(FrameSynth, StripPressesPastTheEndSetTheLoopToTheWavesEnds) {
  TSynthWindow w;
  w.LoadWave(10);
  TSampleEditor* image = w.Image();
  const int right = image->width() - 3;  // past the middle of the last frame
  const int top = 2, bottom = image->height() - 3;
  cWaveEntry e;
  QTest::mouseClick(image, Qt::LeftButton, Qt::NoModifier, QPoint(image->width() / 2, bottom));
  QTest::mouseClick(image, Qt::LeftButton, Qt::NoModifier, QPoint(image->width() / 4, top));
  ASSERT_TRUE(Inside(w.Tracker()).Waves().GetEntry(5, &e));
  EXPECT_EQ(e.loopEnd, 5);
  EXPECT_GT(e.loopStart, 0);
  QTest::mouseClick(image, Qt::LeftButton, Qt::NoModifier, QPoint(right, top));
  ASSERT_TRUE(Inside(w.Tracker()).Waves().GetEntry(5, &e));
  EXPECT_EQ(e.loopStart, 0);
  QTest::mouseClick(image, Qt::LeftButton, Qt::NoModifier, QPoint(right, bottom));
  ASSERT_TRUE(Inside(w.Tracker()).Waves().GetEntry(5, &e));
  EXPECT_EQ(e.loopEnd, 9);
  EXPECT_EQ(w.frame->LoopLabel()->text(), "No loop");  // no loop mode yet
}

TEST(FrameSynth, RangeToLoopLoopsTheSelectionForward) {
  TSynthWindow w;
  w.LoadWave(4000);
  // One frame per image pixel.
  w.Image()->SyncSize();
  ASSERT_LT(w.Sample().Width(), 4000);
  w.Sample().SetView(0, w.Sample().Width() - 1);
  const int y = w.Image()->height() / 2;
  Drag(w.Image(), QPoint(100, y), QPoint(199, y));
  ASSERT_EQ(w.Sample().RangeStart(), 100);
  ASSERT_EQ(w.Sample().RangeEnd(), 199);
  w.Tracker().Edits().MarkSaved();
  w.Click("Btn_Rng2Loop");
  EXPECT_EQ(w.Get<QComboBox>("ComboBox2")->currentText(), "Forward");
  EXPECT_EQ(w.frame->LoopLabel()->text(), "Loop: (100 - 199) LoopLen: 100");
  EXPECT_TRUE(w.Tracker().Modified());

  // The loop lines: red at the start, green at the end.
  const QImage picture = w.Image()->grab().toImage();
  EXPECT_EQ(picture.pixel(100, y), qRgb(255, 0, 0));
  EXPECT_EQ(picture.pixel(199, y), qRgb(0, 128, 0));

  w.Get<QComboBox>("ComboBox2")->setCurrentIndex(kLoopNone);
  EXPECT_EQ(w.frame->LoopLabel()->text(), "No loop");
  w.Click("SpeedButton2");  // "Del"
  EXPECT_EQ(w.frame->NameLabel()->text(), "No sample loaded.");
  EXPECT_FALSE(Inside(w.Tracker()).Waves().InUse(5));
  // An empty layer has no loop to play.
  w.Tracker().Edits().MarkSaved();
  w.Get<QComboBox>("ComboBox2")->setCurrentIndex(kLoopForward);
  EXPECT_EQ(w.Get<QComboBox>("ComboBox2")->currentText(), "No Loop");
  EXPECT_FALSE(w.Tracker().Modified());
}

TEST(FrameSynth, EditorChangesMarkTheSongSoNewAsks) {
  TSynthWindow w;
  struct Case {
    const char* what;
    std::function<void()> change;
  };
  const Case cases[] = {
      {"a knob", [&] { w.Get<TmKnob>("mKnob23")->SetCurValue(17); }},
      {"a spin edit", [&] { w.Get<QSpinBox>("SpinEdit2")->setValue(7); }},
      {"the volume bar", [&] { w.Get<QSlider>("TrackBar1")->setValue(20); }},
      {"the engine", [&] { w.Get<QComboBox>("ComboBox1")->setCurrentIndex(kGenSampler); }},
      {"a sample", [&] { w.LoadWave(100); }},
      {"the loop mode", [&] { w.Get<QComboBox>("ComboBox2")->setCurrentIndex(kLoopForward); }},
  };
  for (const Case& c : cases) {
    w.Tracker().Edits().MarkSaved();
    c.change();
    EXPECT_TRUE(w.Tracker().Modified()) << c.what;
  }
  w.prompts.answers = {false};
  EXPECT_FALSE(w.form->NewSongClick());
  ASSERT_EQ(w.prompts.asked.size(), 1u);
  EXPECT_EQ(w.prompts.asked[0], "New Song: Song has not been saved, discard it?");
}

TEST(FrameSynth, ALoopedWaveComesBackWithTheSong) {
  TSynthWindow w;
  w.SelectInstrument(4);
  w.Get<QSpinBox>("SE_Layer")->setValue(5);
  const QString wave = w.Path("pad.wav");
  WriteWav(wave, 1000, 2);
  w.prompts.files = {wave};
  w.Click("SpeedButton1");  // "Load Sample"
  ASSERT_EQ(w.frame->NameLabel()->text(), "pad.wav:  1000 (Stereo)");
  EXPECT_EQ(w.frame->RateLabel()->text(), "44100 Hz");  // the file's, for setting Tune
  TSampleEditor* image = w.Image();
  QTest::mouseClick(image, Qt::LeftButton, Qt::NoModifier, QPoint(image->width() / 4, 3));
  QTest::mouseClick(image, Qt::LeftButton, Qt::NoModifier,
                    QPoint(image->width() * 3 / 4, image->height() - 4));
  w.Get<QComboBox>("ComboBox2")->setCurrentIndex(kLoopPingpong);
  cWaveEntry saved;
  ASSERT_TRUE(Inside(w.Tracker()).Waves().GetEntry(5, &saved));
  EXPECT_NEAR(saved.loopStart, 250, 2);
  EXPECT_NEAR(saved.loopEnd, 750, 2);
  const QString loop = w.frame->LoopLabel()->text();
  EXPECT_TRUE(loop.startsWith("Loop: (")) << loop.toStdString();

  ASSERT_TRUE(w.form->SaveSongFile(w.Path("looped.zqm")));
  ASSERT_TRUE(w.form->NewSongClick());
  w.SelectInstrument(4);
  EXPECT_EQ(w.Get<QSpinBox>("SE_Layer")->value(), 0);
  EXPECT_EQ(w.frame->NameLabel()->text(), "No sample loaded.");
  ASSERT_TRUE(w.form->LoadSongFile(w.Path("looped.zqm")));

  w.SelectInstrument(4);
  EXPECT_EQ(w.Get<QSpinBox>("SE_Layer")->value(), 5);
  EXPECT_EQ(w.frame->NameLabel()->text(), "pad.wav:  1000 (Stereo)");
  EXPECT_EQ(w.frame->LoopLabel()->text(), loop);
  EXPECT_EQ(w.frame->RateLabel()->text(), "");  // a song file keeps no rate
  EXPECT_EQ(w.Get<QComboBox>("ComboBox2")->currentText(), "Pingpong");
  cWaveEntry loaded;
  ASSERT_TRUE(Inside(w.Tracker()).Waves().GetEntry(5, &loaded));
  EXPECT_EQ(loaded.length, 1000);
  EXPECT_EQ(loaded.loopStart, saved.loopStart);
  EXPECT_EQ(loaded.loopEnd, saved.loopEnd);
  EXPECT_EQ(loaded.flags, saved.flags);
  EXPECT_EQ(loaded.data[kWaveMargin + 1999], int16_t(1999 * 7));
  EXPECT_FALSE(w.Tracker().Modified());
}

TEST(FrameSynth, AFileThatDoesNotLoadIsReportedAndChangesNothing) {
  TSynthWindow w;
  w.LoadWave(100);
  cWaveEntry before;
  ASSERT_TRUE(Inside(w.Tracker()).Waves().GetEntry(5, &before));
  const QString junk = w.Path("junk.wav");
  std::ofstream(junk.toStdString()) << "not a wave at all";
  struct Case {
    QString path;
    const char* reason;
  };
  // A 16-bit WAV file cut inside its samples.
  const QString cut = w.Path("cut.wav");
  ASSERT_TRUE(WriteRampWav(cut.toStdString(), 100, 1));
  std::filesystem::resize_file(cut.toStdString(), 44 + 150);
  for (const Case& c :
       {Case{w.Path("missing.wav"), "No such file or directory"},
        Case{junk, "not a sound file that can be read (WAV, FLAC, AIFF or Ogg Vorbis)"},
        Case{cut, "the file ends early"}}) {
    w.prompts.told.clear();
    w.Tracker().Edits().MarkSaved();
    w.prompts.files = {c.path};
    w.Click("SpeedButton1");
    ASSERT_EQ(w.prompts.told.size(), 1u);
    EXPECT_EQ(
        w.prompts.told[0],
        ("Load Sample: Sample could not be loaded!\n" + c.path + ": " + c.reason).toStdString());
    cWaveEntry after;
    ASSERT_TRUE(Inside(w.Tracker()).Waves().GetEntry(5, &after));
    EXPECT_EQ(after.data, before.data);
    EXPECT_EQ(w.frame->NameLabel()->text(), "wave.wav:  100 (Mono)");
    EXPECT_FALSE(w.Tracker().Modified());
  }
}

// A layer another sampler plays: Load Sample and Del ask first, and No
// changes nothing.
TEST(FrameSynth, ASharedLayersSampleChangesOnlyWhenTheMusicianSaysSo) {
  TSynthWindow w;
  w.LoadWave(100);
  int16_t* other = Inside(w.Tracker()).GetParams(1);  // instrument 2 on the same layer
  other[kParamGenType] = kGenSampler;
  other[2] = 5;
  w.SelectInstrument(2);
  w.SelectInstrument(4);
  EXPECT_EQ(w.frame->NameLabel()->text(), "wave.wav:  100 (Mono)    Also used by instrument 2.");
  const QString second = w.Path("second.wav");
  WriteWav(second, 300, 1);
  auto data = [&] {
    cWaveEntry e{};
    Inside(w.Tracker()).Waves().GetEntry(5, &e);
    return e.data;
  };
  const auto first = data();
  const std::string load =
      "Load Sample: Layer 5 is also used by instrument 2: replace its sample for all of them?";
  const std::string del =
      "Delete Sample: Layer 5 is also used by instrument 2: delete its sample for all of them?";
  struct Case {
    const char* button;
    bool yes;
    const std::string& question;
    bool changes;
  };
  for (const Case& c :
       {Case{"SpeedButton1", false, load, false}, Case{"SpeedButton2", false, del, false},
        Case{"SpeedButton1", true, load, true}}) {
    SCOPED_TRACE(c.button + std::string(c.yes ? " yes" : " no"));
    w.prompts.asked.clear();
    w.prompts.answers = {c.yes};
    w.prompts.files = {second};
    w.Tracker().Edits().MarkSaved();
    w.Click(c.button);
    ASSERT_EQ(w.prompts.asked.size(), 1u);
    EXPECT_EQ(w.prompts.asked[0], c.question);
    EXPECT_EQ(data() != first, c.changes);
    EXPECT_EQ(w.Tracker().Modified(), c.changes);
  }
  w.prompts.asked.clear();
  w.prompts.answers = {true};
  w.Click("SpeedButton2");
  EXPECT_EQ(w.prompts.asked, std::vector<std::string>{del});
  EXPECT_EQ(data(), nullptr);
  // An empty layer has nothing to lose: Del asks nothing.
  w.prompts.asked.clear();
  w.Click("SpeedButton2");
  EXPECT_TRUE(w.prompts.asked.empty());
}

TEST(FrameSynth, PresetsLoadAndSaveThroughTheButtons) {
  TSynthWindow w;
  // A synthesizer preset into instrument 1.
  w.frame->Pages()->setCurrentIndex(kPageFilter);
  w.prompts.files = {MURVELON_SOURCE_DIR "/Synths/Acid Bass.zqb"};
  w.Click("SpeedButton3");
  EXPECT_TRUE(w.prompts.told.empty());
  EXPECT_TRUE(w.Tracker().Modified());
  EXPECT_EQ(w.Get<TmKnob>("mKnob23")->Position(), w.Word(22));  // the frame shows it
  const std::vector<int16_t> acid = w.Words();

  w.prompts.files = {w.Path("mine.zqb")};
  w.Click("SpeedButton4");
  EXPECT_TRUE(w.prompts.told.empty());
  ASSERT_TRUE(QFileInfo::exists(w.Path("mine.zqb")));
  w.Get<TmKnob>("mKnob23")->SetCurValue(3);
  w.prompts.files = {w.Path("mine.zqb")};
  w.Click("SpeedButton3");
  EXPECT_EQ(w.Words(), acid);

  // A folder that cannot be written, also for root: its parent is a file.
  const QString notAFolder = w.Path("plain-file");
  std::ofstream(notAFolder.toStdString()) << "x";
  w.prompts.files = {notAFolder + "/mine.zqb"};
  w.Click("SpeedButton4");
  ASSERT_EQ(w.prompts.told.size(), 1u);
  EXPECT_EQ(w.prompts.told[0],
            ("Save Synth: Preset could not be saved!\n" + notAFolder + "/mine.zqb: Not a directory")
                .toStdString());

  // A synthesizer preset is not an FM one.
  w.prompts.told.clear();
  w.SelectInstrument(6);
  w.Get<QComboBox>("ComboBox1")->setCurrentIndex(kGenFM);
  const std::vector<int16_t> fm = w.Words();
  w.prompts.files = {w.Path("mine.zqb")};
  w.Click("SpeedButton6");
  ASSERT_EQ(w.prompts.told.size(), 1u);
  EXPECT_EQ(w.prompts.told[0], ("Load Synth: Preset could not be loaded!\n" + w.Path("mine.zqb") +
                                ": not an FM synth preset (*.zqf)")
                                   .toStdString());
  EXPECT_EQ(w.Words(), fm);
}

TEST(FrameSynth, EveryPageFitsTheWindowWithoutScrolling) {
  TSynthWindow w;
  for (const cSynthControl& c : SynthControls()) {
    QWidget* control = w.frame->Control(c.name);
    EXPECT_TRUE(w.frame->isAncestorOf(control)) << c.name << " has no place";
    EXPECT_EQ(control->focusPolicy() & Qt::TabFocus, 0) << c.name << " takes Tab";
  }
  for (QSize size : {QSize(1280, 800), QSize(1024, 700)}) {
    w.form->resize(size);
    for (int32_t engine = 0; engine < kGenKinds; ++engine) {
      w.Get<QComboBox>("ComboBox1")->setCurrentIndex(engine);
      for (int page = 0; page < kSynthPages; ++page) {
        if (!PageShown(page, engine)) continue;
        w.frame->Pages()->setCurrentIndex(page);
        QTest::qWait(20);
        auto* scroll = qobject_cast<QScrollArea*>(w.frame->Pages()->widget(page));
        ASSERT_NE(scroll, nullptr);
        EXPECT_FALSE(scroll->horizontalScrollBar()->isVisible())
            << PageCaption(page) << " at " << size.width() << " x " << size.height();
        EXPECT_FALSE(scroll->verticalScrollBar()->isVisible())
            << PageCaption(page) << " at " << size.width() << " x " << size.height();
      }
    }
  }
}
