// The threaded timer and the rotary knob as widgets.

#include <gtest/gtest.h>

#include <QApplication>
#include <QTest>
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
