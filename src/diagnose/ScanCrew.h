// Threads that scan the parts of one batch after another for the length of a read: starting a
// thread costs about a millisecond under Wine, and a large log is read in a hundred batches or
// more. Starts queue up: the next batch's parts are started before the last parts of the one
// before have ended, so that no thread waits at the end of each batch for the slowest part.
#pragma once

#include "diagnose/SlimLock.h"

#include <cstddef>
#include <cstdint>
#include <deque>
#include <functional>
#include <mutex>
#include <thread>
#include <vector>

namespace diagnose {

class ScanCrew {
public:
    // Which start a Wait waits for: they are numbered from 1 in the order they were made.
    using Ticket = uint64_t;

    // Starts up to `size` threads; a Wait runs what they have not taken, all of it when there
    // are none.
    explicit ScanCrew(unsigned size);
    // Runs what was started before the threads end.
    ~ScanCrew();
    ScanCrew(const ScanCrew&) = delete;
    ScanCrew& operator=(const ScanCrew&) = delete;

    // Has task(0) to task(count - 1) run by the crew, after the tasks started before, and
    // returns at once. The task must not throw.
    Ticket Start(std::function<void(size_t)> task, size_t count);
    // Returns once every task of `ticket`, and of every start before it, has run; meanwhile this
    // thread runs those of them no thread has taken yet.
    void Wait(Ticket ticket);
    // The same for everything started.
    void WaitAll() { Wait(m_lastTicket); }

private:
    struct Job {
        Ticket ticket;
        std::function<void(size_t)> task;
        size_t next, count, unfinished;
    };
    // Runs a task of a start up to `through` not taken yet, without the lock meanwhile; false
    // when none is left.
    bool RunOne(std::unique_lock<SlimMutex>& lock, Ticket through);
    void Work();

    SlimMutex m_mutex;
    SlimCondition m_wake, m_done;
    // The starts not ended yet, oldest first; a job stays where it is until it has ended, so
    // that its task may run without the lock.
    std::deque<Job> m_jobs;
    Ticket m_lastTicket = 0;
    bool m_stopping = false;
    std::vector<std::thread> m_threads;
};

} // namespace diagnose
