// The viewer's deferred work: asked for from anywhere, run from its message queue once no
// modal loop, menu or notification of the viewer's, and no menu or move loop of the platform's,
// holds the thread.
#include "viewer/DiagnoseDlg.h"

#include "viewer/save/RecordsSaver.h"

CDiagnoseDlg::BusyScope::~BusyScope() {
    if (m_viewer.m_work.Leave())
        m_viewer.PostWakeUp();
}

void CDiagnoseDlg::Request(viewer::Work work) {
    if (m_work.Request(work))
        PostWakeUp();
}

void CDiagnoseDlg::PostWakeUp() {
    // When the post fails, the next look of the follow timer asks again.
    m_work.Posted(m_hwnd && ::PostMessageW(m_hwnd, kRunDeferredWork, 0, 0));
}

// A menu (the system menu, a host's) or a keyboard move or size runs its own loop, which
// dispatches our messages; the work waits until it has ended. So does a control of ours that
// holds the mouse (a scroll bar's thumb, a header's divider): its loop may be on the stack.
bool CDiagnoseDlg::PlatformLoopRuns() const {
    GUITHREADINFO info{};
    info.cbSize = sizeof info;
    if (!::GetGUIThreadInfo(::GetCurrentThreadId(), &info))
        return false;
    HWND capture = info.hwndCapture;
    return (info.flags & (GUI_INMENUMODE | GUI_INMOVESIZE | GUI_POPUPMENUMODE | GUI_SYSTEMMENUMODE)) != 0 ||
           (capture && (capture == m_hwnd || ::IsChild(m_hwnd, capture)));
}

void CDiagnoseDlg::RunDeferredWork(bool wakeUp) {
    const bool canRun = !PlatformLoopRuns();
    for (viewer::Work work; (work = m_work.Next(wakeUp, canRun)) != viewer::Work{}; wakeUp = false) {
        switch (work) {
        case viewer::Work::Close:
            ::DestroyWindow(m_hwnd); // deletes this
            return;
        case viewer::Work::Reload:
        case viewer::Work::Refresh:
            if (m_saver) { // its thread reads the index: it changes once the save has ended
                m_workAfterSave |= static_cast<uint8_t>(work);
                break;
            }
            if (work == viewer::Work::Reload)
                Reload();
            else
                Refresh();
            break;
        }
    }
}
