// The records window's model: the filter and its kept form, the rows in time order as the log
// grows, going to a time, the next record of a class, and the times the operator types.
#include "viewer/records/ClassSteps.h"
#include "viewer/records/FilteredRecords.h"
#include "viewer/records/TimeInput.h"
#include "RecordStoreTestSupport.h"

#include <optional>

using diagnose::RecordId;
using viewer::FilteredRecords;
using viewer::RecordFilter;
using viewer::RecordTest;

namespace {

std::string Line(const char* date, const char* time, const char* host, const char* process, int traceClass,
                 const char* text = "") {
    return std::string(date) + " " + time + "   Host=\"" + host + "\" Process=\"" + process + "\" Traceclass=\"" +
           std::to_string(traceClass) + "\" Text=\"" + text + "\"\n";
}

// Two computers whose lines interleave out of time order, and one line without a date.
const std::string kLog = Line("05.12.2026", "09:40:00", "PC1", "Archiver", 0) +        // 0
                         Line("05.12.2026", "09:39:00", "PC2", "Service", 2, "disk") + // 1
                         "not a record line\n" +                                       // 2
                         Line("05.12.2026", "09:41:00", "PC1", "Service", 1) +         // 3
                         Line("05.12.2026", "09:40:00", "PC2", "Archiver", 2) +        // 4
                         Line("06.12.2026", "00:00:05", "PC1", "Service", 2, "disk");  // 5

std::vector<RecordId> Rows(FilteredRecords& rows) {
    std::vector<RecordId> ids;
    for (size_t row = 0; row < rows.Count(); ++row)
        ids.push_back(rows.At(row));
    return ids;
}

int64_t At(const wchar_t* typed) {
    return viewer::ResolveTime(*viewer::ReadTimeInput(typed), 0, 0);
}

} // namespace

TEST(Records, RowsInTimeOrderAcrossComputersUntimedLastFilteredAndFollowedInSteps) {
    record_store_test::Log log(kLog);
    FilteredRecords rows;
    rows.Start(RecordTest({}, std::nullopt, std::nullopt));
    EXPECT_FALSE(rows.Advance(log.store, 2)) << "in steps";
    EXPECT_TRUE(rows.Advance(log.store, 100));
    EXPECT_EQ(Rows(rows), (std::vector<RecordId>{1, 0, 4, 3, 5, 2})) << "equal times in file order";
    EXPECT_EQ(rows.Untimed(), 1u);
    EXPECT_EQ(rows.RowOf(log.store, 4), 2u);
    EXPECT_EQ(rows.RowOf(log.store, 2), 5u);

    // A line that comes later with an earlier time joins where its time puts it.
    const RecordId late = log.Append(Line("05.12.2026", "09:40:00", "PC3", "Service", 2));
    EXPECT_TRUE(rows.Advance(log.store, 100));
    EXPECT_EQ(Rows(rows), (std::vector<RecordId>{1, 0, 4, late, 3, 5, 2}));

    struct Case {
        const char* what;
        RecordFilter filter;
        std::vector<RecordId> rows;
    };
    RecordFilter errors;
    errors.types = viewer::kErrorBit;
    RecordFilter notPc2;
    notPc2.computers = {viewer::NameChoice::Mode::Hide, {L"pc2"}};
    RecordFilter onlyArchiver;
    onlyArchiver.processes = {viewer::NameChoice::Mode::Only, {L"Archiver"}};
    for (const Case& c : {Case{"errors", errors, {1, 4, late, 5}}, Case{"all but PC2", notPc2, {0, late, 3, 5, 2}},
                          Case{"only the archiver", onlyArchiver, {0, 4}}}) {
        rows.Start(RecordTest(c.filter, std::nullopt, std::nullopt));
        rows.Advance(log.store, 100);
        EXPECT_EQ(Rows(rows), c.rows) << c.what;
    }
    // A time range holds no record without a time; its end takes in the minute it names.
    rows.Start(RecordTest({}, At(L"05.12.2026 09:40"), At(L"05.12.2026 09:40") + 59));
    rows.Advance(log.store, 100);
    EXPECT_EQ(Rows(rows), (std::vector<RecordId>{0, 4, late}));

    // A text condition waits for the marks of the lines that hold it.
    RecordFilter withoutDisk;
    withoutDisk.text = L"disk";
    withoutDisk.textHeld = false;
    rows.Start(RecordTest(withoutDisk, std::nullopt, std::nullopt));
    std::vector<bool> marks = {false, true, false};
    EXPECT_FALSE(rows.Advance(log.store, 100, &marks));
    EXPECT_EQ(Rows(rows), (std::vector<RecordId>{0, 2}));
    marks = {false, true, false, false, false, true, false};
    EXPECT_TRUE(rows.Advance(log.store, 100, &marks));
    EXPECT_EQ(Rows(rows), (std::vector<RecordId>{0, 4, late, 3, 2}));

    // The provisional rows of records filed again go and come back.
    rows.ForgetFrom(log.store, 3);
    EXPECT_EQ(Rows(rows), (std::vector<RecordId>{0, 2}));
    rows.Advance(log.store, 100, &marks);
    EXPECT_EQ(Rows(rows), (std::vector<RecordId>{0, 4, late, 3, 2}));
}

// Rows kept as bits with a few late ones apart, and as numbers once the late ones are many, give
// the same rows as sorting the records by time.
TEST(Records, RowsOfALogWhoseComputersClocksDisagreeAreThoseOfASortByTime) {
    // None late, a few, half of them; and the second half a day before the first, as a log does
    // whose date was set back.
    for (const int lateEvery : {0, 997, 2, -1}) {
        std::string text;
        const int count = lateEvery < 0 ? 150000 : 40000;
        for (int i = 0; i < count; ++i) {
            const int seconds = lateEvery > 0 && i % lateEvery == 1 ? i - 60 : i % 40000;
            const std::string clock = std::to_string(10 + seconds / 3600) + ":" +
                                      std::to_string(100 + seconds / 60 % 60).substr(1) + ":" +
                                      std::to_string(100 + seconds % 60).substr(1);
            const char* date = lateEvery < 0 && i < count / 2 ? "06.12.2026" : "05.12.2026";
            text += i % 1000 == 5 ? "kein Eintrag\n" : Line(date, clock.c_str(), "PC1", "P", i % 3);
        }
        record_store_test::Log log(text);
        std::vector<RecordId> expected(log.store.RecordCount());
        for (RecordId id = 0; id < expected.size(); ++id)
            expected[id] = id;
        viewer::RecordClock clock;
        auto key = [&](RecordId id) {
            int64_t seconds = 0;
            return clock.SecondsOf(log.store, id, seconds) ? seconds : INT64_MAX;
        };
        std::stable_sort(expected.begin(), expected.end(), [&](RecordId a, RecordId b) { return key(a) < key(b); });
        FilteredRecords rows;
        rows.Start(RecordTest({}, std::nullopt, std::nullopt));
        while (!rows.Advance(log.store, 1000)) {
        }
        ASSERT_EQ(Rows(rows), expected) << lateEvery;
        std::vector<RecordId> visited;
        rows.Visit(100, 31000, [&](RecordId id) { return visited.push_back(id), true; });
        EXPECT_TRUE(std::equal(visited.begin(), visited.end(), expected.begin() + 100)) << lateEvery;
        visited.clear();
        rows.VisitBackward(100, 31000, [&](RecordId id) { return visited.push_back(id), true; });
        EXPECT_TRUE(std::equal(visited.rbegin(), visited.rend(), expected.begin() + 100)) << lateEvery;
        for (size_t row = 0; row < expected.size(); row += 7)
            ASSERT_EQ(rows.RowOf(log.store, expected[row]), row) << lateEvery;
        for (int64_t at : {0, 59, 60, 3000, 11999}) {
            const int64_t seconds = 20427 * 86400 + 36000 + at; // 05.12.2026 10:00:00 + at
            const auto first = std::find_if(expected.begin(), expected.end(), [&](RecordId id) { return key(id) >= seconds; });
            EXPECT_EQ(rows.RowAtOrAfter(log.store, seconds), static_cast<size_t>(first - expected.begin())) << at;
        }
        if (lateEvery == 0 || lateEvery == 997) {
            EXPECT_LT(rows.MemoryBytes(), expected.size() / 4) << "a bit a record and the late ones";
        }
        rows.ForgetFrom(log.store, 6000);
        while (!rows.Advance(log.store, 1000)) {
        }
        EXPECT_EQ(Rows(rows), expected) << "taken back and looked at again: " << lateEvery;
        // Records taken back while rows are merged in: the merge is given up and made again.
        rows.Start(RecordTest({}, std::nullopt, std::nullopt));
        bool merged = false;
        while (!rows.Advance(log.store, 1000) && !merged)
            if (rows.Merging() && rows.Looked() > 100000)
                rows.ForgetFrom(log.store, 90000), merged = true;
        while (!rows.Advance(log.store, 1000)) {
        }
        EXPECT_EQ(merged, lateEvery < 0);
        EXPECT_EQ(Rows(rows), expected) << "a merge given up: " << lateEvery;
    }
}

TEST(Records, GoToATimeAndTheNextRecordOfAClassInTheWindowAndInTheWholeLog) {
    record_store_test::Log log(kLog);
    FilteredRecords rows;
    rows.Start(RecordTest({}, std::nullopt, std::nullopt));
    rows.Advance(log.store, 100); // 1, 0, 4, 3, 5, 2
    EXPECT_EQ(rows.RowAtOrAfter(log.store, At(L"05.12.2026 09:40")), 1u);
    EXPECT_EQ(rows.RowAtOrAfter(log.store, At(L"05.12.2026 09:40:01")), 3u);
    EXPECT_EQ(rows.RowAtOrAfter(log.store, At(L"06.12.2026 00:00:06")), FilteredRecords::kNoRow);
    EXPECT_EQ(rows.NextOfClass(log.store, FilteredRecords::kNoRow, 2, true), 0u);
    EXPECT_EQ(rows.NextOfClass(log.store, 0, 2, true), 2u);
    EXPECT_EQ(rows.NextOfClass(log.store, 2, 2, true), 4u);
    EXPECT_EQ(rows.NextOfClass(log.store, 4, 2, true), FilteredRecords::kNoRow);
    EXPECT_EQ(rows.NextOfClass(log.store, 4, 1, false), 3u);
    EXPECT_EQ(rows.NextOfClass(log.store, FilteredRecords::kNoRow, 2, false), 4u);

    viewer::ClassSteps steps;
    auto next = [&](RecordId from, uint16_t traceClass, bool forward) {
        return steps.Next(log.store, from, traceClass, forward);
    };
    EXPECT_EQ(next(0, 2, true), std::optional<RecordId>(4)) << "time order, not file order";
    EXPECT_EQ(next(4, 2, true), std::optional<RecordId>(5));
    EXPECT_EQ(next(5, 2, true), std::nullopt);
    EXPECT_EQ(next(0, 2, false), std::optional<RecordId>(1));
    EXPECT_EQ(next(~0u, 2, true), std::optional<RecordId>(1)) << "from the start";
    EXPECT_EQ(next(~0u, 1, false), std::optional<RecordId>(3)) << "from the end";
    EXPECT_EQ(next(2, 2, false), std::optional<RecordId>(5)) << "an untimed record comes after all timed ones";
    // A computer's list out of time order is looked at record by record.
    const RecordId early = log.Append(Line("05.12.2026", "09:38:30", "PC2", "Service", 2));
    EXPECT_EQ(next(~0u, 2, true), std::optional<RecordId>(early));
    EXPECT_EQ(next(early, 2, true), std::optional<RecordId>(1));
    EXPECT_EQ(next(1, 2, false), std::optional<RecordId>(early));
}

TEST(Records, TimesAsTypedAndTheFilterAsKept) {
    using Kind = viewer::TimeInput::Kind;
    struct Case {
        const wchar_t* typed;
        std::optional<Kind> kind;
        int64_t seconds, span;
    };
    const int64_t day = 20427; // 05.12.2025
    for (const Case& c : {Case{L"09:42", Kind::Clock, 34920, 60}, Case{L" 9:42:18 ", Kind::Clock, 34938, 1},
                          Case{L"05.12.2025", Kind::Moment, day * 86400, 86400},
                          Case{L"5.12.2025 09:42", Kind::Moment, day * 86400 + 34920, 60},
                          Case{L"-15m", Kind::Relative, 900, 1}, Case{L"-2h", Kind::Relative, 7200, 1},
                          Case{L"-1d", Kind::Relative, 86400, 1}, Case{L"24:00", std::nullopt, 0, 0},
                          Case{L"09:60", std::nullopt, 0, 0}, Case{L"31.02.2026", std::nullopt, 0, 0},
                          Case{L"09:4", std::nullopt, 0, 0}, Case{L"-15", std::nullopt, 0, 0},
                          Case{L"gestern", std::nullopt, 0, 0}, Case{L"", std::nullopt, 0, 0}}) {
        const auto read = viewer::ReadTimeInput(c.typed);
        ASSERT_EQ(read.has_value(), c.kind.has_value()) << c.typed;
        if (!read)
            continue;
        EXPECT_EQ(read->kind, *c.kind) << c.typed;
        EXPECT_EQ(read->seconds, c.seconds) << c.typed;
        EXPECT_EQ(read->span, c.span) << c.typed;
    }
    EXPECT_EQ(viewer::ResolveTime(*viewer::ReadTimeInput(L"09:42"), day, 0), day * 86400 + 34920);
    EXPECT_EQ(viewer::ResolveTime(*viewer::ReadTimeInput(L"-15m"), day, 1000000), 1000000 - 900);

    RecordFilter filter;
    filter.types = viewer::kErrorBit | viewer::kWarningBit;
    filter.computers = {viewer::NameChoice::Mode::Only, viewer::SplitNames(L" PC1 ; pc1;PC 2;")};
    EXPECT_EQ(filter.computers.names, (std::vector<std::wstring>{L"PC1", L"PC 2"}));
    EXPECT_EQ(viewer::JoinNames(filter.computers.names), L"PC1; PC 2");
    filter.text = L"a=b";
    filter.textHeld = false;
    filter.from = L"-15m";
    EXPECT_EQ(viewer::DecodeFilter(viewer::EncodeFilter(filter)), filter);
    EXPECT_TRUE(viewer::DecodeFilter(viewer::EncodeFilter({}))->ShowsAll());
    for (const wchar_t* bad : {L"", L"types=16\n", L"types=x\n", L"types=3\ncomputers=PC1\n", L"garbage"})
        EXPECT_FALSE(viewer::DecodeFilter(bad)) << bad;
}
