#pragma once

// Raises the calling thread to time-critical priority (SCHED_FIFO where the
// system allows it), or returns it to normal. Refusal is not an error: the
// thread then keeps its normal priority. Returns whether the change took.
bool SetThreadTimeCritical(bool on);
