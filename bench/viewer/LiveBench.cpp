// The viewer on a live log, under Wine: prints figures, asserts nothing.
//   live_bench follow LOG SECONDS  a writer thread appends 1,000 lines a second for SECONDS while
//                                  the viewer follows; the viewer's share of one core and the
//                                  longest time from a line's write to its filing
//   live_bench find LOG            a search that passes every record (its text is nowhere),
//                                  until the "not found" message shows; then the same again
//   live_bench sorted LOG ROWS     writes ROWS lines of one group to LOG, opens it, sorts the
//                                  group by date and times the follow tick that files 1,000
//                                  more lines into the sorted rows
//   live_bench matches LOG TEXT...  for each text, the match window asked for before there is
//                                  a search (Ctrl+Shift+F, then the Find dialog's Find Next):
//                                  the time until it is filled, its rows, and the memory the
//                                  process took for them
#include "BenchHost.h"
#include "ViewerRead.h"
#include "ZtServiceMsg.h"
#include "frame/ModuleState.h"
#include "viewer/DiagnoseDlg.h"
#include "resource.h"

#include <windows.h>
#include <commctrl.h>
#include <commdlg.h>

#include <algorithm>
#include <atomic>
#include <cstdio>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

namespace {

double Now() {
    LARGE_INTEGER frequency, counter;
    ::QueryPerformanceFrequency(&frequency);
    ::QueryPerformanceCounter(&counter);
    return double(counter.QuadPart) / double(frequency.QuadPart);
}

CDiagnoseDlg* OpenViewer(const std::wstring& log) {
    const std::string path = bench::AnsiPath(log.c_str());
    CreateDiagnoseDlg(0x0407, path.c_str());
    bench::PumpUntilRead();
    return static_cast<CDiagnoseDlg*>(TheModule().diagnoseDialogSlot.Get());
}

int Follow(const std::wstring& log, int seconds) {
    CDiagnoseDlg* viewer = OpenViewer(log);
    if (!viewer)
        return 1;
    // When each batch of lines was written: the records the viewer must reach, and the time.
    std::mutex lock;
    std::vector<std::pair<uint32_t, double>> written;
    std::atomic<bool> stop{false};
    double writerCpu = 0;
    const uint32_t start = viewer->Index().RecordCount();
    std::thread writer([&] {
        uint32_t lines = start;
        for (int batch = 0; !stop; ++batch) {
            std::string text;
            for (int i = 0; i < 100; ++i)
                text += "06.12.2026 10:00:00   Host=\"PC" + std::to_string(i % 8) +
                        "\" Process=\"Writer\" Traceclass=\"0\" Text=\"line " + std::to_string(lines + i) +
                        "\"\r\n";
            HANDLE file = ::CreateFileW(log.c_str(), FILE_APPEND_DATA, FILE_SHARE_READ | FILE_SHARE_WRITE,
                                        nullptr, OPEN_ALWAYS, 0, nullptr);
            DWORD done = 0;
            ::WriteFile(file, text.data(), static_cast<DWORD>(text.size()), &done, nullptr);
            ::CloseHandle(file);
            lines += 100;
            {
                std::lock_guard<std::mutex> guard(lock);
                written.emplace_back(lines, Now());
            }
            ::Sleep(100);
        }
        writerCpu = bench::ThreadCpu(::GetCurrentThread());
    });
    const double cpuBefore = bench::ProcessCpu(), begin = Now();
    double longest = 0;
    size_t reached = 0;
    while (Now() - begin < seconds) {
        ::MsgWaitForMultipleObjects(0, nullptr, FALSE, 20, QS_ALLINPUT);
        bench::Pump();
        const uint32_t count = viewer->Index().RecordCount();
        std::lock_guard<std::mutex> guard(lock);
        for (; reached < written.size() && written[reached].first <= count; ++reached)
            longest = std::max(longest, Now() - written[reached].second);
    }
    stop = true;
    writer.join();
    const double viewerCpu = bench::ProcessCpu() - cpuBefore - writerCpu;
    std::printf("follow: %.0f lines/s for %d s; viewer and host loop %.2f %% of one core; "
                "longest from write to filing %.2f s; %zu of %zu batches filed\n",
                (viewer->Index().RecordCount() - start) / double(seconds), seconds,
                100.0 * viewerCpu / double(seconds), longest, reached, written.size());
    DestroyOpenDlg();
    return 0;
}

// Closes the "not found" message when it shows and notes when that was.
double g_shown = 0;
LRESULT CALLBACK CloseMessage(int code, WPARAM wParam, LPARAM lParam) {
    if (code == HCBT_ACTIVATE) {
        wchar_t className[16] = {};
        ::GetClassNameW(reinterpret_cast<HWND>(wParam), className, 16);
        if (std::wstring(className) == L"#32770" && ::GetWindow(reinterpret_cast<HWND>(wParam), GW_OWNER)) {
            g_shown = Now();
            ::PostMessageW(reinterpret_cast<HWND>(wParam), WM_COMMAND, IDOK, 0);
        }
    }
    return ::CallNextHookEx(nullptr, code, wParam, lParam);
}

int Find(const std::wstring& log) {
    CDiagnoseDlg* viewer = OpenViewer(log);
    if (!viewer)
        return 1;
    HHOOK hook = ::SetWindowsHookExW(WH_CBT, CloseMessage, nullptr, ::GetCurrentThreadId());
    wchar_t what[] = L"nowhere in the log";
    FINDREPLACEW request{};
    request.lStructSize = sizeof request;
    request.lpstrFindWhat = what;
    request.Flags = FR_FINDNEXT | FR_DOWN;
    const UINT message = ::RegisterWindowMessageW(FINDMSGSTRINGW);
    for (const char* run : {"first search", "same search again"}) {
        const double begin = Now();
        ::SendMessageW(viewer->Handle(), message, 0, reinterpret_cast<LPARAM>(&request));
        std::printf("find, %s through %u records: %.3f s\n", run, viewer->Index().RecordCount(),
                    g_shown - begin);
    }
    ::UnhookWindowsHookEx(hook);
    DestroyOpenDlg();
    return 0;
}

// Lines of one computer and class with dates and times spread over a month.
std::string GroupLines(uint32_t count, uint32_t seed) {
    std::string text;
    char line[128];
    for (uint32_t i = 0; i < count; ++i) {
        seed = seed * 1103515245u + 12345u;
        std::snprintf(line, sizeof line, "%02u.12.2026 %02u:%02u:%02u   Host=\"PC1\" Traceclass=\"2\"\r\n",
                      1 + (seed >> 16) % 28, (seed >> 8) % 24, seed % 60, i % 60);
        text += line;
    }
    return text;
}

bool AppendText(const std::wstring& log, const std::string& text, DWORD disposition) {
    HANDLE file = ::CreateFileW(log.c_str(), FILE_APPEND_DATA, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                                disposition, 0, nullptr);
    DWORD done = 0;
    const bool written = ::WriteFile(file, text.data(), static_cast<DWORD>(text.size()), &done, nullptr);
    ::CloseHandle(file);
    return written && done == text.size();
}

int SortedFollow(const std::wstring& log, uint32_t rows) {
    if (!AppendText(log, GroupLines(rows, 1), CREATE_ALWAYS))
        return 1;
    CDiagnoseDlg* viewer = OpenViewer(log);
    if (!viewer)
        return 1;
    HWND tree = viewer->Tree(), list = viewer->RecordList();
    TreeView_SelectItem(tree, TreeView_GetChild(tree, TreeView_GetRoot(tree)));
    NMLISTVIEW click{};
    click.hdr = {list, 1003, LVN_COLUMNCLICK};
    double begin = Now();
    ::SendMessageW(viewer->Handle(), WM_NOTIFY, 1003, reinterpret_cast<LPARAM>(&click));
    std::printf("sort %d rows by date: %.3f s\n", ListView_GetItemCount(list), Now() - begin);
    bench::Pump();
    if (!AppendText(log, GroupLines(1000, 7), OPEN_EXISTING))
        return 1;
    begin = Now();
    const double cpu = bench::ThreadCpu(::GetCurrentThread());
    viewer->Refresh();
    std::printf("follow tick, 1,000 new lines into the sorted rows: %.3f s, processor %.3f s (%d rows now)\n",
                Now() - begin, bench::ThreadCpu(::GetCurrentThread()) - cpu, ListView_GetItemCount(list));
    DestroyOpenDlg();
    return 0;
}

// The process's committed private memory: heap blocks, and the large blocks a heap takes from
// the system apart from it (which a heap walk does not show under Wine).
size_t CommittedPrivateBytes() {
    size_t committed = 0;
    MEMORY_BASIC_INFORMATION region{};
    for (const char* at = nullptr; ::VirtualQuery(at, &region, sizeof region) == sizeof region;
         at = static_cast<const char*>(region.BaseAddress) + region.RegionSize)
        if (region.State == MEM_COMMIT && region.Type == MEM_PRIVATE)
            committed += region.RegionSize;
    return committed;
}

// The match window of the viewer, found by its owner; its title holds the count.
HWND MatchWindow(HWND viewer) {
    for (HWND window = nullptr; (window = ::FindWindowExW(nullptr, window, L"#32770", nullptr)) != nullptr;)
        if (::GetWindow(window, GW_OWNER) == viewer && ::IsWindowVisible(window) &&
            ::GetDlgItem(window, IDC_MATCHES_LIST))
            return window;
    return nullptr;
}

int Matches(const std::wstring& log, const std::vector<std::wstring>& texts) {
    for (const std::wstring& text : texts) {
        // A viewer of its own for each text, so that every fill reads the log's lines afresh.
        CDiagnoseDlg* viewer = OpenViewer(log);
        if (!viewer)
            return 1;
        ::SendMessageW(viewer->Handle(), WM_COMMAND, ID_VIEWER_ALL_MATCHES, 0); // opens the Find dialog
        std::wstring what = text;
        FINDREPLACEW request{};
        request.lStructSize = sizeof request;
        request.lpstrFindWhat = what.data();
        request.Flags = FR_FINDNEXT | FR_DOWN | FR_MATCHCASE;
        // A text found nowhere shows the "not found" message; it is closed at once.
        HHOOK hook = ::SetWindowsHookExW(WH_CBT, CloseMessage, nullptr, ::GetCurrentThreadId());
        double begin = Now();
        ::SendMessageW(viewer->Handle(), ::RegisterWindowMessageW(FINDMSGSTRINGW), 0,
                       reinterpret_cast<LPARAM>(&request));
        const double filled = Now() - begin;
        ::UnhookWindowsHookEx(hook);
        HWND window = MatchWindow(viewer->Handle());
        const int rows = window ? ListView_GetItemCount(::GetDlgItem(window, IDC_MATCHES_LIST)) : -1;
        // The same search again while the window is open (Ctrl+Shift+F): the matches are known.
        begin = Now();
        ::SendMessageW(viewer->Handle(), WM_COMMAND, ID_VIEWER_ALL_MATCHES, 0);
        const double refilled = Now() - begin;
        // Closed, and asked for again: what the process grows by is the window's and its rows'.
        ::SendMessageW(window, WM_CLOSE, 0, 0);
        bench::Pump();
        const size_t before = CommittedPrivateBytes();
        ::SendMessageW(viewer->Handle(), WM_COMMAND, ID_VIEWER_ALL_MATCHES, 0);
        const long long grown =
            static_cast<long long>(CommittedPrivateBytes()) - static_cast<long long>(before);
        std::printf("matches \"%ls\" in %u records: %d rows; filled in %.3f s from the request (every "
                    "line read, the first match shown too), %.3f s again while open; the window took "
                    "%lld bytes, %.2f per row\n",
                    text.c_str(), viewer->Index().RecordCount(), rows, filled, refilled, grown,
                    rows > 0 ? double(grown) / rows : 0.0);
        DestroyOpenDlg();
        bench::Pump();
    }
    return 0;
}

} // namespace

int wmain(int argc, wchar_t** argv) {
    if (argc >= 4 && std::wstring(argv[1]) == L"follow")
        return Follow(argv[2], _wtoi(argv[3]));
    if (argc >= 3 && std::wstring(argv[1]) == L"find")
        return Find(argv[2]);
    if (argc >= 4 && std::wstring(argv[1]) == L"sorted")
        return SortedFollow(argv[2], static_cast<uint32_t>(_wtoi(argv[3])));
    if (argc >= 4 && std::wstring(argv[1]) == L"matches")
        return Matches(argv[2], std::vector<std::wstring>(argv + 3, argv + argc));
    std::fwprintf(
        stderr, L"usage: live_bench follow LOG SECONDS | find LOG | sorted LOG ROWS | matches LOG TEXT...\n");
    return 2;
}
