// The viewer through CreateDiagnoseDlg: grouping, selection, sorting by real header clicks,
// layout, lifecycle and bad input, read back from the real controls.
#include "ViewerFixture.h"

#include "viewer/ViewerLayout.h"

#include <fstream>

using namespace testing_support;
using namespace viewer_tests;

namespace {

const std::vector<std::string> kThreeLines = {
    R"(05.12.2026 08:00:00   Host="PC1" Process="Alpha" Traceclass="0")",
    R"(05.12.2026 08:00:01   Host="PC1" Process="Beta" Traceclass="2")",
    R"(05.12.2026 08:00:02   Host="PC1" Process="Gamma" Traceclass="0")",
};

RECT ChildRect(HWND parent, int id) {
    RECT rect{};
    HWND child = ::GetDlgItem(parent, id);
    ::GetWindowRect(child, &rect);
    ::MapWindowPoints(nullptr, parent, reinterpret_cast<POINT*>(&rect), 2);
    return rect;
}

} // namespace

TEST_F(Viewer, OpensGroupedByTypeWithBoldExpandedHeadingsAndCounts) {
    Open(WriteLog(kThreeLines));
    ASSERT_NE(viewer, nullptr);
    EXPECT_EQ(WindowText(window), L"Vistral Diagnose");
    const auto roots = ReadTree(tree);
    ASSERT_EQ(RootTexts(tree), (std::vector<std::wstring>{L"Information", L"Fehler"}));
    EXPECT_EQ(ChildTexts(roots[0]), (std::vector<std::wstring>{L"PC1 (2)"}));
    EXPECT_EQ(ChildTexts(roots[1]), (std::vector<std::wstring>{L"PC1 (1)"}));
    for (const TreeNode& root : roots) {
        EXPECT_TRUE(root.bold);
        EXPECT_TRUE(root.expanded);
        EXPECT_EQ(root.data, 0) << "headings carry no records";
        EXPECT_NE(root.children[0].data, 0);
    }
    EXPECT_EQ(TreeView_GetSelection(tree), nullptr);
    EXPECT_EQ(ListView_GetItemCount(list), 0);
    EXPECT_EQ(viewer->CaptionText(), L"Vistral Diagnose");
}

TEST_F(Viewer, RegroupingByComputerAndBackByType) {
    auto lines = kThreeLines;
    lines.push_back(R"(05.12.2026 08:00:03   Host="pc1" Process="Delta" Traceclass="1")");
    Open(WriteLog(lines));
    ASSERT_NE(viewer, nullptr);
    const HTREEITEM before = TreeView_GetRoot(tree);
    Command(IDC_GROUP_BY_TYPE);
    EXPECT_EQ(TreeView_GetRoot(tree), before) << "already grouped by type: nothing is refilled";

    SelectTreeItem(L"PC1 (2)");
    EXPECT_EQ(ListView_GetItemCount(list), 2);
    Command(IDC_GROUP_BY_COMPUTER);
    EXPECT_EQ(ListView_GetItemCount(list), 0);
    EXPECT_EQ(TreeView_GetSelection(tree), nullptr);
    const auto roots = ReadTree(tree);
    ASSERT_EQ(RootTexts(tree), (std::vector<std::wstring>{L"PC1", L"pc1"}));
    EXPECT_EQ(ChildTexts(roots[0]), (std::vector<std::wstring>{L"Information (2)", L"Fehler (1)"}));
    EXPECT_EQ(ChildTexts(roots[1]), (std::vector<std::wstring>{L"Warnung (1)"}));
    EXPECT_TRUE(roots[1].bold);

    Command(IDC_GROUP_BY_TYPE);
    EXPECT_EQ(RootTexts(tree), (std::vector<std::wstring>{L"Information", L"Warnung", L"Fehler"}));
}

TEST_F(Viewer, UnknownClassesAreSeparateHeadingsAllNamedUnknown) {
    Open(WriteLog({R"(01.01.2026 00:00:00   Host="A" Traceclass="5")", R"(01.01.2026 00:00:00   Host="A" Traceclass="7")",
                   "", "no header at all"}));
    ASSERT_NE(viewer, nullptr);
    const auto roots = ReadTree(tree);
    EXPECT_EQ(RootTexts(tree), (std::vector<std::wstring>{L"Unbekannt", L"Unbekannt", L"Unbekannt"}));
    ASSERT_EQ(roots.size(), 3u);
    EXPECT_EQ(ChildTexts(roots[2]), (std::vector<std::wstring>{L"Unbekannt (2)"})) << "empty and headerless lines";
}

TEST_F(Viewer, SelectingAnEntryFillsTheListAndTheCaption) {
    Open(WriteLog(kThreeLines));
    ASSERT_NE(viewer, nullptr);
    SelectTreeItem(L"PC1 (2)");
    EXPECT_EQ(Column(list, 0), (std::vector<std::wstring>{L"05.12.2026 08:00:00", L"05.12.2026 08:00:02"}));
    EXPECT_EQ(Column(list, 1), (std::vector<std::wstring>{L"Alpha", L"Gamma"}));
    EXPECT_EQ(viewer->CaptionText(), L"Vistral Diagnose - PC1 (2)");

    SelectTreeItem(L"Fehler");
    EXPECT_EQ(ListView_GetItemCount(list), 0);
    EXPECT_EQ(viewer->CaptionText(), L"Vistral Diagnose");
}

TEST_F(Viewer, HeaderClicksSortOnceEachWithOneSharedFlag) {
    Open(WriteLog({R"(31.01.2026 08:00:00   Host="H" Process="b" Traceclass="0")",
                   R"(01.02.2026 08:00:00   Host="H" Process="c" Traceclass="0")",
                   R"(15.01.2026 08:00:00   Host="H" Process="a" Traceclass="0")"}));
    ASSERT_NE(viewer, nullptr);
    SelectTreeItem(L"H (3)");
    HWND header = ListView_GetHeader(list);
    RECT date{}, process{};
    Header_GetItemRect(header, 0, &date);
    Header_GetItemRect(header, 1, &process);
    const POINT onDate{(date.left + date.right) / 2, (date.top + date.bottom) / 2};
    const POINT onProcess{(process.left + process.right) / 2, (process.top + process.bottom) / 2};

    // Clicks further apart than a double-click, as separate clicks of an operator are.
    const DWORD apart = ::GetDoubleClickTime() + 50;
    ClickAt(header, onDate);
    EXPECT_EQ(Column(list, 0), (std::vector<std::wstring>{L"01.02.2026 08:00:00", L"15.01.2026 08:00:00",
                                                          L"31.01.2026 08:00:00"}))
        << "ascending by the date column's text, not by time";
    PumpMessages(apart);
    ClickAt(header, onDate);
    EXPECT_EQ(Column(list, 0).front(), L"31.01.2026 08:00:00") << "descending";
    PumpMessages(apart);
    ClickAt(header, onProcess);
    EXPECT_EQ(Column(list, 1), (std::vector<std::wstring>{L"a", L"b", L"c"})) << "the flag is shared: ascending";
}

TEST_F(Viewer, SelectionFollowsItsRecordThroughASort) {
    Open(WriteLog({R"(02.01.2026 00:00:00   Host="H" Process="x")", R"(01.01.2026 00:00:00   Host="H" Process="y")"}));
    ASSERT_NE(viewer, nullptr);
    SelectTreeItem(L"H (2)");
    ListView_SetItemState(list, 0, LVIS_SELECTED | LVIS_FOCUSED, LVIS_SELECTED | LVIS_FOCUSED);
    NMLISTVIEW click{};
    click.hdr = {list, IDC_DIAGNOSE_LIST, LVN_COLUMNCLICK};
    click.iSubItem = 0;
    ::SendMessageW(window, WM_NOTIFY, IDC_DIAGNOSE_LIST, reinterpret_cast<LPARAM>(&click));
    PumpMessages(20);
    const int selected = ListView_GetNextItem(list, -1, LVNI_SELECTED);
    EXPECT_EQ(selected, 1);
    EXPECT_EQ(ListText(list, selected, 1), L"x");
}

TEST_F(Viewer, LayoutFollowsTheClientSizeAndRefusesToShrinkBelowTheMinimum) {
    Open(WriteLog(kThreeLines));
    ASSERT_NE(viewer, nullptr);
    for (SIZE size : {SIZE{900, 600}, SIZE{1000, 700}, SIZE{760, 320}}) {
        ::SetWindowPos(window, nullptr, 0, 0, size.cx, size.cy, SWP_NOMOVE | SWP_NOZORDER);
        PumpMessages(20);
        RECT client{};
        ::GetClientRect(window, &client);
        const RECT computer = ChildRect(window, IDC_GROUP_BY_COMPUTER);
        const RECT cancel = ChildRect(window, IDCANCEL);
        const RECT ok = ChildRect(window, IDOK);
        const viewer::ViewerLayout expected = viewer::ComputeViewerLayout(
            client.right, client.bottom,
            {{computer.right - computer.left, computer.bottom - computer.top},
             {cancel.right - cancel.left, cancel.bottom - cancel.top},
             {ok.right - ok.left, ok.bottom - ok.top}});
        const RECT treeRect = ChildRect(window, IDC_DIAGNOSE_TREE);
        const RECT listRect = ChildRect(window, IDC_DIAGNOSE_LIST);
        EXPECT_EQ(treeRect.left, expected.tree.x);
        EXPECT_EQ(treeRect.top, expected.tree.y);
        EXPECT_EQ(treeRect.right - treeRect.left, expected.tree.width);
        EXPECT_EQ(treeRect.bottom - treeRect.top, expected.tree.height);
        EXPECT_EQ(listRect.left, expected.list.x);
        EXPECT_EQ(listRect.right - listRect.left, expected.list.width);
        EXPECT_EQ(listRect.bottom - listRect.top, expected.list.height);
        EXPECT_EQ(cancel.left, expected.cancel.x);
        EXPECT_EQ(ok.left, expected.ok.x);
        EXPECT_EQ(ok.top, expected.ok.y);
        EXPECT_EQ(ChildRect(window, IDC_DIAGNOSE_CAPTION).right, client.right);
    }
    MINMAXINFO limits{};
    ::SendMessageW(window, WM_GETMINMAXINFO, 0, reinterpret_cast<LPARAM>(&limits));
    EXPECT_EQ(limits.ptMinTrackSize.x, 700);
    EXPECT_EQ(limits.ptMinTrackSize.y, 275);

    const RECT treeBefore = ChildRect(window, IDC_DIAGNOSE_TREE);
    ::ShowWindow(window, SW_MINIMIZE);
    PumpMessages(50);
    const RECT treeAfter = ChildRect(window, IDC_DIAGNOSE_TREE);
    EXPECT_EQ(treeAfter.right - treeAfter.left, treeBefore.right - treeBefore.left) << "no layout when minimised";
}

TEST_F(Viewer, SecondCallKeepsTheRecordsAndRestoresTheWindow) {
    Open(WriteLog(kThreeLines));
    ASSERT_NE(viewer, nullptr);
    ::ShowWindow(window, SW_MINIMIZE);
    PumpMessages(30);
    const std::wstring other = WriteLog({R"(01.01.2026 00:00:00   Host="OTHER")"}, L"other.log");
    EXPECT_EQ(CreateDiagnoseDlg(0x0407, Ansi(other).c_str()), 0);
    PumpMessages(30);
    EXPECT_EQ(OpenViewer(), viewer) << "no second viewer";
    EXPECT_FALSE(::IsIconic(window));
    EXPECT_NE(FindTreeItem(tree, L"PC1 (2)"), nullptr);
    EXPECT_EQ(FindTreeItem(tree, L"OTHER (1)"), nullptr);
}

TEST_F(Viewer, DestroyOpenDlgClosesAndTheNextCallLoadsAnew) {
    Open(WriteLog(kThreeLines));
    ASSERT_NE(viewer, nullptr);
    EXPECT_EQ(DestroyOpenDlg(), 0);
    EXPECT_EQ(OpenViewer(), nullptr);
    EXPECT_FALSE(::IsWindow(window));
    Open(WriteLog({R"(01.01.2026 00:00:00   Host="OTHER")"}, L"other.log"));
    ASSERT_NE(viewer, nullptr);
    EXPECT_NE(FindTreeItem(tree, L"OTHER (1)"), nullptr);
}

TEST_F(Viewer, ClosesOnOkCancelEscapeAndTheCloseBox) {
    const std::wstring path = WriteLog(kThreeLines);
    const std::function<void(HWND)> ways[] = {
        [](HWND w) { ::SendMessageW(::GetDlgItem(w, IDOK), BM_CLICK, 0, 0); },
        [](HWND w) { ::SendMessageW(::GetDlgItem(w, IDCANCEL), BM_CLICK, 0, 0); },
        [](HWND w) {
            ::SetFocus(::GetDlgItem(w, IDC_DIAGNOSE_TREE));
            PostKey(::GetFocus(), VK_ESCAPE);
        },
        [](HWND w) { ::PostMessageW(w, WM_CLOSE, 0, 0); },
    };
    int way = 0;
    for (const auto& close : ways) {
        Open(path);
        ASSERT_NE(viewer, nullptr);
        close(window);
        PumpMessages(100);
        EXPECT_EQ(OpenViewer(), nullptr) << "way " << way;
        EXPECT_FALSE(::IsWindow(window)) << "way " << way;
        ++way;
    }
}

TEST_F(Viewer, EnglishTextsFromTheEnglishLibrary) {
    Open(WriteLog(kThreeLines), 0x0409);
    ASSERT_NE(viewer, nullptr);
    EXPECT_EQ(WindowText(window), L"Vistral Diagnostics");
    EXPECT_EQ(RootTexts(tree), (std::vector<std::wstring>{L"Information", L"Error"}));
    HWND header = ListView_GetHeader(list);
    wchar_t text[64] = {};
    HDITEMW item{};
    item.mask = HDI_TEXT;
    item.pszText = text;
    item.cchTextMax = 64;
    Header_GetItem(header, 0, &item);
    EXPECT_STREQ(text, L"Date");
}

TEST_F(Viewer, BadInputStillOpensAWorkingViewer) {
    const std::wstring binary = dir.Path() + L"binary.log";
    {
        std::ofstream file(binary.c_str(), std::ios::binary);
        for (int i = 0; i < 70000; ++i)
            file.put(static_cast<char>((i * 7919) & 0xFF));
    }
    const std::wstring huge = dir.Path() + L"huge.log";
    {
        std::ofstream file(huge.c_str(), std::ios::binary);
        file << "01.01.2026 00:00:00   Host=\"BIG\" Text=\"";
        file << std::string(50u << 20, 'x');
        file << "\"";
    }
    for (const std::wstring& path : {dir.Path() + L"missing.log", std::wstring(), binary, huge}) {
        Open(path);
        ASSERT_NE(viewer, nullptr);
        Command(IDC_GROUP_BY_COMPUTER);
        if (HTREEITEM first = TreeView_GetRoot(tree)) {
            HTREEITEM child = TreeView_GetChild(tree, first);
            TreeView_SelectItem(tree, child);
            PumpMessages(20);
            if (ListView_GetItemCount(list) > 0) {
                EXPECT_FALSE(ListText(list, 0, 0).empty() && ListText(list, 0, 1).empty());
            }
        }
        DestroyOpenDlg();
    }
    EXPECT_EQ(CreateDiagnoseDlg(0x0407, nullptr), 0);
    EXPECT_NE(OpenViewer(), nullptr);
}
