// The progress window of a save.
#include "viewer/save/SaveProgressDlg.h"

#include "viewer/ViewerText.h"
#include "resource.h"

#include <commctrl.h>

namespace {
// A save shorter than this shows no window at all.
constexpr UINT_PTR kShowTimer = 1;
constexpr UINT kShowAfterMilliseconds = 400;
// The bar's steps: fine enough for a smooth bar, within the control's 16-bit range.
constexpr int kSteps = 1000;

std::wstring ProgressText(size_t written, size_t total) {
    std::wstring text = ViewerText(IDS_SAVE_PROGRESS);
    for (size_t number : {written, total}) {
        const size_t at = text.find(L"%u");
        if (at != std::wstring::npos)
            text.replace(at, 2, std::to_wstring(number));
    }
    return text;
}
} // namespace

SaveProgressDlg::SaveProgressDlg(HWND notify, UINT cancel, std::wstring path)
    : Dialog(IDD_SAVE_PROGRESS), m_notify(notify), m_cancel(cancel), m_path(std::move(path)) {}

SaveProgressDlg::~SaveProgressDlg() = default;

bool SaveProgressDlg::Open(HWND owner) {
    if (!Create(owner))
        return false;
    TranslateInHostLoop(); // Escape and Tab in a host's loop
    ::SetTimer(m_hwnd, kShowTimer, kShowAfterMilliseconds, nullptr);
    return true;
}

bool SaveProgressDlg::OnInitDialog() {
    SetText(ViewerText(IDS_SAVE_TITLE));
    ::SetDlgItemTextW(m_hwnd, IDC_SAVE_TEXT, m_path.c_str());
    ::SendDlgItemMessageW(m_hwnd, IDC_SAVE_PROGRESS, PBM_SETRANGE32, 0, kSteps);
    CenterOnScreen();
    return true;
}

void SaveProgressDlg::ShowProgress(size_t written, size_t total) {
    if (!m_hwnd)
        return;
    const int step =
        total ? static_cast<int>(static_cast<double>(written) * kSteps / static_cast<double>(total)) : 0;
    ::SendDlgItemMessageW(m_hwnd, IDC_SAVE_PROGRESS, PBM_SETPOS, static_cast<WPARAM>(step), 0);
    SetText(ViewerText(IDS_SAVE_TITLE) + L" - " + ProgressText(written, total));
}

void SaveProgressDlg::OnCancel() {
    ::PostMessageW(m_notify, m_cancel, 0, 0);
}

bool SaveProgressDlg::OnMessage(UINT message, WPARAM wParam, LPARAM, LRESULT&) {
    if (message == WM_TIMER && wParam == kShowTimer) {
        ::KillTimer(m_hwnd, kShowTimer);
        ::ShowWindow(m_hwnd, SW_SHOW);
        return true;
    }
    if (message == WM_CLOSE) {
        OnCancel();
        return true;
    }
    return false;
}
