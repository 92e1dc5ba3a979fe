#include "diagnose/ScanCrew.h"

namespace diagnose {

ScanCrew::ScanCrew(unsigned size) {
    try {
        m_threads.reserve(size);
        for (unsigned i = 0; i < size; ++i)
            m_threads.emplace_back(&ScanCrew::Work, this);
    } catch (...) {
        // Fewer threads than asked, or none: Wait does the rest.
    }
}

ScanCrew::~ScanCrew() {
    WaitAll();
    {
        std::lock_guard<SlimMutex> lock(m_mutex);
        m_stopping = true;
    }
    m_wake.notify_all();
    for (std::thread& thread : m_threads)
        thread.join();
}

ScanCrew::Ticket ScanCrew::Start(std::function<void(size_t)> task, size_t count) {
    Ticket ticket;
    {
        std::lock_guard<SlimMutex> lock(m_mutex);
        ticket = ++m_lastTicket;
        if (count > 0)
            m_jobs.push_back(Job{ticket, std::move(task), 0, count, count});
    }
    m_wake.notify_all();
    return ticket;
}

void ScanCrew::Wait(Ticket ticket) {
    std::unique_lock<SlimMutex> lock(m_mutex);
    while (RunOne(lock, ticket)) {
        // What no thread has taken yet this thread does itself, having nothing else to do.
    }
    m_done.wait(lock, [this, ticket] { return m_jobs.empty() || m_jobs.front().ticket > ticket; });
}

bool ScanCrew::RunOne(std::unique_lock<SlimMutex>& lock, Ticket through) {
    for (Job& job : m_jobs) {
        if (job.ticket > through)
            return false;
        if (job.next == job.count)
            continue;
        const size_t task = job.next++;
        lock.unlock();
        job.task(task);
        lock.lock();
        if (--job.unfinished == 0) {
            // Ended jobs leave from the front only: a later one may end before an earlier one.
            while (!m_jobs.empty() && m_jobs.front().unfinished == 0)
                m_jobs.pop_front();
            m_done.notify_all();
        }
        return true;
    }
    return false;
}

void ScanCrew::Work() {
    std::unique_lock<SlimMutex> lock(m_mutex);
    for (;;) {
        if (RunOne(lock, m_lastTicket))
            continue;
        if (m_stopping)
            return; // and nothing is left
        m_wake.wait(lock);
    }
}

} // namespace diagnose
