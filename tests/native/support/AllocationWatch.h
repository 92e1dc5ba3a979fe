// The test program's own operator new: it fails the nth allocation from now (on any thread) and
// tells the largest one made since Reset.
#pragma once

#include <atomic>
#include <cstddef>

namespace allocation_watch {
extern std::atomic<long> failIn; // > 0: the allocation this many from now throws std::bad_alloc
extern std::atomic<size_t> largest;
inline void Reset() {
    failIn = 0, largest = 0;
}
} // namespace allocation_watch
