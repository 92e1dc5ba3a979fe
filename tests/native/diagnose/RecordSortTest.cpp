// Sorting: a group's rows by a column's text, with the keys the index keeps.
#include "RecordStoreTestSupport.h"

using namespace record_store_test;

TEST(SortRecordRows, TextOrderStableAndReversible) {
    Log log("31.01.2026 08:00:00   Process=\"b\"\n"
            "01.02.2026 08:00:00   Process=\"a\"\n"
            "31.01.2026 08:00:00   Process=\"a\"\n"
            "01.02.2026 08:00:00   Process=\"b\"\n"
            "01.02.2026 07:59:59\tand more   Process=\"a\"\n"
            "01.02.2026 08:00:00.5   Process=\"a\"\n"
            "no header at all\n");
    std::vector<RecordId> rows{0, 1, 2, 3, 4, 5, 6};
    SortRecordRows(log.store, rows, 0, true);
    EXPECT_EQ(rows, (std::vector<RecordId>{6, 4, 1, 3, 5, 0, 2}))
        << "text order, equal texts keep their order";
    SortRecordRows(log.store, rows, 0, false);
    EXPECT_EQ(rows, (std::vector<RecordId>{0, 2, 5, 1, 3, 4, 6}));
    SortRecordRows(log.store, rows, 1, true);
    EXPECT_EQ(rows, (std::vector<RecordId>{6, 2, 5, 1, 4, 0, 3}))
        << "\"Unbekannt\" before \"a\" by code unit";
    SortRecordRows(log.store, rows, 7, true);
    EXPECT_EQ(rows, (std::vector<RecordId>{6, 2, 5, 1, 4, 0, 3})) << "a column without texts changes nothing";
    // In blocks, as the viewer's rows are, on a thread that may be told to stop.
    diagnose::RecordRowBlocks blocks;
    for (RecordId id = 0; id < 7; ++id)
        blocks.push_back(id);
    std::atomic<bool> stop{false};
    EXPECT_TRUE(SortRecordRows(log.store, blocks, 0, true, &stop));
    EXPECT_EQ(std::vector<RecordId>(blocks.begin(), blocks.end()),
              (std::vector<RecordId>{6, 4, 1, 3, 5, 0, 2}));
    stop = true;
    EXPECT_FALSE(SortRecordRows(log.store, blocks, 0, false, &stop)) << "told to stop, it gives up";

    // Records arriving later go where sorting again would put them, after their equals.
    log.source.bytes += "01.02.2026 08:00:00   Process=\"a\"\n31.01.2026 08:00:00   Process=\"0\"\n";
    ASSERT_TRUE(log.ReadOn().ok());
    std::vector<RecordId> byDate{0, 2, 5, 1, 3, 4, 6};
    EXPECT_EQ(InsertSortedRow(log.store, byDate, 7, 0, false), 5u);
    EXPECT_EQ(InsertSortedRow(log.store, byDate, 8, 0, false), 2u);
    EXPECT_EQ(byDate, (std::vector<RecordId>{0, 2, 8, 5, 1, 3, 7, 4, 6}));
    std::vector<RecordId> byProcess{6, 2, 5, 1, 4, 0, 3};
    EXPECT_EQ(InsertSortedRow(log.store, byProcess, 8, 1, true), 0u) << "\"0\" before \"Unbekannt\"";
    EXPECT_EQ(InsertSortedRow(log.store, byProcess, 7, 1, true), 6u);
}

// Rows in any order (scrambled, or already by date either way, its equal times in runs), several
// dates each out of time order, with and without times the key cannot hold: the same order as a
// stable sort by the row texts, both ways.
TEST(SortRecordRows, AnyStartingOrderGivesTheStableTextOrder) {
    for (bool inexactTimes : {false, true}) {
        std::string text;
        for (int i = 0; i < 400; ++i)
            text += std::to_string(10 + i % 3) + ".02.2026 " + std::to_string(10 + i * 7 % 13) + ":0" +
                    std::to_string(i % 6) + ":00" + (inexactTimes && i % 9 == 0 ? ".12345678901" : "") +
                    "   Process=\"p" + std::to_string(i % 5) + "\"" +
                    (inexactTimes && i % 4 == 1 ? " Text=\"v" + std::to_string(i % 3) + "   w\"" : "") + "\n";
        Log log(text);
        auto stableSorted = [&](std::vector<RecordId> rows, int column, bool ascending) {
            std::stable_sort(rows.begin(), rows.end(), [&](RecordId a, RecordId b) {
                const std::wstring ta = log.store.RowText(a, column), tb = log.store.RowText(b, column);
                return ascending ? ta < tb : tb < ta;
            });
            return rows;
        };
        std::vector<RecordId> scrambled(log.store.RecordCount());
        for (size_t i = 0; i < scrambled.size(); ++i)
            scrambled[i] = static_cast<RecordId>(i * 173 % scrambled.size()); // 173 and 400 share no factor
        for (const auto& rows :
             {scrambled, stableSorted(scrambled, 0, true), stableSorted(scrambled, 0, false)})
            for (int column : {0, 1})
                for (bool ascending : {true, false}) {
                    std::vector<RecordId> sorted = rows;
                    SortRecordRows(log.store, sorted, column, ascending);
                    EXPECT_EQ(sorted, stableSorted(rows, column, ascending))
                        << "column " << column << (ascending ? " ascending" : " descending")
                        << (inexactTimes ? ", inexact times" : "") << ", from " << rows[0] << ", " << rows[1];
                }
    }
}
