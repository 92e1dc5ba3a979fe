// The viewer's rows while it follows a log: a follow tick that brings 1,000 new lines into a
// group of 1.2 million rows sorted by date, taken in one merge, against a row at a time.
//   zt_rows_bench [ROWS] [NEW]
// Prints one "name: value" line per figure.
#include "viewer/RecordRows.h"

#include <algorithm>
#include <chrono>
#include <ctime>
#include <cstdio>
#include <cstdlib>
#include <string>

namespace {

using Clock = std::chrono::steady_clock;

// Wall time, and the process's own processor time, which a busy machine does not inflate.
struct Since {
    Clock::time_point wall = Clock::now();
    std::clock_t cpu = std::clock();
};

std::string Milliseconds(const Since& since) {
    char text[64];
    std::snprintf(text, sizeof text, "%.1f ms (processor %.1f ms)",
                  std::chrono::duration<double, std::milli>(Clock::now() - since.wall).count(),
                  1000.0 * static_cast<double>(std::clock() - since.cpu) / CLOCKS_PER_SEC);
    return text;
}

// Lines of one computer and class whose dates and times wander over a month.
void AppendLines(std::string& bytes, uint32_t count, uint32_t seed) {
    char line[128];
    for (uint32_t i = 0; i < count; ++i) {
        seed = seed * 1103515245u + 12345u;
        const unsigned day = 1 + (seed >> 16) % 28, hour = (seed >> 8) % 24, minute = seed % 60;
        std::snprintf(
            line, sizeof line,
            "%02u.12.2026 %02u:%02u:%02u   Host=\"PC1\" Process=\"P%u\" Traceclass=\"2\" Text=\"x\"\n", day,
            hour, minute, i % 60, i % 7);
        bytes += line;
    }
}

} // namespace

int main(int argc, char** argv) {
    const uint32_t rows = argc > 1 ? static_cast<uint32_t>(std::strtoul(argv[1], nullptr, 10)) : 1200000;
    const uint32_t fresh = argc > 2 ? static_cast<uint32_t>(std::strtoul(argv[2], nullptr, 10)) : 1000;
    diagnose::MemorySource source;
    AppendLines(source.bytes, rows, 1);
    diagnose::RecordStore store;
    store.BeginDetected(source.bytes.data(), source.bytes.size(), {});
    store.Read(source, source.bytes.size(), false, L"?");
    const diagnose::RecordList& group = *store.GetByHost().at(L"PC1").at(2);

    viewer::RecordRows shown;
    shown.Show(&group);
    Since start;
    shown.SortBy(store, 0, {});
    std::printf("sort %zu rows by date: %s\n", shown.Count(), Milliseconds(start).c_str());

    const diagnose::RecordId firstNew = store.RecordCount();
    AppendLines(source.bytes, fresh, 7);
    store.Read(source, source.bytes.size(), false, L"?");
    std::vector<diagnose::RecordId> oneByOne(shown.Ids().begin(), shown.Ids().end());
    bool changed = false;
    start = Since();
    shown.TakeNew(store, firstNew, false, {0, 0, 0}, changed);
    std::printf("follow tick, %u new lines into %zu sorted rows, one merge: %s\n", fresh, oneByOne.size(),
                Milliseconds(start).c_str());

    start = Since();
    for (diagnose::RecordId id = firstNew; id < store.RecordCount(); ++id)
        InsertSortedRow(store, oneByOne, id, 0, shown.Ascending());
    std::printf("the same, a row at a time: %s\n", Milliseconds(start).c_str());
    const bool same = std::equal(oneByOne.begin(), oneByOne.end(), shown.Ids().begin(), shown.Ids().end());
    std::printf("same order: %s\n", same ? "yes" : "NO");
    return same ? 0 : 1;
}
