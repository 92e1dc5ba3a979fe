// The feeding operations on real tree and list controls, read back from the controls.
#include "DiagnoseTestSupport.h"
#include "diagnose/DiagnoseFeed.h"

#include <gtest/gtest.h>

using diagnose_test::ControlHost;
using diagnose_test::DescribeTree;

namespace {
void AddLines(CDiagnoseIndex& index, std::initializer_list<const wchar_t*> lines) {
    for (const wchar_t* line : lines)
        index.AddLine(line);
}
} // namespace

TEST(FillTree, ThreeLinesInBothGroupings) {
    CDiagnoseIndex index;
    AddLines(index, {L"01.01.2026 08:00:00   Host=\"PC1\" Traceclass=\"0\"",
                     L"01.01.2026 08:00:01   Host=\"PC1\" Traceclass=\"2\"",
                     L"01.01.2026 08:00:02   Host=\"PC1\" Traceclass=\"0\""});
    ControlHost host;
    FillTree(index, host.tree, false);
    EXPECT_EQ(DescribeTree(host.tree), L"Information\n  PC1 (2)|data\nFehler\n  PC1 (1)|data\n");
    FillTree(index, host.tree, true);
    EXPECT_EQ(DescribeTree(host.tree), L"PC1\n  Information (2)|data\n  Fehler (1)|data\n");
    // Entries carry the index's own lists.
    HTREEITEM entry = host.tree.GetChildItem(host.tree.GetRootItem());
    const auto* records = reinterpret_cast<const RecordList*>(host.tree.GetItemData(entry));
    EXPECT_EQ(records, &index.GetByHost().at(L"PC1").at(0));
}

TEST(FillTree, ComputersByCaseAndUnknownClassesApartButAlikeNamed) {
    CDiagnoseIndex index;
    AddLines(index,
             {L"Host=\"PC1\" Traceclass=\"5\"", L"Host=\"pc1\" Traceclass=\"7\"", L"Host=\"PC1\"", L""});
    ControlHost host;
    FillTree(index, host.tree, true);
    EXPECT_EQ(DescribeTree(host.tree), L"PC1\n  Unbekannt (1)|data\n  Unbekannt (1)|data\nUnbekannt\n  "
                                       L"Unbekannt (1)|data\npc1\n  Unbekannt (1)|data\n");
    FillTree(index, host.tree, false);
    EXPECT_EQ(DescribeTree(host.tree), L"Unbekannt\n  PC1 (1)|data\n"
                                       L"Unbekannt\n  pc1 (1)|data\n"
                                       L"Unbekannt\n  PC1 (1)|data\n  Unbekannt (1)|data\n")
        << "5 first, then 7, then 65535";
    EXPECT_EQ(GetTraceClassName(1), L"Warnung");
}

TEST(RecordList, ColumnsRowsAndItemData) {
    CDiagnoseIndex index;
    AddLines(index,
             {L"01.01.2026 08:00:00   Process=\"Svc\"", L"no header", L"01.01.2026 08:00:02   Host=\"X\""});
    ControlHost host;
    SetupRecordColumns(host.list);
    ASSERT_EQ(host.list.GetColumnCount(), 2);
    EXPECT_EQ(host.list.GetColumnText(0), L"Datum");
    EXPECT_EQ(host.list.GetColumnText(1), L"Prozess");
    EXPECT_EQ(host.list.GetColumnWidth(1), 120);
    const RecordList rows{0, 1, 2};
    FillRecordList(host.list, index, &rows);
    ASSERT_EQ(host.list.GetItemCount(), 3);
    EXPECT_EQ(host.list.GetItemText(0, 0), L"01.01.2026 08:00:00");
    EXPECT_EQ(host.list.GetItemText(0, 1), L"Svc");
    EXPECT_EQ(host.list.GetItemText(1, 0), L" ");
    EXPECT_EQ(host.list.GetItemText(2, 1), L"Unbekannt");
    EXPECT_EQ(host.list.GetItemData(2), 2);
    EXPECT_EQ(host.list.FindItemByParam(1), 1);
    EXPECT_EQ(host.list.GetNextItem(2, LVNI_BELOW), -1) << "no row below the last";
    FillRecordList(host.list, index, nullptr);
    EXPECT_EQ(host.list.GetItemCount(), 0) << "a heading only clears the list";
}

TEST(RecordList, InsertRowAppendsAndAnswersTheIndex) {
    ControlHost host;
    SetupRecordColumns(host.list);
    CDiagnoseData headed(L"01.01.2026 08:00:00   Process=\"P\"");
    CDiagnoseData bare(L"Host=\"X\"");
    EXPECT_EQ(headed.InsertRow(host.list), 0);
    EXPECT_EQ(bare.InsertRow(host.list), 1);
    EXPECT_EQ(headed.InsertRow(host.list), 2);
    EXPECT_EQ(host.list.GetItemText(1, 0), L" ");
    EXPECT_EQ(host.list.GetItemText(1, 1), L"Unbekannt");
    EXPECT_EQ(host.list.GetItemText(2, 1), L"P");
}

TEST(RecordSort, DateTextOrderBothWaysThroughTheListView) {
    CDiagnoseIndex index;
    AddLines(index, {L"31.01.2026 08:00:00   Process=\"b\"", L"01.02.2026 08:00:00   Process=\"a\"",
                     L"01.02.2026 08:00:00   Process=\"c\""});
    ControlHost host;
    SetupRecordColumns(host.list);
    const RecordList rows{0, 1, 2};
    FillRecordList(host.list, index, &rows);
    DiagnoseSortInfo info{0, true, host.list.Handle(), &index};
    host.list.SortItems(CompareRecordItems, reinterpret_cast<LPARAM>(&info));
    EXPECT_EQ(host.list.GetItemData(0), 1);
    EXPECT_EQ(host.list.GetItemData(1), 2) << "equal texts keep their order";
    EXPECT_EQ(host.list.GetItemData(2), 0);
    info.ascending = false;
    host.list.SortItems(CompareRecordItems, reinterpret_cast<LPARAM>(&info));
    EXPECT_EQ(host.list.GetItemText(0, 0), L"31.01.2026 08:00:00");
    info = {1, true, host.list.Handle(), &index};
    host.list.SortItems(CompareRecordItems, reinterpret_cast<LPARAM>(&info));
    EXPECT_EQ(host.list.GetItemText(0, 1), L"a");
    EXPECT_EQ(host.list.GetItemText(2, 1), L"c");
}

TEST(RecordSort, ComparisonOfUnknownRowsIsZero) {
    CDiagnoseIndex index;
    AddLines(index, {L"1 a   x=\"y\"", L"2 b   x=\"y\""});
    DiagnoseSortInfo info{0, true, nullptr, &index};
    EXPECT_LT(CompareRecordItems(0, 1, reinterpret_cast<LPARAM>(&info)), 0);
    EXPECT_EQ(CompareRecordItems(0, 7, reinterpret_cast<LPARAM>(&info)), 0);
    EXPECT_EQ(CompareRecordItems(-1, 0, reinterpret_cast<LPARAM>(&info)), 0);
    EXPECT_EQ(CompareRecordItems(0, 1, 0), 0);
    info.index = nullptr;
    EXPECT_EQ(CompareRecordItems(0, 1, reinterpret_cast<LPARAM>(&info)), 0);
}

TEST(RecordSort, FastPathOrdersLikeTheComparison) {
    CDiagnoseIndex index;
    for (int i = 0; i < 500; ++i)
        index.AddLine(std::to_wstring((i * 37) % 50) + L".01.2026 0" + std::to_wstring(i % 3) +
                      L":00   Process=\"p" + std::to_wstring(i % 7) + L"\"");
    for (int column : {0, 1}) {
        for (bool ascending : {true, false}) {
            ControlHost host;
            SetupRecordColumns(host.list);
            RecordList rows(index.RecordCount());
            for (RecordId id = 0; id < rows.size(); ++id)
                rows[id] = id;
            FillRecordList(host.list, index, &rows);
            DiagnoseSortInfo info{column, ascending, host.list.Handle(), &index};
            host.list.SortItems(CompareRecordItems, reinterpret_cast<LPARAM>(&info));
            SortRecordRows(index, rows, column, ascending);
            for (int row = 0; row < host.list.GetItemCount(); ++row)
                ASSERT_EQ(static_cast<RecordId>(host.list.GetItemData(row)), rows[static_cast<size_t>(row)])
                    << column << ascending << row;
        }
    }
}
