// The small window that asks for a time to go to: modeless over the viewer or the records
// window, so that a close of the viewer never waits for it; it goes with its owner.
#pragma once

#include "win/Dialog.h"

#include <functional>
#include <string>

class CDiagnoseDlg;

class GoToTimeDlg : public win::Dialog {
public:
    // `go` is given what was typed when OK is pressed; it answers whether it went there (the
    // window then closes) or said why not (it stays for another try).
    using Go = std::function<bool(const std::wstring& typed)>;
    explicit GoToTimeDlg(CDiagnoseDlg& viewer);

    // Opens it over `owner` (or brings it up there) for `go`.
    void Open(HWND owner, Go go);

protected:
    bool OnInitDialog() override;
    void OnOK() override;

private:
    CDiagnoseDlg& m_viewer;
    Go m_go;
    std::wstring m_typed; // kept for the next time it opens
};
