// The threaded timer and the rotary knob as widgets.

#include <gtest/gtest.h>

#include <QApplication>
#include <QHelpEvent>
#include <QTest>
#include <QToolTip>
#include <QWheelEvent>
#include <chrono>
#include <thread>

#include "tests/ui/uitestsupport.h"
#include "ui/knob.h"
#include "ui/threadedtimer.h"

namespace {

// Lets the GUI thread run posted events for a while.
void Pump(int milliseconds) {
  const auto until = std::chrono::steady_clock::now() + std::chrono::milliseconds(milliseconds);
  while (std::chrono::steady_clock::now() < until) {
    QApplication::processEvents(QEventLoop::AllEvents, 5);
    std::this_thread::sleep_for(std::chrono::milliseconds(1));
  }
}

}  // namespace

TEST(ThreadedTimer, RunsOnlyWithAnIntervalWhileEnabledAndWithAHandler) {
  TQtEnvironment::App();
  TThreadedTimer timer;
  timer.SetInterval(5);
  EXPECT_TRUE(timer.ThreadSuspended());  // enabled, but no handler
  int fired = 0;
  timer.SetOnTimer([&](TThreadedTimer*) { ++fired; });
  EXPECT_FALSE(timer.ThreadSuspended());
  Pump(100);
  EXPECT_GT(fired, 3);

  timer.SetInterval(0);
  EXPECT_TRUE(timer.ThreadSuspended());
  Pump(20);  // an event already on its way is dropped
  const int stopped = fired;
  Pump(60);
  EXPECT_EQ(fired, stopped);
  timer.SetInterval(5);
  EXPECT_FALSE(timer.ThreadSuspended());
  Pump(60);
  EXPECT_GT(fired, stopped);

  timer.SetEnabled(false);
  EXPECT_TRUE(timer.ThreadSuspended());
  timer.SetEnabled(false);  // the same value changes nothing
  EXPECT_TRUE(timer.ThreadSuspended());
  Pump(20);
  const int disabled = fired;
  Pump(60);
  EXPECT_EQ(fired, disabled);
}

TEST(ThreadedTimer, EventsRunOnTheGuiThreadOneAtATime) {
  TQtEnvironment::App();
  TThreadedTimer timer;
  timer.SetInterval(1);
  int inside = 0, overlaps = 0, fired = 0;
  bool onGuiThread = true;
  timer.SetOnTimer([&](TThreadedTimer*) {
    onGuiThread = onGuiThread && QThread::currentThread() == QApplication::instance()->thread();
    overlaps += inside;
    ++inside;
    std::this_thread::sleep_for(std::chrono::milliseconds(3));  // longer than the interval
    QApplication::processEvents();
    --inside;
    ++fired;
  });
  Pump(80);
  timer.Reset();
  Pump(20);
  EXPECT_TRUE(onGuiThread);
  EXPECT_EQ(overlaps, 0);
  EXPECT_GT(fired, 5);
  // Destroyed while its thread waits for the GUI thread: no deadlock.
}

namespace {

struct cKnobEvents {
  int count = 0;
  int last = -1;
};

TmKnob* KnobWithEvents(QWidget& parent, cKnobEvents& events) {
  auto* knob = new TmKnob(&parent);
  knob->SetOnChange([&events](TmKnob*, int value) {
    ++events.count;
    events.last = value;
  });
  return knob;
}

}  // namespace

TEST(Knob, ProgramChangesRaiseOnChangeOnlyWhenTheValueMoves) {
  TQtEnvironment::App();
  QWidget parent;
  cKnobEvents events;
  TmKnob* knob = KnobWithEvents(parent, events);
  knob->SetMaxValue(255);
  knob->SetCurValue(300);
  EXPECT_EQ(knob->Position(), 255);
  EXPECT_EQ(events.count, 1);
  EXPECT_EQ(events.last, 255);
  knob->SetCurValue(255);
  EXPECT_EQ(events.count, 1);
  knob->SetNumTile(1);
  EXPECT_EQ(knob->NumTile(), 63);
}

TEST(Knob, DraggingUpTurnsItUpAndStopsAtTheMaximum) {
  TQtEnvironment::App();
  QWidget parent;
  parent.resize(100, 100);
  cKnobEvents events;
  TmKnob* knob = KnobWithEvents(parent, events);
  knob->move(30, 40);
  knob->SetMaxValue(255);
  knob->SetCurValue(250);
  events = {};
  parent.show();
  const QPoint centre(14, 14);
  QTest::mousePress(knob, Qt::LeftButton, Qt::NoModifier, centre);
  EXPECT_TRUE(knob->Dragging());
  QTest::mouseMove(knob, centre - QPoint(0, 10));
  EXPECT_EQ(knob->Position(), 255);
  EXPECT_EQ(events.count, 1);
  QTest::mouseMove(knob, centre - QPoint(0, 14));  // further up: nothing
  EXPECT_EQ(events.count, 1);
  QTest::mouseMove(knob, centre - QPoint(0, 11));  // down by three
  EXPECT_EQ(knob->Position(), 252);
  QTest::mouseRelease(knob, Qt::LeftButton, Qt::NoModifier, centre - QPoint(0, 11));
  EXPECT_FALSE(knob->Dragging());
  QTest::mouseMove(knob, centre);  // no drag: nothing
  EXPECT_EQ(knob->Position(), 252);

  knob->SetDrag(false);
  QTest::mousePress(knob, Qt::LeftButton, Qt::NoModifier, centre);
  EXPECT_FALSE(knob->Dragging());
}

namespace {

// A wheel turned by delta eighths of a degree over the knob's centre.
void Wheel(TmKnob* knob, int delta) {
  const QPointF centre = QRectF(knob->rect()).center();
  QWheelEvent wheel(centre, knob->mapToGlobal(centre), QPoint(), QPoint(0, delta), Qt::NoButton,
                    Qt::NoModifier, Qt::NoScrollPhase, false);
  QApplication::sendEvent(knob, &wheel);
}

}  // namespace

TEST(Knob, TheWheelTurnsItOneStepANotchAndADoubleClickGivesItsDefault) {
  TQtEnvironment::App();
  QWidget parent;
  cKnobEvents events;
  TmKnob* knob = KnobWithEvents(parent, events);
  knob->SetMaxValue(255);
  knob->SetCurValue(100);
  Wheel(knob, 120);
  EXPECT_EQ(knob->Position(), 101);
  Wheel(knob, -360);
  EXPECT_EQ(knob->Position(), 98);
  // A fine wheel's parts of a notch add up to one.
  Wheel(knob, 60);
  EXPECT_EQ(knob->Position(), 98);
  Wheel(knob, 60);
  EXPECT_EQ(knob->Position(), 99);
  EXPECT_EQ(events.last, 99);

  DoubleClick(knob, knob->rect().center());
  EXPECT_EQ(knob->Position(), 99);  // no default: two clicks
  EXPECT_FALSE(knob->Dragging());
  knob->SetDefaultValue([] { return 3; });
  DoubleClick(knob, knob->rect().center());
  EXPECT_EQ(knob->Position(), 3);
  EXPECT_EQ(events.last, 3);
  EXPECT_FALSE(knob->Dragging());

  // A knob the mouse may not turn takes neither.
  knob->SetDrag(false);
  Wheel(knob, 120);
  knob->SetCurValue(50);
  DoubleClick(knob, knob->rect().center());
  EXPECT_EQ(knob->Position(), 50);
}

TEST(Knob, ItsTooltipSaysItsValueOnHoverAndWhileItTurns) {
  TQtEnvironment::App();
  QWidget parent;
  parent.resize(200, 200);
  cKnobEvents events;
  TmKnob* knob = KnobWithEvents(parent, events);
  knob->move(80, 80);
  knob->setToolTip("Attack");
  knob->SetMaxValue(255);
  knob->SetValueText([](int v) { return QString("%1 ms").arg(v * 10); });
  knob->SetCurValue(3);
  parent.show();
  ASSERT_TRUE(QTest::qWaitForWindowExposed(&parent));
  EXPECT_EQ(knob->ValueText(), "30 ms");

  const QPoint centre = knob->rect().center();
  QHelpEvent hover(QEvent::ToolTip, centre, knob->mapToGlobal(centre));
  QApplication::sendEvent(knob, &hover);
  EXPECT_TRUE(QToolTip::isVisible());
  EXPECT_EQ(QToolTip::text(), "Attack: 30 ms");

  QTest::mousePress(knob, Qt::LeftButton, Qt::NoModifier, centre);
  QTest::mouseMove(knob, centre - QPoint(0, 2));
  EXPECT_EQ(knob->Position(), 5);
  EXPECT_EQ(QToolTip::text(), "Attack: 50 ms");
  QTest::mouseRelease(knob, Qt::LeftButton, Qt::NoModifier, centre - QPoint(0, 2));
  QApplication::processEvents();
  EXPECT_TRUE(QToolTip::isVisible());  // the release hid it, the knob shows it again
  EXPECT_EQ(QToolTip::text(), "Attack: 50 ms");
  Wheel(knob, 120);
  EXPECT_EQ(QToolTip::text(), "Attack: 60 ms");
  QToolTip::hideText();
}
