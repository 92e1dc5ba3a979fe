// The viewer in a 32-bit host on a log larger than its memory budget: the records it shows, the
// time until the tree holds them, what it takes, and what the host can still get afterwards (its
// largest free block of address space and the heap it can still allocate).
// Prints figures; asserts nothing.
#include "ViewerRead.h"
#include "ZtServiceMsg.h"

#include <windows.h>

#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

namespace {

double Megabytes(uint64_t bytes) {
    return double(bytes) / 1048576.0;
}

// The process's address space in use (Wine reports no private bytes).
uint64_t UsedAddressSpace() {
    MEMORYSTATUSEX status{};
    status.dwLength = sizeof status;
    ::GlobalMemoryStatusEx(&status);
    return status.ullTotalVirtual - status.ullAvailVirtual;
}

uint64_t LargestFreeBlock() {
    uint64_t largest = 0;
    MEMORY_BASIC_INFORMATION info{};
    for (const char* at = nullptr; ::VirtualQuery(at, &info, sizeof info) == sizeof info;) {
        if (info.State == MEM_FREE && info.RegionSize > largest)
            largest = info.RegionSize;
        const char* next = static_cast<const char*>(info.BaseAddress) + info.RegionSize;
        if (next <= at)
            break;
        at = next;
    }
    return largest;
}

// What the heap still gives in pieces of 1 MB, up to 4 GiB; all of it given back.
uint64_t HeapLeft() {
    std::vector<void*> pieces;
    pieces.reserve(4096);
    while (pieces.size() < 4096)
        if (void* piece = std::malloc(1 << 20))
            pieces.push_back(piece);
        else
            break;
    for (void* piece : pieces)
        std::free(piece);
    return uint64_t(pieces.size()) << 20;
}

} // namespace

int wmain(int argc, wchar_t** argv) {
    if (argc < 2) {
        std::fwprintf(stderr, L"usage: budget_bench LOGFILE\n");
        return 2;
    }
    const std::string path = bench::AnsiPath(argv[1]);
    const bench::HostWindow host;
    const uint64_t largestBefore = LargestFreeBlock();
    const uint64_t usedBefore = UsedAddressSpace();
    const LARGE_INTEGER start = bench::Now();
    CreateDiagnoseDlg(0x0407, path.c_str());
    bench::PumpUntilRead();
    const LARGE_INTEGER read = bench::Now();
    auto* viewer = static_cast<CDiagnoseDlg*>(TheModule().diagnoseDialogSlot.Get());
    if (!viewer) {
        std::fwprintf(stderr, L"budget_bench: no viewer\n");
        return 1;
    }
    const CDiagnoseIndex& index = viewer->Index();
    std::wprintf(L"records shown %u, tree holds them after %.2f s\n", index.RecordCount(),
                 bench::Seconds(start, read));
    const diagnose::ReadStages& stages = index.LastReadStages();
    std::wprintf(
        L"the read's stages: read %.2f s, wait for the scan %.2f s, file %.2f s, scan %.2f s over the "
        L"workers, in all %.2f s\n",
        stages.read, stages.wait, stages.file, stages.scan, stages.total);
    std::wprintf(L"index %.0f MB of a budget of %.0f MB (%.1f bytes a record); the viewer took %.0f MB\n",
                 Megabytes(index.MemoryBytes()), Megabytes(index.MemoryBudget()),
                 index.RecordCount() ? double(index.MemoryBytes()) / index.RecordCount() : 0.0,
                 Megabytes(UsedAddressSpace() - usedBefore));
    std::wprintf(L"host's largest free block %.0f MB (before %.0f MB), heap it can still get %.0f MB\n",
                 Megabytes(LargestFreeBlock()), Megabytes(largestBefore), Megabytes(HeapLeft()));
    std::wprintf(L"caption: %ls\n", viewer->CaptionText().c_str());
    DestroyOpenDlg();
    return 0;
}
