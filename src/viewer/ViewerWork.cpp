// The viewer's deferred work: asked for from anywhere, run from its message queue once no
// modal loop, menu or notification of the viewer's, and no menu or move loop of the platform's,
// holds the thread.
#include "viewer/DiagnoseDlg.h"

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

void CDiagnoseDlg::PlatformLoopEnded() {
    // Inside the loop the wake-up was taken and the work left waiting.
    if (m_work.Remind())
        PostWakeUp();
}

void CDiagnoseDlg::RunDeferredWork(bool wakeUp) {
    // With no handler of ours below: the wake-up and the timers come at depth 1, the host-loop
    // hook at 0.
    const bool canRun = !PlatformLoopRuns() && DispatchDepth() <= 1;
    for (viewer::Work work; (work = m_work.Next(wakeUp, canRun)) != viewer::Work{}; wakeUp = false) {
        switch (work) {
        case viewer::Work::Close:
            ::DestroyWindow(m_hwnd); // deletes this
            return;
        case viewer::Work::TakeRead:
            TakeRead();
            break;
        case viewer::Work::Reload:
        case viewer::Work::Refresh:
            if (m_save.Defer(work)) // its thread reads the index: it changes once the save has ended
                break;
            if (work == viewer::Work::Reload)
                Reload();
            else
                Refresh();
            break;
        }
    }
}
