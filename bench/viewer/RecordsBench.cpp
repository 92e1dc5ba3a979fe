// Times the records window on a large log once it is loaded: its first screen and its count for
// the whole log, a filter of types, one of computers, processes and times, and a text that the
// lines hold; going to a time and to the next error there and in the viewer; the host's longest
// dispatch meanwhile and the memory the rows take. Prints figures; asserts nothing.
#include "BenchHost.h"
#include "ViewerRead.h"
#include "ZtServiceMsg.h"
#include "resource.h"

#include <windows.h>
#include <commctrl.h>
#include <psapi.h>

#include <algorithm>
#include <cstdio>
#include <string>

namespace {

double g_longestDispatch = 0;

// The host's loop: every message dispatched, the longest one kept.
void PumpTimed() {
    MSG message;
    while (::PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) {
        const LARGE_INTEGER start = bench::Now();
        ::TranslateMessage(&message);
        ::DispatchMessageW(&message);
        g_longestDispatch = std::max(g_longestDispatch, bench::Seconds(start, bench::Now()));
    }
}

std::wstring TitleOf(HWND window) {
    wchar_t text[512] = {};
    ::GetWindowTextW(window, text, 512);
    return text;
}

// Until the window's title no longer says that it filters (the count is whole), or sorts (every
// row is in its place).
double UntilCounted(HWND records, const LARGE_INTEGER& start, const wchar_t* word = L"Filtere") {
    while (TitleOf(records).find(word) != std::wstring::npos) {
        PumpTimed();
        ::MsgWaitForMultipleObjects(0, nullptr, FALSE, 5, QS_ALLINPUT);
    }
    return bench::Seconds(start, bench::Now());
}

BOOL CALLBACK MatchRecordsWindow(HWND window, LPARAM found) {
    if (!::IsWindowVisible(window) || !::GetDlgItem(window, IDC_RECORDS_LIST))
        return TRUE;
    *reinterpret_cast<HWND*>(found) = window;
    return FALSE;
}

// A filter from the window's fields: its first screen (the handler's return and a paint) and
// its count.
void TimeFilter(HWND records, const wchar_t* what) {
    HWND list = ::GetDlgItem(records, IDC_RECORDS_LIST);
    g_longestDispatch = 0;
    const LARGE_INTEGER start = bench::Now();
    ::SendMessageW(records, WM_COMMAND, IDC_FILTER_APPLY, 0);
    ::UpdateWindow(list);
    const double first = bench::Seconds(start, bench::Now());
    const double counted = UntilCounted(records, start);
    const double placed = UntilCounted(records, start, L"Sortiere");
    std::wprintf(L"%ls: first screen %.3f s, counted %.3f s, every row in place %.3f s, longest dispatch %.3f s: %ls\n",
                 what, first, counted, placed, g_longestDispatch, TitleOf(records).c_str());
}

double Megabytes(SIZE_T bytes) {
    return double(bytes) / 1048576.0;
}

} // namespace

int wmain(int argc, wchar_t** argv) {
    if (argc < 2) {
        std::fwprintf(stderr, L"usage: records_bench LOGFILE\n");
        return 2;
    }
    const std::string path = bench::AnsiPath(argv[1]);
    CreateDiagnoseDlg(0x0407, path.c_str());
    HWND viewer = bench::FindThreadDialog();
    if (!viewer) {
        std::fwprintf(stderr, L"records_bench: no viewer window\n");
        return 1;
    }
    bench::PumpUntilRead();
    const PROCESS_MEMORY_COUNTERS before = bench::Memory();

    // The whole log: Ctrl+L.
    g_longestDispatch = 0;
    const LARGE_INTEGER start = bench::Now();
    ::SendMessageW(viewer, WM_COMMAND, MAKEWPARAM(ID_VIEWER_RECORDS, 0), 0);
    HWND records = nullptr;
    ::EnumThreadWindows(::GetCurrentThreadId(), MatchRecordsWindow, reinterpret_cast<LPARAM>(&records));
    if (!records) {
        std::fwprintf(stderr, L"records_bench: no records window\n");
        return 1;
    }
    HWND list = ::GetDlgItem(records, IDC_RECORDS_LIST);
    ::UpdateWindow(list);
    const double first = bench::Seconds(start, bench::Now());
    const double counted = UntilCounted(records, start);
    const double placed = UntilCounted(records, start, L"Sortiere");
    const PROCESS_MEMORY_COUNTERS all = bench::Memory();
    std::wprintf(L"the whole log (Ctrl+L): first screen %.3f s, counted %.3f s, every row in place %.3f s, longest "
                 L"dispatch %.3f s: %ls\n",
                 first, counted, placed, g_longestDispatch, TitleOf(records).c_str());
    std::wprintf(L"  private bytes the window and its rows added: %+.2f MB\n",
                 Megabytes(all.PagefileUsage) - Megabytes(before.PagefileUsage));

    ::CheckDlgButton(records, IDC_FILTER_INFORMATION, BST_UNCHECKED);
    ::CheckDlgButton(records, IDC_FILTER_WARNING, BST_UNCHECKED);
    ::CheckDlgButton(records, IDC_FILTER_UNKNOWN, BST_UNCHECKED);
    TimeFilter(records, L"errors only");

    ::SetDlgItemTextW(records, IDC_FILTER_COMPUTERS, L"PC2; LEITSTAND-02");
    ::SendDlgItemMessageW(records, IDC_FILTER_COMPUTERS_MODE, CB_SETCURSEL, 0, 0);
    ::SetDlgItemTextW(records, IDC_FILTER_PROCESSES, L"MORKAT.EXE");
    ::SendDlgItemMessageW(records, IDC_FILTER_PROCESSES_MODE, CB_SETCURSEL, 1, 0);
    ::SetDlgItemTextW(records, IDC_FILTER_FROM, L"05.12.2026 09:00");
    ::SetDlgItemTextW(records, IDC_FILTER_TO, L"07.12.2026 18:00");
    TimeFilter(records, L"errors of two computers but one process, in two days and a half");

    ::SendMessageW(records, WM_COMMAND, IDC_FILTER_OFF, 0);
    UntilCounted(records, bench::Now());
    UntilCounted(records, bench::Now(), L"Sortiere");
    ::SetDlgItemTextW(records, IDC_FILTER_TEXT, L"quittiert");
    TimeFilter(records, L"the lines that hold \"quittiert\"");
    ::SendMessageW(records, WM_COMMAND, IDC_FILTER_OFF, 0);
    UntilCounted(records, bench::Now());
    UntilCounted(records, bench::Now(), L"Sortiere");

    // Go to a time and the next error, in the records window and in the viewer.
    ListView_SetItemState(list, 0, LVIS_FOCUSED | LVIS_SELECTED, LVIS_FOCUSED | LVIS_SELECTED);
    LARGE_INTEGER at = bench::Now();
    ::SendMessageW(records, WM_COMMAND, ID_NEXT_ERROR, 0);
    std::wprintf(L"records window, F8 from the first row: %.3f s\n", bench::Seconds(at, bench::Now()));
    ::SendMessageW(records, WM_COMMAND, ID_GO_TO_TIME, 0);
    HWND ask = ::FindWindowW(nullptr, L"Gehe zu Zeit");
    if (ask) {
        ::SetDlgItemTextW(ask, IDC_GO_TO_TIME_TEXT, L"08.12.2026 12:34:56");
        at = bench::Now();
        ::SendMessageW(ask, WM_COMMAND, IDOK, 0);
        std::wprintf(L"records window, go to 08.12.2026 12:34:56: %.3f s\n", bench::Seconds(at, bench::Now()));
    }
    at = bench::Now();
    ::SendMessageW(records, WM_COMMAND, ID_SHOW_IN_VIEWER, 0);
    std::wprintf(L"the row shown in the viewer (its group's list filled): %.3f s\n", bench::Seconds(at, bench::Now()));
    PumpTimed();
    // The first step of a class looks at its lists in dispatches of their own: until they are done.
    for (const auto& [command, what] : {std::pair{ID_NEXT_ERROR, L"F8"}, std::pair{ID_NEXT_ERROR, L"F8 again"},
                                        std::pair{ID_NEXT_WARNING, L"Ctrl+F8"},
                                        std::pair{ID_NEXT_WARNING, L"Ctrl+F8 again"}}) {
        g_longestDispatch = 0;
        at = bench::Now();
        ::SendMessageW(viewer, WM_COMMAND, command, 0);
        PumpTimed();
        std::wprintf(L"viewer, %ls across all computers: %.3f s, longest dispatch %.3f s\n", what,
                     bench::Seconds(at, bench::Now()), g_longestDispatch);
    }
    ::SendMessageW(viewer, WM_COMMAND, ID_GO_TO_TIME, 0);
    ask = ::FindWindowW(nullptr, L"Gehe zu Zeit");
    if (ask) {
        // The log's last minute: the list is read from its top, all of it.
        ::SetDlgItemTextW(ask, IDC_GO_TO_TIME_TEXT, L"-1m");
        at = bench::Now();
        ::SendMessageW(ask, WM_COMMAND, IDOK, 0);
        std::wprintf(L"viewer, go to the last minute in the group's list: %.3f s\n", bench::Seconds(at, bench::Now()));
    }
    DestroyOpenDlg();
    return 0;
}
