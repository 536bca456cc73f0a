#pragma once
// A timer whose period is measured by a thread of its own, so that a busy
// event queue does not stretch it; its handler still runs on the GUI
// thread. One period is the interval plus the handler's time: the thread
// waits until the GUI thread has run the handler, so events never overlap
// and never queue up.

#include <QObject>
#include <condition_variable>
#include <cstdint>
#include <functional>
#include <memory>
#include <mutex>
#include <thread>

class TThreadedTimer;

enum class TThreadPriority { Lowest, Normal };

// The sleeping thread. "Suspended" is a wait on a condition variable.
class TTimerThread {
 public:
  // generation tells this thread's events from those of a thread that a
  // reset replaced.
  TTimerThread(TThreadedTimer* owner, uint64_t generation, uint32_t intervalMs,
               TThreadPriority priority);
  ~TTimerThread();  // ends and joins the thread

  void Suspend();
  void Resume();
  bool Suspended() const;
  void SetInterval(uint32_t ms);
  void SetPriority(TThreadPriority priority);
  TThreadPriority Priority() const;
  uint64_t Generation() const { return generation; }
  // The GUI thread has run (or dropped) the event the thread waits for.
  void Handled();

 private:
  void Run();
  void ApplyPriority();

  TThreadedTimer* const owner;
  const uint64_t generation;
  mutable std::mutex lock;
  std::condition_variable wake;
  bool terminated = false;
  bool suspended = true;
  bool waiting = false;  // an event is with the GUI thread
  uint32_t intervalMs;
  TThreadPriority priority;
  pid_t tid = 0;  // the thread's id, for its priority
  std::thread thread;
};

class TThreadedTimer : public QObject {
  Q_OBJECT

 public:
  using TOnTimer = std::function<void(TThreadedTimer*)>;

  explicit TThreadedTimer(QObject* owner = nullptr);
  ~TThreadedTimer() override;

  bool Enabled() const { return enabled; }
  uint16_t Interval() const { return interval; }
  TThreadPriority ThreadPriority() const { return priority; }

  // Each stores a value only when it differs (SetOnTimer always), then
  // brings the thread in line: it runs only with a non-zero interval, while
  // enabled and with a handler.
  void SetEnabled(bool value);
  void SetInterval(uint16_t value);
  void SetOnTimer(TOnTimer handler);
  void SetThreadPriority(TThreadPriority value);

  // A fresh thread: the next event comes one full interval from now.
  void Reset();

  bool ThreadSuspended() const;

 protected:
  // The event step, on the GUI thread.
  virtual void Timer();

 private:
  // The thread's call into the GUI thread. Only a number crosses: the
  // event of a stopped timer, or of a thread a reset replaced, is dropped.
  Q_INVOKABLE void ThreadTick(quint64 generation);
  bool Active() const;
  void UpdateTimer();

  bool enabled = true;
  uint16_t interval = 1000;  // ms; 0 stops the timer
  TOnTimer onTimer;
  TThreadPriority priority = TThreadPriority::Normal;
  uint64_t generation = 0;
  std::unique_ptr<TTimerThread> thread;
};
