#include "ui/threadedtimer.h"

#include <sys/syscall.h>
#include <unistd.h>

#include <QMetaObject>
#include <chrono>

#include "audio/threadpriority.h"

TTimerThread::TTimerThread(TThreadedTimer* owner, uint64_t generation, uint32_t intervalMs,
                           TThreadPriority priority)
    : owner(owner), generation(generation), intervalMs(intervalMs), priority(priority) {
  thread = std::thread([this] { Run(); });
}

TTimerThread::~TTimerThread() {
  {
    std::lock_guard<std::mutex> guard(lock);
    terminated = true;
  }
  wake.notify_all();
  // The thread never waits for the GUI thread without also watching the
  // terminated flag, so joining from the GUI thread cannot deadlock.
  thread.join();
}

void TTimerThread::Suspend() {
  std::lock_guard<std::mutex> guard(lock);
  suspended = true;
}

void TTimerThread::Resume() {
  {
    std::lock_guard<std::mutex> guard(lock);
    suspended = false;
  }
  wake.notify_all();
}

bool TTimerThread::Suspended() const {
  std::lock_guard<std::mutex> guard(lock);
  return suspended;
}

void TTimerThread::SetInterval(uint32_t ms) {
  std::lock_guard<std::mutex> guard(lock);
  intervalMs = ms;
}

void TTimerThread::SetPriority(TThreadPriority value) {
  {
    std::lock_guard<std::mutex> guard(lock);
    priority = value;
  }
  ApplyPriority();
}

TThreadPriority TTimerThread::Priority() const {
  std::lock_guard<std::mutex> guard(lock);
  return priority;
}

void TTimerThread::Handled() {
  {
    std::lock_guard<std::mutex> guard(lock);
    waiting = false;
  }
  wake.notify_all();
}

// Lowering a thread's priority is always allowed; the lowest is a nice
// value of 19 for this thread alone.
void TTimerThread::ApplyPriority() {
  pid_t id;
  TThreadPriority wanted;
  {
    std::lock_guard<std::mutex> guard(lock);
    id = tid;
    wanted = priority;
  }
  if (id == 0) return;
  SetThreadNice(id, wanted == TThreadPriority::Lowest ? 19 : 0);
}

void TTimerThread::Run() {
  {
    std::lock_guard<std::mutex> guard(lock);
    tid = pid_t(syscall(SYS_gettid));
  }
  ApplyPriority();
  std::unique_lock<std::mutex> guard(lock);
  for (;;) {
    wake.wait(guard, [&] { return terminated || !suspended; });
    if (terminated) return;
    // A plain sleep of the interval; only termination cuts it short. A
    // suspension during the sleep holds the event back until resumed.
    const auto until = std::chrono::steady_clock::now() + std::chrono::milliseconds(intervalMs);
    wake.wait_until(guard, until, [&] { return terminated; });
    if (terminated) return;
    if (suspended) continue;
    // The synchronised call: the GUI thread runs the event, this thread
    // waits until it has. A timer destroyed meanwhile drops the call.
    waiting = true;
    guard.unlock();
    QMetaObject::invokeMethod(owner, "ThreadTick", Qt::QueuedConnection,
                              Q_ARG(quint64, generation));
    guard.lock();
    wake.wait(guard, [&] { return terminated || !waiting; });
    if (terminated) return;
  }
}

TThreadedTimer::TThreadedTimer(QObject* owner) : QObject(owner) {
  thread = std::make_unique<TTimerThread>(this, generation, interval, priority);
  UpdateTimer();
}

TThreadedTimer::~TThreadedTimer() {
  enabled = false;
  UpdateTimer();
  thread.reset();
}

void TThreadedTimer::SetEnabled(bool value) {
  if (value == enabled) return;
  enabled = value;
  UpdateTimer();
}

void TThreadedTimer::SetInterval(uint16_t value) {
  if (value == interval) return;
  interval = value;
  thread->SetInterval(value);
  UpdateTimer();
}

void TThreadedTimer::SetOnTimer(TOnTimer handler) {
  onTimer = std::move(handler);
  UpdateTimer();
}

void TThreadedTimer::SetThreadPriority(TThreadPriority value) {
  if (value == priority) return;
  priority = value;
  thread->SetPriority(value);
  UpdateTimer();
}

void TThreadedTimer::Reset() {
  thread.reset();
  thread = std::make_unique<TTimerThread>(this, ++generation, interval, priority);
  UpdateTimer();
}

bool TThreadedTimer::ThreadSuspended() const { return thread->Suspended(); }

bool TThreadedTimer::Active() const { return interval != 0 && enabled && onTimer; }

void TThreadedTimer::UpdateTimer() {
  thread->Suspend();
  if (Active()) thread->Resume();
}

void TThreadedTimer::ThreadTick(quint64 from) {
  if (!thread || thread->Generation() != from) return;
  if (Active()) Timer();
  // The handler may have reset the timer: only the thread that asked waits.
  if (thread && thread->Generation() == from) thread->Handled();
}

void TThreadedTimer::Timer() {
  if (onTimer) onTimer(this);
}
