// The match window's rows (order, sort, following) and title, and records' lines read again
// for a copy, as the clipboard gets them.
#include "viewer/matches/MatchRows.h"
#include "viewer/RecordsText.h"
#include "RecordStoreTestSupport.h"

#include <map>

using diagnose::RecordId;
using Rows = std::vector<RecordId>;

TEST(MatchRows, FileOrderThenStableSortsThatToggleAndNewMatchesWhereTheyBelong) {
    std::map<RecordId, std::wstring> text = {{0, L"b"}, {2, L"a"}, {3, L"b"},
                                             {5, L"a"}, {6, L"b"}, {8, L"a"}};
    int asked = -1;
    const viewer::ColumnTexts texts = [&](int column, const Rows& rows, std::vector<std::wstring>& out) {
        asked = column;
        for (RecordId id : rows)
            out.push_back(text.at(id));
    };
    viewer::MatchRows rows;
    std::vector<bool> marks = {true, false, true, true, false, true};
    rows.Fill(marks);
    EXPECT_EQ(rows.Rows(), (Rows{0, 2, 3, 5}));
    rows.SortBy(3, texts);
    EXPECT_EQ(asked, 3);
    EXPECT_EQ(rows.Rows(), (Rows{2, 5, 0, 3})) << "ascending first";
    rows.SortBy(3, texts);
    EXPECT_EQ(rows.Rows(), (Rows{0, 3, 2, 5})) << "then descending, equal texts in their order";

    // Record 5 was the provisional last line and was filed again without the text; 6 and 8 came.
    marks = {true, false, true, true, false, false, true, false, true};
    rows.TakeNew(marks, 5, texts);
    EXPECT_EQ(rows.Rows(), (Rows{0, 3, 6, 2, 8})) << "after the rows of equal text";
    rows.Fill(marks);
    marks.push_back(true);
    text[9] = L"a";
    rows.TakeNew(marks, 9, texts);
    EXPECT_EQ(rows.Rows(), (Rows{0, 2, 3, 6, 8, 9})) << "a new search forgets the sort; new rows at the end";
    EXPECT_EQ(rows.SortColumn(), -1);

    // A batch of new matches costs its own texts and a search in the sorted rows, not a sort of all.
    std::vector<bool> many(200, true);
    for (RecordId id = 0; id <= 200; ++id)
        text[id] = id % 2 ? L"b" : L"a";
    rows.Fill(many);
    rows.SortBy(3, texts);
    many.push_back(true);
    size_t looked = 0;
    const viewer::ColumnTexts counting = [&](int column, const Rows& asked, std::vector<std::wstring>& out) {
        looked += asked.size();
        texts(column, asked, out);
    };
    EXPECT_EQ(rows.TakeNew(many, 200, counting).inserted, (std::vector<size_t>{100}))
        << "after the equal texts";
    EXPECT_EQ(rows.Rows()[100], 200u);
    EXPECT_LE(looked, 10u);
}

TEST(SelectedRows, RowsThatGoInBetweenMoveTheSelectionAndOnlyItsEdgesChange) {
    viewer::SelectedRows selected;
    selected.Set(2, 5, true);
    selected.Set(8, 9, true);
    // New rows 0 and 4 (in the new numbering): rows 2, 3, 4 and 8 become 3, 5, 6 and 10.
    const auto changed = selected.Insert({0, 4});
    EXPECT_EQ(selected.Ranges(), (std::vector<std::pair<long, long>>{{3, 4}, {5, 7}, {10, 11}}));
    EXPECT_EQ(changed, (std::vector<std::pair<long, bool>>{
                           {2, false}, {4, false}, {5, true}, {6, true}, {8, false}, {10, true}}));
    EXPECT_EQ(selected.Count(), 4u);
}

TEST(MatchRows, TheTitleNamesTheTextAndItsCount) {
    const std::wstring format = L"Vistral Diagnose - Treffer: \"%s\" (%u)";
    EXPECT_EQ(viewer::MatchesTitle(format, L"07.12.2026 14:3", 12),
              L"Vistral Diagnose - Treffer: \"07.12.2026 14:3\" (12)");
    EXPECT_EQ(viewer::MatchesTitle(format, L"50%u", 0), L"Vistral Diagnose - Treffer: \"50%u\" (0)");
}

TEST(RecordsText, LinesAsTheyStandInTheLogInTheOrderGivenEndedByCrLf) {
    std::string bytes = "\xEF\xBB\xBF"; // UTF-8
    for (int i = 0; i < 200; ++i)
        bytes +=
            "01.01.2026 08:00:00   Host=\"PC" + std::to_string(i) + "\" Text=\"Gr\xC3\xBC\xC3\x9F\x65\"\r\n";
    record_store_test::Log log(bytes);
    ASSERT_TRUE(log.result.ok());
    auto [source, store] = std::tie(log.source, log.store);

    std::wstring text;
    auto take = [&](const std::wstring& line) { return (text += line + L"\r\n").size() < 140; };
    ASSERT_EQ(viewer::ForEachRecordLine(store, source, {150, 3, 70, 999}, take, 3), diagnose::Recheck::Same);
    EXPECT_EQ(text, L"01.01.2026 08:00:00   Host=\"PC150\" Text=\"Grüße\"\r\n"
                    L"01.01.2026 08:00:00   Host=\"PC3\" Text=\"Grüße\"\r\n"
                    L"01.01.2026 08:00:00   Host=\"PC70\" Text=\"Grüße\"\r\n")
        << "in batches of three, until the taker has enough";
    text.clear();
    ASSERT_EQ(viewer::ForEachRecordLine(store, source, {150, 999}, take, 1), diagnose::Recheck::Same);
    EXPECT_EQ(text, L"01.01.2026 08:00:00   Host=\"PC150\" Text=\"Grüße\"\r\n\r\n")
        << "an id that is no record gives an empty line";

    std::vector<std::wstring> lines;
    source.bytes[source.bytes.find("PC70")] = 'X'; // rewritten under the viewer
    EXPECT_EQ(viewer::ReadRecordLines(store, source, {3, 70}, lines), diagnose::Recheck::Changed);
    EXPECT_TRUE(lines.empty());
}
