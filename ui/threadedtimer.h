#pragma once
// A timer whose period is measured by a thread of its own, so that a busy
// event queue does not stretch it; its handler still runs on the GUI
// thread. One period is the interval plus the handler's time: the thread
// waits until the GUI thread has run the handler, so events never overlap
// and never queue up.

#include <QObject>
#include <cstdint>
#include <functional>
#include <memory>

class TThreadedTimer;

enum class TThreadPriority { Lowest, Normal };

// The sleeping thread. "Suspended" is a wait on a condition variable.
class TTimerThread {
 public:
  TTimerThread(TThreadedTimer* owner, uint32_t intervalMs, TThreadPriority priority);
  ~TTimerThread();  // ends and joins the thread

  void Suspend();
  void Resume();
  bool Suspended() const;
  void SetInterval(uint32_t ms);
  void SetPriority(TThreadPriority priority);
  TThreadPriority Priority() const;

 private:
  struct cShared;
  void Run();
  void ApplyPriority();

  friend class TThreadedTimer;
  TThreadedTimer* const owner;
  std::shared_ptr<cShared> shared;
  std::unique_ptr<class TTimerThreadHandle> handle;
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
  friend class TTimerThread;
  // Runs only with a non-zero interval, while enabled and with a handler.
  bool Active() const;
  void UpdateTimer();

  bool enabled = true;
  uint16_t interval = 1000;  // ms; 0 stops the timer
  TOnTimer onTimer;
  TThreadPriority priority = TThreadPriority::Normal;
  std::unique_ptr<TTimerThread> thread;
};
