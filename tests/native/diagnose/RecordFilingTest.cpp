// Filing: lines of a log become records filed by computer and trace class, with their row
// texts; read on as the log grows; a batch is filed whole or not at all.
#include "RecordStoreTestSupport.h"
#include "Logs.h"

#include <algorithm>
#include <stdexcept>

using namespace record_store_test;

TEST(RecordFiling, LinesFileByComputerAndTraceClassWithTheirRowTexts) {
    Log log(fixtures::kThreeLinePc1);
    ASSERT_TRUE(log.result.ok());
    const auto& byClass = log.store.GetByTraceClass();
    ASSERT_EQ(byClass.size(), 2u);
    EXPECT_EQ(*byClass.at(0).at(L"PC1"), (RecordList{0, 2}));
    EXPECT_EQ(List(log.store.GetByHost(), L"PC1", 2), (RecordList{1}));
    EXPECT_EQ(byClass.at(2).at(L"PC1"), log.store.GetByHost().at(L"PC1").at(2)) << "one list, two ways to it";
    EXPECT_EQ(log.store.RowText(1, 0) + L"|" + log.store.RowText(1, 1), L"01.01.2026 08:00:01|B");
    EXPECT_EQ(log.Line(1), L"01.01.2026 08:00:01   Host=\"PC1\" Process=\"B\" Traceclass=\"2\"");

    // Computers by case, trace classes by number, absent ones under the unknown text.
    Log other("Host=\"PC1\"\nHost=\"pc1\"\n\nHost=\"Unbekannt\" Traceclass=\"1\"\nhost=\"PC1\"\n"
              "Traceclass=\"5\"\nTraceclass=\"abc\"\nTraceclass=\"65537\"\nTraceclass=\"-1\"");
    const auto& byHost = other.store.GetByHost();
    EXPECT_EQ(byHost.size(), 3u);
    EXPECT_EQ(List(byHost, L"pc1", 0xFFFF), (RecordList{1}));
    // The empty line and the lower-case name file under the unknown text, beside a computer
    // that is literally called so.
    EXPECT_EQ(List(byHost, kUnknown, 0xFFFF), (RecordList{2, 4, 8}));
    EXPECT_EQ(List(byHost, kUnknown, 1), (RecordList{3, 7}));
    EXPECT_EQ(List(byHost, kUnknown, 5), (RecordList{5}));
    EXPECT_EQ(List(byHost, kUnknown, 0), (RecordList{6}));
    EXPECT_EQ(other.store.GetProcess(2), kUnknown);
    // The first record of each list within a range, in file order; at most so many lists, and
    // where the records of those end.
    std::vector<diagnose::RecordId> firsts;
    EXPECT_EQ(other.store.FirstOfEachList(1, 9, 10, firsts), 9u);
    EXPECT_EQ(firsts, (std::vector<diagnose::RecordId>{1, 2, 3, 5, 6}));
    firsts.clear();
    EXPECT_EQ(other.store.FirstOfEachList(4, 100, 10, firsts), 9u);
    EXPECT_EQ(firsts, (std::vector<diagnose::RecordId>{4, 5, 6, 7}));
    firsts.clear();
    EXPECT_EQ(other.store.FirstOfEachList(1, 9, 3, firsts), 5u) << "record 4's list is record 2's";
    EXPECT_EQ(firsts, (std::vector<diagnose::RecordId>{1, 2, 3}));
    for (diagnose::RecordId first = 0; first <= 9; ++first) { // to the end, as a viewer takes in
        std::vector<diagnose::RecordId> expected;
        std::vector<const RecordList*> lists;
        for (diagnose::RecordId id = first; id < 9; ++id)
            if (std::find(lists.begin(), lists.end(), other.store.ListOf(id)) == lists.end()) {
                lists.push_back(other.store.ListOf(id));
                expected.push_back(id);
            }
        firsts.clear();
        EXPECT_EQ(other.store.FirstOfEachList(first, 9, 10, firsts), 9u);
        EXPECT_EQ(firsts, expected) << "from " << first;
    }
    EXPECT_EQ(other.store.RowText(2, 0), L" ") << "a record without header shows a single blank";

    // Lines end at LF; one CR before it goes, and a CR at the very end (a cut-off CR LF).
    Log ends("a=\"1\"\r\r\nb=\"2\"\rc=\"3\"\n\nlast=\"4\"\r");
    ASSERT_EQ(ends.store.RecordCount(), 4u);
    EXPECT_EQ(ends.Line(0) + L"|" + ends.Line(1) + L"|" + ends.Line(2) + L"|" + ends.Line(3),
              L"a=\"1\"\r|b=\"2\"\rc=\"3\"||last=\"4\"");
    EXPECT_EQ(Log("").store.RecordCount() + Log("\n").store.RecordCount(), 1u);
}

TEST(RecordFiling, GrowingLogIsReadOnAndALastLineWithoutLineEndIsFiledAgain) {
    Log log("01.01.2026 08:00:00   Host=\"PC1\" Traceclass=\"0\"\n01.01.2026 08:00:01   Host=");
    ASSERT_EQ(log.store.RecordCount(), 2u) << "the last line needs no line end";
    EXPECT_EQ(List(log.store.GetByHost(), kUnknown, 0xFFFF), (RecordList{1}));
    EXPECT_TRUE(log.ReadOn().ok());
    EXPECT_EQ(log.store.RecordCount(), 2u) << "nothing arrived, nothing changes";

    log.Append("\"PC1\" Traceclass=\"2\"\nhalf a");
    ASSERT_EQ(log.store.RecordCount(), 3u);
    EXPECT_EQ(List(log.store.GetByHost(), L"PC1", 2), (RecordList{1}))
        << "the provisional record is filed anew";
    EXPECT_EQ(List(log.store.GetByHost(), kUnknown, 0xFFFF), (RecordList{2}))
        << "and the new last line with it";
    EXPECT_EQ(log.Line(2), L"half a");

    EXPECT_EQ(log.Append(" line\n01.01.2026 08:00:02   Host=\"PC2\"\n"), 2u)
        << "the provisional record again";
    ASSERT_EQ(log.store.RecordCount(), 4u);
    EXPECT_EQ(log.Line(2), L"half a line");
    EXPECT_EQ(List(log.store.GetByHost(), kUnknown, 0xFFFF), (RecordList{2}));
    EXPECT_EQ(List(log.store.GetByHost(), L"PC2", 0xFFFF), (RecordList{3}));
    EXPECT_EQ(log.store.End(), log.source.bytes.size());
    log.Append("01.01.2026 08:00:03   Host=\"PC3\"");
    EXPECT_EQ(log.store.RecordCount(), 4u) << "following files complete lines only";
}

TEST(RecordFiling, FollowingKeepsEncodingTailAndMemoryLinesRight) {
    // Empty at open, then unmarked UTF-16LE lines as the suite's writer writes them: the
    // encoding is taken from the first lines, not from the empty file.
    Log empty("");
    const std::string line = Utf16Bytes(u"01.01.2026 08:00:00   Host=\"PC1\"\r\n", false);
    empty.Append(line), empty.Append(line);
    ASSERT_EQ(empty.store.RecordCount(), 2u);
    EXPECT_EQ(empty.store.GetHost(1), L"PC1");

    // An odd size: the half unit at the end is no text, and nothing is filed again for it.
    Log odd(Utf16Bytes(u"Host=\"A\"\r\nHost=\"B\"", true) + "x");
    EXPECT_EQ(odd.store.End(), odd.source.bytes.size());
    EXPECT_FALSE(odd.ReadOn().replacedTail);

    // A line added from memory after a provisional last line outlives that line's filing again.
    Log tail("Host=\"A\"\nHost=\"B");
    tail.store.AddLine(u"Host=\"M\"", kUnknown);
    tail.Append("\"\n");
    ASSERT_EQ(tail.store.RecordCount(), 3u);
    EXPECT_EQ(std::wstring(tail.store.GetHost(1)).append(tail.store.GetHost(2)), L"BM");
}

// Fails the load at the named point, as an allocation that runs out there would.
static const char* g_failAt = nullptr;
static void FailAt(const char* where) {
    if (g_failAt && std::string(where) == g_failAt)
        throw std::bad_alloc();
}

TEST(RecordFiling, MemoryRunningOutPartWayLeavesTheIndexAsItWas) {
    RecordStore::SetFaultHook(&FailAt);
    for (const char* point : {"scanned", "filed"}) {
        Log log(fixtures::kThreeLinePc1);
        log.source.bytes += "01.01.2026 09:00:00   Host=\"PC2\" Traceclass=\"1\"\n"
                            "01.01.2026 09:00:01   Host=\"PC1\" Traceclass=\"0\"\n"
                            "01.01.2026 09:00:02   Host=\"PC1\" Traceclass=\"1\"\n"; // between PC1's two
        g_failAt = point;
        EXPECT_EQ(log.ReadOn().status, diagnose::ReadResult::OutOfMemory) << point;
        g_failAt = nullptr;
        EXPECT_EQ(log.store.RecordCount(), 3u) << point;
        EXPECT_EQ(log.store.GetByHost().size(), 1u) << point << ": no empty group is left";
        EXPECT_EQ(List(log.store.GetByHost(), L"PC1", 0), (RecordList{0, 2})) << point;
        EXPECT_EQ(log.store.GetByHost().at(L"PC1").size(), 2u) << point;
        EXPECT_EQ(log.store.End(), std::string(fixtures::kThreeLinePc1).size()) << point;
        EXPECT_TRUE(log.ReadOn().ok()) << point << ": a later read files what failed";
        EXPECT_EQ(List(log.store.GetByHost(), L"PC1", 0), (RecordList{0, 2, 4})) << point;
        EXPECT_EQ(List(log.store.GetByHost(), L"PC2", 1), (RecordList{3})) << point;
    }
    RecordStore::SetFaultHook(nullptr);
}

// A value with a run of three blanks pulls the pairs before it into the time text (the grammar):
// the index keeps what sorting needs of it within a bound, and the text is read back to be shown.
TEST(RecordFiling, TimeTextsThatSwallowTheLineCostTheIndexTheSameWhateverTheirLength) {
    size_t bytes[2] = {};
    for (size_t length : {30u, 1000u}) {
        std::string text;
        for (int i = 0; i < 2000; ++i)
            text += "01.01.2026 08:00:0" + std::to_string(i % 10) + "   Host=\"PC1\" Text=\"" +
                    std::string(length, 'x') + "   y\"\n";
        Log log(text);
        bytes[length > 30] = log.store.MemoryBytes();
        EXPECT_EQ(log.store.RowText(3, 0),
                  L"01.01.2026 08:00:03   Host=\"PC1\" Text=\"" + std::wstring(length, L'x'));
    }
    EXPECT_EQ(bytes[0], bytes[1]);
}
