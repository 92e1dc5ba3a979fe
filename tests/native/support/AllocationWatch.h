// The test program's own operator new: it can fail the nth allocation from now, and it tells the
// largest allocation made since it was asked last.
#pragma once

#include <atomic>
#include <cstddef>

namespace allocation_watch {
// Greater than 0: the allocation this many from now throws std::bad_alloc (on any thread).
extern std::atomic<long> failIn;
// The largest size asked for since the last Reset.
extern std::atomic<size_t> largest;
inline void Reset() {
    failIn = 0;
    largest = 0;
}
} // namespace allocation_watch
