// What the viewer benches do as a host: pump the thread's messages and find the viewer.
#pragma once

#include "win/TreeView.h"

#include <windows.h>
#include <cstdint>
#include <psapi.h>
#include <string>

namespace bench {

inline double Seconds(const LARGE_INTEGER& from, const LARGE_INTEGER& to) {
    LARGE_INTEGER frequency;
    ::QueryPerformanceFrequency(&frequency);
    return double(to.QuadPart - from.QuadPart) / double(frequency.QuadPart);
}

inline LARGE_INTEGER Now() {
    LARGE_INTEGER now;
    ::QueryPerformanceCounter(&now);
    return now;
}

// Processor time, user and kernel: a wall time on a busy machine holds the time spent waiting
// for a core.
inline double CpuSeconds(const FILETIME& kernel, const FILETIME& user) {
    auto seconds = [](const FILETIME& t) {
        return double((uint64_t(t.dwHighDateTime) << 32) | t.dwLowDateTime) / 1e7;
    };
    return seconds(kernel) + seconds(user);
}

inline double ProcessCpu() {
    FILETIME created, exited, kernel, user;
    ::GetProcessTimes(::GetCurrentProcess(), &created, &exited, &kernel, &user);
    return CpuSeconds(kernel, user);
}

inline double ThreadCpu(HANDLE thread) {
    FILETIME created, exited, kernel, user;
    ::GetThreadTimes(thread, &created, &exited, &kernel, &user);
    return CpuSeconds(kernel, user);
}

inline PROCESS_MEMORY_COUNTERS Memory() {
    PROCESS_MEMORY_COUNTERS counters{};
    counters.cb = sizeof(counters);
    ::GetProcessMemoryInfo(::GetCurrentProcess(), &counters, sizeof(counters));
    return counters;
}

// The entry with the largest count, "NAME (COUNT)", and that count. A closed heading is opened
// first, as the operator opens it: a large tree makes its entries then. Only the first 20,000
// entries are looked at: Wine's tree looks up every item a message names among all its items,
// so walking a million of them takes minutes.
inline HTREEITEM LargestGroup(const win::TreeView& tree, int& largest) {
    HTREEITEM best = nullptr;
    largest = -1;
    int looked = 0;
    for (HTREEITEM root = tree.GetRootItem(); root && looked < 20000; root = tree.GetNextSiblingItem(root)) {
        if (!tree.GetChildItem(root))
            tree.Send(TVM_EXPAND, TVE_EXPAND, reinterpret_cast<LPARAM>(root));
        for (HTREEITEM child = tree.GetChildItem(root); child && looked++ < 20000;
             child = tree.GetNextSiblingItem(child)) {
            const std::wstring text = tree.GetItemText(child);
            const size_t open = text.rfind(L'(');
            const int count = open == std::wstring::npos ? 0 : _wtoi(text.c_str() + open + 1);
            if (count > largest) {
                largest = count;
                best = child;
            }
        }
    }
    return best;
}

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

// A log's path as the export takes it: in the ANSI code page.
inline std::string AnsiPath(const wchar_t* path) {
    char ansi[MAX_PATH * 2] = {};
    ::WideCharToMultiByte(CP_ACP, 0, path, -1, ansi, sizeof ansi, nullptr, nullptr);
    return ansi;
}

// The host's own window, shown before it opens the viewer, as a host's is: under Wine the first
// window of a process waits for the desktop's process to start (a tenth of a second or more),
// which is no part of the viewer's time. Pumped for a moment, so that the desktop has settled.
class HostWindow {
public:
    HostWindow()
        : m_window(::CreateWindowExW(0, L"STATIC", L"host", WS_OVERLAPPEDWINDOW | WS_VISIBLE, 0, 0, 320, 200,
                                     nullptr, nullptr, nullptr, nullptr)) {
        for (int waited = 0; waited < 300; waited += 10) {
            Pump();
            ::Sleep(10);
        }
    }
    ~HostWindow() {
        if (m_window)
            ::DestroyWindow(m_window);
    }
    HostWindow(const HostWindow&) = delete;
    HostWindow& operator=(const HostWindow&) = delete;

private:
    HWND m_window;
};

// The visible dialog window of this thread, or null. The viewer shows itself from a message it
// posts to itself: the queue is pumped until it has (for two seconds at most).
inline HWND FindThreadDialog() {
    HWND found = nullptr;
    for (int waited = 0;; waited += 10) {
        ::EnumThreadWindows(::GetCurrentThreadId(), MatchVisibleDialog, reinterpret_cast<LPARAM>(&found));
        if (found || waited >= 2000)
            return found;
        Pump();
        ::Sleep(10);
    }
}

} // namespace bench
