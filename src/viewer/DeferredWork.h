// The viewer's work that must wait until none of its modal loops, menus or control
// notifications is on the stack: taking in what was read, reading the log on, reading it
// again, closing.
#pragma once

#include <cstdint>

namespace viewer {

enum class Work : uint8_t { Refresh = 1, Reload = 2, Close = 4, TakeRead = 8 };

// One queue instead of a flag per kind of work. Requests are merged: a close makes everything
// else unnecessary, a reload makes a refresh and taking in what was read so. The work runs from one wake-up
// message in the viewer's queue; the queue says when that message is to be posted, so that at most one is on
// its way, and none runs while a loop of ours is open (it is posted again when the last ends).
class DeferredWork {
public:
    // Asks for `work`; true when the caller is to post the wake-up message now.
    bool Request(Work work);
    // True when work waits that no wake-up message is on its way for (it could not run at the
    // last one): the caller posts one. For a regular look, such as a timer's.
    bool Remind();
    bool Pending(Work work) const { return (m_pending & static_cast<uint8_t>(work)) != 0; }
    bool AnyPending() const { return m_pending != 0; }

    // A modal loop, menu or notification of the viewer's starts or ends. Leave answers true when
    // the caller is to post the wake-up message (work waited for the last one to end).
    void Enter() { ++m_depth; }
    bool Leave();
    bool Busy() const { return m_depth > 0; }

    // On the wake-up message (true) or a later look (false): the next work to run, most
    // sweeping first, taken off the queue; 0 when nothing is to run now (nothing waits, or a
    // loop of ours is open: the work then stays for later). `canRun` is false when something
    // of the platform's (a menu, a move, a captured mouse) holds the thread.
    Work Next(bool wakeUp, bool canRun);
    // Whether a wake-up message is on its way; a failed post is taken back with this.
    void Posted(bool posted) { m_posted = posted; }

private:
    uint8_t m_pending = 0;
    int m_depth = 0;
    bool m_posted = false;
};

} // namespace viewer
