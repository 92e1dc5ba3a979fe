// The timeline's counts: dates and times read in the log's form, the slot length for spans from
// seconds to years, counts per type and slot, records without a time, and following a log.
#include "viewer/timeline/LogTime.h"
#include "viewer/timeline/TimelineAxis.h"
#include "viewer/timeline/TimelineBins.h"
#include "viewer/timeline/TimelineCounts.h"

#include "diagnose/TimeKey.h"
#include "RecordStoreTestSupport.h"

using diagnose::RecordId;
using record_store_test::Log;
using viewer::TimelineBins;

static std::string Line(const std::string& header, int traceClass, const std::string& host = "PC1") {
    return header + "   Host=\"" + host + "\" Traceclass=\"" + std::to_string(traceClass) + "\"\r\n";
}

// Each slot as {error, warning, information, unknown, first record}; -1 for no first record.
static std::vector<std::vector<int64_t>> Slots(const TimelineBins& bins) {
    std::vector<std::vector<int64_t>> slots;
    for (const viewer::TimeSlot& slot : bins.Slots())
        slots.push_back({slot.counts[0], slot.counts[1], slot.counts[2], slot.counts[3],
                         slot.first == viewer::kNoRecord ? -1 : int64_t(slot.first)});
    return slots;
}

TEST(LogTime, DatesAndTimesReadOnlyInTheLogsFormAndAreWrittenInIt) {
    // The date's days since 01.01.1970; -99: it does not read (and the days stay 0).
    const std::pair<const wchar_t*, int64_t> dates[] = {{L"01.01.1970", 0},     {L"31.12.1969", -1},
                                                        {L"01.03.2000", 11017}, {L"29.02.2000", 11016},
                                                        {L"29.02.2024", 19782}, {L"29.02.2023", -99},
                                                        {L"29.02.1900", -99},   {L"31.04.2026", -99},
                                                        {L"00.01.2026", -99},   {L"01.13.2026", -99},
                                                        {L"01.01.0000", -99},   {L"1.1.2026", -99},
                                                        {L"01-01-2026", -99},   {L"", -99}};
    for (const auto& [text, expected] : dates) {
        int64_t days = 0;
        const bool reads = viewer::ReadLogDate(text, days);
        EXPECT_EQ(reads ? days : days - 99, expected) << testing::PrintToString(std::wstring(text));
    }
    // The time's seconds since midnight; -1: it does not read.
    const std::pair<std::wstring, int64_t> clocks[] = {
        {L"08:15:59", 29759}, {L"23:59:59", 86399}, {L"00:00:00", 0}, {L"24:00:00", -1},
        {L"08:60:00", -1},    {L"08:00:60", -1},    {L"8:15:59", -1}, {L"08:15:59.1", -1},
        {L"08:15", -1},       {L"2:03:27 PM", -1},  {L"08.15.59", -1}};
    for (const auto& [clock, expected] : clocks) {
        int64_t seconds = -1;
        const bool read = viewer::ReadLogTimeKey(diagnose::PackTime(clock.data(), clock.size()), seconds);
        EXPECT_EQ(read ? seconds : -1, expected) << testing::PrintToString(clock);
    }
    int64_t seconds = 0;
    EXPECT_FALSE(viewer::ReadLogTimeKey(diagnose::kInexactTime, seconds));

    EXPECT_EQ(viewer::FormatLogDate(11017 * 86400 + 29759), L"01.03.2000");
    EXPECT_EQ(viewer::FormatLogClock(11017 * 86400 + 29759), L"08:15");
    EXPECT_EQ(viewer::FormatLogDate(-1), L"31.12.1969");
    EXPECT_EQ(viewer::FormatLogClock(-1), L"23:59");
    EXPECT_EQ(viewer::FormatLogSlot(11017 * 86400 + 18 * 3600, 6 * 3600), L"01.03.2000 18:00 - 00:00");
    EXPECT_EQ(viewer::FormatLogSlot(11017 * 86400, 86400), L"01.03.2000");
    EXPECT_EQ(viewer::FormatLogSlot(11017 * 86400, 2 * 604800), L"01.03.2000 - 14.03.2000");
}

TEST(TimelineBins, SlotLengthIsTheFirstGivingAtMost240SlotsFromSecondsToYears) {
    // The first and last time, the slot length (0: any) and the number of slots (at most, when any).
    using Case = std::tuple<const char*, const char*, int64_t, size_t>;
    for (const auto& [first, last, slotSeconds, slots] : {
             Case{"05.12.2026 08:00:07", "05.12.2026 08:00:59", 60, 1},
             Case{"05.12.2026 08:00:00", "05.12.2026 11:59:59", 60, 240},
             Case{"05.12.2026 08:00:00", "05.12.2026 12:00:00", 300, 49},
             Case{"05.12.2026 08:00:00", "06.12.2026 04:00:00", 900, 81},
             Case{"05.12.2026 00:00:00", "07.12.2026 23:59:59", 3600, 72},
             Case{"01.10.2026 00:00:00", "28.11.2026 23:59:59", 21600, 236},
             Case{"01.01.2026 00:00:00", "31.12.2026 23:59:59", 604800, 53}, // 365 days: weeks from Monday
             Case{"06.01.2020 00:00:00", "05.01.2024 00:00:00", 604800, 209},
             Case{"01.01.2020 00:00:00", "01.01.2030 00:00:00", 3 * 604800, 175}, // beyond 240 weeks
             Case{"01.01.0001 00:00:00", "31.12.9999 23:59:59", 0, 240},
         }) {
        SCOPED_TRACE(std::string(first) + " to " + last);
        Log log(Line(last, 2) + Line(first, 0)); // the later first: slots follow times, not lines
        TimelineBins bins;
        bins.Build(log.store, nullptr);
        EXPECT_EQ(slotSeconds ? bins.SlotSeconds() : 0, slotSeconds);
        EXPECT_LE(bins.Slots().size(), slots);
        EXPECT_GE(bins.Slots().size(), slotSeconds ? slots : 200);
        EXPECT_EQ(std::pair(bins.Slots().front().first, bins.Slots().back().first),
                  std::pair(RecordId(slots == 1 ? 0 : 1), RecordId(0)));
        EXPECT_EQ(bins.Untimed(), 0u);
    }
}

TEST(TimelineBins, CountsPerTypeAndSlotWithTheFirstRecordAndTheRecordsWithoutATimeApart) {
    Log log(Line("05.12.2026 08:00:59", 2) + "\r\n" + Line("05.12.2026 08:02:00", 1) +
            Line("31.02.2026 08:00:00", 0) + Line("05.12.2026 24:00:00", 0) + Line("05.12.2026 8:00:00", 0) +
            Line("05.12.2026 08:01:00.5", 0) + Line("2026-12-05 08:01:00", 0) + "Host=\"PC1\" ohne Kopf\r\n" +
            Line("05.12.2026 08:00:00", 0) + Line("05.12.2026 08:00:30", 7) + Line("05.12.2026 08:02:59", 2));
    TimelineBins all;
    all.Build(log.store, nullptr);
    EXPECT_EQ(all.SlotSeconds(), 60);
    EXPECT_EQ(viewer::FormatLogClock(all.SlotStart(0)), L"08:00");
    EXPECT_EQ(Slots(all),
              (std::vector<std::vector<int64_t>>{{1, 0, 1, 1, 0}, {0, 0, 0, 0, -1}, {1, 1, 0, 0, 2}}));
    EXPECT_EQ(all.Untimed(), 7u);
    EXPECT_EQ(all.Tallest(), 3u);
    EXPECT_EQ(all.Total(viewer::kTraceError), 2u);

    TimelineBins errors;
    errors.Build(log.store, log.store.GetByHost().at(L"PC1").at(2));
    EXPECT_EQ(Slots(errors),
              (std::vector<std::vector<int64_t>>{{1, 0, 0, 0, 0}, {0, 0, 0, 0, -1}, {1, 0, 0, 0, 11}}));
    TimelineBins one;
    one.Build(log.store, log.store.GetByHost().at(L"PC1").at(1));
    EXPECT_EQ(Slots(one), (std::vector<std::vector<int64_t>>{{0, 1, 0, 0, 2}}));
    EXPECT_EQ(one.Untimed(), 0u);

    TimelineBins none;
    none.Build(log.store,
               log.store.GetByHost().at(L"PC1").at(diagnose::kNoTraceClass)); // the line without header
    EXPECT_TRUE(none.Slots().empty());
    EXPECT_EQ(none.Untimed(), 1u);
}

TEST(TimelineBins, FollowingALogAddsToItsSlotsAndCountsAnewWhenTheLengthChanges) {
    Log log(Line("05.12.2026 08:01:10", 2) + "\r\n");
    TimelineBins bins;
    bins.Build(log.store, nullptr);
    RecordId firstNew = log.Append(Line("05.12.2026 07:59:00", 1) + Line("05.12.2026 08:02:00", 2, "PC2"));
    bins.Update(log.store, nullptr, firstNew);
    EXPECT_EQ(Slots(bins), (std::vector<std::vector<int64_t>>{
                               {0, 1, 0, 0, 2}, {0, 0, 0, 0, -1}, {1, 0, 0, 0, 0}, {1, 0, 0, 0, 3}}));
    EXPECT_EQ(bins.Untimed(), 1u);

    firstNew = log.Append(Line("05.12.2026 12:00:00", 0));
    bins.Update(log.store, nullptr, firstNew);
    EXPECT_EQ(bins.SlotSeconds(), 300);
    EXPECT_EQ(bins.Slots().size(), 50u);
    EXPECT_EQ(Slots(bins)[0], (std::vector<int64_t>{0, 1, 0, 0, 2}));
    EXPECT_EQ(Slots(bins)[1], (std::vector<int64_t>{2, 0, 0, 0, 0}));
    EXPECT_EQ(Slots(bins).back(), (std::vector<int64_t>{0, 0, 1, 0, 4}));

    // A group's list: only its own records count.
    const diagnose::RecordList* pc1Errors = log.store.GetByHost().at(L"PC1").at(2);
    TimelineBins group;
    group.Build(log.store, pc1Errors);
    firstNew = log.Append(Line("05.12.2026 08:03:00", 2) + Line("05.12.2026 08:04:00", 2, "PC2"));
    group.Update(log.store, pc1Errors, firstNew);
    EXPECT_EQ(Slots(group),
              (std::vector<std::vector<int64_t>>{{1, 0, 0, 0, 0}, {0, 0, 0, 0, -1}, {1, 0, 0, 0, 5}}));
}

TEST(TimelineCounts, TheWholeLogIsCountedOnceAndThenOnlyWhatArrives) {
    std::string text;
    for (int i = 0; i < 100; ++i)
        text += Line("05.12.2026 08:00:00", i % 3, i % 2 ? "PC1" : "PC2");
    Log log(text);
    const diagnose::RecordList* pc1Errors = log.store.GetByHost().at(L"PC1").at(2);
    viewer::TimelineCounts counts;
    EXPECT_EQ(counts.Of(log.store, nullptr).Total(viewer::kTraceError), 33u);
    EXPECT_EQ(counts.Of(log.store, pc1Errors).Total(viewer::kTraceError), 16u);
    EXPECT_EQ(counts.RecordsLookedAt(), 116u);
    counts.Of(log.store, nullptr); // back to the whole log: nothing to count again
    EXPECT_EQ(counts.RecordsLookedAt(), 116u);

    counts.RecordsAdded(log.Append(Line("05.12.2026 08:01:00", 2, "PC1")));
    EXPECT_EQ(counts.Of(log.store, pc1Errors).Total(viewer::kTraceError), 17u);
    EXPECT_EQ(counts.Of(log.store, nullptr).Total(viewer::kTraceError), 34u) << "what arrived meanwhile";
    EXPECT_EQ(counts.RecordsLookedAt(), 118u);
    // Told again of records counted already (a window opened while the log is read counts
    // further than the viewer has told it): none is counted twice, or again.
    counts.RecordsAdded(50);
    EXPECT_EQ(counts.Of(log.store, nullptr).Total(viewer::kTraceError), 34u);
    EXPECT_EQ(counts.RecordsLookedAt(), 118u);
    counts.Reloaded();
    counts.Of(log.store, nullptr);
    EXPECT_EQ(counts.RecordsLookedAt(), 219u);

    // Counted a slice at a time, the counts come out the same, each record counted once.
    viewer::TimelineCounts sliced;
    for (int slice = 1; slice <= 6; ++slice) {
        const viewer::TimelineBins& bins = sliced.Of(log.store, nullptr, 20);
        EXPECT_EQ(bins.Counted(log.store), slice == 6) << slice;
        EXPECT_EQ(bins.Total(viewer::kTraceError), slice == 6 ? 34u : slice * 20u / 3);
    }
    counts.RecordsAdded(log.Append(Line("05.12.2026 08:02:00", 2, "PC1")));
    sliced.RecordsAdded(101);
    EXPECT_EQ(sliced.Of(log.store, nullptr, 20).Total(viewer::kTraceError), 35u);
    EXPECT_EQ(sliced.RecordsLookedAt(), 102u);
    EXPECT_EQ(Slots(sliced.Of(log.store, nullptr)), Slots(counts.Of(log.store, nullptr)));
}

TEST(TimelineAxis, LabelsStandHalfAsFarAgainApartAsTheyAreWideAtTheirFontAndDpi) {
    // {slot seconds, slot width, label width}: a date 56 pixels wide (96 DPI) every 15 minutes,
    // 90 wide (144 DPI) every 30; hourly slots every second day; no usual step fits 3 weeks.
    EXPECT_EQ(viewer::ChooseLabelStep(60, 6, 56), 900);
    EXPECT_EQ(viewer::ChooseLabelStep(60, 6, 90), 1800);
    EXPECT_EQ(viewer::ChooseLabelStep(3600, 2, 56), 2 * 86400);
    EXPECT_EQ(viewer::ChooseLabelStep(3 * 604800, 1, 60), 90 * 1814400);
}
