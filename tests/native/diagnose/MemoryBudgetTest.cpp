// The viewer's memory budget and a log that does not fit it: the index keeps the newest lines
// that do, within the budget, and says that it starts late; the host's memory stays its own.
#include "FakeFiles.h"
#include "RecordStoreTestSupport.h"

#include "diagnose/LogIndex.h"
#include "diagnose/MemoryBudget.h"

#include <new>

using namespace record_store_test;
using diagnose::HostMemory;
using diagnose::kMegabyte;
using diagnose::LogIndex;
using diagnose::ReadResult;

TEST(MemoryBudget, AHostKeepsHalfItsAddressSpaceAndWhatItSetsIsBounded) {
    const HostMemory narrow{3000 * kMegabyte, 8000 * kMegabyte, false};
    EXPECT_EQ(diagnose::ViewerBudget(narrow, 0), 1024 * kMegabyte);
    EXPECT_EQ(diagnose::ViewerBudget({600 * kMegabyte, 0, false}, 0), 300 * kMegabyte);
    EXPECT_EQ(diagnose::ViewerBudget({10 * kMegabyte, 0, false}, 0), 16 * kMegabyte) << "the least";
    EXPECT_EQ(diagnose::ViewerBudget(narrow, 200), 200 * kMegabyte);
    EXPECT_EQ(diagnose::ViewerBudget(narrow, 4000), 2744 * kMegabyte) << "256 MB stay the host's";
    EXPECT_EQ(diagnose::ViewerBudget(narrow, 1), 16 * kMegabyte);
    const HostMemory wide{uint64_t(1) << 46, 6000 * kMegabyte, true};
    EXPECT_EQ(diagnose::ViewerBudget(wide, 0), 3000 * kMegabyte);
    EXPECT_EQ(diagnose::ViewerBudget({wide.freeAddressSpace, 100 * kMegabyte, true}, 0), 1024 * kMegabyte);
    EXPECT_EQ(diagnose::ViewerBudget({wide.freeAddressSpace, uint64_t(64) << 30, true}, 0), 8192 * kMegabyte);
    EXPECT_EQ(diagnose::ViewerBudget(wide, 20000), 20000 * kMegabyte);
    EXPECT_EQ(diagnose::IndexBudget(1000 * kMegabyte), 700 * kMegabyte);
}

namespace {

constexpr size_t kBudget = 8 << 20;

// Logs whose index takes more than kBudget, of the kinds a budget must hold against.
std::string HundredByteLines(int count) {
    std::string text;
    for (int i = 0; i < count; ++i)
        text += "01.01.2026 08:" + std::to_string(10 + i % 50) + ":00   Host=\"PC" + std::to_string(i % 7) +
                "\" Traceclass=\"" + std::to_string(i % 3) + "\" Text=\"line " + std::to_string(i) +
                " of the log, padded to a hundred bytes\"\r\n";
    return text;
}
std::string OneByteLines(int count) {
    std::string text;
    for (int i = 0; i < count; ++i)
        text += "x\n";
    return text;
}
std::string OneRecordEachComputer(int count) {
    std::string text;
    for (int i = 0; i < count; ++i)
        text += "Host=\"Station" + std::to_string(i) + "\" Text=\"x\"\n";
    return text;
}

// The index holds exactly the lines of the file from where it starts, the last line last.
void ExpectNewestLines(const LogIndex& index, const std::string& bytes) {
    ASSERT_GT(index.TextStart(), 0u);
    ASSERT_EQ(bytes[index.TextStart() - 1], '\n') << "it starts at a line's start";
    Log fresh(bytes.substr(index.TextStart()));
    ASSERT_EQ(index.RecordCount(), fresh.store.RecordCount());
    for (RecordId id : {RecordId(0), index.RecordCount() / 2, index.RecordCount() - 1})
        EXPECT_EQ(index.RowText(id, 0).append(index.GetHost(id)),
                  fresh.store.RowText(id, 0).append(fresh.store.GetHost(id)))
            << id;
}

// Memory runs out once the index holds 14 MB.
const LogIndex* g_failing = nullptr;
void FailOnce(const char* where) {
    if (std::string(where) == "filed" && g_failing && g_failing->MemoryBytes() > (14 << 20)) {
        g_failing = nullptr;
        throw std::bad_alloc();
    }
}

} // namespace

TEST(MemoryBudget, ALogThatDoesNotFitKeepsItsNewestLinesWithinTheBudget) {
    const struct {
        const char* kind;
        std::string bytes;
    } logs[] = {{"lines of a hundred bytes", HundredByteLines(400000)},
                {"lines of one byte", OneByteLines(600000)},
                {"a computer for every line", OneRecordEachComputer(150000)}};
    for (const auto& log : logs) {
        SCOPED_TRACE(log.kind);
        FakeFiles files;
        files.Make(L"Events.log", log.bytes);
        LogIndex index(files, {});
        index.SetMemoryBudget(kBudget);
        index.SetFile(L"Events.log");
        EXPECT_TRUE(index.StartsLate());
        EXPECT_FALSE(index.NeedsLaterStart());
        EXPECT_LE(index.MemoryBytes(), kBudget);
        // Not a remnant, though a first batch is judged by the most a record may take.
        EXPECT_GT(index.MemoryBytes(), kBudget / 8);
        ExpectNewestLines(index, log.bytes);
    }
}

// A viewer's reading thread may not empty the index under the tree: the load that does not fit
// ends, and the viewer reads again. Following, the log that grows past the budget does the same.
TEST(MemoryBudget, AViewerReadsAgainFromALaterStartWhenTheLogDoesNotFitOrGrowsPastIt) {
    FakeFiles files;
    FakeFile& file = files.Make(L"Events.log", HundredByteLines(400000));
    LogIndex index(files, {});
    index.SetLoadStartsOver(false);
    index.SetMemoryBudget(kBudget);
    index.SetPath(L"Events.log");
    EXPECT_EQ(index.Load().status, ReadResult::OverBudget);
    EXPECT_TRUE(index.NeedsLaterStart());
    EXPECT_FALSE(index.StartsLate());
    EXPECT_LE(index.MemoryBytes(), kBudget);
    index.Clear();
    EXPECT_TRUE(index.Load().ok());
    EXPECT_TRUE(index.StartsLate());
    ExpectNewestLines(index, file.bytes);

    const uint64_t start = index.TextStart();
    file.bytes += HundredByteLines(100000);
    ReadResult follow = index.ReadAppended();
    for (int more = 0; follow.ok() && more < 10; ++more) {
        file.bytes += HundredByteLines(100000);
        follow = index.ReadAppended();
    }
    EXPECT_EQ(follow.status, ReadResult::OverBudget);
    EXPECT_TRUE(index.NeedsLaterStart());
    EXPECT_LE(index.MemoryBytes(), kBudget);
    index.Clear();
    EXPECT_TRUE(index.Load().ok());
    EXPECT_GT(index.TextStart(), start) << "the oldest lines went";
    ExpectNewestLines(index, file.bytes);

    file.bytes = HundredByteLines(100);
    index.Clear();
    EXPECT_TRUE(index.Load().ok());
    EXPECT_FALSE(index.StartsLate()) << "a later start is taken once, not for the next log";
}

TEST(MemoryBudget, MemoryThatRunsOutPartWayLowersTheBudgetAndKeepsTheNewestLines) {
    FakeFiles files;
    FakeFile& file = files.Make(L"Events.log", HundredByteLines(800000));
    LogIndex index(files, {});
    index.SetMemoryBudget(64 << 20);
    g_failing = &index;
    diagnose::RecordStore::SetFaultHook(FailOnce);
    index.SetFile(L"Events.log");
    diagnose::RecordStore::SetFaultHook(nullptr);
    EXPECT_LT(index.MemoryBudget(), size_t(64) << 20);
    EXPECT_TRUE(index.StartsLate());
    EXPECT_EQ(index.ReadError(), 0u);
    ExpectNewestLines(index, file.bytes);
}

TEST(MemoryBudget, OneEndlessLineIsReadInPartWithinTheBudget) {
    FakeFiles files;
    files.Make(L"Events.log", "Host=\"PC1\" Text=\"" + std::string(40 << 20, 'x'));
    LogIndex index(files, {});
    index.SetMemoryBudget(kBudget);
    index.SetFile(L"Events.log");
    EXPECT_EQ(index.RecordCount(), 1u);
    EXPECT_EQ(index.ClippedLines(), 1u);
    EXPECT_EQ(index.GetHost(0), L"PC1");
    EXPECT_FALSE(index.StartsLate());
    EXPECT_LE(index.MemoryBytes(), kBudget);
}
