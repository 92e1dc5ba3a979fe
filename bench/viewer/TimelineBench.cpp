// Times the timeline on a large log: from the command to the painted window, for the whole log
// and for the largest group, and the memory the window adds. Prints figures; asserts nothing.
#include "BenchHost.h"
#include "ViewerRead.h"
#include "ZtServiceMsg.h"
#include "win/TreeView.h"

#include <windows.h>
#include <psapi.h>

#include <cstdio>
#include <string>

namespace {

double Megabytes(SIZE_T bytes) {
    return double(bytes) / 1048576.0;
}

HWND FindTimelineWindow() {
    return ::FindWindowW(nullptr, L"Vistral Diagnose - Zeitverlauf");
}

} // namespace

int wmain(int argc, wchar_t** argv) {
    if (argc < 2) {
        std::fwprintf(stderr, L"usage: timeline_bench LOGFILE\n");
        return 2;
    }
    const std::string path = bench::AnsiPath(argv[1]);
    const LARGE_INTEGER start = bench::Now();
    CreateDiagnoseDlg(0x0407, path.c_str());
    const LARGE_INTEGER opened = bench::Now();
    HWND viewer = bench::FindThreadDialog();
    if (!viewer) {
        std::fwprintf(stderr, L"timeline_bench: no viewer window\n");
        return 1;
    }
    bench::PumpUntilRead();
    const PROCESS_MEMORY_COUNTERS before = bench::Memory();

    const LARGE_INTEGER timelineStart = bench::Now();
    ::SendMessageW(viewer, WM_COMMAND, MAKEWPARAM(32786 /* ID_VIEWER_TIMELINE */, 0), 0);
    HWND timeline = FindTimelineWindow();
    if (!timeline) {
        std::fwprintf(stderr, L"timeline_bench: no timeline window\n");
        return 1;
    }
    ::RedrawWindow(timeline, nullptr, nullptr, RDW_UPDATENOW | RDW_ALLCHILDREN);
    const LARGE_INTEGER timelineShown = bench::Now();
    bench::Pump();
    const PROCESS_MEMORY_COUNTERS after = bench::Memory();

    win::TreeView tree(::GetDlgItem(viewer, 1002));
    int largest = 0;
    tree.SelectItem(bench::LargestGroup(tree, largest));
    const LARGE_INTEGER groupStart = bench::Now();
    bench::Pump(); // the timeline counts from its posted message
    ::RedrawWindow(timeline, nullptr, nullptr, RDW_UPDATENOW | RDW_ALLCHILDREN);
    const LARGE_INTEGER groupShown = bench::Now();
    const PROCESS_MEMORY_COUNTERS last = bench::Memory();

    wchar_t subtitle[256] = {};
    ::GetDlgItemTextW(timeline, 1020, subtitle, 256);
    std::wprintf(L"tree filled: %.3f s\n", bench::Seconds(start, opened));
    std::wprintf(L"timeline of the whole log, counted and painted: %.3f s\n",
                 bench::Seconds(timelineStart, timelineShown));
    std::wprintf(L"timeline of the largest group (%ls), after the list: %.3f s\n", subtitle,
                 bench::Seconds(groupStart, groupShown));
    std::wprintf(L"added by the window: working set %+.2f MB, private bytes %+.2f MB (%+.2f MB with the "
                 L"viewer's rows of the group)\n",
                 Megabytes(after.WorkingSetSize) - Megabytes(before.WorkingSetSize),
                 Megabytes(after.PagefileUsage) - Megabytes(before.PagefileUsage),
                 Megabytes(last.PagefileUsage) - Megabytes(before.PagefileUsage));
    DestroyOpenDlg();
    return 0;
}
