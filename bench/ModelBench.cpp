// Parse+index of a diagnostic log, peak memory against the file size, and the record sorts.
//   zt_model_bench LOGFILE [--load-only | --scan-only]
// Prints one "name: value" line per figure.
#include "diagnose/LineScan.h"
#include "diagnose/RecordStore.h"
#include "viewer/find/TextMatcher.h"

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <memory>
#include <string>
#include <vector>

#ifdef _WIN32
#include "diagnose/DiagnoseFeed.h"
#include "diagnose/DiagnoseIndex.h"

#include <windows.h>
#include <psapi.h>
#else
#include <fcntl.h>
#include <sys/resource.h>
#include <unistd.h>
#endif

namespace {

using Clock = std::chrono::steady_clock;

double Seconds(Clock::time_point since) {
    return std::chrono::duration<double>(Clock::now() - since).count();
}

// The working set (resident memory) now and at its peak, in bytes: what lnav's max RSS is
// compared with.
// CPU seconds of the process, user and kernel: on a shared machine, steadier than the clock.
double CpuSeconds() {
#ifdef _WIN32
    FILETIME created, exited, kernel, user;
    if (!::GetProcessTimes(::GetCurrentProcess(), &created, &exited, &kernel, &user))
        return 0;
    auto seconds = [](const FILETIME& t) {
        return (uint64_t(t.dwHighDateTime) << 32 | t.dwLowDateTime) / 1e7;
    };
    return seconds(kernel) + seconds(user);
#else
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    return usage.ru_utime.tv_sec + usage.ru_stime.tv_sec +
           (usage.ru_utime.tv_usec + usage.ru_stime.tv_usec) / 1e6;
#endif
}

struct Memory {
    double now = 0, peak = 0;
};

Memory ProcessMemory() {
    Memory memory;
#ifdef _WIN32
    PROCESS_MEMORY_COUNTERS counters{};
    counters.cb = sizeof counters;
    if (::GetProcessMemoryInfo(::GetCurrentProcess(), &counters, sizeof counters)) {
        memory.now = static_cast<double>(counters.WorkingSetSize);
        memory.peak = static_cast<double>(counters.PeakWorkingSetSize);
    }
#else
    long pages = 0, resident = 0;
    if (std::FILE* statm = std::fopen("/proc/self/statm", "r")) {
        if (std::fscanf(statm, "%ld %ld", &pages, &resident) != 2)
            resident = 0;
        std::fclose(statm);
    }
    memory.now = static_cast<double>(resident) * static_cast<double>(sysconf(_SC_PAGESIZE));
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    memory.peak = static_cast<double>(usage.ru_maxrss) * 1024.0;
#endif
    return memory;
}

#ifndef _WIN32
// The log file as the index reads it on this platform.
class PosixFile : public diagnose::ByteSource {
public:
    explicit PosixFile(const char* path) : m_fd(::open(path, O_RDONLY)) {}
    ~PosixFile() override {
        if (m_fd >= 0)
            ::close(m_fd);
    }
    bool Read(uint64_t offset, void* buffer, size_t size, size_t& got, uint32_t& error) override {
        const ssize_t n = ::pread(m_fd, buffer, size, static_cast<off_t>(offset));
        got = n > 0 ? static_cast<size_t>(n) : 0;
        error = n < 0 ? 1 : 0;
        return n >= 0;
    }

private:
    int m_fd;
};
#endif

double FileSize(const char* path) {
    std::FILE* file = std::fopen(path, "rb");
    if (!file)
        return 0;
    std::fseek(file, 0, SEEK_END);
    const double size = static_cast<double>(std::ftell(file));
    std::fclose(file);
    return size;
}

// The line scan alone, on one thread, over the file's first 256 MiB held in memory, in the
// parts of 1 MiB the workers take: what the platform costs the scanning code itself, apart
// from reading, threads and filing.
int ScanOnly(const char* path) {
    std::FILE* file = std::fopen(path, "rb");
    if (!file)
        return 1;
    std::string bytes(size_t(256) << 20, '\0');
    bytes.resize(std::fread(bytes.data(), 1, bytes.size(), file));
    std::fclose(file);
    const std::vector<size_t> bounds =
        diagnose::SplitAtLines(bytes.data(), bytes.size(), 1, static_cast<unsigned>(bytes.size() >> 20) + 1);
    diagnose::PartScan part;
    size_t lines = 0;
    const double cpuBefore = CpuSeconds();
    const auto start = Clock::now();
    for (size_t i = 0; i + 1 < bounds.size(); ++i) {
        part.Clear();
        diagnose::ScanPart(bytes.data(), bounds[i], bounds[i + 1], {}, part);
        lines += part.lines.size();
    }
    std::printf("scan alone, one thread: %.3f s processor, %.3f s wall, %.1f MB, %zu lines\n",
                CpuSeconds() - cpuBefore, Seconds(start), bytes.size() / 1e6, lines);
    return 0;
}

} // namespace

int main(int argc, char** argv) {
    if (argc < 2) {
        std::fprintf(stderr, "usage: zt_model_bench LOGFILE [--load-only | --scan-only]\n");
        return 2;
    }
    if (argc > 2 && std::string(argv[2]) == "--scan-only")
        return ScanOnly(argv[1]);
    const double fileSize = FileSize(argv[1]);
    const bool loadOnly = argc > 2 && std::string(argv[2]) == "--load-only";
    const Memory before = ProcessMemory();
    const double cpuBefore = CpuSeconds();
    const auto start = Clock::now();
#ifdef _WIN32
    const std::string narrow = argv[1];
    auto held = std::make_unique<CDiagnoseIndex>();
    CDiagnoseIndex& store = *held;
    store.SetFile(std::wstring(narrow.begin(), narrow.end()));
#else
    auto held = std::make_unique<diagnose::RecordStore>();
    diagnose::RecordStore& store = *held;
    PosixFile file(argv[1]);
    char head[65536];
    size_t got = 0;
    uint32_t error = 0;
    if (!file.Read(0, head, sizeof head, got, error))
        return 1;
    store.BeginDetected(head, got, {});
    store.Read(file, static_cast<uint64_t>(fileSize), true, L"Unbekannt");
#endif
    const double loadSeconds = Seconds(start);
    const double loadCpu = CpuSeconds() - cpuBefore;
    const Memory after = ProcessMemory();
    const double lines = store.RecordCount();
    std::printf("file: %.1f MB, %.0f lines\n", fileSize / 1e6, lines);
    std::printf("parse+index: %.3f s\n", loadSeconds);
    std::printf("lines per second: %.0f\n", lines / loadSeconds);
    std::printf("CPU of the load, all threads: %.3f s\n", loadCpu);
    const diagnose::ReadStages& stages = store.LastReadStages();
    std::printf("stages: read %.3f s, wait for the scan %.3f s, file %.3f s, scan %.3f s over the workers, "
                "read in all %.3f s, %u batches\n",
                stages.read, stages.wait, stages.file, stages.scan, stages.total, stages.batches);
    std::printf("peak memory of the load: %.1f MB = %.2f x file size\n", (after.peak - before.now) / 1e6,
                (after.peak - before.now) / fileSize);
    std::printf("memory held by the index: %.1f MB = %.2f x file size\n", (after.now - before.now) / 1e6,
                (after.now - before.now) / fileSize);
    std::printf("index's own account: %.1f MB = %.3f x file size\n", store.MemoryBytes() / 1e6,
                store.MemoryBytes() / fileSize);

    if (loadOnly) {
        // What a viewer's close waits for: the index's memory given back.
        const auto freeStart = Clock::now();
        held.reset();
        std::printf("index given back: %.3f s\n", Seconds(freeStart));
        return 0;
    }
    {
        // Every line read again, checked and searched for a text it does not hold, as find does.
        const viewer::CharacterTables tables = viewer::CharacterTables::Ascii();
        const viewer::TextMatcher matcher(L"nowhere in the log", false, false, tables);
        size_t found = 0;
        const auto findStart = Clock::now();
#ifdef _WIN32
        diagnose::ByteSource& source = store.Source();
#else
        diagnose::ByteSource& source = file;
#endif
        const diagnose::TextDecoder& decoder = store.Decoder();
        const char16_t* table =
            decoder.ansiTable.empty() ? diagnose::Latin1Table() : decoder.ansiTable.data();
        store.ForEachLineBytes(source, 0, store.RecordCount(),
                               [&](diagnose::RecordId, const char* bytes, size_t size, diagnose::TextForm) {
                                   found += matcher.MatchesAnsi(bytes, size, table);
                                   return true;
                               });
        std::printf("find through every line: %.3f s (%zu found)\n", Seconds(findStart), found);
    }

    std::vector<diagnose::RecordId> rows;
    for (diagnose::RecordId id = 0; id < store.RecordCount() && rows.size() < 200000; id += 3)
        rows.push_back(id);
    for (int column : {0, 1}) {
        std::vector<diagnose::RecordId> sorted = rows;
        const auto sortStart = Clock::now();
        SortRecordRows(store, sorted, column, column == 0);
        std::printf("SortRecordRows %zu rows, column %d: %.3f s\n", sorted.size(), column,
                    Seconds(sortStart));
    }
    // The largest group whole, as a header click sorts it (file order first, then the other way).
    const diagnose::RecordList* largest = nullptr;
    for (const auto& [host, classes] : store.GetByHost())
        for (const auto& [cls, records] : classes)
            if (!largest || records->size() > largest->size())
                largest = records;
    if (largest) {
        std::vector<diagnose::RecordId> group(largest->begin(), largest->end());
        for (bool ascending : {true, false}) {
            const auto sortStart = Clock::now();
            SortRecordRows(store, group, 0, ascending);
            std::printf("SortRecordRows largest group, %zu rows, column 0 %s: %.3f s\n", group.size(),
                        ascending ? "ascending" : "descending", Seconds(sortStart));
        }
    }
#ifdef _WIN32
    // The list view's own sort with the comparison callback, on a real control.
    ::InitCommonControls();
    HWND list = ::CreateWindowExW(0, WC_LISTVIEWW, L"", LVS_REPORT, 0, 0, 400, 400, nullptr, nullptr, nullptr,
                                  nullptr);
    win::ListView view(list);
    SetupRecordColumns(view);
    diagnose::RecordList hundredThousand(rows.begin(), rows.begin() + std::min<size_t>(rows.size(), 100000));
    const auto fillStart = Clock::now();
    FillRecordList(view, store, &hundredThousand);
    std::printf("FillRecordList %d rows: %.3f s\n", view.GetItemCount(), Seconds(fillStart));
    DiagnoseSortInfo info{0, true, list, &store};
    const auto sortStart = Clock::now();
    view.SortItems(CompareRecordItems, reinterpret_cast<LPARAM>(&info));
    std::printf("LVM_SORTITEMS %d rows, column 0: %.3f s\n", view.GetItemCount(), Seconds(sortStart));
    ::DestroyWindow(list);
#endif
    return 0;
}
