// The frame every exported call with a user interface runs in.
#include "frame/CallFrame.h"

#include "frame/ZtServiceMsgApp.h"
#include "win/ResourceModule.h"

namespace {
HANDLE StartedModuleContext() {
    TheApp().EnsureStarted();
    return TheApp().ControlsContext();
}
} // namespace

CallFrame::CallFrame(ModuleState& state, LCID lcid, RestoreResources restore)
    : m_activation(StartedModuleContext()), m_restore(restore == RestoreResources::Yes) {
    m_previous = state.SelectLanguageResources(lcid);
}

CallFrame::~CallFrame() {
    if (m_restore && m_previous)
        win::SetResourceHandle(m_previous);
}
