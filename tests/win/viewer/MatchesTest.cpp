// The match window through the real viewer: every match across the groups, selecting one in
// the viewer in both groupings, sorting, copying, following the log, closing and opening again.
#include "ViewerFixture.h"

using namespace viewer_tests;

using Matches = ViewerOn<kAccessLog>;

TEST_F(Matches, EveryMatchAcrossTheGroupsSelectedInTheViewerSortedCopiedAndFollowed) {
    // Without a search text, Ctrl+Shift+F asks for one first; the Find dialog's Find Next fills.
    CtrlKey(tree, 'F', true);
    HWND find = OwnedDialog(window, 0);
    ASSERT_NE(find, nullptr) << "the Find dialog";
    FindInDialog(find, L"zugriff");
    ::SendMessageW(find, WM_COMMAND, IDCANCEL, 0);
    HWND matches = OwnedDialog(window, IDC_MATCHES_LIST);
    ASSERT_NE(matches, nullptr);
    HWND rows = ::GetDlgItem(matches, IDC_MATCHES_LIST);
    EXPECT_EQ(WindowText(matches), L"Vistral Diagnose - Treffer: \"zugriff\" (3)");
    EXPECT_EQ(Column(rows, 3), (Texts{L"Alpha", L"Gamma", L"Delta"})) << "file order";
    EXPECT_EQ(ListText(rows, 2, 0) + L"|" + ListText(rows, 2, 1) + L"|" + ListText(rows, 2, 2),
              L"05.12.2026 08:00:04|PC2|Fehler");
    EXPECT_EQ(ListText(rows, 2, 4), L"ZUGRIFF verweigert") << "the message";

    // A double-click selects the record in the viewer grouped by type, Enter grouped by computer.
    RECT cell{};
    ListView_GetItemRect(rows, 2, &cell, LVIR_LABEL);
    ClickAt(rows, {cell.left + 5, (cell.top + cell.bottom) / 2}, true);
    EXPECT_EQ(Where(), Place(L"PC2 (1)", L"Delta"));
    Command(IDC_GROUP_BY_COMPUTER);
    ListView_SetItemState(rows, -1, 0, LVIS_SELECTED | LVIS_FOCUSED);
    SelectRow(rows, 0);
    PostKey(rows, VK_RETURN);
    PumpMessages(50);
    EXPECT_EQ(Where(), Place(L"Information (2)", L"Alpha"));
    EXPECT_EQ(OwnedDialog(window, IDC_MATCHES_LIST), matches) << "it stays open";

    // Sorted by process: ascending, then descending; Ctrl+A, Ctrl+C copy the lines in that order.
    ClickHeader(matches, 3);
    EXPECT_EQ(Column(rows, 3), (Texts{L"Alpha", L"Delta", L"Gamma"}));
    EXPECT_EQ(SortMarks(rows), (std::vector<int>{0, 0, 0, HDF_SORTUP, 0}));
    ClickHeader(matches, 3);
    EXPECT_EQ(Column(rows, 3), (Texts{L"Gamma", L"Delta", L"Alpha"}));
    EXPECT_EQ(SortMarks(rows), (std::vector<int>{0, 0, 0, HDF_SORTDOWN, 0}));
    CtrlKey(rows, 'A');
    ::SendMessageW(rows, WM_CHAR, L'q', 1); // no row starts with it: the selection stays
    CtrlKey(rows, 'C');
    EXPECT_EQ(ClipboardText(), L"05.12.2026 08:00:03   Host=\"PC1\" Process=\"Gamma\" Traceclass=\"2\" "
                               L"Text=\"zugriffsfehler\"\r\n"
                               L"05.12.2026 08:00:04   Host=\"PC2\" Process=\"Delta\" Traceclass=\"2\" "
                               L"Text=\"ZUGRIFF verweigert\"\r\n"
                               L"05.12.2026 08:00:01   Host=\"PC1\" Process=\"Alpha\" Traceclass=\"0\" "
                               L"Text=\"Zugriff verweigert\"\r\n" +
                                   std::wstring(1, L'\0'));
    // The viewer's list copies its selected record the same way.
    CtrlKey(list, 'C');
    EXPECT_EQ(ClipboardText(), L"05.12.2026 08:00:01   Host=\"PC1\" Process=\"Alpha\" Traceclass=\"0\" "
                               L"Text=\"Zugriff verweigert\"\r\n" +
                                   std::wstring(1, L'\0'));

    // The host's own windows keep their keys.
    HWND edit = HostEdit(L"host");
    CtrlKey(edit, 'C');
    ::DestroyWindow(edit);
    EXPECT_EQ(ClipboardText().find(L"Gamma"), std::wstring::npos);

    // Appended matching lines join in sort order, the others do not; the title counts them.
    Append("05.12.2026 08:00:05   Host=\"PC3\" Process=\"Epsilon\" Traceclass=\"1\" Text=\"kein Zugriff\"\r\n"
           "05.12.2026 08:00:06   Host=\"PC3\" Process=\"Zeta\" Traceclass=\"1\" Text=\"nichts\"\r\n");
    for (int waited = 0; waited < 3000 && WindowText(matches).back() != L'4'; waited += 50)
        PumpMessages(50);
    EXPECT_EQ(WindowText(matches), L"Vistral Diagnose - Treffer: \"zugriff\" (4)");
    EXPECT_EQ(Column(rows, 3), (Texts{L"Gamma", L"Epsilon", L"Delta", L"Alpha"}));
    EXPECT_EQ(ListView_GetSelectedCount(rows), 3u) << "the selection stays with its records";

    // Escape closes it; the next search opens it again, in file order.
    PostKey(rows, VK_ESCAPE);
    PumpMessages(50);
    EXPECT_FALSE(::IsWindow(matches));
    CtrlKey(list, 'F', true);
    matches = OwnedDialog(window, IDC_MATCHES_LIST);
    ASSERT_NE(matches, nullptr);
    EXPECT_EQ(Column(::GetDlgItem(matches, IDC_MATCHES_LIST), 3),
              (Texts{L"Alpha", L"Gamma", L"Delta", L"Epsilon"}));

    // DestroyOpenDlg takes both.
    DestroyOpenDlg();
    PumpMessages(20);
    EXPECT_FALSE(::IsWindow(matches));
    EXPECT_FALSE(::IsWindow(window));
    EXPECT_EQ(OpenViewer(), nullptr);
}

// Found far down its group, from Find Next or from the match window, a row stands in the middle.
TEST_F(Viewer, AFoundRowOffScreenIsScrolledToTheMiddleOfTheList) {
    std::vector<std::string> lines;
    for (int i = 0; i < 300; ++i)
        lines.push_back("05.12.2026 08:00:00   Host=\"PC1\" Traceclass=\"0\" Text=\"" +
                        std::string(i == 200 ? "Nadel" : "Heu") + "\"");
    ASSERT_TRUE(OpenLog(lines));
    SelectTreeItem(L"PC1 (300)");
    EXPECT_EQ(Find(L"Nadel"), L"");
    const int half = ListView_GetCountPerPage(list) / 2;
    EXPECT_EQ(ListView_GetNextItem(list, -1, LVNI_SELECTED), 200);
    EXPECT_NEAR(ListView_GetTopIndex(list), 200 - half, 1);
    ListView_EnsureVisible(list, 0, FALSE);
    CtrlKey(list, 'F', true);
    HWND rows = ::GetDlgItem(OwnedDialog(window, IDC_MATCHES_LIST), IDC_MATCHES_LIST);
    SelectRow(rows, 0);
    PostKey(rows, VK_RETURN);
    PumpMessages(50);
    EXPECT_NEAR(ListView_GetTopIndex(list), 200 - half, 1);
}
