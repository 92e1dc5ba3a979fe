// The host's thread while the viewer works on a large log: for each step an operator takes, the
// longest single dispatch of the host's message loop (a call of the host into the viewer counts
// as one), the dispatches' time added up, and the time until the step's work is done. Prints
// figures; asserts nothing.
//   dispatch_bench LOG TEXT [load]   TEXT: a text that only the log's last line holds; load: the
//                                    loads only (open, close while reading, open until read)
// The last line's process is "Bench.exe", which no other line has. Steps: the host's own window
// (shown first, as an operator station's thread has one), open (the call and 0.2 s
// of reading), close while reading (and the threads left afterwards), open until the index holds
// every line of the file, select the largest group, sort it, Find Next of TEXT, all matches of it,
// the timeline, regroup by computer, Find Next from the first heading, close. The viewer opens
// grouped by type.
#include "BenchHost.h"
#include "ZtServiceMsg.h"
#include "frame/ModuleState.h"
#include "resource.h"
#include "viewer/DiagnoseDlg.h"
#include "viewer/ViewerSettings.h"
#include "win/UniqueHandle.h"

#include <windows.h>
#include <commctrl.h>
#include <commdlg.h>
#include <tlhelp32.h>

#include <algorithm>
#include <array>
#include <cstdio>
#include <functional>
#include <string>

namespace {

// Every dispatch of the host's loop and every call of the host into the viewer, timed.
class TimedLoop {
public:
    // Starts a step.
    void Begin(const char* step) {
        m_step = step;
        m_longest = 0;
        m_busy = 0;
        m_count = 0;
        m_longestMessage = 0;
        m_kinds = {};
        m_begin = bench::Now();
        m_cpuBegin = bench::ThreadCpu(::GetCurrentThread());
    }
    void Call(const std::function<void()>& call) {
        const LARGE_INTEGER start = bench::Now();
        call();
        Note(bench::Seconds(start, bench::Now()), 0);
    }
    // Dispatches until `done` answers true or `limit` seconds have passed since the step began.
    bool PumpUntil(const std::function<bool()>& done, double limit = 120) {
        while (!done()) {
            if (bench::Seconds(m_begin, bench::Now()) > limit)
                return false;
            const LARGE_INTEGER start = bench::Now();
            MSG message;
            if (!::PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) {
                ::MsgWaitForMultipleObjects(0, nullptr, FALSE, 10, QS_ALLINPUT);
                continue;
            }
            ::TranslateMessage(&message);
            ::DispatchMessageW(&message);
            Note(bench::Seconds(start, bench::Now()), message.message, message.hwnd);
        }
        return true;
    }
    void Print(bool done) const {
        char what[32] = "a call";
        if (m_longestMessage)
            std::snprintf(what, sizeof what, "message 0x%04x", m_longestMessage);
        std::printf("%-34s longest dispatch %8.1f ms (%s) of %6d, %7.3f s in all; %s after %7.3f s\n", m_step,
                    m_longest * 1000, what, m_count, m_busy, done ? "done" : "NOT DONE",
                    bench::Seconds(m_begin, bench::Now()));
        // Where the host's thread went: a dispatch's time on a busy machine holds the time the
        // thread waited for a core, its processor time does not.
        std::printf(
            "  host thread's processor time %.3f s; paints: tree %.3f s (%d), list %.3f s (%d), other "
            "%.3f s (%d); timers %.3f s (%d), posted %.3f s (%d), other %.3f s (%d)\n",
            bench::ThreadCpu(::GetCurrentThread()) - m_cpuBegin, m_kinds[0].seconds, m_kinds[0].count,
            m_kinds[1].seconds, m_kinds[1].count, m_kinds[2].seconds, m_kinds[2].count, m_kinds[3].seconds,
            m_kinds[3].count, m_kinds[4].seconds, m_kinds[4].count, m_kinds[5].seconds, m_kinds[5].count);
    }

private:
    void Note(double seconds, UINT message, HWND window = nullptr) {
        Kind& kind = m_kinds[message == WM_PAINT   ? PaintKind(window)
                             : message == WM_TIMER ? 3
                             : message >= WM_APP   ? 4
                                                   : 5];
        ++kind.count;
        kind.seconds += seconds;
        ++m_count;
        m_busy += seconds;
        if (seconds > m_longest) {
            m_longest = seconds;
            m_longestMessage = message;
        }
    }

    const char* m_step = "";
    double m_longest = 0;
    double m_busy = 0; // the dispatches' time added up
    int m_count = 0;
    UINT m_longestMessage = 0;
    struct Kind {
        double seconds = 0;
        int count = 0;
    };
    // Paints of the tree, of the list, of other windows; timers, posted messages, other (calls
    // among them).
    std::array<Kind, 6> m_kinds{};
    static size_t PaintKind(HWND window) {
        wchar_t name[32] = {};
        ::GetClassNameW(window, name, 32);
        return std::wstring(name) == WC_TREEVIEWW ? 0 : std::wstring(name) == WC_LISTVIEWW ? 1 : 2;
    }
    LARGE_INTEGER m_begin{};
    double m_cpuBegin = 0;
};

// The lines of the file: its line feeds, and a last line without one.
uint32_t CountLines(const wchar_t* path) {
    HANDLE file = ::CreateFileW(path, GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                                OPEN_EXISTING, FILE_FLAG_SEQUENTIAL_SCAN, nullptr);
    if (file == INVALID_HANDLE_VALUE)
        return 0;
    static char buffer[1 << 20];
    uint32_t lines = 0;
    char last = '\n';
    for (DWORD got = 0; ::ReadFile(file, buffer, sizeof buffer, &got, nullptr) && got > 0;) {
        lines += static_cast<uint32_t>(std::count(buffer, buffer + got, '\n'));
        last = buffer[got - 1];
    }
    ::CloseHandle(file);
    return lines + (last != '\n');
}

int ThreadsOfProcess() {
    HANDLE snapshot = ::CreateToolhelp32Snapshot(TH32CS_SNAPTHREAD, 0);
    if (snapshot == INVALID_HANDLE_VALUE)
        return -1;
    THREADENTRY32 entry{};
    entry.dwSize = sizeof entry;
    int count = 0;
    for (BOOL more = ::Thread32First(snapshot, &entry); more; more = ::Thread32Next(snapshot, &entry))
        count += entry.th32OwnerProcessID == ::GetCurrentProcessId();
    ::CloseHandle(snapshot);
    return count;
}

CDiagnoseDlg* Viewer() {
    return static_cast<CDiagnoseDlg*>(TheModule().diagnoseDialogSlot.Get());
}

// The process of the list's selected row; empty when no row is selected.
std::wstring SelectedProcess(HWND list) {
    const int row = ListView_GetNextItem(list, -1, LVNI_SELECTED);
    wchar_t process[64] = {};
    if (row >= 0)
        ListView_GetItemText(list, row, 1, process, 64);
    return process;
}

HWND MatchWindow(HWND viewer) {
    for (HWND window = nullptr; (window = ::FindWindowExW(nullptr, window, nullptr, nullptr)) != nullptr;)
        if (::GetWindow(window, GW_OWNER) == viewer && ::IsWindowVisible(window) &&
            ::GetDlgItem(window, IDC_MATCHES_LIST))
            return window;
    return nullptr;
}

// Closes a "not found" message at once, should the text not be found.
LRESULT CALLBACK CloseMessageBox(int code, WPARAM wParam, LPARAM lParam) {
    if (code == HCBT_ACTIVATE) {
        wchar_t className[16] = {};
        ::GetClassNameW(reinterpret_cast<HWND>(wParam), className, 16);
        if (std::wstring(className) == L"#32770" &&
            !::GetDlgItem(reinterpret_cast<HWND>(wParam), IDC_MATCHES_LIST))
            ::PostMessageW(reinterpret_cast<HWND>(wParam), WM_COMMAND, IDOK, 0);
    }
    return ::CallNextHookEx(nullptr, code, wParam, lParam);
}

} // namespace

int wmain(int argc, wchar_t** argv) {
    if (argc < 3) {
        std::fwprintf(stderr, L"usage: dispatch_bench LOG TEXT [load]\n");
        return 2;
    }
    const std::string path = bench::AnsiPath(argv[1]);
    std::wstring text = argv[2];
    const uint32_t lines = CountLines(argv[1]);
    std::printf("log: %u lines; %d threads in the process before the viewer\n", lines, ThreadsOfProcess());
    // Every line filed, and tree and list told so.
    auto allRead = [&] {
        return Viewer() && !Viewer()->Reading() && Viewer()->Index().RecordCount() >= lines;
    };

    // The viewer opens in the grouping by type, whatever an earlier run left chosen.
    win::UniqueRegKey choices;
    if (::RegOpenKeyExW(HKEY_CURRENT_USER, viewer::kChoicesKey, 0, KEY_SET_VALUE, choices.put()) ==
        ERROR_SUCCESS)
        ::RegDeleteValueW(choices.get(), L"GroupByComputer");

    TimedLoop loop;
    // An operator station's thread shows windows of its own before it opens the viewer: the
    // process's first window starts the platform's windowing (under Wine its display driver),
    // which is the host's cost, not the viewer's.
    loop.Begin("the host's own window");
    HWND host = nullptr;
    loop.Call([&] {
        host = ::CreateWindowExW(0, L"STATIC", L"Bench host", WS_OVERLAPPEDWINDOW | WS_VISIBLE, 0, 0, 300,
                                 200, nullptr, nullptr, nullptr, nullptr);
    });
    loop.PumpUntil([] { return false; }, 0.2);
    loop.Print(host != nullptr);

    loop.Begin("open, and 0.2 s of reading");
    loop.Call([&] { CreateDiagnoseDlg(0x0407, path.c_str()); });
    loop.PumpUntil([] { return false; }, 0.2);
    loop.Print(true);
    const uint32_t readSoFar = Viewer() ? Viewer()->Index().RecordCount() : 0;
    loop.Begin("close while reading");
    loop.Call([] { DestroyOpenDlg(); });
    loop.PumpUntil([] { return false; }, 0.4);
    loop.Print(Viewer() == nullptr);
    std::printf("  %u records read when closed; %d threads in the process afterwards\n", readSoFar,
                ThreadsOfProcess());

    loop.Begin("open until every line is read");
    loop.Call([&] { CreateDiagnoseDlg(0x0407, path.c_str()); });
    loop.Print(loop.PumpUntil(allRead));
    CDiagnoseDlg* viewer = Viewer();
    if (!viewer)
        return 1;
    if (argc > 3 && std::wstring(argv[3]) == L"load") {
        DestroyOpenDlg();
        return 0;
    }
    HWND window = viewer->Handle(), list = viewer->RecordList();
    win::TreeView tree(viewer->Tree());

    loop.Begin("select the largest group");
    // Found in the index rather than in the tree, whose closed headings would have to be opened.
    const diagnose::RecordList* group = nullptr;
    for (const auto& [host, classes] : viewer->Index().GetByHost())
        for (const auto& [traceClass, records] : classes)
            if (!group || records->size() > group->size())
                group = records;
    const int largest = static_cast<int>(group->size());
    loop.Call([&] { viewer->ShowRecord((*group)[0]); });
    loop.Print(loop.PumpUntil([&] { return ListView_GetItemCount(list) == largest; }));
    std::printf("  %d records\n", largest);

    loop.Begin("sort it by date");
    NMLISTVIEW click{};
    click.hdr = {list, IDC_DIAGNOSE_LIST, LVN_COLUMNCLICK};
    loop.Call(
        [&] { ::SendMessageW(window, WM_NOTIFY, IDC_DIAGNOSE_LIST, reinterpret_cast<LPARAM>(&click)); });
    loop.Print(loop.PumpUntil([&] { return !viewer->Sorting(); }));

    HHOOK hook = ::SetWindowsHookExW(WH_CBT, CloseMessageBox, nullptr, ::GetCurrentThreadId());
    loop.Begin("find next of the last line's text");
    FINDREPLACEW request{};
    request.lStructSize = sizeof request;
    request.lpstrFindWhat = text.data();
    request.Flags = FR_FINDNEXT | FR_DOWN | FR_MATCHCASE;
    loop.Call([&] {
        ::SendMessageW(window, ::RegisterWindowMessageW(FINDMSGSTRINGW), 0,
                       reinterpret_cast<LPARAM>(&request));
    });
    loop.Print(loop.PumpUntil([&] { return SelectedProcess(list) == L"Bench.exe"; }));
    ::UnhookWindowsHookEx(hook);

    loop.Begin("all matches of it");
    loop.Call([&] { ::SendMessageW(window, WM_COMMAND, ID_VIEWER_ALL_MATCHES, 0); });
    loop.Print(loop.PumpUntil([&] {
        HWND matches = MatchWindow(window);
        return matches && ListView_GetItemCount(::GetDlgItem(matches, IDC_MATCHES_LIST)) > 0 &&
               !viewer->Searching();
    }));

    loop.Begin("the timeline");
    loop.Call([&] { ::SendMessageW(window, WM_COMMAND, ID_VIEWER_TIMELINE, 0); });
    loop.Print(loop.PumpUntil([] { // counted: its subtitle no longer ends with an ellipsis
        HWND timeline = ::FindWindowW(nullptr, L"Vistral Diagnose - Zeitverlauf");
        wchar_t subtitle[256] = {};
        return timeline && ::GetDlgItemTextW(timeline, IDC_TIMELINE_SUBTITLE, subtitle, 256) > 0 &&
               subtitle[std::wcslen(subtitle) - 1] != L'\u2026';
    }));

    loop.Begin("regroup by computer");
    loop.Call([&] { ::SendMessageW(window, WM_COMMAND, MAKEWPARAM(IDC_GROUP_BY_COMPUTER, BN_CLICKED), 0); });
    loop.Print(loop.PumpUntil([&] { return tree.GetRootItem() != nullptr; }));

    tree.SelectItem(tree.GetRootItem()); // away from the match, which Find Next is to find again
    loop.Begin("find next again, by computer");
    loop.Call([&] {
        ::SendMessageW(window, ::RegisterWindowMessageW(FINDMSGSTRINGW), 0,
                       reinterpret_cast<LPARAM>(&request));
    });
    loop.Print(loop.PumpUntil([&] { return SelectedProcess(list) == L"Bench.exe"; }));

    loop.Begin("close");
    loop.Call([] { DestroyOpenDlg(); });
    loop.Print(loop.PumpUntil([] { return Viewer() == nullptr; }, 5));
    std::printf("  %d threads in the process afterwards\n", ThreadsOfProcess());
    return 0;
}
