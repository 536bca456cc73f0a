#pragma once
// What start-up checks before it builds the engine: whether the configured
// sound device opens at all, and the priorities the settings ask for.

#include <string>
#include <vector>

#include "app/config.h"

// Opens and closes the configured device at the configured rate and
// latency; false when it cannot be opened ("DirectSound Initialization
// error!" then ends the program).
bool ProbeSoundDevice(const cConfig& config);

// Raises the process (PriorityClass) and the calling thread
// (ThreadPriority) as the settings ask. Raising needs a privilege most
// users lack: each refusal is a warning ("Unable to set priority class!",
// "Unable to set thread priority!") and the program goes on.
std::vector<std::string> ApplyPriorities(const cConfig& config);
