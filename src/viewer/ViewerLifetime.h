// The viewer's lifetime: the deferred work that waits until none of its loops, menus or
// notifications is on the stack, and the close, which takes the viewer off the screen at once and
// destroys its windows as soon as no loop of ours or of the platform's on one of them holds the
// thread (ViewerClose.cpp, ViewerWork.cpp).
#pragma once

#include "viewer/DeferredWork.h"

#include <windows.h>

#include <string>
#include <vector>

class CDiagnoseDlg;
class CDiagnoseDetailsDlg;

class ViewerLifetime {
public:
    explicit ViewerLifetime(CDiagnoseDlg& viewer) : m_viewer(viewer) {}

    // Leaves the slot and the screen at once, ends the loops of its windows that can be ended
    // (the details, a message box, a menu, a held mouse), and destroys its windows as soon as
    // no loop on one of them holds the thread.
    void Close();
    bool Closing() const { return m_closing; }
    // A close still waiting when the thread's loop takes WM_QUIT is carried out now.
    void OnThreadQuitting();
    bool OnCloseTimer(UINT_PTR timer);
    // A loop of the platform's on a window of ours has ended: what waited for it runs from the
    // next message.
    void PlatformLoopEnded();
    // Whether a menu, a move or size or a held mouse of the platform's holds a window of ours.
    bool PlatformLoopRuns() const;
    bool IsOurs(HWND window) const;
    // A message box over `owner`, which a close ends.
    int ShowMessage(HWND owner, const std::wstring& text, UINT style);
    // While the platform's save dialog of ours runs: its owner, whose dialogs a close ends.
    void SetMessageOwner(HWND owner) { m_messageOwner = owner; }
    // While the details run: a close ends them.
    void SetDetails(CDiagnoseDetailsDlg* details) { m_details = details; }
    CDiagnoseDetailsDlg* Details() const { return m_details; }

    // The deferred work: asked for from anywhere, run from the wake-up (RunDeferredWork).
    void Request(viewer::Work work);
    bool Pending(viewer::Work work) const { return m_work.Pending(work); }
    void RunDeferredWork(bool wakeUp);
    // Work that could not run at its wake-up is woken again (a regular look, the follow timer's).
    void RemindWork();
    // A modal loop, menu or notification of ours starts or ends (CDiagnoseDlg::BusyScope).
    void Enter() { m_work.Enter(); }
    void Leave();
    bool Busy() const { return m_work.Busy(); }

private:
    void PostWakeUp();
    void DestroyNow();
    bool MustWait() const;
    void EndLoopsOfOurs();
    std::vector<HWND> OwnedTopLevelWindows() const;

    CDiagnoseDlg& m_viewer;
    viewer::DeferredWork m_work;
    bool m_closing = false;        // Close was asked: out of the slot and hidden, destroyed from the queue
    HWND m_messageOwner = nullptr; // while a message box or the save dialog of ours runs: its owner
    CDiagnoseDetailsDlg* m_details = nullptr;
};
