// Thread priority and names. Threads themselves are std::jthread.
#pragma once

namespace platform {

enum class ThreadPriority { Normal, AboveNormal, Highest };

// Best effort: raising a priority needs privileges a desktop user often lacks,
// and audio still runs without it. Returns whether the request took effect.
bool SetCurrentThreadPriority(ThreadPriority priority);

// Names the calling thread for debuggers and profilers (15 characters kept).
void SetCurrentThreadName(const char* name);

}  // namespace platform
