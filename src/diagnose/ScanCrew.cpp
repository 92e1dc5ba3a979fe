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
    Wait();
    {
        std::lock_guard<SlimMutex> lock(m_mutex);
        m_stopping = true;
    }
    m_wake.notify_all();
    for (std::thread& thread : m_threads)
        thread.join();
}

void ScanCrew::Start(std::function<void(size_t)> task, size_t count) {
    {
        std::lock_guard<SlimMutex> lock(m_mutex);
        m_task = std::move(task);
        m_next = 0;
        m_count = count;
    }
    m_wake.notify_all();
}

void ScanCrew::Wait() {
    std::unique_lock<SlimMutex> lock(m_mutex);
    while (RunOne(lock)) {
        // What no thread has taken yet this thread does itself, having nothing else to do.
    }
    m_done.wait(lock, [this] { return m_next == m_count && m_running == 0; });
}

// Runs a task not taken yet, without the lock meanwhile; false when none is left.
bool ScanCrew::RunOne(std::unique_lock<SlimMutex>& lock) {
    if (m_next == m_count)
        return false;
    const size_t task = m_next++;
    ++m_running;
    lock.unlock();
    m_task(task);
    lock.lock();
    if (--m_running == 0 && m_next == m_count)
        m_done.notify_all();
    return true;
}

void ScanCrew::Work() {
    std::unique_lock<SlimMutex> lock(m_mutex);
    for (;;) {
        m_wake.wait(lock, [this] { return m_stopping || m_next < m_count; });
        if (!RunOne(lock))
            return; // stopping, and nothing is left
    }
}

} // namespace diagnose
