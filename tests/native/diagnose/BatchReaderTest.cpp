// The batch reader: logs read in batches, in one go or in pieces, with failing reads and lines
// longer than the limit.
#include "AllocationWatch.h"
#include "RecordStoreTestSupport.h"

#include <atomic>

using namespace record_store_test;

TEST(BatchReader, ALineLongerThanTheLimitIsARecordOfItsOwnAndTheReadGoesOn) {
    const std::string longLine = "01.01.2026 08:00:00   Host=\"Long\" Text=\"" + std::string(3 << 20, 'x');
    for (const std::string& end : {std::string("\"\nHost=\"B\"\n"), std::string()}) {
        Log log("Host=\"A\"\n" + longLine + end, {}, 1 << 20);
        EXPECT_TRUE(log.result.ok());
        ASSERT_EQ(log.store.RecordCount(), end.empty() ? 2u : 3u);
        EXPECT_EQ(log.store.GetHost(1), L"Long") << "its fields from what fits";
        EXPECT_EQ(log.store.ClippedLines(), 1u) << "and the operator is told";
        EXPECT_EQ(log.store.GetHost(log.store.RecordCount() - 1), end.empty() ? L"Long" : L"B");
        EXPECT_EQ(log.store.End(), log.source.bytes.size());
        EXPECT_EQ(log.Line(1).size(), 1u << 20) << "read back as far as the limit";
    }
}

// A source whose reads fail from a given offset on.
struct FailingSource : MemorySource {
    using MemorySource::MemorySource;
    uint64_t failFrom = ~uint64_t(0);
    bool Read(uint64_t offset, void* buffer, size_t size, size_t& got, uint32_t& error) override {
        if (offset + size > failFrom) {
            error = 23; // a CRC error
            return false;
        }
        return MemorySource::Read(offset, buffer, size, got, error);
    }
};

TEST(BatchReader, AReadThatFailsPartWayKeepsWholeLinesOnly) {
    // Lines long enough that the read runs in several batches.
    std::string bytes;
    const std::string line =
        "01.01.2026 08:00:00   Host=\"PC1\" Text=\"" + std::string(1 << 20, 'x') + "\"\n";
    for (int i = 0; i < 40; ++i)
        bytes += line;
    FailingSource source(bytes);
    source.failFrom = 20 * line.size() + 100;
    RecordStore store;
    store.BeginDetected(bytes.data(), bytes.size(), {});
    const diagnose::ReadResult result = store.Read(source, bytes.size(), true, kUnknown);
    EXPECT_EQ(result.status, diagnose::ReadResult::ReadFailed);
    EXPECT_EQ(result.error, 23u);
    EXPECT_GT(store.RecordCount(), 0u);
    EXPECT_LE(store.RecordCount(), 20u);
    EXPECT_EQ(store.End(), store.RecordCount() * line.size()) << "no cut-off line became a record";
}

TEST(BatchReader, BigLogsReadInOneGoOrInPiecesGiveTheSameIndex) {
    // Big enough to be scanned in parallel parts; names repeat across the parts.
    std::string text;
    for (int i = 0; text.size() < (9u << 20); ++i) {
        text += (i % 97 == 0) ? "no header Host=\"H" + std::to_string(i % 13) + "\""
                              : "01.01.2026 08:00:" + std::to_string(10 + i % 50) + "   Host=\"H" +
                                    std::to_string(i % 13) + "\" Process=\"P" + std::to_string(i % 5) +
                                    "\" Traceclass=\"" + std::to_string(i % 4) + "\" Text=\"padding\"";
        text += i % 2 ? "\r\n" : "\n";
    }
    Log whole(text);
    MemorySource growing;
    RecordStore pieces;
    pieces.BeginDetected(text.data(), text.size(), {});
    for (size_t at = 0; at < text.size();) {
        at = std::min(text.size(), at + 1234567);
        growing.bytes = text.substr(0, at);
        ASSERT_TRUE(pieces.Read(growing, at, false, kUnknown).ok());
    }
    ASSERT_EQ(whole.store.RecordCount(), pieces.RecordCount());
    for (RecordId id = 0; id < pieces.RecordCount(); id += 7) {
        ASSERT_EQ(whole.store.RowText(id, 0), pieces.RowText(id, 0)) << id;
        ASSERT_EQ(whole.store.GetHost(id), pieces.GetHost(id)) << id;
        ASSERT_EQ(whole.store.GetTraceClass(id), pieces.GetTraceClass(id)) << id;
    }
    for (const auto& [host, classes] : whole.store.GetByHost())
        for (const auto& [cls, records] : classes)
            ASSERT_EQ(*records, *pieces.GetByHost().at(host).at(cls)) << cls;
    // Every line again, in file order, read in spans of many blocks.
    RecordId visited = 0;
    EXPECT_EQ(pieces.ForEachLine(growing, 0, pieces.RecordCount(),
                                 [&](RecordId id, const std::wstring& text) {
                                     if (id != visited++ || text != whole.Line(id))
                                         ADD_FAILURE() << id;
                                     return id < 20000;
                                 }),
              Recheck::Same);
    EXPECT_EQ(visited, 20001u) << "the visit stops when asked";
    growing.bytes[whole.source.bytes.size() / 2] ^= 1;
    EXPECT_EQ(pieces.ForEachLine(growing, 0, pieces.RecordCount(),
                                 [](RecordId, const std::wstring&) { return true; }),
              Recheck::Changed);
}

TEST(BatchReader, ALongLineGrowsTheBatchToTheLimitAtMostAndItsBufferIsGivenBackAfterIt) {
    std::string text = "Host=\"Long\" Text=\"" + std::string(5 << 19, 'x') + "\"\n";
    while (text.size() < (9u << 20))
        text += "01.01.2026 08:00:00   Host=\"PC1\" Text=\"short\"\n";
    MemorySource source(text);
    RecordStore store(3 << 20);
    store.BeginDetected(text.data(), text.size(), {});
    allocation_watch::Reset();
    EXPECT_TRUE(store.Read(source, text.size(), true, kUnknown).ok());
    EXPECT_EQ(store.GetHost(0), L"Long");
    EXPECT_LE(allocation_watch::largest, (3u << 20) + 1) << "not a doubling past the limit";
    // The batches of a megabyte (filed, scanned, read ahead) take 3 MiB; the grown one would
    // take as much again.
    EXPECT_LE(store.LastReadStages().heldBytes, 3u << 20)
        << "the grown buffer is not kept for the batches after";
}

// A source that says how far it has been read: the crew reads ahead while the filing thread
// asks.
struct WatchedSource : MemorySource {
    using MemorySource::MemorySource;
    std::atomic<uint64_t> furthest{0};
    bool Read(uint64_t offset, void* buffer, size_t size, size_t& got, uint32_t& error) override {
        furthest = std::max(furthest.load(), offset + size); // one read at a time
        return MemorySource::Read(offset, buffer, size, got, error);
    }
};

// The index's reader is always busy: the read goes on reading and scanning while a few batches
// wait, then files them, all of them and in order, as a read without a gate does.
TEST(BatchReader, WhileTheReaderIsBusyAFewBatchesWaitAndAllAreFiledInOrder) {
    struct BusyGate : diagnose::WriteGate {
        WatchedSource* source = nullptr;
        RecordStore* store = nullptr;
        uint64_t readAtEntry = 0, readAtFirstFiling = 0;
        void Enter() override { readAtEntry = source->furthest; }
        void Leave() override {
            if (!readAtFirstFiling && store->RecordCount() > 0)
                readAtFirstFiling = readAtEntry;
        }
        bool Busy() override { return true; }
    };
    std::string text; // 9 MiB: batches of 1 MiB
    for (int i = 0; text.size() < (9u << 20); ++i)
        text += "01.01.2026 08:00:00   Host=\"H" + std::to_string(i % 7) + "\" Traceclass=\"" +
                std::to_string(i % 3) + "\" Text=\"line " + std::to_string(i) + "\"\n";
    const Log plain(text);
    WatchedSource source(text);
    BusyGate gate;
    RecordStore store;
    gate.source = &source;
    gate.store = &store;
    store.SetWriteGate(&gate);
    store.BeginDetected(text.data(), text.size(), {});
    ASSERT_TRUE(store.Read(source, text.size(), true, kUnknown).ok());
    EXPECT_GE(gate.readAtFirstFiling, 4u << 20) << "batches read and scanned before the first waited";
    EXPECT_LE(gate.readAtFirstFiling, 6u << 20) << "a few at most";
    ASSERT_EQ(store.RecordCount(), plain.store.RecordCount());
    EXPECT_EQ(store.End(), text.size());
    for (const auto& [host, classes] : plain.store.GetByHost())
        for (const auto& [cls, records] : classes)
            ASSERT_EQ(*records, *store.GetByHost().at(host).at(cls)) << cls;
}
