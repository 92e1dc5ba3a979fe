// The caption band: a static control painted as a green-to-face-colour gradient with its text
// centred on it in white.
#pragma once

#include "win/SubclassedWindow.h"

#include <string>

// Binds to a static control and paints it; the text starts as the control's own text.
class CStaticCaption : public win::SubclassedWindow {
public:
    // Replaces the text and repaints the whole band (without erasing it first).
    void SetText(const std::wstring& text);
    const std::wstring& Text() const { return m_text; }
    // A tooltip over the band (the viewer's: the log's path); made on first use, owned by the
    // band's parent and destroyed with it.
    void SetTip(const std::wstring& tip);
    HWND Tip() const { return m_tip; }

protected:
    void PreSubclassWindow() override;
    void OnWindowGone() override { m_tip = nullptr; }
    LRESULT WindowProc(UINT message, WPARAM wParam, LPARAM lParam) override;

private:
    void Paint();

    std::wstring m_text;
    std::wstring m_tipText;
    HWND m_tip = nullptr;
};
