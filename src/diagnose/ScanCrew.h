// Threads that scan the parts of one batch after another for the length of a read: starting a
// thread costs about a millisecond under Wine, and a large log is read in a hundred batches or
// more.
#pragma once

#include "diagnose/SlimLock.h"

#include <cstddef>
#include <functional>
#include <mutex>
#include <thread>
#include <vector>

namespace diagnose {

class ScanCrew {
public:
    // Starts up to `size` threads; Wait runs what they have not taken, all of it when there
    // are none.
    explicit ScanCrew(unsigned size);
    // Runs what was started before the threads end.
    ~ScanCrew();
    ScanCrew(const ScanCrew&) = delete;
    ScanCrew& operator=(const ScanCrew&) = delete;

    // Has task(0) to task(count - 1) run by the crew and returns at once; the next Start comes
    // after Wait. The task must not throw.
    void Start(std::function<void(size_t)> task, size_t count);
    // Returns once every task of the last Start has run.
    void Wait();

private:
    bool RunOne(std::unique_lock<SlimMutex>& lock);
    void Work();

    SlimMutex m_mutex;
    SlimCondition m_wake, m_done;
    std::function<void(size_t)> m_task;
    size_t m_next = 0, m_count = 0, m_running = 0;
    bool m_stopping = false;
    std::vector<std::thread> m_threads;
};

} // namespace diagnose
