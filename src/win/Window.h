// A non-owning window wrapper: the handle and the few operations every control shares.
#pragma once

#include <windows.h>
#include <string>

namespace win {

class Window {
public:
    Window() = default;
    explicit Window(HWND hwnd) : m_hwnd(hwnd) {}

    void Attach(HWND hwnd) { m_hwnd = hwnd; }
    HWND Detach() {
        HWND hwnd = m_hwnd;
        m_hwnd = nullptr;
        return hwnd;
    }
    HWND Handle() const { return m_hwnd; }
    explicit operator bool() const { return m_hwnd && ::IsWindow(m_hwnd); }

    // Attributes
    std::wstring GetText() const {
        std::wstring text(static_cast<size_t>(::GetWindowTextLengthW(m_hwnd)) + 1, L'\0');
        text.resize(
            static_cast<size_t>(::GetWindowTextW(m_hwnd, text.data(), static_cast<int>(text.size()))));
        return text;
    }
    RECT ClientRect() const {
        RECT rect{};
        ::GetClientRect(m_hwnd, &rect);
        return rect;
    }
    RECT WindowRect() const {
        RECT rect{};
        ::GetWindowRect(m_hwnd, &rect);
        return rect;
    }
    HWND Item(int id) const { return ::GetDlgItem(m_hwnd, id); }
    bool IsEnabled() const { return ::IsWindowEnabled(m_hwnd) != FALSE; }

    // Operations
    void SetText(const std::wstring& text) { ::SetWindowTextW(m_hwnd, text.c_str()); }
    void Enable(bool enable) { ::EnableWindow(m_hwnd, enable ? TRUE : FALSE); }
    void Invalidate(bool erase = false) { ::InvalidateRect(m_hwnd, nullptr, erase ? TRUE : FALSE); }
    LRESULT Send(UINT message, WPARAM wParam = 0, LPARAM lParam = 0) const {
        return ::SendMessageW(m_hwnd, message, wParam, lParam);
    }
    // Centres the window on the work area of the monitor it is on.
    void CenterOnScreen() {
        MONITORINFO monitor{};
        monitor.cbSize = sizeof(monitor);
        if (!::GetMonitorInfoW(::MonitorFromWindow(m_hwnd, MONITOR_DEFAULTTONEAREST), &monitor))
            return;
        const RECT window = WindowRect();
        const RECT& area = monitor.rcWork;
        const int x = area.left + ((area.right - area.left) - (window.right - window.left)) / 2;
        const int y = area.top + ((area.bottom - area.top) - (window.bottom - window.top)) / 2;
        ::SetWindowPos(m_hwnd, nullptr, x, y, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
    }

protected:
    HWND m_hwnd = nullptr;
};

// Stops a window from drawing while it is filled, and lets it draw the whole at scope end.
class ScopedRedrawOff {
public:
    explicit ScopedRedrawOff(HWND window) : m_window(window) {
        ::SendMessageW(m_window, WM_SETREDRAW, FALSE, 0);
    }
    ~ScopedRedrawOff() {
        ::SendMessageW(m_window, WM_SETREDRAW, TRUE, 0);
        ::InvalidateRect(m_window, nullptr, TRUE);
    }
    ScopedRedrawOff(const ScopedRedrawOff&) = delete;
    ScopedRedrawOff& operator=(const ScopedRedrawOff&) = delete;

private:
    HWND m_window;
};

} // namespace win
