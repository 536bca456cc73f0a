#pragma once
// Whether a call waits for a lock, told without a clock: the call runs on a
// thread of its own while this thread holds the lock, and the kernel says
// which came first, the thread going to sleep (waiting for the lock is the
// only sleep in its way) or the call returning. A busy machine only makes
// the answer come later.

#include <sys/types.h>
#include <unistd.h>

#include <atomic>
#include <fstream>
#include <functional>
#include <mutex>
#include <string>
#include <thread>

// The state letter of this process's thread tid: 'R' running, 'S' asleep...
inline char ThreadState(pid_t tid) {
  std::ifstream in("/proc/self/task/" + std::to_string(tid) + "/stat");
  std::string stat;
  std::getline(in, stat);
  // "tid (name) S ...": the name may hold spaces and parentheses.
  const size_t close = stat.rfind(')');
  return close != std::string::npos && close + 2 < stat.size() ? stat[close + 2] : '?';
}

// Runs call on a thread of its own while holding mutex, and returns true
// when the thread fell asleep before the call returned. The mutex is
// released and the call has returned when this returns.
template <typename Mutex>
bool CallWaitsFor(Mutex& mutex, const std::function<void()>& call) {
  std::atomic<pid_t> tid{0};
  std::atomic<bool> returned{false};
  std::unique_lock<Mutex> lock(mutex);
  std::thread thread([&] {
    tid = ::gettid();
    call();
    returned = true;
  });
  bool waited = false;
  while (!returned && !waited) {
    waited = tid != 0 && ThreadState(tid) == 'S' && !returned;
    std::this_thread::yield();
  }
  lock.unlock();
  thread.join();
  return waited;
}
