// A sentence on an empty record list: what the operator is to do or why nothing shows (the log
// was not found, it is empty, no entry is chosen).
#pragma once

#include <windows.h>
#include <commctrl.h>

#include <string>

class ListNote {
public:
    void Attach(HWND list) { m_list = list; }
    // Repaints the list when the text changes; empty: no note.
    void SetText(const std::wstring& text);
    const std::wstring& Text() const { return m_text; }
    // The list's custom draw: at the end of a paint of a list without rows, the note is drawn
    // centred below the header. Answers the flags to add to the stage's result.
    LRESULT OnCustomDraw(const NMCUSTOMDRAW& draw) const;

private:
    HWND m_list = nullptr;
    std::wstring m_text;
};
