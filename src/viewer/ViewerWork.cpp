// The viewer's deferred work: asked for from anywhere, run from its message queue once no
// modal loop, menu or notification of the viewer's, and no menu or move loop of the platform's,
// holds the thread.
#include "viewer/ViewerLifetime.h"

#include "viewer/DiagnoseDlg.h"

void ViewerLifetime::Leave() {
    if (m_work.Leave())
        PostWakeUp();
}

void ViewerLifetime::RemindWork() {
    if (m_work.Remind())
        PostWakeUp(); // work that could not run at its wake-up
}

void ViewerLifetime::Request(viewer::Work work) {
    if (m_work.Request(work))
        PostWakeUp();
}

void ViewerLifetime::PostWakeUp() {
    // When the post fails, the next look of the follow timer asks again.
    m_work.Posted(m_viewer.m_hwnd && ::PostMessageW(m_viewer.m_hwnd, m_viewer.kRunDeferredWork, 0, 0));
}

void ViewerLifetime::PlatformLoopEnded() {
    // Inside the loop the wake-up was taken and the work left waiting.
    if (m_work.Remind())
        PostWakeUp();
}

void ViewerLifetime::RunDeferredWork(bool wakeUp) {
    // With no handler of ours below: the wake-up and the timers come at depth 1, the host-loop
    // hook at 0.
    const bool canRun = !PlatformLoopRuns() && m_viewer.DispatchDepth() <= 1;
    for (viewer::Work work; (work = m_work.Next(wakeUp, canRun)) != viewer::Work{}; wakeUp = false) {
        switch (work) {
        case viewer::Work::Close:
            ::DestroyWindow(m_viewer.m_hwnd); // deletes the viewer, and this with it
            return;
        case viewer::Work::TakeRead:
            m_viewer.m_reading.TakeRead();
            break;
        case viewer::Work::Reload:
        case viewer::Work::Refresh:
            if (m_viewer.m_save.Defer(work)) // its thread reads the index: it changes once the save has ended
                break;
            if (work == viewer::Work::Reload)
                m_viewer.m_reading.Reload();
            else
                m_viewer.m_reading.Refresh();
            break;
        }
    }
}
