#include "audio/threadpriority.h"

#include <pthread.h>
#include <sched.h>

bool SetThreadTimeCritical(bool on) {
  sched_param param{};
  int policy = SCHED_OTHER;
  if (on) {
    policy = SCHED_FIFO;
    param.sched_priority = sched_get_priority_max(SCHED_FIFO);
  }
  return pthread_setschedparam(pthread_self(), policy, &param) == 0;
}
