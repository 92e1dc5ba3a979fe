// Deletes an object on a thread of its own and waits for that thread when it goes itself: a
// close gives the index back (hundreds of megabytes take the system some 50 ms to take back)
// while it goes on destroying the windows, and the thread has ended before the close returns.
#pragma once

#include <memory>
#include <thread>
#include <utility>

namespace viewer {

template <typename T> class ReleasedAside {
public:
    explicit ReleasedAside(std::unique_ptr<T> object) {
        if (!object)
            return;
        try {
            m_thread = std::thread([object = std::move(object)]() mutable { object.reset(); });
        } catch (...) {
            // Without a thread the object went with the attempt, on this one.
        }
    }
    ~ReleasedAside() {
        if (m_thread.joinable())
            m_thread.join();
    }
    ReleasedAside(const ReleasedAside&) = delete;
    ReleasedAside& operator=(const ReleasedAside&) = delete;

private:
    std::thread m_thread;
};

} // namespace viewer
