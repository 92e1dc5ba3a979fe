// The information dialog.
#include "info/VistralInfoDlg.h"

#include "frame/ModuleState.h"
#include "resource.h"

namespace {
UINT CloseMessage() {
    static const UINT message = ::RegisterWindowMessageW(kCloseMessageName);
    return message;
}
} // namespace

CVistralInfoDlg::CVistralInfoDlg(win::Dialog** slot, HWND parent)
    : Dialog(IDD_VISTRAL_INFO), m_slot(slot), m_parent(parent) {
    m_infoArea.SetDialog(this);
}

CVistralInfoDlg::~CVistralInfoDlg() {
    if (m_slot && *m_slot == this)
        *m_slot = nullptr;
}

bool CVistralInfoDlg::OnInitDialog() {
    m_infoArea.SubclassDlgItem(IDC_INFO_AREA, m_hwnd);
    if (!m_detailsAvailable)
        ::EnableWindow(Item(IDC_INFO_DETAILS), FALSE);
    if (m_slot)
        *m_slot = this;
    CloseMessage();
    return true;
}

bool CVistralInfoDlg::OnCommand(WORD notifyCode, WORD id, HWND control) {
    if (id == IDC_INFO_DETAILS && notifyCode == BN_CLICKED) {
        EndDialog(kDetailsEndCode);
        return true;
    }
    return Dialog::OnCommand(notifyCode, id, control);
}

bool CVistralInfoDlg::OnMessage(UINT message, WPARAM wParam, LPARAM lParam, LRESULT& result) {
    if (message == CloseMessage()) {
        OnOK();
        result = 1;
        return true;
    }
    switch (message) {
    case WM_DRAWITEM:
        if (wParam == IDC_INFO_AREA) {
            m_infoArea.DrawItem(*reinterpret_cast<const DRAWITEMSTRUCT*>(lParam));
            result = TRUE;
            return true;
        }
        return false;
    case WM_CLOSE:
        return true; // the dialog has no close box; the window manager's close is refused too
    case WM_SYSCOMMAND:
        return (wParam & 0xFFF0) == SC_CLOSE; // Alt+F4; other system commands as usual
    default:
        return false;
    }
}
