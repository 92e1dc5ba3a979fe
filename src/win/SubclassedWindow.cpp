// Window subclassing through the common controls' subclass chain.
#include "win/SubclassedWindow.h"

#include <commctrl.h>

namespace win {
namespace {
constexpr UINT_PTR kSubclassId = 0x5A74; // one subclass of ours per window
}

SubclassedWindow::~SubclassedWindow() {
    UnsubclassWindow();
}

bool SubclassedWindow::SubclassDlgItem(int id, HWND parent) {
    return SubclassWindow(::GetDlgItem(parent, id));
}

bool SubclassedWindow::SubclassWindow(HWND hwnd) {
    if (!hwnd || m_hwnd)
        return false;
    m_hwnd = hwnd;
    PreSubclassWindow();
    if (!::SetWindowSubclass(hwnd, &SubclassedWindow::SubclassProc, kSubclassId,
                             reinterpret_cast<DWORD_PTR>(this))) {
        m_hwnd = nullptr;
        return false;
    }
    return true;
}

void SubclassedWindow::UnsubclassWindow() {
    if (m_hwnd && ::IsWindow(m_hwnd))
        ::RemoveWindowSubclass(m_hwnd, &SubclassedWindow::SubclassProc, kSubclassId);
    m_hwnd = nullptr;
}

LRESULT SubclassedWindow::WindowProc(UINT message, WPARAM wParam, LPARAM lParam) {
    return DefaultProc(message, wParam, lParam);
}

LRESULT SubclassedWindow::DefaultProc(UINT message, WPARAM wParam, LPARAM lParam) {
    return ::DefSubclassProc(m_hwnd, message, wParam, lParam);
}

LRESULT CALLBACK SubclassedWindow::SubclassProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam,
                                                UINT_PTR, DWORD_PTR self) {
    auto* window = reinterpret_cast<SubclassedWindow*>(self);
    LockedMessage locked(window->m_messageLock);
    if (message == WM_NCDESTROY) {
        try {
            window->OnWindowGone();
        } catch (...) {
        }
        ::RemoveWindowSubclass(hwnd, &SubclassedWindow::SubclassProc, kSubclassId);
        window->m_hwnd = nullptr;
        return ::DefSubclassProc(hwnd, message, wParam, lParam);
    }
    try {
        return window->WindowProc(message, wParam, lParam);
    } catch (...) {
        // No exception may cross the window procedure into the platform.
        return ::DefSubclassProc(hwnd, message, wParam, lParam);
    }
}

} // namespace win
