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

protected:
    void PreSubclassWindow() override;
    LRESULT WindowProc(UINT message, WPARAM wParam, LPARAM lParam) override;

private:
    void Paint();

    std::wstring m_text;
};
