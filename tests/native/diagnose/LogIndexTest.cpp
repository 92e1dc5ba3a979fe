// The index of a file through a file layer that tests control: a writer that cuts the log in
// place while it is read, looks that cost a few kilobytes, shares that go away and come back.
#include "AllocationWatch.h"
#include "FakeFiles.h"
#include "RecordStoreTestSupport.h"

using namespace record_store_test;
using diagnose::LogIndex;
using State = LogIndex::FileState;

// `count` lines of about 100 bytes from line `from` on, in seven computers and three classes.
static std::string Lines(int from, int count) {
    std::string text;
    for (int i = from; i < from + count; ++i)
        text += "01.01.2026 08:" + std::to_string(10 + i % 50) + ":00   Host=\"PC" + std::to_string(i % 7) +
                "\" Traceclass=\"" + std::to_string(i % 3) + "\" Text=\"line " + std::to_string(i) +
                " of the log, padded to a hundred bytes\"\r\n";
    return text;
}

// The index answers as a fresh read of the file's bytes now would.
static void ExpectFresh(const LogIndex& index, const std::string& bytes) {
    Log fresh(bytes);
    ASSERT_EQ(index.RecordCount(), fresh.store.RecordCount());
    for (RecordId id = 0; id < index.RecordCount(); ++id)
        ASSERT_EQ(index.RowText(id, 0).append(index.GetHost(id)),
                  fresh.store.RowText(id, 0).append(fresh.store.GetHost(id)))
            << id;
}

TEST(LogIndex, ALogCutInPlaceWhileItIsReadIsReadAgainAndALookSeesTheCut) {
    for (bool follow : {false, true}) {
        FakeFiles files;
        FakeFile& file = files.Make(L"Events.log", Lines(0, 100));
        LogIndex index(files, {});
        if (follow)
            index.SetFile(L"Events.log");
        file.bytes += Lines(100, 40000);
        // The writer cuts once the reader has read its first batch.
        bool cut = false;
        file.beforeRead = [&](uint64_t offset) {
            if (offset >= (1u << 20) && !std::exchange(cut, true))
                CutInPlace(file.bytes, file.bytes.size() / 3);
        };
        follow ? void(index.ReadAppended()) : index.SetFile(L"Events.log");
        ASSERT_TRUE(cut);
        if (!follow)
            ExpectFresh(index, file.bytes);
        EXPECT_EQ(index.Look(), follow ? State::Replaced : State::Unchanged);
    }
}

TEST(LogIndex, ALookReadsAFewKilobytesAndAGrowingLastLineIsNotReadAgain) {
    FakeFiles files;
    FakeFile& file =
        files.Make(L"Events.log", Lines(0, 10) + "Host=\"Big\" Text=\"" + std::string(3 << 20, 'x') + "\n");
    LogIndex index(files, {});
    index.SetFile(L"Events.log");
    for (int look = 0; look < 3; ++look) {
        const uint64_t before = file.bytesRead;
        EXPECT_EQ(index.Look(), look == 0 ? State::Unchanged : State::Grown);
        EXPECT_LE(file.bytesRead - before, 16u << 10) << "look " << look;
        file.bytes += "half a line, " + std::string(look == 0 ? 2 << 20 : 10, 'y');
        const uint64_t reading = file.bytesRead;
        EXPECT_TRUE(index.ReadAppended().ok());
        EXPECT_LE(file.bytesRead - reading, look > 0 ? 64u << 10 : 3u << 20) << "a line without its end";
    }
    file.bytes += "\r\n";
    index.ReadAppended();
    ExpectFresh(index, file.bytes);
}

TEST(LogIndex, AShareThatGoesAwayKeepsTheIndexAndSaysSoUntilItComesBack) {
    FakeFiles files;
    FakeFile& file = files.Make(L"\\\\server\\logs\\Events.log", Lines(0, 20));
    LogIndex index(files, {});
    index.SetFile(L"\\\\server\\logs\\Events.log");
    for (uint32_t* failing : {&files.nameError, &file.sizeError}) { // not Replaced, not Unchanged for ever
        *failing = 64;                                              // the network name is no longer available
        EXPECT_EQ(index.Look(), State::Unreachable);
        EXPECT_EQ(index.LookError(), 64u);
        *failing = 0;
    }
    file.bytes += Lines(20, 1);
    EXPECT_EQ(index.Look(), State::Grown);
    index.ReadAppended();
    EXPECT_EQ(index.RecordCount(), 21u);

    LogIndex bad(files, {});
    files.nameError = 53; // a bad network path: no empty log without a word
    bad.SetFile(L"\\\\gone\\Events.log");
    EXPECT_EQ(bad.ReadError(), 53u);
}

TEST(LogIndex, TheUnknownTextIsTakenWhenTheFileIsSetEvenWhenItIsMissing) {
    struct Index : LogIndex {
        using LogIndex::LogIndex;
        std::wstring UnknownText() const override { return language; }
        std::wstring language = L"Unbekannt";
    };
    FakeFiles files;
    Index index(files, {});
    index.SetFile(L"Events.log");
    index.language = L"Unknown"; // a message box's loop runs the follow timer in another language
    files.Make(L"Events.log", "no computer\n");
    EXPECT_EQ(index.Look(), State::Replaced);
    index.Clear(), index.SetFile(L"Events.log");
    EXPECT_EQ(index.GetHost(0), L"Unbekannt");
    files.Make(L"B.log", "Host=\"B\"\n");
    index.SetFile(L"B.log");
    EXPECT_EQ(index.RecordCount(), 1u) << "another path starts from empty";
}

// Each allocation of a read, and of a follow read, fails in turn: the read never throws, and
// reading on gives the index that a fresh read gives.
TEST(LogIndex, EveryAllocationOfAReadFailingInTurnLeavesAnIndexThatReadsOnRight) {
    const std::string text =
        Lines(0, 30) + "01.01.2026 08:00:00   Host=\"PC9\" Text=\"a   b\"\n" + Lines(30, 2) + "tail";
    for (bool follow : {false, true})
        for (long n = 1, failed = 1; failed; ++n) {
            FakeFiles files;
            FakeFile& file =
                files.Make(L"Events.log", text.substr(0, follow ? text.size() / 2 : text.size()));
            LogIndex index(files, {});
            const std::wstring path = L"Events.log";
            if (follow)
                index.SetFile(path), file.bytes = text;
            allocation_watch::failIn = n;
            try {
                follow ? void(index.ReadAppended()) : index.SetFile(path);
            } catch (...) {
                ADD_FAILURE() << "the read threw at allocation " << n << (follow ? " following" : "");
            }
            failed = allocation_watch::failIn == 0;
            allocation_watch::Reset();
            index.SetFile(path);
            ExpectFresh(index, text);
        }
}
