// The record list's message column sorted: keys read from the log once, the rows ordered by
// them like the other columns, new records merged in by their own lines, and a group of too
// many unlike messages left in its order.
#include "viewer/RecordRows.h"

#include "diagnose/RecordMessage.h"
#include "RecordStoreTestSupport.h"

#include <gtest/gtest.h>

using diagnose::RecordId;
using namespace viewer;
using record_store_test::Log;

namespace {
std::string Line(const char* text) {
    return std::string("05.12.2026 08:00:00   Host=\"PC1\" Traceclass=\"0\" Text=\"") + text + "\"\n";
}
const MessageOfLine kMessageOf = [](const std::wstring& line) { return diagnose::MessageOf(line, nullptr); };
} // namespace

TEST(MessageColumn, SortsByTheLinesMessagesStablyAndMergesNewRecordsByTheirOwn) {
    Log log(Line("b") + Line("a") + Line("c") + Line("a"));
    const diagnose::RecordList& group = *log.store.GetByHost().at(L"PC1").at(0);
    MessageKeys keys;
    RecordRows rows;
    rows.SetMessageKeys(&keys);
    rows.Show(&group);
    const auto ids = [&] { return std::vector<RecordId>(rows.Ids().begin(), rows.Ids().end()); };
    ASSERT_EQ(keys.Read(log.store, log.source, group, 0, kMessageOf), MessageKeys::Result::Done);
    ListPlaces selection(2, 2, 0);
    selection.alsoSelected = {0, 3};
    ListPlaces places = rows.SortBy(log.store, kMessageColumn, selection);
    EXPECT_EQ(ids(), (std::vector<RecordId>{1, 3, 0, 2})) << "ascending, equal texts in file order";
    EXPECT_EQ(places.selected, 3) << "the selection follows its records";
    EXPECT_EQ(places.alsoSelected, (std::vector<long>{2, 1}));
    rows.SortBy(log.store, kMessageColumn, {});
    EXPECT_EQ(ids(), (std::vector<RecordId>{2, 0, 1, 3})) << "descending";

    log.source.bytes += Line("b") + Line("d");
    log.ReadOn();
    ASSERT_EQ(keys.Read(log.store, log.source, group, 4, kMessageOf), MessageKeys::Result::Done);
    bool changed = false;
    rows.TakeNew(log.store, 4, false, {}, changed);
    EXPECT_EQ(ids(), (std::vector<RecordId>{5, 2, 0, 4, 1, 3})) << "after the rows of equal text";

    MessageKeys small(3); // room for one one-unit message and its end
    EXPECT_EQ(small.Read(log.store, log.source, group, 0, kMessageOf), MessageKeys::Result::TooLarge);
    EXPECT_EQ(small.Group(), nullptr) << "nothing half read is kept";
    const uint64_t span = log.store.LineStart(5) - log.store.LineStart(0);
    EXPECT_EQ(MessageKeys(1000, span - 1).Read(log.store, log.source, group, 0, kMessageOf),
              MessageKeys::Result::TooLarge)
        << "the lines span a byte more than allowed";
}
