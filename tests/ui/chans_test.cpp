// The channel page, the effect parameter window and the scope in the main
// window: what they show of the song, what a touch changes.

#include <gtest/gtest.h>

#include <QApplication>
#include <QComboBox>
#include <QLabel>
#include <QPushButton>
#include <QSlider>
#include <QTest>
#include <QTimer>
#include <cmath>
#include <fstream>
#include <functional>

#include "app/tracker.h"
#include "app/trackerinside.h"
#include "fx/effect.h"
#include "tests/support/modsong.h"
#include "tests/ui/uitestsupport.h"
#include "ui/formfxparm.h"
#include "ui/framechans.h"
#include "ui/scope.h"

namespace {

constexpr const char* kDemo = MURVELON_SOURCE_DIR "/Songs/demo.zqm";
constexpr int kDelay = 2, kReverb = 3, kStereoExpander = 4;

TFrameChans& Frame(TWindowFixture& w) { return *w.Form().findChild<TFrameChans*>(); }
TScopeView& Scope(TWindowFixture& w) { return *w.Form().findChild<TScopeView*>(); }

// Every control of the page shows the engine's value, for the chain shown.
void ExpectFrameShowsTheSong(TWindowFixture& w, const char* when) {
  TFrameChans& f = Frame(w);
  cTracker& t = w.Tracker();
  std::lock_guard<std::recursive_mutex> lock(Inside(t).EngineLock());
  for (int c = 0; c < kPageChannels; ++c) {
    EXPECT_EQ(f.VolumeBar(c)->value(), Inside(t).Song().channelVolume[c])
        << when << " channel " << c;
    EXPECT_EQ(f.VolumeLabel(c)->text(), QString("%1%").arg(Inside(t).Song().channelVolume[c]))
        << when;
  }
  const int chain = f.ChainBox()->currentIndex();
  for (int s = 0; s < kPageSlots; ++s) {
    EXPECT_EQ(f.TypeBox(s)->currentIndex(), int(Inside(t).Effects().type[s][chain]))
        << when << " " << s;
    EXPECT_EQ(f.ParamButton(s)->isEnabled(), Inside(t).GetFxObjPtr(s, chain) != nullptr) << when;
  }
  for (int b = 0; b < kPageBuses && chain < kPageChannels; ++b)
    EXPECT_EQ(f.SendBar(b)->value(), t.GetSend(chain, b)) << when << " bus " << b;
}

// Runs `inside` on the effect window that `open` shows modally, then closes
// it. False when no window was shown.
bool WithEffectWindow(const std::function<void()>& open,
                      const std::function<void(TFormFXparm&)>& inside) {
  bool shown = false;
  QTimer timer;  // dies with this call, so it never fires after it
  timer.setSingleShot(true);
  QObject::connect(&timer, &QTimer::timeout, [&] {
    auto* window = qobject_cast<TFormFXparm*>(QApplication::activeModalWidget());
    if (window == nullptr) return;
    shown = true;
    inside(*window);
    window->reject();
  });
  timer.start(0);
  open();
  return shown;
}

void SetTempo(cTracker& t, int bpm, int speed) {
  std::lock_guard<std::recursive_mutex> lock(Inside(t).EngineLock());
  Inside(t).Song().bpm = bpm;
  Inside(t).Song().speed = speed;
}

}  // namespace

// A page showing the last song's values would write them into the next song
// at the first touch.
TEST(ChansPage, ShowsTheSongAfterNewLoadAndImport) {
  TWindowFixture w;
  TFrameChans& f = Frame(w);
  ASSERT_NE(&f, nullptr);
  f.ChainBox()->setCurrentIndex(4);  // the demo's stereo expander, sending to Aux1 and Aux2
  ExpectFrameShowsTheSong(w, "start-up");

  ASSERT_TRUE(w.Form().LoadSongFile(kDemo));
  ExpectFrameShowsTheSong(w, "load");
  EXPECT_EQ(f.VolumeBar(1)->value(), 80);
  EXPECT_EQ(f.TypeBox(0)->currentText(), "Stereo Expander");
  EXPECT_EQ(f.SendBar(1)->value(), 30);
  EXPECT_TRUE(f.ParamButton(0)->isEnabled());
  // Channels the song does not play are greyed.
  EXPECT_TRUE(f.ChannelNumber(6)->isEnabled());
  EXPECT_FALSE(f.ChannelNumber(7)->isEnabled());

  ASSERT_TRUE(w.Form().NewSongClick());
  ExpectFrameShowsTheSong(w, "new");
  EXPECT_EQ(f.VolumeBar(1)->value(), 100);
  EXPECT_EQ(f.TypeBox(0)->currentIndex(), 0);
  EXPECT_FALSE(f.ParamButton(0)->isEnabled());

  ASSERT_TRUE(w.Form().LoadSongFile(kDemo));
  f.VolumeBar(0)->setValue(150);  // unsaved: the import asks first
  const std::vector<uint8_t> module = ComposeModule();
  const QString path = w.Path("generated.mod");
  std::ofstream(path.toStdString(), std::ios::binary)
      .write(reinterpret_cast<const char*>(module.data()), std::streamsize(module.size()));
  w.prompts.answers = {true};
  ASSERT_TRUE(w.Form().ImportModFile(path));
  ExpectFrameShowsTheSong(w, "import");
  EXPECT_EQ(f.VolumeBar(0)->value(), 100);
  EXPECT_EQ(f.SendBar(0)->value(), 0);

  // A touch after the import writes only what was touched.
  f.VolumeBar(2)->setValue(120);
  EXPECT_EQ(Inside(w.Tracker()).Song().channelVolume[2], 120);
  EXPECT_EQ(Inside(w.Tracker()).Song().channelVolume[1], 100);
}

TEST(ChansPage, EveryChangeMarksTheSongModified) {
  TWindowFixture w;
  TFrameChans& f = Frame(w);
  struct Case {
    const char* what;
    std::function<void()> change;
    std::function<bool(cTracker&)> took;
  };
  const Case cases[] = {
      {"volume", [&] { f.VolumeBar(3)->setValue(250); },
       [](cTracker& t) { return Inside(t).Song().channelVolume[3] == 250; }},
      {"type", [&] { f.TypeBox(2)->setCurrentIndex(kReverb); },
       [](cTracker& t) {
         return Inside(t).Effects().type[2][0] == uint32_t(kReverb) &&
                Inside(t).GetFxObjPtr(2, 0) != nullptr;
       }},
      {"send", [&] { f.SendBar(3)->setValue(40); },
       [](cTracker& t) { return t.GetSend(0, 3) == 40; }},
      {"parameter",
       [&] {
         f.TypeBox(0)->setCurrentIndex(kReverb);
         w.Tracker().Edits().MarkSaved();
         TFormFXparm window(&w.Form());
         ASSERT_TRUE(window.Build(w.Tracker(), 0, 0));
         window.Bar(1)->setValue(777);
       },
       [](cTracker& t) { return Inside(t).GetFxObjPtr(0, 0)->GetParam(1) == 777; }},
  };
  for (const Case& c : cases) {
    w.prompts.answers = {true};  // discard the last case's change
    ASSERT_TRUE(w.Form().NewSongClick()) << c.what;
    ASSERT_FALSE(w.Tracker().Modified());
    c.change();
    EXPECT_TRUE(c.took(w.Tracker())) << c.what;
    EXPECT_TRUE(w.Tracker().Modified()) << c.what;
  }
}

TEST(ChansPage, NoneDeletesTheEffectAndItsButtonShowsNothing) {
  TWindowFixture w({}, kDemo);
  TFrameChans& f = Frame(w);
  f.ChainBox()->setCurrentIndex(4);
  ASSERT_EQ(f.TypeBox(0)->currentIndex(), kStereoExpander);
  f.TypeBox(0)->setCurrentIndex(0);
  EXPECT_EQ(Inside(w.Tracker()).GetFxObjPtr(0, 4), nullptr);
  EXPECT_EQ(Inside(w.Tracker()).Effects().type[0][4], 0u);
  EXPECT_FALSE(f.ParamButton(0)->isEnabled());
  EXPECT_FALSE(WithEffectWindow([&] { f.ParamClick(0); }, [](TFormFXparm&) {}));
}

TEST(ChansPage, AnAuxChainHidesTheSends) {
  TWindowFixture w({}, kDemo);
  TFrameChans& f = Frame(w);
  for (int chain : {0, 15, 16, 19, 5}) {
    f.ChainBox()->setCurrentIndex(chain);
    for (int b = 0; b < kPageBuses; ++b)
      EXPECT_EQ(f.SendBar(b)->isVisibleTo(&f), chain < 16) << chain << " bus " << b;
  }
  // The sends shown are the chain's own.
  EXPECT_EQ(f.SendBar(0)->value(), 30);
  EXPECT_EQ(f.ChainBox()->itemText(16), "Aux1");
  EXPECT_EQ(f.ChainBox()->count(), 20);
}

// The delay at BPM 140 and speed 6, opened through its "..." button.
TEST(EffectWindow, TempoAndPresetButtonsMoveTheBars) {
  TWindowFixture w;
  w.Form().show();
  w.Form().TB_ChansClick();
  TFrameChans& f = Frame(w);
  SetTempo(w.Tracker(), 140, 6);
  f.TypeBox(1)->setCurrentIndex(kDelay);
  cEffect* delay = Inside(w.Tracker()).GetFxObjPtr(1, 0);
  ASSERT_NE(delay, nullptr);
  const bool shown = WithEffectWindow(
      [&] { QTest::mouseClick(f.ParamButton(1), Qt::LeftButton); },
      [&](TFormFXparm& window) {
        EXPECT_EQ(window.windowTitle(), "Delay + Feedback");
        EXPECT_TRUE(window.windowFlags() & Qt::Tool);
        EXPECT_TRUE(window.windowFlags() & Qt::WindowStaysOnTopHint);
        ASSERT_EQ(window.RowCount(), 8);
        EXPECT_EQ(window.NameLabel(0)->text(), "Delay Left (ms)");
        EXPECT_EQ(window.Bar(0)->maximum(), 1024);
        EXPECT_EQ(window.Bar(0)->tickInterval(), 102);
        EXPECT_NE(window.TempoButton(1, 7), nullptr);
        EXPECT_EQ(window.TempoButton(2, 0), nullptr);
        EXPECT_EQ(window.TempoButton(0, 3)->text(), "4x");
        ASSERT_EQ(window.PresetButtonCount(), 2);
        EXPECT_EQ(window.PresetButton(0)->text(), "Default");
        // The window's size is the layout's, grown with the font, and no
        // name is wider than its column.
        EXPECT_EQ(window.height(), int(std::lround((64 + 28 * 8) * window.Scale())));
        EXPECT_GE(window.width(), int(std::lround(576 * window.Scale())));
        for (int i = 0; i < window.RowCount(); ++i) {
          EXPECT_LE(window.NameLabel(i)->sizeHint().width(), window.NameLabel(i)->width()) << i;
          EXPECT_LE(window.NameLabel(i)->geometry().right(), window.Bar(i)->x()) << i;
        }

        QTest::mouseClick(window.TempoButton(0, 3), Qt::LeftButton);
        EXPECT_EQ(delay->GetParam(0), 428);
        EXPECT_EQ(window.Bar(0)->value(), 428);
        EXPECT_EQ(window.ValueLabel(0)->text(), "428 ms");

        QTest::mouseClick(window.PresetButton(1), Qt::LeftButton);
        const int preset1[8] = {85, 80, 80, 85, 90, 90, 95, 0};
        for (int i = 0; i < 8; ++i) {
          EXPECT_EQ(delay->GetParam(i), preset1[i]) << i;
          EXPECT_EQ(window.Bar(i)->value(), preset1[i]) << i;
        }
        EXPECT_EQ(window.ValueLabel(0)->text(), "85 ms");

        window.Bar(2)->setValue(50);
        EXPECT_EQ(delay->GetParam(2), 50);
        EXPECT_EQ(window.ValueLabel(2)->text(), "50 %");
      });
  EXPECT_TRUE(shown);
  EXPECT_TRUE(w.Tracker().Modified());
  // Closed, it keeps nothing of the effect.
  EXPECT_EQ(w.Form().findChild<TFormFXparm*>(), nullptr);
}

// The reverberator's bars run over its range; a value the effect keeps
// differently puts the bar where the effect is.
TEST(EffectWindow, BarsShowWhatTheEffectKeeps) {
  TWindowFixture w({}, kDemo);
  TFormFXparm window(&w.Form());
  ASSERT_TRUE(window.Build(w.Tracker(), 16, 0));  // Aux1's reverberator
  EXPECT_EQ(window.windowTitle(), "Reverberator");
  ASSERT_EQ(window.RowCount(), 5);
  EXPECT_EQ(window.PresetButtonCount(), 1);
  cEffect* reverb = Inside(w.Tracker()).GetFxObjPtr(0, 16);
  for (int i = 0; i < 5; ++i) {
    EXPECT_EQ(window.Bar(i)->value(), reverb->GetParam(i)) << i;
    EXPECT_EQ(window.Bar(i)->minimum(), 0);
    EXPECT_EQ(window.Bar(i)->maximum(), 1000);
  }
  window.Bar(2)->setValue(333);
  EXPECT_EQ(reverb->GetParam(2), 333);
  EXPECT_EQ(window.ValueLabel(2)->text(), "33.3 %");
  window.Clear();
  EXPECT_EQ(window.RowCount(), 0);
  EXPECT_FALSE(window.Form().IsOpen());
  EXPECT_FALSE(window.Build(w.Tracker(), 16, 3));  // an empty slot
}

TEST(Scope, ClicksMuteAndSoloTheChannelUnderThePointer) {
  TWindowFixture w;
  w.Form().show();
  QApplication::processEvents();
  TScopeView& scope = Scope(w);
  ASSERT_EQ(Inside(w.Tracker()).Song().channelCount, 4);
  const int wide = scope.width(), high = scope.height();
  ASSERT_GT(wide, 100);
  const QPoint lowerRight(wide * 3 / 4, high * 3 / 4), upperLeft(wide / 4, high / 4);
  QTest::mouseClick(&scope, Qt::LeftButton, {}, lowerRight);
  for (int k = 0; k < 4; ++k) EXPECT_EQ(Inside(w.Tracker()).Song().IsActive(k), k != 3) << k;
  QTest::mouseClick(&scope, Qt::LeftButton, {}, lowerRight);
  EXPECT_TRUE(Inside(w.Tracker()).Song().IsActive(3));

  QTest::mouseClick(&scope, Qt::RightButton, {}, upperLeft);
  EXPECT_EQ(Inside(w.Tracker()).Song().mixer.solo, 0);
  QTest::mouseClick(&scope, Qt::LeftButton, {}, lowerRight);
  for (int k = 0; k < 4; ++k)
    EXPECT_EQ(Inside(w.Tracker()).Song().IsActive(k), k == 0 || k == 3) << k;
  EXPECT_FALSE(w.Tracker().Modified());

  // The picture covers the widget in device pixels and follows a change of
  // the channel count.
  const TFastBMP* image = scope.Scope().Image();
  ASSERT_NE(image, nullptr);
  EXPECT_EQ(image->Width(), int(std::ceil(wide * scope.PixelRatio())));
  w.Form().ChannelBox()->setCurrentIndex(w.Form().ChannelBox()->findText("16 Channels"));
  emit w.Form().ChannelBox()->activated(w.Form().ChannelBox()->currentIndex());
  EXPECT_EQ(scope.Scope().Layout().channels, 16);
  w.Form().DoTimer2();
  EXPECT_EQ(scope.Scope().Layout().columns, 8);
}
