// A mutex and a condition variable for threads that hand work to each other hundreds of times a
// second. In the Windows build the C++ runtime's mutex and condition variable wait through
// kernel events: under Wine each wait and each wake is a call to the server, which waits for a
// processor while the scan keeps them busy. The system's slim locks wait in the process, as the
// native build's do.
#pragma once

#include <condition_variable>
#include <mutex>

namespace diagnose {

#if defined(_WIN32)

class SlimMutex {
public:
    SlimMutex() = default;
    SlimMutex(const SlimMutex&) = delete;
    SlimMutex& operator=(const SlimMutex&) = delete;
    void lock();
    void unlock();

private:
    friend class SlimCondition;
    void* m_lock = nullptr; // an SRWLOCK, of one pointer, which all zeros make free
};

class SlimCondition {
public:
    SlimCondition() = default;
    SlimCondition(const SlimCondition&) = delete;
    SlimCondition& operator=(const SlimCondition&) = delete;
    void wait(std::unique_lock<SlimMutex>& lock);
    template <typename Predicate> void wait(std::unique_lock<SlimMutex>& lock, Predicate ready) {
        while (!ready())
            wait(lock);
    }
    void notify_all();

private:
    void* m_condition = nullptr; // a CONDITION_VARIABLE, of one pointer, all zeros at first
};

#else

using SlimMutex = std::mutex;
using SlimCondition = std::condition_variable;

#endif

} // namespace diagnose
