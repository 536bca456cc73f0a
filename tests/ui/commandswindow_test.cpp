// Help > Effect Commands, and the status bar naming the command under the
// cursor in the running window.

#include <gtest/gtest.h>

#include <QAction>
#include <QKeyEvent>
#include <QLabel>
#include <QTableWidget>
#include <QTest>
#include <QWindow>

#include "app/trackerinside.h"
#include "editor/patterneditor.h"
#include "engine/commands.h"
#include "tests/ui/uitestsupport.h"
#include "ui/formcommands.h"
#include "ui/patterneditorpart.h"

TEST(CommandsWindow, HelpOpensOneNonModalWindowOfTheTable) {
  TWindowFixture w;
  w.Form().resize(1280, 800);
  w.Form().show();
  QAction* item = w.Form().findChild<QAction*>("EffectCommands");
  ASSERT_NE(item, nullptr);
  EXPECT_EQ(item->text(), "Effect Commands");
  item->trigger();
  auto* form = w.Form().findChild<TFormCommands*>();
  ASSERT_NE(form, nullptr);
  EXPECT_TRUE(form->isVisible());
  EXPECT_FALSE(form->isModal());
  EXPECT_EQ(form->windowTitle(), "Effect Commands");
  QTableWidget* table = form->Table();
  ASSERT_EQ(table->rowCount(), int(CommandTable().size()));
  int volumeSlide = -1;
  for (int row = 0; row < table->rowCount(); ++row) {
    if (table->item(row, 0)->text() == "0A") volumeSlide = row;
  }
  ASSERT_GE(volumeSlide, 0);
  EXPECT_EQ(table->item(volumeSlide, 1)->text(), "Volume slide");
  EXPECT_EQ(table->item(volumeSlide, 3)->text(),
            "Synthesizer: tick; Sampler: set, tick; FM Synth: tick");
  EXPECT_EQ(table->item(table->rowCount() - 1, 0)->text(), "D0-DF");

  // Asked again, the same window comes forward.
  form->hide();
  item->trigger();
  EXPECT_EQ(w.Form().findChildren<TFormCommands*>().size(), 1);
  EXPECT_TRUE(form->isVisible());
}

TEST(CommandsWindow, TheStatusBarNamesTheCommandUnderTheCursor) {
  TWindowFixture w;
  w.Form().resize(1280, 800);
  w.Form().show();
  w.Form().activateWindow();
  ASSERT_TRUE(QTest::qWaitFor([&] { return QApplication::activeWindow() == &w.Form(); }));
  Inside(w.Tracker()).Song().Cell(0, 0, 0) = {0, 0, kNoChange, kNoChange, 0x0A, 0x40, 0, 0};
  cPatternView& view = w.Form().PatternEditor()->Editor()->PatternView();
  view.SetRow(0);
  view.cursorColumn = 6;  // channel 0's pan, low digit
  QKeyEvent press(QEvent::KeyPress, Qt::Key_Right, Qt::NoModifier);
  QApplication::sendEvent(QGuiApplication::focusWindow(), &press);
  EXPECT_EQ(w.Form().StatusPanel(0)->text(), "FX1 Command: 0A Volume slide, up 4, down 0");
}
