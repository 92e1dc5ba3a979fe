// Times the viewer as an operator meets it on a large log: from the CreateDiagnoseDlg call to a
// filled tree, filling the list with the largest group, and sorting it by a header click on the
// date and on the message (whose lines are read for it); saving the group as CSV in the
// background, and how soon a save stops when it is cancelled.
// Prints figures; asserts nothing.
#include "BenchHost.h"
#include "ViewerRead.h"
#include "ZtServiceMsg.h"
#include "frame/ModuleState.h"
#include "viewer/DiagnoseDlg.h"
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
    const std::string path = bench::AnsiPath(argv[1]);
    WIN32_FILE_ATTRIBUTE_DATA attributes{};
    ::GetFileAttributesExW(argv[1], GetFileExInfoStandard, &attributes);
    const double fileMb =
        (double(attributes.nFileSizeHigh) * 4294967296.0 + attributes.nFileSizeLow) / 1048576.0;

    const double before = bench::Memory().WorkingSetSize / 1048576.0;
    const LARGE_INTEGER start = bench::Now();
    CreateDiagnoseDlg(0x0407, path.c_str());
    const LARGE_INTEGER opened = bench::Now();
    HWND viewer = bench::FindThreadDialog();
    if (!viewer) {
        std::fwprintf(stderr, L"viewer_bench: no viewer window\n");
        return 1;
    }
    win::TreeView tree(::GetDlgItem(viewer, 1002));
    HWND list = ::GetDlgItem(viewer, 1003);
    bench::PumpUntilRead();
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
    const double peakSorted = bench::Memory().PeakWorkingSetSize / 1048576.0;

    click.iSubItem = 2; // the message
    const LARGE_INTEGER messageStart = bench::Now();
    ::SendMessageW(viewer, WM_NOTIFY, 1003, reinterpret_cast<LPARAM>(&click));
    ::UpdateWindow(list);
    const LARGE_INTEGER messageSorted = bench::Now();
    bench::Pump();

    // The group saved as CSV beside the log: until the file stands under its name.
    auto* dialog = static_cast<CDiagnoseDlg*>(TheModule().diagnoseDialogSlot.Get());
    const std::wstring saved = std::wstring(argv[1]) + L".csv";
    std::vector<diagnose::RecordId> rows;
    for (int row = 0; row < ListView_GetItemCount(list); ++row) {
        LVITEMW item{};
        item.mask = LVIF_PARAM;
        item.iItem = row;
        ListView_GetItem(list, &item);
        rows.push_back(static_cast<diagnose::RecordId>(item.lParam));
    }
    const LARGE_INTEGER saveStart = bench::Now();
    dialog->StartSave(viewer, saved, viewer::SaveFormat::Csv, rows);
    while (dialog->Saving()) {
        ::MsgWaitForMultipleObjects(0, nullptr, FALSE, 50, QS_ALLINPUT);
        bench::Pump();
    }
    const LARGE_INTEGER saveEnd = bench::Now();
    WIN32_FILE_ATTRIBUTE_DATA savedAttributes{};
    ::GetFileAttributesExW(saved.c_str(), GetFileExInfoStandard, &savedAttributes);
    ::DeleteFileW(saved.c_str());
    dialog->StartSave(viewer, saved, viewer::SaveFormat::Csv, rows);
    ::Sleep(200);
    const LARGE_INTEGER cancelStart = bench::Now();
    dialog->CancelSave();
    const LARGE_INTEGER cancelled = bench::Now();

    std::wprintf(L"log: %.1f MB, %d records in the largest group\n", fileMb, largest);
    std::wprintf(L"CreateDiagnoseDlg returned: %.3f s; the log read and the tree filled: %.3f s\n",
                 bench::Seconds(start, opened), bench::Seconds(start, painted));
    std::wprintf(L"open the headings and find the largest group: %.3f s\n", bench::Seconds(findStart, found));
    std::wprintf(L"select the largest group (list filled and painted): %.3f s\n",
                 bench::Seconds(selectStart, selected));
    std::wprintf(L"header click (sorted and painted): %.3f s\n", bench::Seconds(sortStart, sorted));
    std::wprintf(L"message header click (lines read, sorted and painted): %.3f s, %.1f MB more at the peak\n",
                 bench::Seconds(messageStart, messageSorted),
                 bench::Memory().PeakWorkingSetSize / 1048576.0 - peakSorted);
    std::wprintf(
        L"saved as CSV in the background: %.3f s, %.1f MB; a save cancelled after 0.2 s ended in %.3f s\n",
        bench::Seconds(saveStart, saveEnd), savedAttributes.nFileSizeLow / 1048576.0,
        bench::Seconds(cancelStart, cancelled));
    const double peak = bench::Memory().PeakWorkingSetSize / 1048576.0;
    std::wprintf(L"peak working set: %.1f MB, %.1f MB before the call: %.2f x the file more\n", peak, before,
                 (peak - before) / fileMb);
    std::wprintf(L"peak working set added by the tree / the list / the sort: %.2f / %.2f / %.2f x the file\n",
                 (peakTree - before) / fileMb, (peakSelected - before) / fileMb, (peak - before) / fileMb);
    DestroyOpenDlg();
    return 0;
}
