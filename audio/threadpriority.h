#pragma once
// Thread priorities. Refusal is never an error: the thread then keeps the
// priority it had, and the caller decides whether to say so.

#include <sys/types.h>

// Raises the calling thread to time-critical priority (SCHED_FIFO where the
// system allows it), or returns it to normal. Returns whether it took.
bool SetThreadTimeCritical(bool on);

// The nice value (-20 highest .. 19 lowest) of one thread (its kernel id;
// 0 the calling thread), or, with wholeProcess, of every thread the process
// has now. Linux gives each thread its own nice value, and a new thread
// takes the value of the thread that makes it. Returns whether every change
// took.
bool SetThreadNice(pid_t thread, int nice);
bool SetProcessNice(int nice);
