// A control of the viewer that paints under the index's gate: the cells and labels it asks the
// viewer for while it paints are each a message of their own, and each took the gate again, so
// that the reading thread could file a batch between two of them (a paint of the tree of a
// loading log took up to 100 ms). Held for the whole paint, the gate is taken once.
#pragma once

#include "win/MessageLock.h"
#include "win/SubclassedWindow.h"

#include <memory>

namespace viewer {

class PaintedUnderGate : public win::SubclassedWindow {
public:
    void Attach(HWND control, std::shared_ptr<win::MessageLock> gate) {
        m_gate = std::move(gate);
        SubclassWindow(control);
    }

protected:
    LRESULT WindowProc(UINT message, WPARAM wParam, LPARAM lParam) override {
        if (message != WM_PAINT)
            return DefaultProc(message, wParam, lParam);
        win::LockedMessage locked(m_gate);
        return DefaultProc(message, wParam, lParam);
    }

private:
    std::shared_ptr<win::MessageLock> m_gate;
};

} // namespace viewer
