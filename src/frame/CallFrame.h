// The frame every exported call with a user interface runs in.
#pragma once

#include "frame/ModuleState.h"
#include "win/ActivationContext.h"

// Starts the module on first use, activates the module's manifest context and selects the
// language resources of `lcid`. With RestoreResources::Yes the previous resource source is
// put back on every way out of the scope; the modeless viewer keeps its language selected.
class CallFrame {
public:
    enum class RestoreResources { No, Yes };

    CallFrame(ModuleState& state, LCID lcid, RestoreResources restore);
    ~CallFrame();
    CallFrame(const CallFrame&) = delete;
    CallFrame& operator=(const CallFrame&) = delete;

private:
    win::ScopedActivation m_activation;
    HINSTANCE m_previous = nullptr;
    bool m_restore;
};
