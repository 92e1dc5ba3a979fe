// The index's gate: one recursive mutex, held by the viewer's thread for each message it handles
// and by the reading thread for each step of changes.
#include "viewer/reading/IndexGate.h"

#include <chrono>
#include <thread>

namespace viewer {

void IndexGate::Lock() {
    ++m_waiting;
    m_mutex.lock();
    --m_waiting;
    ++m_holds;
}

void IndexGate::Unlock() {
    --m_holds;
    m_mutex.unlock();
}

// A paint's hold ends here: no paint is under a loop of ours, so that paint's end never came, and
// a timer in the loop would otherwise let go of a hold the gate had let go already.
unsigned IndexGate::Suspend() {
    const unsigned holds = m_holds - m_kept;
    m_kept = 0;
    for (; m_holds > 0; --m_holds)
        m_mutex.unlock();
    return holds;
}

// Taken back as a message takes it, saying that it waits: a search's steps follow each other at
// once and would keep the viewer's thread out after the operator closed the loop. A paint's hold
// made in the loop stays.
void IndexGate::Resume(unsigned holds) {
    while (m_holds < holds + m_kept)
        Lock();
}

void IndexGate::Keep() {
    Lock();
    ++m_kept;
}

void IndexGate::LetGoOneKept() {
    if (m_kept == 0)
        return;
    --m_kept;
    Unlock();
}

void IndexGate::LetGoKept() {
    while (m_kept > 0)
        LetGoOneKept();
}

// Asked to stop, the reading thread gives up within a millisecond even while the viewer's
// thread holds the gate: the viewer stops it and waits for its end from inside a message.
// A timed lock would do the same, but the thread checker cannot see it taken. Steps that follow
// each other at once (a search) would keep the viewer's thread out of the mutex, which is not
// fair: a viewer's thread that waits is let in first.
void IndexGate::Enter() {
    for (bool deferred = false;;) {
        if (m_stop)
            throw diagnose::WriteStopped{};
        if (m_waiting > 0 && !deferred) {
            deferred = true;
        } else if (m_mutex.try_lock()) {
            break;
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
    }
    if (m_stop) {
        m_mutex.unlock();
        throw diagnose::WriteStopped{};
    }
}

void IndexGate::Leave() {
    m_mutex.unlock();
}

// The viewer's thread holds the gate while it handles a message, a paint of tree or list
// included: the reading thread scans on meanwhile rather than wait.
bool IndexGate::Busy() {
    if (m_stop)
        return false;
    if (m_waiting > 0 || !m_mutex.try_lock())
        return true;
    m_mutex.unlock();
    return false;
}

} // namespace viewer
