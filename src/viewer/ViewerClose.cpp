// Closing the viewer: gone for the host at once, and destroyed, with every window it owns, as
// soon as no loop of its own or of the platform's on one of its windows holds the thread.
#include "viewer/ViewerLifetime.h"

#include "viewer/DiagnoseDlg.h"

#include "viewer/details/DiagnoseDetailsDlg.h"
#include "viewer/matches/MatchWindow.h"
#include "viewer/reading/ReleasedAside.h"
#include "resource.h"
#include "win/ResourceModule.h"

namespace {

// While a close waits for a loop to end, the viewer looks this often whether it has.
constexpr UINT_PTR kCloseTimer = 2;
constexpr UINT kCloseLookMilliseconds = 50;

GUITHREADINFO ThreadInfo() {
    GUITHREADINFO info{};
    info.cbSize = sizeof info;
    if (!::GetGUIThreadInfo(::GetCurrentThreadId(), &info)) {
        info = {};
        info.cbSize = sizeof info;
    }
    return info;
}

// Whether `window` is `viewer`, one of its controls, or a top-level window it owns, directly or
// through another such window.
bool OwnedBy(HWND window, HWND viewer) {
    for (HWND top = window ? ::GetAncestor(window, GA_ROOT) : nullptr; top; top = ::GetWindow(top, GW_OWNER))
        if (top == viewer)
            return true;
    return false;
}

struct OwnedFound {
    HWND viewer;
    std::vector<HWND> found;
};

BOOL CALLBACK CollectOwned(HWND window, LPARAM parameter) {
    auto* owned = reinterpret_cast<OwnedFound*>(parameter);
    if (window != owned->viewer && OwnedBy(window, owned->viewer))
        owned->found.push_back(window);
    return TRUE;
}

} // namespace

// Gone for the host at once: the slot is empty (a CreateDiagnoseDlg in the same handler makes a
// new viewer), the windows hidden, every loop of ours asked to end. The window is destroyed now
// when nothing of ours runs, so that a host may free the module right after DestroyOpenDlg;
// else once the last loop has ended. A platform's loop dispatches the wake-up and it finds the
// loop still running; the follow timer is stopped: so the close keeps a timer of its own, which
// goes with the window.
void ViewerLifetime::Close() {
    if (!m_closing) {
        m_viewer.m_kept
            .KeepChoices(); // before the windows are hidden: their places are those of shown windows
        m_closing = true;
        if (m_viewer.m_slot)
            m_viewer.m_slot->Leave(&m_viewer);
        ::KillTimer(m_viewer.m_hwnd, m_viewer.kFollowTimer);
        ::KillTimer(m_viewer.m_hwnd, m_viewer.kReadTimer);
        m_viewer.m_session.Stop(); // the index stays as it is until the window goes
        m_viewer.CancelSave();     // its thread has ended before the window goes
        // With nothing to wait for, the windows go as they are, below.
        if (MustWait()) {
            for (HWND owned : OwnedTopLevelWindows())
                ::ShowWindow(owned, SW_HIDE);
            ::ShowWindow(m_viewer.m_hwnd, SW_HIDE);
            EndLoopsOfOurs();
        }
    }
    if (!MustWait())
        return DestroyNow();
    Request(viewer::Work::Close);
    ::SetTimer(m_viewer.m_hwnd, kCloseTimer, kCloseLookMilliseconds, nullptr);
}

// Destroys the viewer and every window it owns; deletes the viewer, and this with it. The index's memory is
// given back on a thread of its own meanwhile (half the time of a close of a large log), which has ended when
// this returns. Nothing may read the index by then: the reading thread has ended, and the handlers of every
// window of ours that reads it run no more: the viewer's, the matches' and the timeline's (their places are
// kept already; the save's progress went with the save, the details are not open). Their final bookkeeping
// still runs.
void ViewerLifetime::DestroyNow() {
    std::unique_ptr<diagnose::LogIndex> released = m_viewer.m_session.TakeIndex();
    m_viewer.IgnoreMessages();
    m_viewer.m_owned.IgnoreMessages();
    const viewer::ReleasedAside<diagnose::LogIndex> index(std::move(released));
    ::DestroyWindow(m_viewer.m_hwnd); // the owned windows first; deletes the viewer
}

// A close still waiting when the host's loop ends (a loop that ended without a message of ours
// after it: a control's held mouse) is carried out before the host can free the module.
void ViewerLifetime::OnThreadQuitting() {
    if (m_closing)
        RunDeferredWork(false);
}

bool ViewerLifetime::OnCloseTimer(UINT_PTR timer) {
    if (timer != kCloseTimer)
        return false;
    RunDeferredWork(false);
    return true;
}

// The details, a message box and the save dialog end their loops, and so do the message boxes
// the save dialog shows over itself (whether to replace a file, a name it cannot take): the
// innermost first, as a dialog's loop ends only once the loops it runs have. A menu or a mouse
// capture (a scroll bar's thumb, a header's divider) of a window of ours is ended too: the window
// is hidden. A move or size runs on until the operator ends it.
void ViewerLifetime::EndLoopsOfOurs() {
    if (m_details)
        m_details->EndDialog(IDCANCEL);
    if (m_messageOwner) {
        const std::vector<HWND> owned = OwnedTopLevelWindows();
        std::vector<HWND> asking{m_messageOwner}; // the owner, then the dialogs over it, outermost first
        for (size_t over = 0; over < asking.size(); ++over)
            for (HWND window : owned) {
                wchar_t name[16] = {};
                if (::GetWindow(window, GW_OWNER) == asking[over] &&
                    window != m_viewer.m_search.Find().Dialog() && ::GetClassNameW(window, name, 16) &&
                    std::wstring(name) == L"#32770")
                    asking.push_back(window);
            }
        for (size_t inner = asking.size(); --inner > 0;)
            ::EndDialog(asking[inner], IDCANCEL);
    }
    const GUITHREADINFO info = ThreadInfo();
    if (IsOurs(info.hwndMenuOwner))
        ::EndMenu();
    if (IsOurs(info.hwndCapture) && !info.hwndMoveSize)
        ::ReleaseCapture();
}

// A loop of ours or of the platform's, or a handler of ours below the close's own (a handler
// whose cross-thread send let the close in, a message one of them sent to us): the windows they
// work on must stay until they have returned.
bool ViewerLifetime::MustWait() const {
    return m_work.Busy() || PlatformLoopRuns() || m_viewer.DispatchDepth() > 1;
}

bool ViewerLifetime::IsOurs(HWND window) const {
    return m_viewer.m_hwnd && OwnedBy(window, m_viewer.m_hwnd);
}

std::vector<HWND> ViewerLifetime::OwnedTopLevelWindows() const {
    OwnedFound owned{m_viewer.m_hwnd, {}};
    ::EnumThreadWindows(::GetCurrentThreadId(), &CollectOwned, reinterpret_cast<LPARAM>(&owned));
    return owned.found;
}

// A menu, a keyboard move or size, or a control that holds the mouse, on a window of ours: their
// loops dispatch our messages, and the windows they work on must stay until they have ended.
// Loops on the host's windows are no reason to wait: they do not touch ours.
bool ViewerLifetime::PlatformLoopRuns() const {
    const GUITHREADINFO info = ThreadInfo();
    return IsOurs(info.hwndMenuOwner) || IsOurs(info.hwndMoveSize) || IsOurs(info.hwndCapture);
}

int ViewerLifetime::ShowMessage(HWND owner, const std::wstring& text, UINT style) {
    CDiagnoseDlg::BusyScope busy(m_viewer); // the message box's loop
    viewer::OpenGate reading(*m_viewer.m_session.Gate());
    m_messageOwner = owner;
    const int answer =
        ::MessageBoxW(owner, text.c_str(), win::LoadResString(IDS_DIAGNOSE_TITLE).c_str(), style);
    m_messageOwner = nullptr;
    return answer;
}
