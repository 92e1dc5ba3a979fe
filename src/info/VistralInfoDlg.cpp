// The information dialog.
#include "info/VistralInfoDlg.h"

#include "frame/ModuleState.h"
#include "resource.h"
#include "win/Clipboard.h"

namespace {
UINT CloseMessage() {
    static const UINT message = ::RegisterWindowMessageW(kCloseMessageName);
    return message;
}

// The caption and the message as lines for the clipboard, every one ending in CR LF (the message
// breaks its lines with LF alone where the host's details do not bring CR LF).
std::wstring CopiedText(const std::wstring& caption, const std::wstring& message) {
    std::wstring text = caption + L"\r\n";
    for (size_t i = 0; i < message.size(); ++i) {
        if (message[i] == L'\n' && (i == 0 || message[i - 1] != L'\r'))
            text += L'\r';
        text += message[i];
    }
    return text + L"\r\n";
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
    case WM_COPY: // a clipboard another program holds keeps its text, as with a message box
        win::PutClipboardText(m_hwnd, CopiedText(m_captionText, m_messageText));
        return true;
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

// Only this dialog's own keys come here (the modal loop filters no other window's), so the host's
// Ctrl+C stays the host's. The copy runs once the loop dispatches it, not inside GetMessage.
bool CVistralInfoDlg::PreTranslateMessage(MSG& message) {
    if (message.message == WM_KEYDOWN && (message.wParam == 'C' || message.wParam == VK_INSERT) &&
        ::GetKeyState(VK_CONTROL) < 0 && ::GetKeyState(VK_SHIFT) >= 0 && ::GetKeyState(VK_MENU) >= 0)
        return ::PostMessageW(m_hwnd, WM_COPY, 0, 0) != FALSE;
    return Dialog::PreTranslateMessage(message);
}
