// Asking for a time to go to.
#include "viewer/records/GoToTimeDlg.h"

#include "viewer/DiagnoseDlg.h"
#include "resource.h"

GoToTimeDlg::GoToTimeDlg(CDiagnoseDlg& viewer) : Dialog(IDD_GO_TO_TIME), m_viewer(viewer) {
    HandleMessagesUnder(viewer.Gate());
    CountDispatchWith(viewer);
}

void GoToTimeDlg::Open(HWND owner, Go go) {
    m_go = std::move(go);
    if (m_hwnd && ::GetWindow(m_hwnd, GW_OWNER) != owner)
        EndDialog(IDCANCEL); // it answers to the window it was opened over
    if (!m_hwnd) {
        if (!Create(owner))
            return;
        TranslateInHostLoop();
    }
    RECT ownerRect{};
    ::GetWindowRect(owner, &ownerRect);
    ::SetWindowPos(m_hwnd, nullptr, ownerRect.left + 40, ownerRect.top + 60, 0, 0,
                   SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
    ::ShowWindow(m_hwnd, SW_SHOW);
    ::SetActiveWindow(m_hwnd);
    HWND edit = Item(IDC_GO_TO_TIME_TEXT);
    ::SetFocus(edit);
    ::SendMessageW(edit, EM_SETSEL, 0, -1);
}

bool GoToTimeDlg::OnInitDialog() {
    ::SetWindowTextW(Item(IDC_GO_TO_TIME_TEXT), m_typed.c_str());
    return true;
}

void GoToTimeDlg::OnOK() {
    m_typed = win::Window(Item(IDC_GO_TO_TIME_TEXT)).GetText();
    // While a message box says why it could not go there, the window stays for another try.
    if (m_go && m_go(m_typed) && m_hwnd)
        EndDialog(IDOK);
}
