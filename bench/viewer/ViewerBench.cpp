// Times the viewer as an operator meets it on a large log: from the CreateDiagnoseDlg call to a
// filled tree, filling the list with the largest group, and sorting it by a header click.
// Prints figures; asserts nothing.
#include "BenchHost.h"
#include "ZtServiceMsg.h"
#include "win/TreeView.h"

#include <windows.h>
#include <commctrl.h>
#include <psapi.h>

#include <cstdio>
#include <string>

namespace {} // namespace

int wmain(int argc, wchar_t** argv) {
    if (argc < 2) {
        std::fwprintf(stderr, L"usage: viewer_bench LOGFILE\n");
        return 2;
    }
    char path[MAX_PATH * 2] = {};
    ::WideCharToMultiByte(CP_ACP, 0, argv[1], -1, path, sizeof(path), nullptr, nullptr);
    WIN32_FILE_ATTRIBUTE_DATA attributes{};
    ::GetFileAttributesExW(argv[1], GetFileExInfoStandard, &attributes);
    const double fileMb =
        (double(attributes.nFileSizeHigh) * 4294967296.0 + attributes.nFileSizeLow) / 1048576.0;

    const double before = bench::Memory().WorkingSetSize / 1048576.0;
    const LARGE_INTEGER start = bench::Now();
    CreateDiagnoseDlg(0x0407, path);
    const LARGE_INTEGER opened = bench::Now();
    HWND viewer = bench::FindThreadDialog();
    if (!viewer) {
        std::fwprintf(stderr, L"viewer_bench: no viewer window\n");
        return 1;
    }
    win::TreeView tree(::GetDlgItem(viewer, 1002));
    HWND list = ::GetDlgItem(viewer, 1003);
    bench::Pump();
    const LARGE_INTEGER painted = bench::Now();
    const double peakTree = bench::Memory().PeakWorkingSetSize / 1048576.0;

    int largest = 0;
    const LARGE_INTEGER findStart = bench::Now();
    HTREEITEM group = bench::LargestGroup(tree, largest);
    const LARGE_INTEGER found = bench::Now();
    const LARGE_INTEGER selectStart = bench::Now();
    tree.SelectItem(group);
    ::UpdateWindow(list);
    const LARGE_INTEGER selected = bench::Now();
    const double peakSelected = bench::Memory().PeakWorkingSetSize / 1048576.0;

    NMLISTVIEW click{};
    click.hdr = {list, 1003, LVN_COLUMNCLICK};
    click.iSubItem = 0;
    const LARGE_INTEGER sortStart = bench::Now();
    ::SendMessageW(viewer, WM_NOTIFY, 1003, reinterpret_cast<LPARAM>(&click));
    ::UpdateWindow(list);
    const LARGE_INTEGER sorted = bench::Now();
    bench::Pump();

    std::wprintf(L"log: %.1f MB, %d records in the largest group\n", fileMb, largest);
    std::wprintf(L"CreateDiagnoseDlg returned (tree filled): %.3f s; first paint done: %.3f s\n",
                 bench::Seconds(start, opened), bench::Seconds(start, painted));
    std::wprintf(L"open the headings and find the largest group: %.3f s\n", bench::Seconds(findStart, found));
    std::wprintf(L"select the largest group (list filled and painted): %.3f s\n",
                 bench::Seconds(selectStart, selected));
    std::wprintf(L"header click (sorted and painted): %.3f s\n", bench::Seconds(sortStart, sorted));
    const double peak = bench::Memory().PeakWorkingSetSize / 1048576.0;
    std::wprintf(L"peak working set: %.1f MB, %.1f MB before the call: %.2f x the file more\n", peak, before,
                 (peak - before) / fileMb);
    std::wprintf(L"peak working set added by the tree / the list / the sort: %.2f / %.2f / %.2f x the file\n",
                 (peakTree - before) / fileMb, (peakSelected - before) / fileMb, (peak - before) / fileMb);
    DestroyOpenDlg();
    return 0;
}
