// The pattern editor in the main window: key events as the platform
// delivers them, through the application's filter, on other keyboard
// layouts, into text fields and dialogs; the Edit menu, the spin edits, the
// sequence buttons and clicks, the views' layout and their following of
// playback, and the picture at the screen's pixel ratio.

#include "editor/patterneditor.h"

#include <gtest/gtest.h>

#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QDialog>
#include <QDir>
#include <QFile>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QSpinBox>
#include <QStyle>
#include <QStyleOptionSpinBox>
#include <QTest>
#include <QToolButton>
#include <QVBoxLayout>
#include <QWindow>
#include <cmath>
#include <mutex>
#include <tuple>

#include "app/tracker.h"
#include "app/trackerinside.h"
#include "editor/patterntext.h"
#include "tests/ui/uitestsupport.h"
#include "ui/appmessage.h"
#include "ui/patterneditorpart.h"
#include "ui/patternview.h"
#include "ui/sequenceview.h"
#include "ui/textimage.h"

namespace {

constexpr const char* kDemo = MURVELON_SOURCE_DIR "/Songs/demo.zqm";

// A shown, active main window; keys arrive as the platform sends them: to
// the focused control, else to the window.
class TPatternWindow : public TWindowFixture {
 public:
  explicit TPatternWindow(const std::string& song = {}) : TWindowFixture({}, song) {
    Form().resize(1280, 800);
    Form().show();
    Activate(Form());
  }

  // A dialog counts as active while its parent is: wait for the
  // application's own answer.
  static void Activate(QWidget& window) {
    window.activateWindow();
    EXPECT_TRUE(QTest::qWaitFor([&window] { return QApplication::activeWindow() == &window; }));
  }

  // Press and release, delivered to the active window as the platform
  // does; true when something took the press.
  bool Key(int qtKey, Qt::KeyboardModifiers modifiers = {}, int scanCode = 0,
           const QString& text = {}, bool repeat = false) {
    QWindow* target = QGuiApplication::focusWindow();
    if (target == nullptr) return false;
    QKeyEvent press(QEvent::KeyPress, qtKey, modifiers, quint32(scanCode), 0, 0, text, repeat);
    QApplication::sendEvent(target, &press);
    QKeyEvent release(QEvent::KeyRelease, qtKey, modifiers, quint32(scanCode), 0, 0, text);
    QApplication::sendEvent(target, &release);
    return press.isAccepted();
  }

  cPatternEditor& Editor() { return *Form().PatternEditor()->Editor(); }
  cPatternView& View() { return Editor().PatternView(); }
  TPatternView& PatternWidget() { return *Form().PatternEditor()->PatternView(); }
  TSequenceView& SequenceWidget() { return *Form().PatternEditor()->SequenceView(); }

  void Cursor(int row, int column) {
    View().SetRow(row);
    View().cursorColumn = column;
    View().NormaliseColumn();
  }
  void SetEditMode(int mode) {
    if (Editor().EditMode() != mode) Form().TB_RecClick();
  }
  cCell& Cell(int channel, int row) {
    return Inside(Tracker()).Song().Cell(View().currentPattern, channel, row);
  }
  int PlayerValue(int32_t cPlayer::*field) {
    std::lock_guard<std::recursive_mutex> lock(Inside(Tracker()).EngineLock());
    return Inside(Tracker()).Player().*field;
  }
  QString Panel(int i) { return Form().StatusPanel(i)->text(); }
  // The picture's colour at a logical point.
  QColor PictureAt(int x, int y) {
    const TTextImage& canvas = PatternWidget().Canvas();
    return canvas.Image().pixelColor(int(std::lround(x * canvas.Ratio())),
                                     int(std::lround(y * canvas.Ratio())));
  }
};

}  // namespace

// The piano stays under the same fingers whatever the keyboard prints: the
// note comes from the scan code (X11 keycode), the hex digit from the
// printed key, or from the digit row where AZERTY prints symbols.
TEST(PatternWindow, TypedNotesFollowThePhysicalKeysOnGermanAndFrenchKeyboards) {
  TPatternWindow w;
  w.SetEditMode(1);
  w.Form().RowAddEdit()->setValue(0);
  struct Case {
    const char* layout;
    int qtKey, scanCode;
    const char* text;
    uint8_t note;  // octave 3
  };
  for (Case c : {Case{"de", Qt::Key_Y, 52, "y", 37},                 // US Z: C
                 {"de", Qt::Key_Z, 29, "z", 58},                     // US Y: A, an octave up
                 {"de", Qt::Key_NumberSign, 51, "#", kNoteRelease},  // US backslash
                 {"de", Qt::Key_Comma, 59, ",", 49},                 // C, an octave up
                 {"fr", Qt::Key_A, 24, "a", 49},                     // US Q
                 {"fr", Qt::Key_W, 52, "w", 37},                     // US Z
                 {"fr", Qt::Key_Eacute, 11, "\u00e9", 50},           // US 2: C#, an octave up
                 {"fr", Qt::Key_Comma, 58, ",", 48},                 // US M: B
                 {"fr", Qt::Key_Semicolon, 59, ";", 49}}) {          // US comma
    w.Cursor(8, 0);
    w.Cell(0, 8).note = 0;
    EXPECT_TRUE(w.Key(c.qtKey, {}, c.scanCode, QString::fromUtf8(c.text)))
        << c.layout << " " << c.text;
    EXPECT_EQ(w.Cell(0, 8).note, c.note) << c.layout << " " << c.text;
  }
  // French Q lies where US has A, which is no note.
  w.Cursor(8, 0);
  w.Cell(0, 8).note = 0;
  EXPECT_FALSE(w.Key(Qt::Key_Q, {}, 38, "q"));
  EXPECT_EQ(w.Cell(0, 8).note, 0);

  struct Digit {
    int qtKey, scanCode;
    const char* text;
    uint8_t instrument;
  };
  for (Digit d : {Digit{Qt::Key_A, 24, "a", 0x1A},       // French A is the digit A
                  {Qt::Key_Agrave, 19, "\u00e0", 0x10},  // French digit row: 0
                  {Qt::Key_Ampersand, 10, "&", 0x11},    // and 1
                  {Qt::Key_C, 54, "c", 0x1C}}) {         // German and US C
    w.Cursor(8, 2);                                      // the instrument's low digit
    w.Cell(0, 8).instrument = 0x11;
    EXPECT_TRUE(w.Key(d.qtKey, {}, d.scanCode, QString::fromUtf8(d.text))) << d.text;
    EXPECT_EQ(w.Cell(0, 8).instrument, d.instrument) << d.text;
  }
  // The last key's code is shown.
  EXPECT_EQ(w.Form().KeyCodeLabel()->text(), "0043");
}

TEST(PatternWindow, TheGlobalKeysDriveTransportPagesAndMode) {
  TPatternWindow w(kDemo);
  EXPECT_TRUE(w.Key(Qt::Key_F9));
  EXPECT_EQ(w.PlayerValue(&cPlayer::playing), 1);
  EXPECT_TRUE(w.Key(Qt::Key_Space, {}, 65, " "));
  EXPECT_EQ(w.PlayerValue(&cPlayer::playing), 0);
  EXPECT_EQ(w.Editor().EditMode(), 0);  // stopping keeps the mode
  EXPECT_TRUE(w.Key(Qt::Key_Space, {}, 65, " "));
  EXPECT_EQ(w.Editor().EditMode(), 1);

  struct Page {
    int qtKey, page;
  };
  for (Page p : {Page{Qt::Key_9, kPageSynth}, {Qt::Key_8, kPageChans}, {Qt::Key_7, kPagePattern}}) {
    EXPECT_TRUE(w.Key(p.qtKey, Qt::KeypadModifier));
    EXPECT_EQ(w.Form().ShownPage(), p.page);
    EXPECT_EQ(w.Editor().ShownPage(), p.page == kPagePattern ? 0 : 1);
  }
  // The page buttons tell the editor too: on the instrument page the note
  // keys only sound.
  w.Form().Action("Synth")->trigger();
  EXPECT_EQ(w.Editor().ShownPage(), 1);
  w.Cursor(5, 0);
  w.Cell(0, 5).note = 0;
  EXPECT_TRUE(w.Key(Qt::Key_Z, {}, 52, "z"));
  EXPECT_EQ(w.Cell(0, 5).note, 0);
  w.Form().Action("Pattern")->trigger();
  EXPECT_TRUE(w.Key(Qt::Key_Z, {}, 52, "z"));
  EXPECT_EQ(w.Cell(0, 5).note, 37);

  EXPECT_TRUE(w.Key(Qt::Key_F7));
  EXPECT_EQ(w.PlayerValue(&cPlayer::playing), 1);
  EXPECT_TRUE(w.Key(Qt::Key_Escape));
  EXPECT_TRUE(w.Key(Qt::Key_Space, {}, 65, " "));
  EXPECT_EQ(w.PlayerValue(&cPlayer::playing), 0);
  // Ctrl chords the editor has no use for reach the menus' shortcuts.
  EXPECT_FALSE(w.Key(Qt::Key_X, Qt::ControlModifier, 53, "\x18"));
}

// Space, the Rec button, panel 1 and the cursor's colour tell the same mode.
TEST(PatternWindow, TheRecButtonThePanelAndTheViewAgreeOnTheMode) {
  TPatternWindow w;
  QAction* rec = w.Form().Action("Rec");
  w.Cursor(10, 0);
  auto expectMode = [&](int mode) {
    EXPECT_EQ(w.Editor().EditMode(), mode);
    EXPECT_EQ(w.Panel(1), mode != 0 ? "Edit Mode" : "Play Mode");
    EXPECT_EQ(rec->isChecked(), mode != 0);
    EXPECT_EQ(w.View().editMode, mode);
    const QColor mark = w.PictureAt(w.View().CursorX() + 2, w.View().RowTop(w.View().half));
    EXPECT_EQ(mark, mode != 0 ? QColor(255, 0, 0) : QColor(255, 255, 0));
  };
  expectMode(0);
  rec->trigger();
  expectMode(1);
  w.Key(Qt::Key_Space, {}, 65, " ");
  expectMode(0);
  w.Key(Qt::Key_Space, {}, 65, " ");
  expectMode(1);
  rec->trigger();
  expectMode(0);
}

TEST(PatternWindow, QuickLoadReportsAMissingSongAndAsksBeforeDiscarding) {
  TPatternWindow w;
  EXPECT_TRUE(w.Key(Qt::Key_F5, Qt::ControlModifier));
  EXPECT_EQ(w.Form().MessageLabel()->text(), "Song not found: Songs/_Pelvano_05l_ye.zqm");
  EXPECT_TRUE(w.prompts.asked.empty());

  ASSERT_TRUE(QDir().mkpath(w.Path("Songs")));
  ASSERT_TRUE(QFile::copy(kDemo, w.Path("Songs/_Pelvano_05l_ye.zqm")));
  w.SetEditMode(1);
  w.Cursor(0, 0);
  w.Key(Qt::Key_Q, {}, 24, "q");
  ASSERT_TRUE(w.Tracker().Modified());
  w.prompts.answers = {false};
  EXPECT_TRUE(w.Key(Qt::Key_F5, Qt::ControlModifier));
  ASSERT_EQ(w.prompts.asked.size(), 1u);
  EXPECT_EQ(w.prompts.asked[0], "Load Song: Song has not been saved, discard it?");
  EXPECT_EQ(Inside(w.Tracker()).Song().channelCount, 4);

  w.prompts.answers = {true};
  EXPECT_TRUE(w.Key(Qt::Key_F5, Qt::ControlModifier));
  EXPECT_EQ(Inside(w.Tracker()).Song().channelCount, 7);
  EXPECT_TRUE(w.Form().windowTitle().endsWith("_Pelvano_05l_ye.zqm"));
  EXPECT_FALSE(w.Tracker().Modified());
}

// A number typed into a spin box, a name typed into a dialog: never notes.
TEST(PatternWindow, TypingIntoASpinBoxOrADialogNeverEntersNotes) {
  TPatternWindow w;
  w.SetEditMode(1);
  w.Cursor(0, 0);
  QSpinBox* octave = w.Form().OctaveEdit();
  octave->setFocus();
  octave->selectAll();
  w.Key(Qt::Key_Z, {}, 52, "z");
  w.Key(Qt::Key_5, {}, 14, "5");  // a piano key on the digit row
  w.Key(Qt::Key_Space, {}, 65, " ");
  EXPECT_EQ(w.Cell(0, 0).note, 0);
  EXPECT_EQ(w.View().cursorRow, 0);
  EXPECT_EQ(w.Editor().EditMode(), 1);
  // Enter hands the keys back, with the octave typed.
  w.Key(Qt::Key_Return, {}, 36, "\r");
  EXPECT_FALSE(octave->hasFocus());
  EXPECT_EQ(Inside(w.Tracker()).Song().octave, 5);
  EXPECT_TRUE(w.Key(Qt::Key_Z, {}, 52, "z"));
  EXPECT_EQ(w.Cell(0, 0).note, 61);

  // Escape leaves the field, and still silences the voices.
  octave->setFocus();
  EXPECT_TRUE(w.Key(Qt::Key_Escape));
  EXPECT_FALSE(octave->hasFocus());

  for (bool modal : {false, true}) {
    QDialog dialog(&w.Form());
    auto* name = new QLineEdit(&dialog);
    (new QVBoxLayout(&dialog))->addWidget(name);
    dialog.setModal(modal);
    dialog.show();
    TPatternWindow::Activate(dialog);
    name->setFocus();
    w.Cursor(1, 0);
    for (auto [key, scan, text] : {std::tuple{Qt::Key_Z, 52, "z"},
                                   {Qt::Key_X, 53, "x"},
                                   {Qt::Key_Space, 65, " "},
                                   {Qt::Key_2, 11, "2"}})
      w.Key(key, {}, scan, text);
    EXPECT_EQ(name->text(), "zx 2") << modal;
    // Sent past the dialog to the main window: the filter stays out of it.
    QKeyEvent press(QEvent::KeyPress, Qt::Key_Z, {}, 52, 0, 0, "z");
    QApplication::sendEvent(w.Form().windowHandle(), &press);
    EXPECT_EQ(w.Cell(0, 1).note, 0) << modal;
    EXPECT_EQ(w.Editor().EditMode(), 1);
  }
  TPatternWindow::Activate(w.Form());
  EXPECT_TRUE(w.Key(Qt::Key_Z, {}, 52, "z"));
  EXPECT_EQ(w.Cell(0, 1).note, 61);

  // A click on the pattern takes the keys back from a field.
  w.Form().BpmField()->setFocus();
  QTest::mouseClick(
      &w.PatternWidget(), Qt::LeftButton, {},
      QPoint(SubColumnPosition(0, 0) * kCharWidth + 2, w.View().RowTop(w.View().half) + 8));
  EXPECT_FALSE(w.Form().BpmField()->hasFocus());
  EXPECT_TRUE(w.Key(Qt::Key_X, {}, 53, "x"));
  EXPECT_EQ(w.Cell(0, 2).note, 63);
}

// Stepping the octave with the arrows leaves the keys with the pattern, so
// the next note plays in the new octave; a click into the number types.
TEST(PatternWindow, AClickOnASpinBoxsArrowsLeavesTheKeysWithThePattern) {
  TPatternWindow w;
  w.SetEditMode(1);
  w.Cursor(0, 0);
  QSpinBox* octave = w.Form().OctaveEdit();
  QStyleOptionSpinBox option;
  option.initFrom(octave);
  option.subControls = QStyle::SC_SpinBoxUp;
  const QRect up =
      octave->style()->subControlRect(QStyle::CC_SpinBox, &option, QStyle::SC_SpinBoxUp, octave);
  QTest::mouseClick(octave, Qt::LeftButton, {}, up.center());
  QApplication::processEvents();
  EXPECT_EQ(octave->value(), 4);
  EXPECT_EQ(Inside(w.Tracker()).Song().octave, 4);
  EXPECT_EQ(QApplication::focusWidget(), nullptr);
  EXPECT_TRUE(w.Key(Qt::Key_Z, {}, 52, "z"));
  EXPECT_EQ(w.Cell(0, 0).note, 49);
}

// The keypad's / and * step the octave, with Ctrl the instrument, and the
// fields show it; the next note plays in the new octave.
TEST(PatternWindow, KeypadSlashAndStarStepTheOctaveAndTheInstrumentFields) {
  TPatternWindow w;
  w.SetEditMode(1);
  w.Cursor(0, 0);
  EXPECT_TRUE(w.Key(Qt::Key_Asterisk, Qt::KeypadModifier, 63, "*"));
  EXPECT_EQ(w.Form().OctaveEdit()->value(), 4);
  EXPECT_TRUE(w.Key(Qt::Key_Asterisk, Qt::KeypadModifier | Qt::ControlModifier, 63));
  EXPECT_TRUE(w.Key(Qt::Key_Asterisk, Qt::KeypadModifier | Qt::ControlModifier, 63));
  EXPECT_TRUE(w.Key(Qt::Key_Slash, Qt::KeypadModifier | Qt::ControlModifier, 106));
  EXPECT_EQ(w.Form().InstrumentEdit()->value(), 2);
  EXPECT_EQ(Inside(w.Tracker()).Song().currentInstrument, 2);
  EXPECT_TRUE(w.Key(Qt::Key_Z, {}, 52, "z"));
  EXPECT_EQ(w.Cell(0, 0).note, 49);
  EXPECT_EQ(w.Cell(0, 0).instrument, 2);
  EXPECT_TRUE(w.Key(Qt::Key_Slash, Qt::KeypadModifier, 106, "/"));
  EXPECT_EQ(w.Form().OctaveEdit()->value(), 3);
}

// A note key let go releases its preview; the keyboard's repeats, which
// arrive as releases and presses while the key is held, do not.
TEST(PatternWindow, ANoteKeyLetGoStopsItsPreview) {
  TPatternWindow w;
  w.Cursor(0, 0);
  QWindow* target = QGuiApplication::focusWindow();
  ASSERT_NE(target, nullptr);
  const auto send = [target](QEvent::Type type, bool repeat) {
    QKeyEvent event(type, Qt::Key_Z, {}, 52, 0, 0, "z", repeat);
    QApplication::sendEvent(target, &event);
  };
  send(QEvent::KeyPress, false);
  EXPECT_EQ(w.Editor().previewSounding, 1);
  send(QEvent::KeyRelease, true);
  send(QEvent::KeyPress, true);
  EXPECT_EQ(w.Editor().previewSounding, 1);
  send(QEvent::KeyRelease, false);
  EXPECT_EQ(w.Editor().previewSounding, 0);
  // So the next Space toggles the mode at once.
  w.Key(Qt::Key_Space, {}, 65, " ");
  EXPECT_EQ(w.Editor().EditMode(), 1);
  w.Key(Qt::Key_Space, {}, 65, " ");

  // Held while another window takes the keyboard: its release never comes.
  send(QEvent::KeyPress, false);
  EXPECT_EQ(w.Editor().previewSounding, 1);
  QEvent deactivate(QEvent::WindowDeactivate);
  QApplication::sendEvent(&w.Form(), &deactivate);
  EXPECT_EQ(w.Editor().previewSounding, 0);
}

TEST(PatternWindow, TheEditMenuCutsCopiesAndPastesTracksAndPatterns) {
  TPatternWindow w;
  QMenu* menu = w.Form().EditMenu();
  auto item = [menu](const char* name) { return menu->findChild<QAction*>(name); };
  for (const char* name :
       {"TrackCut", "TrackCopy", "TrackPaste", "PatternCut", "PatternCopy", "PatternPaste"})
    ASSERT_NE(item(name), nullptr) << name;
  EXPECT_EQ(item("TrackCut")->text(), "Cu&t Track\tShift+F3");
  EXPECT_TRUE(item("TrackCut")->shortcut().isEmpty());  // the filter's key, not the menu's

  // In play mode too.
  ASSERT_EQ(w.Editor().EditMode(), 0);
  w.Cell(1, 5).note = 40;
  w.Cursor(5, 15);
  item("TrackCopy")->trigger();
  EXPECT_FALSE(w.Tracker().Modified());
  w.Cursor(5, 30);
  item("TrackPaste")->trigger();
  EXPECT_EQ(w.Cell(2, 5).note, 40);
  EXPECT_TRUE(w.Tracker().Modified());
  EXPECT_EQ(w.View().WorkingCell(2, 5).note, 40);  // what the view draws

  item("PatternCut")->trigger();
  EXPECT_EQ(w.Cell(1, 5).note, 0);
  EXPECT_EQ(w.Cell(2, 5).note, 0);
  item("PatternPaste")->trigger();
  EXPECT_EQ(w.Cell(1, 5).note, 40);
  EXPECT_EQ(w.Cell(2, 5).note, 40);
  item("TrackCut")->trigger();
  EXPECT_EQ(w.Cell(2, 5).note, 0);
  item("PatternCopy")->trigger();
  w.Cell(1, 5).note = 0;
  item("PatternPaste")->trigger();
  EXPECT_EQ(w.Cell(1, 5).note, 40);
}

// A new song is silent: a note says why in the message label, F6 from the
// keyboard and the Edit menu switch the cursor's channel, Shift+F6 all.
TEST(PatternWindow, ChannelsSwitchOnFromTheKeysAndTheEditMenu) {
  TPatternWindow w;
  QMenu* menu = w.Form().EditMenu();
  auto item = [menu](const char* name) { return menu->findChild<QAction*>(name); };
  ASSERT_NE(item("SwitchChannel"), nullptr);
  ASSERT_NE(item("SwitchAllChannelsOn"), nullptr);
  EXPECT_EQ(item("SwitchChannel")->text(), "Switch C&hannel On/Off\tF6");
  EXPECT_EQ(item("SwitchAllChannelsOn")->text(), "Switch A&ll Channels On\tShift+F6");
  const cSongTables& song = w.Tracker().Song();

  w.Cursor(0, 15);
  w.Key(Qt::Key_Z, {}, 52, "z");  // a preview
  EXPECT_EQ(w.Panel(2),
            "Channel 1 is off in sequence entry 000: press F6, or click its dash in the sequence");
  EXPECT_TRUE(w.Key(Qt::Key_F6));
  EXPECT_EQ(song.GetModeWord(0), 1u << 2);
  item("SwitchChannel")->trigger();
  EXPECT_EQ(song.GetModeWord(0), 0u);
  EXPECT_TRUE(w.Key(Qt::Key_F6, Qt::ShiftModifier));
  EXPECT_EQ(song.GetModeWord(0), 0x55u);  // the four channels of a new song
  EXPECT_EQ(w.Form().Action("Undo")->text(), "Undo All Channels On");
  item("SwitchChannel")->trigger();
  EXPECT_EQ(song.GetModeWord(0), 0x51u);
}

TEST(PatternWindow, TheSpinEditsSetOctaveRowAdvanceAndInstrument) {
  TPatternWindow w;
  w.Form().OctaveEdit()->setValue(7);
  w.Form().RowAddEdit()->setValue(16);
  w.Form().InstrumentEdit()->setValue(9);
  cSongTables& song = Inside(w.Tracker()).Song();
  EXPECT_EQ(song.octave, 7);
  EXPECT_EQ(song.rowAdd, 16);
  EXPECT_EQ(song.currentInstrument, 9);
  w.SetEditMode(1);
  w.Cursor(3, 0);
  w.Key(Qt::Key_Z, {}, 52, "z");
  EXPECT_EQ(w.Cell(0, 3).note, 85);
  EXPECT_EQ(w.Cell(0, 3).instrument, 9);
  EXPECT_EQ(w.View().cursorRow, 19);
}

TEST(PatternWindow, TheSequenceButtonsAndClicksEditTheSequence) {
  TPatternWindow w(kDemo);
  cSongTables& song = Inside(w.Tracker()).Song();
  TSequenceView& view = w.SequenceWidget();
  const int cursorLine = kLineHeight * (1 + cSequenceView::half) + 8;
  // The low pattern digit of the cursor's entry: left raises, right lowers.
  QTest::mouseClick(&view, Qt::LeftButton, {}, QPoint(5 * kCharWidth + 4, cursorLine));
  EXPECT_EQ(song.GetPattern(0), 1u);
  EXPECT_TRUE(w.Tracker().Modified());
  QTest::mouseClick(&view, Qt::RightButton, {}, QPoint(5 * kCharWidth + 4, cursorLine));
  EXPECT_EQ(song.GetPattern(0), 0u);

  auto button = [&w](const char* name) { return w.Form().findChild<QToolButton*>(name); };
  const uint32_t second = song.GetPattern(1);
  button("SequenceDown")->click();
  EXPECT_EQ(w.Editor().SequenceView().cursor, 1);
  EXPECT_EQ(w.PlayerValue(&cPlayer::position), 1);
  EXPECT_EQ(w.View().currentPattern, int(second));
  button("InsRow")->click();
  EXPECT_EQ(song.GetPattern(1), 0u);
  EXPECT_EQ(song.GetPattern(2), second);
  button("DelRow")->click();
  EXPECT_EQ(song.GetPattern(1), second);
  button("SequenceUp")->click();
  EXPECT_EQ(w.Editor().SequenceView().cursor, 0);
}

// The view holds as many rows and channels as its picture has room for, at
// any window size; the key help line and the sequence buttons stay in view.
TEST(PatternWindow, TheViewGrowsWithTheWindow) {
  TPatternWindow w;
  {
    std::lock_guard<std::recursive_mutex> lock(Inside(w.Tracker()).EngineLock());
    Inside(w.Tracker()).Song().SetChannelCount(16);
  }
  w.Form().RedrawAll(eSongChange::kEdited);
  int lastRows = 0, lastChannels = 0;
  for (QSize size : {QSize(1024, 700), QSize(1280, 800), QSize(1920, 1080)}) {
    w.Form().resize(size);
    QApplication::processEvents();
    const cPatternView& view = w.View();
    const QSize picture = w.PatternWidget().size();
    EXPECT_EQ(view.width, picture.width());
    EXPECT_EQ(view.visibleChannels, (picture.width() - 24) / kChannelWidth + 1);
    EXPECT_EQ(view.visibleRows % 2, 1);
    EXPECT_LE(view.BarTop() + kLineHeight, picture.height()) << size.width();
    EXPECT_GT(view.BarTop() + 3 * kLineHeight, picture.height()) << size.width();
    EXPECT_GT(view.visibleRows, lastRows);
    EXPECT_GT(view.visibleChannels, lastChannels);
    lastRows = view.visibleRows;
    lastChannels = view.visibleChannels;
    for (QWidget* shown : {static_cast<QWidget*>(w.Form().KeyHelpLabel()),
                           static_cast<QWidget*>(w.Form().findChild<QToolButton*>("DelRow"))}) {
      const QRect at(shown->mapTo(&w.Form(), QPoint(0, 0)), shown->size());
      EXPECT_TRUE(w.Form().rect().contains(at)) << size.width();
    }
  }
  // A press on the scroll bar's right end shows the last channels.
  QTest::mouseClick(&w.PatternWidget(), Qt::LeftButton, {},
                    QPoint(w.View().width - 2, w.View().BarTop() + 8));
  EXPECT_EQ(w.View().firstVisible, 16 - w.View().visibleChannels);
  EXPECT_GE(w.View().CursorChannel(), w.View().firstVisible);
  // A press on a cell puts the cursor on it: the first shown channel's
  // instrument, two rows below the cursor.
  const int row = w.View().cursorRow;
  QTest::mouseClick(
      &w.PatternWidget(), Qt::LeftButton, {},
      QPoint(SubColumnPosition(0, 1) * kCharWidth + 2, w.View().RowTop(w.View().half + 2) + 8));
  EXPECT_EQ(w.View().cursorRow, row + 2);
  EXPECT_EQ(w.View().cursorColumn, w.View().firstVisible * kSubColumns + 1);
  EXPECT_EQ(w.Panel(0), "Instrument [01 - 7F]");
}

TEST(PatternWindow, TheViewsFollowPlaybackAndALoadStartsThemAtTheTop) {
  TPatternWindow w(kDemo);
  w.Cursor(20, 0);
  w.Key(Qt::Key_F9);
  // Half a second of the song, rendered here rather than waited for. The
  // first pattern of the demo lasts seconds: the rows only rise here.
  for (int block = 0; block < 25; ++block) w.Tracker().RenderCallback(0);
  const int before = w.PlayerValue(&cPlayer::row);
  w.Form().DoTimer1();
  const int after = w.PlayerValue(&cPlayer::row);
  EXPECT_GT(before, 0);
  EXPECT_GE(w.View().cursorRow, before);
  EXPECT_LE(w.View().cursorRow, after);
  EXPECT_EQ(w.Editor().SequenceView().cursor, w.PlayerValue(&cPlayer::position));
  w.Key(Qt::Key_Space, {}, 65, " ");

  // A changed channel count keeps the cursor; a loaded song starts at its top.
  w.Cursor(33, 17);
  w.Form().ChannelBox()->setCurrentIndex(0);
  emit w.Form().ChannelBox()->activated(0);
  EXPECT_EQ(Inside(w.Tracker()).Song().channelCount, 4);
  EXPECT_EQ(w.View().cursorRow, 33);
  EXPECT_EQ(w.View().cursorColumn, 17);
  w.prompts.answers = {true};
  ASSERT_TRUE(w.Form().LoadSongFile(kDemo));
  EXPECT_EQ(w.View().cursorRow, 0);
  EXPECT_EQ(w.View().cursorColumn, 0);
  EXPECT_EQ(w.View().channels, 7);
}

// Cells land on device pixels: at 150 % and 200 % the font is drawn at the
// larger size, not scaled up, and lines and moves follow the ratio.
TEST(TextImage, DrawsCellsAtTheDevicePixelRatio) {
  TQtEnvironment::App();
  const cRgb background{208, 208, 192}, red{255, 0, 0};
  int smallFont = 0;
  for (double ratio : {1.0, 1.5, 2.0}) {
    TTextImage canvas;
    canvas.Resize(40, 48, ratio);
    auto device = [ratio](int v) { return int(std::lround(v * ratio)); };
    EXPECT_EQ(canvas.Image().size(), QSize(device(40), device(48))) << ratio;
    EXPECT_EQ(canvas.Image().devicePixelRatio(), ratio);
    if (ratio == 1.0) smallFont = canvas.Font().pixelSize();
    EXPECT_GE(canvas.Font().pixelSize(), int(smallFont * ratio * 0.9)) << ratio;
    canvas.TakeDirty();

    canvas.Text(0, 0, "E.", background);
    const QImage& image = canvas.Image();
    int dark = 0;
    for (int y = 0; y < device(16); ++y)
      for (int x = 0; x < device(8); ++x) dark += qGray(image.pixel(x, y)) < 80 ? 1 : 0;
    EXPECT_GT(dark, int(10 * ratio * ratio)) << ratio;
    EXPECT_EQ(image.pixelColor(0, 0), QColor(208, 208, 192)) << ratio;
    EXPECT_EQ(canvas.TakeDirty(), QRect(0, 0, 16, 16));

    // A line one logical pixel wide covers whole device pixels.
    canvas.Fill(25, 16, 1, 16, red);
    EXPECT_EQ(image.pixelColor(device(25), device(16)), QColor(255, 0, 0)) << ratio;
    EXPECT_EQ(image.pixelColor(device(26) - 1, device(32) - 1), QColor(255, 0, 0)) << ratio;
    EXPECT_NE(image.pixelColor(device(26), device(16)), QColor(255, 0, 0)) << ratio;

    // The three lines move up by one: the red line is now on line 0.
    canvas.Scroll(0, 48, -16);
    EXPECT_EQ(canvas.Image().pixelColor(device(25), 0), QColor(255, 0, 0)) << ratio;
    EXPECT_EQ(canvas.TakeDirty(), QRect(0, 0, 40, 48));
  }
}

TEST(KeyOfEvent, TranslatesPrintedKeysAndKeepsTheScanCode) {
  TQtEnvironment::App();
  struct Case {
    int qtKey;
    Qt::KeyboardModifiers modifiers;
    int scanCode;
    int vk, cKeyModifiers;
  };
  for (Case c :
       {Case{Qt::Key_A, {}, 38, 'A', 0},
        {Qt::Key_5, {}, 14, '5', 0},
        {Qt::Key_Percent, Qt::ShiftModifier, 14, '5', kModShift},  // US Shift+5
        {Qt::Key_Eacute, {}, 11, '2', 0},                          // AZERTY 2
        {Qt::Key_7, Qt::KeypadModifier, 79, kVkNumpad7, 0},
        {Qt::Key_Plus, Qt::KeypadModifier | Qt::ShiftModifier, 86, kVkAdd, kModShift},
        {Qt::Key_Minus, Qt::KeypadModifier | Qt::ControlModifier, 82, kVkSubtract, kModCtrl},
        {Qt::Key_Minus, {}, 20, 0, 0},  // the main row's minus is no transpose
        {Qt::Key_Backtab, Qt::ShiftModifier, 23, kVkTab, kModShift},
        {Qt::Key_F5, Qt::ControlModifier | Qt::ShiftModifier, 71, kVkF5, kModCtrl | kModShift},
        {Qt::Key_Period, {}, 60, kVkOemPeriod, 0},
        {Qt::Key_Backslash, {}, 51, kVkOem5, 0},
        {Qt::Key_PageDown, {}, 117, kVkNext, 0}}) {
    const QKeyEvent event(QEvent::KeyPress, c.qtKey, c.modifiers, quint32(c.scanCode), 0, 0);
    const cKey key = KeyOfEvent(event);
    EXPECT_EQ(key.vk, c.vk) << c.qtKey;
    EXPECT_EQ(key.scanCode, c.scanCode);
    EXPECT_EQ(key.modifiers, c.cKeyModifiers) << c.qtKey;
  }
}

// Ctrl+Z and Ctrl+Y (or Ctrl+Shift+Z) take a typed note back and forth; the
// Edit menu names the step; a number box with the focus keeps Ctrl+Z.
TEST(PatternWindow, UndoAndRedoFromTheKeysAndTheEditMenu) {
  TPatternWindow w;
  QAction* undo = w.Form().Action("Undo");
  QAction* redo = w.Form().Action("Redo");
  ASSERT_NE(undo, nullptr);
  ASSERT_NE(redo, nullptr);
  EXPECT_FALSE(undo->isEnabled());
  EXPECT_EQ(undo->text(), "Undo");
  w.SetEditMode(1);
  w.Cursor(4, 0);
  EXPECT_TRUE(w.Key(Qt::Key_Q, {}, 24, "q"));
  ASSERT_EQ(w.Cell(0, 4).note, 49);
  EXPECT_TRUE(undo->isEnabled());
  EXPECT_EQ(undo->text(), "Undo Note");
  w.Cursor(30, 15);  // the cursor has moved on: undo brings it back

  QTest::keyClick(&w.Form(), Qt::Key_Z, Qt::ControlModifier);
  EXPECT_EQ(w.Cell(0, 4).note, 0);
  EXPECT_EQ(w.View().cursorRow, 4);
  EXPECT_EQ(w.View().CursorChannel(), 0);
  EXPECT_EQ(redo->text(), "Redo Note");
  EXPECT_FALSE(w.Tracker().Modified());
  QTest::keyClick(&w.Form(), Qt::Key_Y, Qt::ControlModifier);
  EXPECT_EQ(w.Cell(0, 4).note, 49);
  QTest::keyClick(&w.Form(), Qt::Key_Z, Qt::ControlModifier);
  QTest::keyClick(&w.Form(), Qt::Key_Z, Qt::ControlModifier | Qt::ShiftModifier);
  EXPECT_EQ(w.Cell(0, 4).note, 49);
  EXPECT_TRUE(w.Tracker().Modified());

  // In a number box Ctrl+Z is the box's own.
  QSpinBox* bpm = w.Form().BpmField();
  bpm->setFocus();
  QTest::keyClick(bpm, Qt::Key_Z, Qt::ControlModifier);
  EXPECT_EQ(w.Cell(0, 4).note, 49);
  bpm->clearFocus();

  // The menu does what the keys do.
  undo->trigger();
  EXPECT_EQ(w.Cell(0, 4).note, 0);
  redo->trigger();
  EXPECT_EQ(w.Cell(0, 4).note, 49);
}
