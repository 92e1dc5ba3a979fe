// What the viewer benches do as a host: pump the thread's messages and find the viewer.
#pragma once

#include <windows.h>
#include <string>

namespace bench {

inline void Pump() {
    MSG message;
    while (::PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) {
        ::TranslateMessage(&message);
        ::DispatchMessageW(&message);
    }
}

inline BOOL CALLBACK MatchVisibleDialog(HWND window, LPARAM found) {
    wchar_t className[16] = {};
    ::GetClassNameW(window, className, 16);
    if (std::wstring(className) != L"#32770" || !::IsWindowVisible(window))
        return TRUE;
    *reinterpret_cast<HWND*>(found) = window;
    return FALSE;
}

// The visible dialog window of this thread, or null.
inline HWND FindThreadDialog() {
    HWND found = nullptr;
    ::EnumThreadWindows(::GetCurrentThreadId(), MatchVisibleDialog, reinterpret_cast<LPARAM>(&found));
    return found;
}

} // namespace bench
