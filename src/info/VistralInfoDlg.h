// The information dialog "Vistral-Information": the painted info area, OK and a Details button.
#pragma once

#include "info/InfoArea.h"
#include "win/Dialog.h"

#include <string>

// Runs modally, stays above other windows, and ignores the close box and Alt+F4: the
// operator confirms it with OK, Enter or Escape. The registered close message ends it as OK.
// Ctrl+C (or Ctrl+Insert, or WM_COPY) puts what it says on the clipboard, as a message box
// does: the caption line and the message, each line ending in CR LF, the part the area cuts off
// included.
// While its window exists, it stands in the open-dialog slot it was given.
class CVistralInfoDlg : public win::Dialog {
public:
    CVistralInfoDlg(win::Dialog** slot, HWND parent);
    ~CVistralInfoDlg() override;

    void SetCaptionText(const std::wstring& text) { m_captionText = text; }
    void SetMessageText(const std::wstring& text) { m_messageText = text; }
    void SetDetailsAvailable(bool available) { m_detailsAvailable = available; }
    const std::wstring& CaptionText() const { return m_captionText; }
    const std::wstring& MessageText() const { return m_messageText; }

    INT_PTR DoModal() { return Dialog::DoModal(m_parent); }

    // The end code of the Details button.
    static constexpr INT_PTR kDetailsEndCode = 300;

protected:
    bool OnInitDialog() override;
    bool OnCommand(WORD notifyCode, WORD id, HWND control) override;
    bool OnMessage(UINT message, WPARAM wParam, LPARAM lParam, LRESULT& result) override;
    bool PreTranslateMessage(MSG& message) override;

private:
    CInfoArea m_infoArea;
    std::wstring m_captionText;
    std::wstring m_messageText;
    bool m_detailsAvailable = true;
    win::Dialog** m_slot;
    HWND m_parent;
};
