#include "ui/instrumentlist.h"

#include <gtest/gtest.h>

#include <QComboBox>
#include <QHeaderView>
#include <QLabel>
#include <QPushButton>
#include <QSpinBox>
#include <QSplitter>
#include <QTableView>
#include <QTest>

#include "app/tracker.h"
#include "editor/synthcontrols.h"
#include "editor/synthedit.h"
#include "tests/support/rampwav.h"
#include "tests/ui/uitestsupport.h"
#include "ui/framesynth.h"

namespace {

class TListWindow : public TWindowFixture {
 public:
  TListWindow() {
    frame = form->findChild<TFrameSynth*>();
    frame->Editor()->engineChangeWaitMs = 0;
    list = form->InstrumentList();
    form->resize(1280, 800);
    form->show();
    EXPECT_TRUE(QTest::qWaitForWindowExposed(form.get()));
    QApplication::processEvents();
  }

  QTableView* View() { return list->View(); }
  QModelIndex Index(int instrument, int column = 0) {
    return View()->model()->index(instrument - 1, column);
  }
  QString Cell(int instrument, int column) { return Index(instrument, column).data().toString(); }
  void ClickRow(int instrument) {
    View()->scrollTo(Index(instrument));
    QTest::mouseClick(View()->viewport(), Qt::LeftButton, {},
                      View()->visualRect(Index(instrument)).center());
  }
  void DoubleClickRow(int instrument) {
    View()->scrollTo(Index(instrument));
    const QPoint at = View()->visualRect(Index(instrument)).center();
    QTest::mouseClick(View()->viewport(), Qt::LeftButton, {}, at);
    QTest::mouseDClick(View()->viewport(), Qt::LeftButton, {}, at);
  }
  int SelectedRow() { return View()->selectionModel()->currentIndex().row() + 1; }
  // The instrument made a sampler through its page, holding a WAV of its own.
  void MakeSampler(int instrument, const char* file) {
    form->InstrumentEdit()->setValue(instrument);
    qobject_cast<QComboBox*>(frame->Control("ComboBox1"))->setCurrentIndex(kGenSampler);
    ASSERT_TRUE(WriteRampWav(Path(file).toStdString(), 200, 1));
    ASSERT_TRUE(frame->LoadSampleFile(Path(file)));
    QApplication::processEvents();
  }

  TFrameSynth* frame = nullptr;
  TInstrumentList* list = nullptr;
};

TEST(InstrumentListWindow, AClickSelectsADoubleClickOpensAndTheSelectionFollowsTheInstrField) {
  TListWindow w;
  ASSERT_EQ(w.View()->model()->rowCount(), 128);
  EXPECT_TRUE(w.list->isVisible());
  EXPECT_EQ(w.SelectedRow(), 1);

  w.ClickRow(7);
  EXPECT_EQ(w.form->InstrumentEdit()->value(), 7);
  EXPECT_EQ(w.Tracker().Song().currentInstrument, 7);

  w.form->InstrumentEdit()->setValue(12);
  EXPECT_EQ(w.SelectedRow(), 12);
  w.Tracker().SetInstrument(30);  // a key or MIDI, not the field
  EXPECT_EQ(w.SelectedRow(), 30);

  // 128 is shown but cannot be chosen.
  w.ClickRow(128);
  EXPECT_EQ(w.Tracker().Song().currentInstrument, 30);
  EXPECT_EQ(w.Index(128).flags() & Qt::ItemIsSelectable, 0);

  EXPECT_EQ(w.form->ShownPage(), kPagePattern);
  w.DoubleClickRow(3);
  EXPECT_EQ(w.form->ShownPage(), kPageSynth);
  EXPECT_EQ(w.form->InstrumentEdit()->value(), 3);
  EXPECT_EQ(w.frame->Editor()->Block(), 2);
}

// Two samplers made one after the other keep their own waves through a save
// and a load; New empties the list, Load shows them again, bold where the
// patterns play them.
TEST(InstrumentListWindow, FollowsEditsNewAndLoad) {
  TListWindow w;
  w.MakeSampler(2, "kick.wav");
  w.MakeSampler(3, "snare.wav");
  EXPECT_EQ(w.Cell(2, 1), "Sampler");
  EXPECT_EQ(w.Cell(2, 2), "kick.wav");
  EXPECT_EQ(w.Cell(3, 2), "snare.wav");
  EXPECT_EQ(w.frame->TitleLabel()->text(), "Instrument 3: snare.wav");
  w.Tracker().Edits().EditPattern("Note", 0, [](cSongTables& song) {
    song.Cell(0, 1, 4).instrument = 3;
    return true;
  });
  QApplication::processEvents();  // an edit is read once the window is idle
  EXPECT_TRUE(w.Index(3).data(Qt::FontRole).value<QFont>().bold());
  EXPECT_FALSE(w.Index(2).data(Qt::FontRole).value<QFont>().bold());
  EXPECT_EQ(w.Index(3).data(Qt::AccessibleTextRole).toString(),
            "Instrument 3, Sampler, snare.wav, used in the patterns");

  ASSERT_TRUE(w.form->SaveSongFile(w.Path("two.zqm")));
  ASSERT_TRUE(w.form->NewSongClick());
  EXPECT_EQ(w.Cell(2, 2), "-");
  EXPECT_EQ(w.Cell(3, 1), "Synthesizer");
  ASSERT_TRUE(w.form->LoadSongFile(w.Path("two.zqm")));
  EXPECT_EQ(w.Cell(2, 2), "kick.wav");
  EXPECT_EQ(w.Cell(3, 2), "snare.wav");
  EXPECT_TRUE(w.Index(3).data(Qt::FontRole).value<QFont>().bold());
}

// The preset's name beside the engine box and in the list, and the preset
// buttons on every page of the synthesizer.
TEST(InstrumentListWindow, ThePresetsNameShowsBesideTheEngineAndInTheList) {
  TListWindow w;
  w.form->TB_SynthClick();
  w.form->InstrumentEdit()->setValue(1);
  EXPECT_EQ(w.frame->TitleLabel()->text(), "Instrument 1");
  auto* load = qobject_cast<QPushButton*>(w.frame->Control("SpeedButton3"));
  for (int page : {kPageOscillators, kPageFilter}) {
    w.frame->Pages()->setCurrentIndex(page);
    EXPECT_TRUE(load->isVisible()) << PageCaption(page);
    EXPECT_TRUE(w.frame->Control("SpeedButton4")->isVisible()) << PageCaption(page);
    EXPECT_FALSE(w.frame->Control("SpeedButton6")->isVisible()) << PageCaption(page);
  }
  w.prompts.files = {MURVELON_SOURCE_DIR "/Synths/Acid Bass.zqb"};
  QTest::mouseClick(load, Qt::LeftButton);
  QApplication::processEvents();
  EXPECT_EQ(w.frame->TitleLabel()->text(), "Instrument 1: Acid Bass.zqb");
  EXPECT_EQ(w.Cell(1, 2), "Acid Bass.zqb");

  w.prompts.files = {w.Path("Mine.zqb")};
  QTest::mouseClick(qobject_cast<QPushButton*>(w.frame->Control("SpeedButton4")), Qt::LeftButton);
  QApplication::processEvents();
  EXPECT_EQ(w.frame->TitleLabel()->text(), "Instrument 1: Mine.zqb");
  EXPECT_EQ(w.Cell(1, 2), "Mine.zqb");

  qobject_cast<QComboBox*>(w.frame->Control("ComboBox1"))->setCurrentIndex(kGenFM);
  QApplication::processEvents();
  EXPECT_EQ(w.frame->TitleLabel()->text(), "Instrument 1");
  EXPECT_EQ(w.Cell(1, 2), "-");
  EXPECT_TRUE(w.frame->Control("SpeedButton6")->isVisible());
  EXPECT_FALSE(load->isVisible());
  qobject_cast<QComboBox*>(w.frame->Control("ComboBox1"))->setCurrentIndex(kGenSampler);
  EXPECT_FALSE(w.frame->Control("SpeedButton6")->isVisible());
  EXPECT_FALSE(load->isVisible());
}

// In a narrow window the list stands beside the pattern page, which fits any
// width, and folds away for the instrument page so that it does not scroll.
TEST(InstrumentListWindow, GivesWayToThePagesInANarrowWindow) {
  TListWindow w;
  auto* split = w.form->findChild<QSplitter*>("LowerSplit");
  ASSERT_NE(split, nullptr);
  auto side = [&] {
    QApplication::processEvents();
    return split->sizes().value(1);
  };
  w.form->resize(1024, 700);
  EXPECT_GT(side(), 150);
  w.form->TB_SynthClick();
  EXPECT_EQ(side(), 0);
  w.form->TB_PatternClick();
  EXPECT_GT(side(), 150);
  w.form->resize(1280, 800);
  w.form->TB_SynthClick();
  EXPECT_GT(side(), 150);
  EXPECT_TRUE(w.list->isVisible());
}

}  // namespace
