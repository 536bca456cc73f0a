#include "audio/threadpriority.h"

#include <pthread.h>
#include <sched.h>
#include <sys/resource.h>

#include <cstdlib>
#include <filesystem>
#include <system_error>

bool SetThreadTimeCritical(bool on) {
  sched_param param{};
  int policy = SCHED_OTHER;
  if (on) {
    policy = SCHED_FIFO;
    param.sched_priority = sched_get_priority_max(SCHED_FIFO);
  }
  return pthread_setschedparam(pthread_self(), policy, &param) == 0;
}

bool SetThreadNice(pid_t thread, int nice) {
  return setpriority(PRIO_PROCESS, id_t(thread), nice) == 0;
}

bool SetProcessNice(int nice) {
  bool ok = true;
  std::error_code error;
  for (const auto& task : std::filesystem::directory_iterator("/proc/self/task", error)) {
    const pid_t thread = pid_t(std::atoi(task.path().filename().c_str()));
    if (thread > 0) ok = SetThreadNice(thread, nice) && ok;
  }
  return ok && !error;
}
