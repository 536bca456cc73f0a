#include "ui/threadedtimer.h"

#include <sys/resource.h>
#include <sys/syscall.h>
#include <unistd.h>

#include <QMetaObject>
#include <QPointer>
#include <chrono>
#include <condition_variable>
#include <mutex>
#include <thread>

class TTimerThreadHandle {
 public:
  std::thread thread;
};

struct TTimerThread::cShared {
  std::mutex lock;
  std::condition_variable wake;
  bool terminated = false;
  bool suspended = true;
  uint32_t intervalMs = 1000;
  uint64_t handled = 0;  // events the GUI thread has run
  pid_t tid = 0;         // the thread's id, for its priority
  TThreadPriority priority = TThreadPriority::Normal;
};

TTimerThread::TTimerThread(TThreadedTimer* owner, uint32_t intervalMs, TThreadPriority priority)
    : owner(owner),
      shared(std::make_shared<cShared>()),
      handle(std::make_unique<TTimerThreadHandle>()) {
  shared->intervalMs = intervalMs;
  shared->priority = priority;
  handle->thread = std::thread([this] { Run(); });
}

TTimerThread::~TTimerThread() {
  {
    std::lock_guard<std::mutex> guard(shared->lock);
    shared->terminated = true;
  }
  shared->wake.notify_all();
  // The thread never waits for the GUI thread without also watching the
  // terminated flag, so joining from the GUI thread cannot deadlock.
  handle->thread.join();
}

void TTimerThread::Suspend() {
  std::lock_guard<std::mutex> guard(shared->lock);
  shared->suspended = true;
}

void TTimerThread::Resume() {
  {
    std::lock_guard<std::mutex> guard(shared->lock);
    shared->suspended = false;
  }
  shared->wake.notify_all();
}

bool TTimerThread::Suspended() const {
  std::lock_guard<std::mutex> guard(shared->lock);
  return shared->suspended;
}

void TTimerThread::SetInterval(uint32_t ms) {
  std::lock_guard<std::mutex> guard(shared->lock);
  shared->intervalMs = ms;
}

void TTimerThread::SetPriority(TThreadPriority value) {
  {
    std::lock_guard<std::mutex> guard(shared->lock);
    shared->priority = value;
  }
  ApplyPriority();
}

TThreadPriority TTimerThread::Priority() const {
  std::lock_guard<std::mutex> guard(shared->lock);
  return shared->priority;
}

// Lowering a thread's priority is always allowed; the lowest is a nice
// value of 19 for this thread alone.
void TTimerThread::ApplyPriority() {
  pid_t tid;
  TThreadPriority wanted;
  {
    std::lock_guard<std::mutex> guard(shared->lock);
    tid = shared->tid;
    wanted = shared->priority;
  }
  if (tid == 0) return;
  setpriority(PRIO_PROCESS, id_t(tid), wanted == TThreadPriority::Lowest ? 19 : 0);
}

void TTimerThread::Run() {
  cShared& s = *shared;
  {
    std::lock_guard<std::mutex> guard(s.lock);
    s.tid = pid_t(syscall(SYS_gettid));
  }
  ApplyPriority();
  std::unique_lock<std::mutex> guard(s.lock);
  for (;;) {
    s.wake.wait(guard, [&] { return s.terminated || !s.suspended; });
    if (s.terminated) return;
    // A plain sleep of the interval; only termination cuts it short. A
    // suspension during the sleep holds the event back until resumed.
    const auto until = std::chrono::steady_clock::now() + std::chrono::milliseconds(s.intervalMs);
    s.wake.wait_until(guard, until, [&] { return s.terminated; });
    if (s.terminated) return;
    if (s.suspended) continue;
    // The synchronised call: the GUI thread runs the event, this thread
    // waits until it has. If the timer is destroyed meanwhile, the pending
    // call is dropped with it.
    const uint64_t expected = s.handled + 1;
    std::weak_ptr<cShared> weak = shared;
    QPointer<TThreadedTimer> target(owner);
    guard.unlock();
    QMetaObject::invokeMethod(
        owner,
        [target, weak] {
          // An event posted before the timer was stopped, or before a reset
          // replaced this thread, is dropped.
          auto alive = weak.lock();
          if (target && alive && target->thread && target->thread->shared == alive &&
              target->Active())
            target->Timer();
          if (alive) {
            std::lock_guard<std::mutex> done(alive->lock);
            ++alive->handled;
            alive->wake.notify_all();
          }
        },
        Qt::QueuedConnection);
    guard.lock();
    s.wake.wait(guard, [&] { return s.terminated || s.handled >= expected; });
    if (s.terminated) return;
  }
}

TThreadedTimer::TThreadedTimer(QObject* owner) : QObject(owner) {
  thread = std::make_unique<TTimerThread>(this, interval, priority);
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
  thread = std::make_unique<TTimerThread>(this, interval, priority);
  UpdateTimer();
}

bool TThreadedTimer::ThreadSuspended() const { return thread->Suspended(); }

bool TThreadedTimer::Active() const { return interval != 0 && enabled && onTimer; }

void TThreadedTimer::UpdateTimer() {
  thread->Suspend();
  if (Active()) thread->Resume();
}

void TThreadedTimer::Timer() {
  if (onTimer) onTimer(this);
}
