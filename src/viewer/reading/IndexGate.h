// The index's gate between the viewer's thread, which reads the index while it handles a message
// of one of the viewer's windows, and the reading thread, which changes it a step at a time.
#pragma once

#include "diagnose/WriteGate.h"
#include "win/MessageLock.h"

#include <atomic>
#include <mutex>

namespace viewer {

class IndexGate : public diagnose::WriteGate, public win::MessageLock {
public:
    // The viewer's thread: held while it handles a message of ours; nested holds are counted.
    // Waits at most for one step of the reading thread (a batch of lines filed).
    void Lock() override;
    void Unlock() override;
    // Around a loop of ours that waits for the operator (the details, a message box): the
    // reading thread goes on meanwhile, and the loop's own messages hold the gate again.
    unsigned Suspend();
    void Resume(unsigned holds);
    // A hold that outlasts the message it was taken in: a control's paint, from its first
    // custom-draw notice to its last (PaintHold). A loop of ours that opens the gate ends it.
    void Keep();
    void LetGoOneKept();
    void LetGoKept();

    // The reading thread. Enter throws WriteStopped once Stop was asked, while it waits too.
    void Enter() override;
    void Leave() override;
    bool Busy() override;
    void Stop() { m_stop = true; }
    // Whether Stop was asked: for work that looks between its passes instead of entering.
    const std::atomic<bool>& Stopping() const { return m_stop; }
    const std::atomic<bool>* StopFlag() const override { return &m_stop; }
    void Go() { m_stop = false; }

private:
    std::recursive_mutex m_mutex;
    std::atomic<bool> m_stop{false};
    std::atomic<int> m_waiting{0}; // the viewer's thread waits in Lock: the reading thread lets it in
    unsigned m_holds = 0;          // the viewer's thread's, on it alone
    unsigned m_kept = 0;           // of those, the ones kept past their message
};

// A loop of ours that waits for the operator, with the gate open meanwhile.
class OpenGate {
public:
    explicit OpenGate(IndexGate& gate) : m_gate(gate), m_holds(gate.Suspend()) {}
    ~OpenGate() { m_gate.Resume(m_holds); }
    OpenGate(const OpenGate&) = delete;
    OpenGate& operator=(const OpenGate&) = delete;

private:
    IndexGate& m_gate;
    unsigned m_holds;
};

} // namespace viewer
