// How a store that another thread reads is changed: a step at a time, each while the writer holds
// the gate, so that the reader (the viewer's thread) never sees half a step.
#pragma once

#include <atomic>

namespace diagnose {

// Thrown by Enter when the writer is to stop instead of waiting: the step has not begun, and
// the read it belongs to ends with what was filed before.
struct WriteStopped {};

class WriteGate {
public:
    virtual ~WriteGate() = default;
    // Waits until the writer may change the store; throws WriteStopped when it is to stop.
    virtual void Enter() = 0;
    virtual void Leave() = 0;
    // Whether Enter would wait now, as far as the writer can tell without waiting: a writer with
    // other work (the next batch to scan) does that first. False once it is to stop, so that the
    // writer enters and ends.
    virtual bool Busy() { return false; }
    // Set once the writer is to stop, for work that looks between its reads (none: it never is).
    virtual const std::atomic<bool>* StopFlag() const { return nullptr; }
};

// One step of changes. With no gate (a store one thread owns) it costs nothing.
class GatedStep {
public:
    explicit GatedStep(WriteGate* gate) : m_gate(gate) {
        if (m_gate)
            m_gate->Enter();
    }
    ~GatedStep() {
        if (m_gate)
            m_gate->Leave();
    }
    GatedStep(const GatedStep&) = delete;
    GatedStep& operator=(const GatedStep&) = delete;

private:
    WriteGate* m_gate;
};

} // namespace diagnose
