// The window that shows how far a save has come, with Cancel; it comes up only when the save
// takes longer than a moment.
#pragma once

#include "win/Dialog.h"

#include <string>

// Modeless, owned by the window the save was asked from. Cancel and Escape post `cancel` to
// `notify`, which stops the save and destroys this window from its own queue: nothing of the
// save ends inside this window's handler.
class SaveProgressDlg : public win::Dialog {
public:
    SaveProgressDlg(HWND notify, UINT cancel, std::wstring path);
    ~SaveProgressDlg() override;

    // Made hidden; it shows itself after a moment while the save still runs.
    bool Open(HWND owner);
    void ShowProgress(size_t written, size_t total);

protected:
    bool OnInitDialog() override;
    void OnOK() override {}
    void OnCancel() override;
    bool OnMessage(UINT message, WPARAM wParam, LPARAM lParam, LRESULT& result) override;

private:
    HWND m_notify;
    UINT m_cancel;
    std::wstring m_path;
};
