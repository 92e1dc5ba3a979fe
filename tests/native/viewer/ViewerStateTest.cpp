// The viewer's state without windows: its rows as groups grow and sort, the order "find next"
// searches in, which records a search covers as lines arrive, and when deferred work runs.
#include "AllocationWatch.h"
#include "viewer/DeferredWork.h"
#include "viewer/find/MatchMarks.h"
#include "viewer/RecordRows.h"
#include "viewer/find/SearchOrder.h"
#include "RecordStoreTestSupport.h"

using diagnose::RecordId;
using diagnose::RecordList;
using namespace viewer;

constexpr RecordId kNone = NeighbourQuery::kNoRecord;

// Lines of one computer and class, "dd.01.2026 08:00:00" with the given days.
static std::string DayLines(std::initializer_list<int> days) {
    std::string text;
    for (int day : days)
        text += (day < 10 ? "0" : "") + std::to_string(day) +
                ".01.2026 08:00:00   Host=\"PC1\" Traceclass=\"0\" Text=\"x\"\n";
    return text;
}

// A group of those lines, each batch filed at once.
struct Group : record_store_test::Log {
    explicit Group(std::initializer_list<int> days) : Log(DayLines(days)) {}
    void Add(std::initializer_list<int> days) { Append(DayLines(days)); }
    const RecordList& List() const { return *store.GetByHost().at(L"PC1").at(0); }
};

static std::vector<int> Days(const Group& group, const RecordRows& rows) {
    std::vector<int> days;
    for (RecordId id : rows.Ids())
        days.push_back(std::stoi(std::wstring(group.store.GetDate(id).substr(0, 2))));
    return days;
}

TEST(RecordRows, NewRecordsJoinSortedRowsInOneStableMergeAndThePlacesFollowTheirRecords) {
    Group group{5, 1, 5, 3};
    RecordRows rows;
    rows.Show(&group.List());
    EXPECT_EQ(Days(group, rows), (std::vector<int>{5, 1, 5, 3})) << "file order";
    ListPlaces places = rows.SortBy(group.store, 0, {1, 1, 0}); // ascending; day 1 selected
    EXPECT_EQ(Days(group, rows), (std::vector<int>{1, 3, 5, 5}));
    EXPECT_EQ(std::make_tuple(places.selected, places.focused, places.top), std::make_tuple(0L, 0L, 2L));
    EXPECT_EQ(rows.Ids()[2], 0u) << "equal texts keep file order";

    group.Add({4, 9, 5, 2});
    bool changed = false;
    places = rows.TakeNew(group.store, 4, false, {3, 0, 0}, changed);
    EXPECT_EQ(Days(group, rows), (std::vector<int>{1, 2, 3, 4, 5, 5, 5, 9}));
    EXPECT_EQ(rows.Ids()[6], 6u) << "after the rows of equal text";
    EXPECT_EQ(std::make_tuple(places.selected, places.focused, places.top, changed),
              std::make_tuple(5L, 0L, 0L, true));

    // Descending reverses the comparison: equal texts still in file order. The records from 6
    // on are taken back (a provisional last line filed again) before the new ones join.
    rows.SortBy(group.store, 0, {});
    EXPECT_EQ(Days(group, rows), (std::vector<int>{9, 5, 5, 5, 4, 3, 2, 1}));
    EXPECT_EQ(std::vector<RecordId>(rows.Ids().begin() + 1, rows.Ids().begin() + 4),
              (std::vector<RecordId>{0, 2, 6}));
    rows.TakeNew(group.store, 6, true, {}, changed);
    EXPECT_EQ(Days(group, rows), (std::vector<int>{9, 5, 5, 5, 4, 3, 2, 1})) << "the same records again";
    EXPECT_EQ(std::make_pair(rows.At(-1), rows.At(8)), std::make_pair(kNone, kNone));
}

TEST(SearchOrder, FromTheSelectionThroughTheFollowingEntriesAroundToTheSelectionLast) {
    // Three entries; the first is shown with its rows sorted the other way round. Matches: 1, 4, 7, 8.
    const RecordList a{0, 1, 2}, b{3, 4, 5}, c{6, 7, 8};
    const std::vector<const RecordList*> entries{&a, nullptr, &b, &c};
    const auto blocks = [](std::initializer_list<RecordId> ids) {
        diagnose::RecordRowBlocks rows;
        for (RecordId id : ids)
            rows.push_back(id);
        return rows;
    };
    const diagnose::RecordRowBlocks shown = blocks({2, 1, 0}), own = blocks({6, 7, 8});
    const auto matches = [](RecordId id) { return id == 1 || id == 4 || id == 7 || id == 8; };
    // The shown entry, the selected heading, the selected row, the direction; the entry and record found.
    using Case = std::tuple<long, long, long, bool, long, RecordId>;
    const Case cases[] = {
        {0, -1, -1, true, 0, 1}, // no row selected: the shown rows from the top
        {0, -1, 1, true, 2, 4},  // after the selected row, then the next entry, in file order
        {0, -1, 1, false, 3,
         8}, // up: above the selection (none), then around from the last entry, from its end
        {0, -1, 0, false, 3, 8},  // up from the top row: around to the last entry
        {0, -1, 2, true, 2, 4},   // down from the last row: the next entries
        {3, -1, -1, true, 3, 7},  // another shown entry (rows as given)
        {-1, 2, -1, true, 2, 4},  // a heading: from its first entry
        {-1, 2, -1, false, 0, 1}, // a heading, up: from the entry before it
        {-1, -1, -1, true, 0, 1}, // nothing selected: from the first entry
        {-1, -1, -1, false, 3, 8},
    };
    for (const auto& [shownEntry, headingEntry, selectedRow, down, entry, record] : cases) {
        const SearchStart start{shownEntry, headingEntry, shownEntry == 3 ? &own : &shown, selectedRow};
        const SearchHit hit = FindNextMatch(entries, start, down, matches);
        EXPECT_EQ(std::make_pair(hit.entry, hit.record), std::make_pair(entry, record))
            << shownEntry << " " << headingEntry << " " << selectedRow << " " << down;
    }
    // The selected row is the last one looked at: the only match found again from itself.
    const auto onlyOne = [](RecordId id) { return id == 1; };
    for (bool down : {true, false}) {
        const SearchHit hit = FindNextMatch(entries, {0, -1, &shown, 1}, down, onlyOne);
        EXPECT_EQ(std::make_pair(hit.entry, hit.record), std::make_pair(0L, RecordId(1))) << down;
    }
    EXPECT_FALSE(FindNextMatch(entries, {0, -1, &shown, 1}, true, [](RecordId) { return false; }).Found());
    EXPECT_FALSE(FindNextMatch({}, {}, true, matches).Found());
}

TEST(MatchMarks, CoverTheLinesThatArriveAndForgetWhatTheStoreTookBack) {
    Group group{1, 2};
    const CharacterTables tables = CharacterTables::Ascii();
    const TextMatcher matcher(L"02.01", false, false, tables);
    MatchMarks marks;
    ASSERT_EQ(marks.Update(group.store, group.source, matcher), diagnose::Recheck::Same);
    EXPECT_EQ(std::make_tuple(marks.Size(), marks.Marked(0), marks.Marked(1)),
              std::make_tuple(2u, false, true));
    group.Add({3, 2});
    ASSERT_EQ(marks.Update(group.store, group.source, matcher), diagnose::Recheck::Same);
    EXPECT_EQ(std::make_tuple(marks.Size(), marks.Marked(2), marks.Marked(3)),
              std::make_tuple(4u, false, true))
        << "the lines that arrived are searched too";
    marks.ForgetFrom(3);
    EXPECT_EQ(std::make_pair(marks.Size(), marks.Marked(3)), std::make_pair(size_t(3), false));
    ASSERT_EQ(marks.Update(group.store, group.source, matcher, 0), diagnose::Recheck::Same);
    EXPECT_EQ(marks.Size(), 3u) << "a step of none looks at none";
    ASSERT_EQ(marks.Update(group.store, group.source, matcher, 5), diagnose::Recheck::Same);
    EXPECT_EQ(std::make_pair(marks.Size(), marks.Marked(3)), std::make_pair(size_t(4), true))
        << "a step of more than there is looks at the rest";
    group.source.bytes[0] = '9'; // the log changed under the index
    marks.Clear();
    EXPECT_EQ(marks.Update(group.store, group.source, matcher), diagnose::Recheck::Changed);
    EXPECT_EQ(marks.Size(), 0u) << "nothing kept of a log that changed";

    struct Unreadable : diagnose::ByteSource {
        bool Read(uint64_t, void*, size_t, size_t& got, uint32_t& error) override {
            got = 0, error = 33;
            return false;
        }
    } unreadable;
    const diagnose::Recheck check = marks.Update(group.store, unreadable, matcher);
    EXPECT_EQ(std::make_pair(check, marks.Error()), std::make_pair(diagnose::Recheck::Failed, 33u))
        << "a log that cannot be read is no text not found: the viewer says why";
}

TEST(DeferredWork, OneWakeUpAtATimeNothingWhileBusyTheMostSweepingWorkFirst) {
    DeferredWork work;
    EXPECT_TRUE(work.Request(Work::Refresh)) << "post the wake-up";
    EXPECT_FALSE(work.Request(Work::Reload)) << "one is on its way";
    EXPECT_EQ(work.Next(true, true), Work::Reload) << "a reload takes in the refresh";
    EXPECT_EQ(work.Next(false, true), Work{});
    work.Request(Work::Refresh);
    work.Request(Work::TakeRead);
    EXPECT_EQ(work.Next(true, true), Work::TakeRead) << "what was read joins first";
    EXPECT_EQ(work.Next(false, true), Work::Refresh) << "and the look still runs";

    work.Enter();
    EXPECT_FALSE(work.Request(Work::Refresh)) << "no wake-up while a loop of ours runs";
    work.Enter();
    EXPECT_FALSE(work.Leave());
    EXPECT_EQ(work.Next(true, true), Work{}) << "the work waits";
    EXPECT_TRUE(work.Leave()) << "the last loop ended: post now";
    EXPECT_EQ(work.Next(true, false), Work{}) << "a menu of the platform's holds the thread";
    EXPECT_TRUE(work.Pending(Work::Refresh));
    EXPECT_TRUE(work.Remind()) << "the next look posts again";
    EXPECT_FALSE(work.Remind());
    work.Request(Work::Close);
    EXPECT_EQ(work.Next(true, true), Work::Close);
    EXPECT_FALSE(work.AnyPending()) << "closing makes the rest unnecessary";
}

// The rows of a group of many records are held in blocks, as the index keeps its lists: showing,
// sorting and taking new rows in need no piece of memory as large as all rows, nor twice that.
TEST(RecordRows, AGroupOfManyRowsIsHeldInBlocks) {
    Group group{};
    for (int i = 0; i < 150000; ++i)
        group.source.bytes += std::to_string(10 + i % 17) + ".01.2026 08:00:" + std::to_string(10 + i % 43) +
                              "   Host=\"PC1\" Traceclass=\"0\"\n";
    group.Add({});
    RecordRows rows;
    allocation_watch::Reset();
    rows.Show(&group.List());
    rows.SortBy(group.store, 0, {});
    group.Add({1, 2, 3});
    bool changed = false;
    rows.TakeNew(group.store, 150000, false, {}, changed);
    EXPECT_EQ(rows.Count(), 150003u);
    EXPECT_LE(allocation_watch::largest, (256u << 10) + 64);
}
