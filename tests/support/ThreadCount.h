// Counts the threads that the code under test started, by the names it gives
// them, so that threads a runtime starts for itself (a sanitizer's, a
// library's) are never counted with them.
#pragma once

#include <string_view>

namespace tessiro::test {

// Threads of this process whose name begins with prefix, now.
int ThreadsNamed(std::string_view prefix);

// The same count once it equals expected, waiting at most five seconds for it: a
// new thread takes its name only once it runs, and a joined one may linger a
// moment before the system lets it go. Returns the count it ended with.
int AwaitThreadsNamed(std::string_view prefix, int expected);

}  // namespace tessiro::test
