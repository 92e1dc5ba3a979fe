// The feeding operations on real tree and list controls, read back from the controls.
#include "DiagnoseTestSupport.h"
#include "diagnose/DiagnoseFeed.h"

#include <tuple>

using diagnose_test::ControlHost;
using diagnose_test::DescribeTree;

static void AddLines(CDiagnoseIndex& index, std::initializer_list<const wchar_t*> lines) {
    for (const wchar_t* line : lines)
        index.AddLine(line);
}

// The headings and widths of a list's columns, "text width|" each.
static std::wstring Columns(const win::ListView& list) {
    std::wstring out;
    for (int i = 0; i < list.GetColumnCount(); ++i)
        out += list.GetColumnText(i) + L" " + std::to_wstring(list.GetColumnWidth(i)) + L"|";
    return out;
}

TEST(FillTree, BothGroupingsWithCountsAndUnknownClassesApartButAlikeNamed) {
    CDiagnoseIndex index;
    AddLines(index, {L"01.01.2026 08:00:00   Host=\"PC1\" Traceclass=\"0\"",
                     L"01.01.2026 08:00:01   Host=\"PC1\" Traceclass=\"2\"",
                     L"01.01.2026 08:00:02   Host=\"PC1\" Traceclass=\"0\""});
    ControlHost host;
    FillTree(index, host.tree, false);
    EXPECT_EQ(DescribeTree(host.tree), L"Information\n  PC1 (2)|data\nFehler\n  PC1 (1)|data\n");
    FillTree(index, host.tree, true);
    EXPECT_EQ(DescribeTree(host.tree), L"PC1\n  Information (2)|data\n  Fehler (1)|data\n");
    HTREEITEM entry = host.tree.GetChildItem(host.tree.GetRootItem());
    EXPECT_EQ(reinterpret_cast<const RecordList*>(host.tree.GetItemData(entry)),
              index.GetByHost().at(L"PC1").at(0))
        << "entries carry the index's own lists";

    CDiagnoseIndex unknown;
    AddLines(unknown, {L"Host=\"PC1\" Traceclass=\"5\"", L"Host=\"pc1\" Traceclass=\"7\"", L"Host=\"PC1\"",
                       L"Traceclass=\"1\"", L""});
    FillTree(unknown, host.tree, true);
    EXPECT_EQ(DescribeTree(host.tree),
              L"PC1\n  Unbekannt (1)|data\n  Unbekannt (1)|data\nUnbekannt\n  "
              L"Warnung (1)|data\n  Unbekannt (1)|data\npc1\n  Unbekannt (1)|data\n");
    FillTree(unknown, host.tree, false);
    EXPECT_EQ(DescribeTree(host.tree), L"Warnung\n  Unbekannt (1)|data\nUnbekannt\n  PC1 (1)|data\n"
                                       L"Unbekannt\n  pc1 (1)|data\n"
                                       L"Unbekannt\n  PC1 (1)|data\n  Unbekannt (1)|data\n")
        << "5 first, then 7, then 65535";
}

TEST(RecordList, ColumnsRowsAndItemData) {
    ControlHost records, attributes;
    SetupRecordColumns(records.list);
    SetupAttributeColumns(attributes.list);
    EXPECT_EQ(Columns(records.list), L"Datum 120|Prozess 120|");
    EXPECT_EQ(Columns(attributes.list), L"Name 80|Wert 160|");

    CDiagnoseIndex index;
    AddLines(index,
             {L"01.01.2026 08:00:00   Process=\"Svc\"", L"no header", L"01.01.2026 08:00:02   Host=\"X\""});
    const RecordList rows{0, 1, 2};
    FillRecordList(records.list, index, &rows);
    ASSERT_EQ(records.list.GetItemCount(), 3);
    EXPECT_EQ(records.list.GetItemText(0, 0), L"01.01.2026 08:00:00");
    EXPECT_EQ(records.list.GetItemText(0, 1), L"Svc");
    EXPECT_EQ(records.list.GetItemText(1, 0), L" ");
    EXPECT_EQ(records.list.GetItemText(2, 1), L"Unbekannt");
    EXPECT_EQ(records.list.GetItemData(2), 2);
    FillRecordList(records.list, index, nullptr);
    EXPECT_EQ(records.list.GetItemCount(), 0) << "a heading only clears the list";

    CDiagnoseData headed(L"01.01.2026 08:00:00   Process=\"P\"");
    CDiagnoseData bare(L"Host=\"X\"");
    EXPECT_EQ(headed.InsertRow(records.list), 0);
    EXPECT_EQ(bare.InsertRow(records.list), 1);
    EXPECT_EQ(headed.InsertRow(records.list), 2);
    EXPECT_EQ(records.list.GetItemText(1, 0), L" ");
    EXPECT_EQ(records.list.GetItemText(1, 1), L"Unbekannt");
    EXPECT_EQ(records.list.GetItemText(2, 1), L"P");
}

TEST(RecordSort, ComparisonByColumnTextBothWaysAndZeroForWhatIsNoRecord) {
    CDiagnoseIndex index;
    AddLines(index, {L"31.01.2026 08:00:00   Process=\"b\"", L"01.02.2026 08:00:00   Process=\"a\"",
                     L"01.02.2026 08:00:00   Process=\"c\""});
    using C = std::tuple<int, bool, LPARAM, LPARAM, int>; // column, ascending, two rows' data, result
    for (auto [column, ascending, first, second, expected] :
         {C{0, true, 1, 0, -1}, C{0, false, 1, 0, 1}, C{0, true, 1, 2, 0}, C{1, true, 0, 1, 1},
          C{1, false, 2, 1, -1}, C{5, true, 0, 1, 0}, C{0, true, 0, 7, 0}, C{0, true, -1, 0, 0}}) {
        DiagnoseSortInfo info{column, ascending, nullptr, &index};
        EXPECT_EQ(CompareRecordItems(first, second, reinterpret_cast<LPARAM>(&info)), expected)
            << column << ascending << first << second;
    }
    EXPECT_EQ(CompareRecordItems(1, 0, 0), 0);
}
