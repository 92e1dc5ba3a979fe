// How much a host grows per viewer it opens and closes: loads ZtServiceMsg.dll like a suite
// process, then opens the viewer on a small log, selects a group and closes it with
// DestroyOpenDlg, round after round, and prints the working set's growth per round after
// warm-up. The same for the information dialog, as the flat reference. Asserts nothing.
#include "BenchHost.h"
#include "ZtServiceMsg.h"

#include <windows.h>
#include <commctrl.h>
#include <psapi.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

namespace {

PFN_CreateDiagnoseDlg g_diagnose;
PFN_CreateInfoDlg g_info;
PFN_DestroyOpenDlg g_destroy;

size_t WorkingSet() {
    PROCESS_MEMORY_COUNTERS counters{};
    counters.cb = sizeof(counters);
    ::GetProcessMemoryInfo(::GetCurrentProcess(), &counters, sizeof(counters));
    return counters.WorkingSetSize;
}

void ViewerRound(const char* log) {
    g_diagnose(0x0407, log);
    bench::Pump();
    HWND viewer = bench::FindThreadDialog();
    HWND tree = viewer ? ::GetDlgItem(viewer, 1002) : nullptr;
    if (HTREEITEM group = TreeView_GetChild(tree, TreeView_GetRoot(tree)))
        TreeView_SelectItem(tree, group);
    bench::Pump();
    g_destroy();
    bench::Pump();
}

void CALLBACK CloseInfo(HWND, UINT, UINT_PTR id, DWORD) {
    ::KillTimer(nullptr, id);
    g_destroy();
}

void InfoRound(const char*) {
    ::SetTimer(nullptr, 0, 1, CloseInfo);
    g_info(0, 5000, 5001, 0x0407, 0, "bench", "details");
    bench::Pump();
}

void Measure(const wchar_t* what, void (*round)(const char*), const char* log, int rounds) {
    for (int i = 0; i < 20; ++i)
        round(log);
    const size_t before = WorkingSet();
    for (int i = 0; i < rounds; ++i)
        round(log);
    const size_t after = WorkingSet();
    const double growth = (double(after) - double(before)) / 1024.0;
    std::wprintf(L"%ls: %d rounds after 20 warm-up rounds, working set %+.0f KB, %+.2f KB per round\n", what,
                 rounds, growth, growth / rounds);
}

} // namespace

int wmain(int argc, wchar_t** argv) {
    const int rounds = argc > 1 ? _wtoi(argv[1]) : 400;
    HMODULE module = ::LoadLibraryW(L"ZtServiceMsg.dll");
    if (!module) {
        std::fwprintf(stderr, L"viewer_rounds_bench: ZtServiceMsg.dll not found\n");
        return 1;
    }
    auto get = [module](const char* name) { return reinterpret_cast<void*>(::GetProcAddress(module, name)); };
    g_diagnose = reinterpret_cast<PFN_CreateDiagnoseDlg>(get("CreateDiagnoseDlg"));
    g_info = reinterpret_cast<PFN_CreateInfoDlg>(get("CreateInfoDlg"));
    g_destroy = reinterpret_cast<PFN_DestroyOpenDlg>(get("DestroyOpenDlg"));

    char log[MAX_PATH] = {};
    ::GetTempPathA(MAX_PATH, log);
    std::strcat(log, "viewer-rounds.log");
    if (FILE* file = std::fopen(log, "wb")) {
        const char* hosts[] = {"PC1", "PC2", "SERVER-A"};
        for (int i = 0; i < 30; ++i)
            std::fprintf(file,
                         "05.12.2026 08:%02d:00   Host=\"%s\" Process=\"P%d.EXE\" Traceclass=\"%d\"\r\n", i,
                         hosts[i % 3], i, i % 4);
        std::fclose(file);
    }
    Measure(L"viewer (open, select a group, DestroyOpenDlg)", ViewerRound, log, rounds);
    Measure(L"information dialog (open, DestroyOpenDlg)", InfoRound, log, rounds);
    ::DeleteFileA(log);
    ::FreeLibrary(module);
    return 0;
}
