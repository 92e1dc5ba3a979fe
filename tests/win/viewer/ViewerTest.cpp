// The viewer through CreateDiagnoseDlg: grouping, selection, sorting by real header clicks,
// layout, lifecycle and bad input, read back from the real controls.
#include "ViewerFixture.h"

#include "viewer/reading/HostBudget.h"
#include "viewer/records/RecordsTitle.h"

#include <cstdio>

using namespace viewer_tests;

static bool operator==(const RECT& a, const RECT& b) {
    return a.left == b.left && a.top == b.top && a.right == b.right && a.bottom == b.bottom;
}

const std::vector<std::string> kLines = {
    R"(05.12.2026 08:00:00   Host="PC1" Process="Alpha" Traceclass="0")",
    R"(05.12.2026 08:00:01   Host="PC1" Process="Beta" Traceclass="2")",
    R"(05.12.2026 08:00:02   Host="PC1" Process="Gamma" Traceclass="0")",
    R"(05.12.2026 08:00:03   Host="pc1" Process="Delta" Traceclass="1")",
    R"(05.12.2026 08:00:04   Host="A" Traceclass="5")",
    R"(05.12.2026 08:00:05   Host="A" Traceclass="7")",
    "",
};

// The list view's column headings, each followed by "|".
static std::wstring HeaderTexts(HWND list) {
    std::wstring texts;
    HWND header = ListView_GetHeader(list);
    for (int column = 0; column < Header_GetItemCount(header); ++column) {
        wchar_t text[64] = {};
        HDITEMW item{};
        item.mask = HDI_TEXT;
        item.pszText = text;
        item.cchTextMax = 64;
        Header_GetItem(header, column, &item);
        texts += text + std::wstring(L"|");
    }
    return texts;
}

static RECT ChildRect(HWND parent, int id) {
    RECT rect{};
    ::GetWindowRect(::GetDlgItem(parent, id), &rect);
    ::MapWindowPoints(nullptr, parent, reinterpret_cast<POINT*>(&rect), 2);
    return rect;
}

TEST_F(Viewer, OpensByTypeAndRegroupsByComputerWithCountsAndCaptions) {
    ASSERT_TRUE(OpenLog(kLines));
    EXPECT_EQ(WindowText(window), L"Vistral Diagnose");
    auto roots = ReadTree(tree);
    // Trace classes 5, 7 and 65535 stay apart, all named "Unbekannt".
    ASSERT_EQ(RootTexts(tree),
              (Texts{L"Information", L"Warnung", L"Fehler", L"Unbekannt", L"Unbekannt", L"Unbekannt"}));
    EXPECT_EQ(ChildTexts(roots[0]), (Texts{L"PC1 (2)"}));
    EXPECT_EQ(ChildTexts(roots[5]), (Texts{L"Unbekannt (1)"})) << "the empty line";
    for (const TreeNode& root : roots)
        EXPECT_TRUE(root.bold && root.expanded && root.data == 0 && root.children[0].data != 0)
            << Ansi(root.text);
    EXPECT_EQ(TreeView_GetSelection(tree), nullptr);
    EXPECT_EQ(ListView_GetItemCount(list), 0);
    EXPECT_EQ(viewer->CaptionText(), L"Vistral Diagnose");

    SelectTreeItem(L"PC1 (2)");
    EXPECT_EQ(Column(list, 0), (Texts{L"05.12.2026 08:00:00", L"05.12.2026 08:00:02"}));
    EXPECT_EQ(Column(list, 1), (Texts{L"Alpha", L"Gamma"}));
    EXPECT_EQ(viewer->CaptionText(), L"Vistral Diagnose - PC1 (2)");
    const HTREEITEM before = TreeView_GetRoot(tree);
    Command(IDC_GROUP_BY_TYPE);
    EXPECT_EQ(TreeView_GetRoot(tree), before) << "already grouped by type: nothing is refilled";
    EXPECT_EQ(ListView_GetItemCount(list), 2);
    SelectTreeItem(L"Fehler");
    EXPECT_EQ(ListView_GetItemCount(list), 0);
    EXPECT_EQ(viewer->CaptionText(), L"Vistral Diagnose");

    SelectTreeItem(L"PC1 (2)");
    Command(IDC_GROUP_BY_COMPUTER);
    EXPECT_EQ(ListView_GetItemCount(list), 0);
    EXPECT_EQ(TreeView_GetSelection(tree), nullptr);
    roots = ReadTree(tree);
    ASSERT_EQ(RootTexts(tree), (Texts{L"A", L"PC1", L"Unbekannt", L"pc1"}));
    EXPECT_EQ(ChildTexts(roots[0]), (Texts{L"Unbekannt (1)", L"Unbekannt (1)"}));
    EXPECT_EQ(ChildTexts(roots[1]), (Texts{L"Information (2)", L"Fehler (1)"}));
    EXPECT_EQ(ChildTexts(roots[3]), (Texts{L"Warnung (1)"}));
    EXPECT_TRUE(roots[3].bold && roots[3].expanded);
}

TEST_F(Viewer, HeaderClicksSortOnceEachWithOneSharedFlagAndTheSelectionFollows) {
    ASSERT_TRUE(OpenLog({R"(31.01.2026 08:00:00   Host="H" Process="b" Traceclass="0")",
                         R"(01.02.2026 08:00:00   Host="H" Process="c" Traceclass="0")",
                         R"(15.01.2026 08:00:00   Host="H" Process="a" Traceclass="0")"}));
    SelectTreeItem(L"H (3)");
    SelectRow(list, 0);
    HWND header = ListView_GetHeader(list);
    RECT date{}, process{};
    Header_GetItemRect(header, 0, &date);
    Header_GetItemRect(header, 1, &process);
    // Clicks further apart than a double-click, as separate clicks of an operator are.
    const DWORD apart = ::GetDoubleClickTime() + 50;
    ClickAt(header, {(date.left + date.right) / 2, (date.top + date.bottom) / 2});
    EXPECT_EQ(Column(list, 0),
              (Texts{L"01.02.2026 08:00:00", L"15.01.2026 08:00:00", L"31.01.2026 08:00:00"}))
        << "ascending by the date column's text, not by time";
    EXPECT_EQ(ListView_GetNextItem(list, -1, LVNI_SELECTED), 2) << "the selection follows its record";
    ::SendMessageW(list, WM_CHAR, L'x', 1);
    EXPECT_EQ(ListView_GetNextItem(list, -1, LVNI_SELECTED), 2) << "no row starts with a typed letter";
    PumpMessages(apart); // the list's type-ahead starts a new text
    for (wchar_t typed : {L'1', L'5'})
        ::SendMessageW(list, WM_CHAR, typed, 1);
    EXPECT_EQ(ListView_GetNextItem(list, -1, LVNI_SELECTED), 1) << "the row whose date starts with 15";
    PumpMessages(apart);
    ClickAt(header, {(date.left + date.right) / 2, (date.top + date.bottom) / 2});
    EXPECT_EQ(Column(list, 0).front(), L"31.01.2026 08:00:00") << "descending";
    PumpMessages(apart);
    ClickAt(header, {(process.left + process.right) / 2, (process.top + process.bottom) / 2});
    EXPECT_EQ(Column(list, 1), (Texts{L"a", L"b", L"c"})) << "the flag is shared: ascending";
}

TEST_F(Viewer, LayoutFollowsTheClientSizeAndRefusesToShrinkBelowTheMinimum) {
    ASSERT_TRUE(OpenLog(kLines));
    ASSERT_EQ(SetClientSize(window, 900, 600), std::make_pair(900L, 600L));
    PumpMessages(20);
    const RECT byComputer = ChildRect(window, IDC_GROUP_BY_COMPUTER), ok = ChildRect(window, IDOK);
    const RECT cancel = ChildRect(window, IDCANCEL), treeRect = ChildRect(window, IDC_DIAGNOSE_TREE);
    const RECT listRect = ChildRect(window, IDC_DIAGNOSE_LIST),
               caption = ChildRect(window, IDC_DIAGNOSE_CAPTION);
    const LONG buttonHeight = byComputer.bottom - byComputer.top, cancelWidth = cancel.right - cancel.left;
    // Thirds of 900 less 15: 285 and 585; 10-pixel margins.
    EXPECT_EQ(caption, (RECT{0, 0, 900, 50}));
    EXPECT_EQ(std::make_pair(byComputer.left, byComputer.top), std::make_pair(10L, 60L));
    EXPECT_EQ(treeRect, (RECT{10, buttonHeight + 70, 295, 600 - 70}));
    EXPECT_EQ(listRect, (RECT{305, buttonHeight + 70, 890, 530})) << "under the buttons, beside the tree";
    EXPECT_LE(ChildRect(window, IDC_GROUP_BY_TYPE).bottom, listRect.top)
        << "the Datum heading is not covered";
    EXPECT_EQ(std::make_pair(cancel.right, cancel.bottom), std::make_pair(890L, 590L));
    EXPECT_EQ(std::make_pair(ok.right, ok.bottom), std::make_pair(890L - cancelWidth - 10, 590L));

    MINMAXINFO limits{};
    ::SendMessageW(window, WM_GETMINMAXINFO, 0, reinterpret_cast<LPARAM>(&limits));
    EXPECT_EQ(std::make_pair(limits.ptMinTrackSize.x, limits.ptMinTrackSize.y), std::make_pair(700L, 275L));
    ::ShowWindow(window, SW_MINIMIZE);
    PumpMessages(50);
    EXPECT_EQ(ChildRect(window, IDC_DIAGNOSE_TREE), treeRect) << "no layout when minimised";
}

TEST_F(Viewer, OneViewerAtATimeClosedEveryWayAndOpenedAnew) {
    // The window shows in the host's next dispatch, not within its call; closed before that, it
    // goes without showing.
    EXPECT_EQ(CreateDiagnoseDlg(0x0407, Ansi(WriteLog(kLines)).c_str()), 0);
    ASSERT_NE(OpenViewer(), nullptr);
    HWND early = OpenViewer()->Handle();
    EXPECT_FALSE(::IsWindowVisible(early));
    EXPECT_EQ(DestroyOpenDlg(), 0);
    EXPECT_FALSE(::IsWindow(early));

    ASSERT_TRUE(OpenLog(kLines));
    EXPECT_TRUE(::IsWindowVisible(window));
    ::ShowWindow(window, SW_MINIMIZE);
    PumpMessages(30);
    const std::wstring other = WriteLog({R"(01.01.2026 00:00:00   Host="OTHER")"}, L"other.log");
    EXPECT_EQ(CreateDiagnoseDlg(0x0407, Ansi(other).c_str()), 0);
    PumpMessages(30);
    EXPECT_EQ(OpenViewer(), viewer) << "no second viewer";
    EXPECT_FALSE(::IsIconic(window));
    EXPECT_EQ(FindTreeItem(tree, L"OTHER (1)"), nullptr) << "the open viewer keeps its log";

    const std::function<void(HWND)> ways[] = {
        [](HWND w) { // from the host's own loop: gone before the call returns
            EXPECT_EQ(DestroyOpenDlg(), 0);
            EXPECT_FALSE(::IsWindow(w));
        },
        [](HWND w) { ::SendMessageW(::GetDlgItem(w, IDOK), BM_CLICK, 0, 0); },
        [](HWND w) { ::SendMessageW(::GetDlgItem(w, IDCANCEL), BM_CLICK, 0, 0); },
        [](HWND w) { PostKey(::GetDlgItem(w, IDC_DIAGNOSE_TREE), VK_ESCAPE); },
        [](HWND w) { // Enter on OK
            ::SendMessageW(w, WM_NEXTDLGCTL, reinterpret_cast<WPARAM>(::GetDlgItem(w, IDOK)), TRUE);
            PostKey(::GetDlgItem(w, IDOK), VK_RETURN);
        },
        [](HWND w) { ::PostMessageW(w, WM_CLOSE, 0, 0); },
    };
    int way = 0;
    for (const auto& close : ways) {
        ASSERT_TRUE(way == 0 || Open(way == 1 ? other : path));
        close(window);
        PumpMessages(100);
        EXPECT_EQ(OpenViewer(), nullptr) << "way " << way;
        EXPECT_FALSE(::IsWindow(window)) << "way " << way;
        ++way;
    }
    Open(other);
    EXPECT_NE(FindTreeItem(tree, L"OTHER (1)"), nullptr) << "after closing, the next call loads anew";
}

TEST_F(Viewer, EnglishTextsFromTheEnglishLibrary) {
    ASSERT_TRUE(OpenLog(kLines, 0x0409));
    EXPECT_EQ(WindowText(window), L"Vistral Diagnostics");
    EXPECT_EQ(RootTexts(tree)[2], L"Error");
    EXPECT_EQ(HeaderTexts(list), L"Date|Process|Message|");
    Command(ID_VIEWER_TIMELINE);
    HWND timeline = FindThreadWindow(L"Vistral Diagnostics - Timeline");
    ASSERT_NE(timeline, nullptr);
    EXPECT_EQ(ChildText(timeline, IDC_TIMELINE_SUBTITLE), L"All records (7) - one bar per 1 min");
    EXPECT_EQ(ChildText(timeline, IDC_TIMELINE_UNTIMED), L"without date and time: 1");
    Command(ID_VIEWER_ALL_MATCHES);
    Find(L"pc1");
    HWND matches = OwnedDialog(window, IDC_MATCHES_LIST);
    ASSERT_NE(matches, nullptr);
    EXPECT_EQ(WindowText(matches), L"Vistral Diagnostics - Matches: \"pc1\" (4)");
    EXPECT_EQ(HeaderTexts(::GetDlgItem(matches, IDC_MATCHES_LIST)),
              L"Date|Computer|Diagnose type|Process|Message|");
}

TEST_F(Viewer, ABinaryLogAndANullPathStillOpenAWorkingViewer) {
    std::string binary;
    for (int i = 0; i < 70000; ++i)
        binary += static_cast<char>((i * 7919) & 0xFF);
    ASSERT_TRUE(OpenLog({binary}));
    TreeView_SelectItem(tree, TreeView_GetChild(tree, TreeView_GetRoot(tree)));
    PumpMessages(20);
    EXPECT_GT(ListView_GetItemCount(list), 0);
    DestroyOpenDlg();
    EXPECT_EQ(CreateDiagnoseDlg(0x0407, nullptr), 0);
    EXPECT_NE(OpenViewer(), nullptr);
}

TEST_F(Viewer, EnterKeepsTheViewerAndTabFollowsTheLayout) {
    ASSERT_TRUE(OpenLog(kLines));
    EXPECT_EQ(::GetFocus(), tree) << "the first Enter must not press OK";
    const HWND order[] = {::GetDlgItem(window, IDC_GROUP_BY_COMPUTER),
                          ::GetDlgItem(window, IDC_GROUP_BY_TYPE),
                          tree,
                          list,
                          ::GetDlgItem(window, IDOK),
                          ::GetDlgItem(window, IDCANCEL)};
    for (size_t i = 0; i < std::size(order); ++i)
        EXPECT_EQ(::GetNextDlgTabItem(window, order[i], FALSE), order[(i + 1) % std::size(order)]) << i;

    HTREEITEM heading = TreeView_GetRoot(tree);
    TreeView_SelectItem(tree, heading);
    const bool open = ReadNode(tree, heading).expanded;
    PressKey(tree, VK_RETURN);
    EXPECT_NE(ReadNode(tree, heading).expanded, open) << "Enter on a heading opens or closes it";
    PressKey(list, VK_RETURN); // no record in the list
    ASSERT_EQ(OpenViewer(), viewer);

    SelectTreeItem(L"PC1 (2)");
    PressKey(tree, VK_RETURN);
    EXPECT_EQ(::GetFocus(), list) << "Enter on an entry leads to its records";
    EXPECT_EQ(ListView_GetNextItem(list, -1, LVNI_FOCUSED | LVNI_SELECTED), 0);
    ::PostMessageW(tree, WM_SYSCHAR, 'r', 1 << 29); // Alt+R: the access key of "Rechner"
    PumpMessages(50);
    Settle();
    EXPECT_EQ(RootTexts(tree), (Texts{L"A", L"PC1", L"Unbekannt", L"pc1"}));
    EXPECT_EQ(OpenViewer(), viewer);
}

TEST_F(Viewer, TheEmptyListSaysWhyAndTheBandNamesTheLog) {
    const std::wstring missing = dir.Path() + L"missing.log";
    ASSERT_TRUE(Open(missing));
    EXPECT_EQ(viewer->ListNoteText(), L"Das Protokoll wurde nicht gefunden: " + missing);
    wchar_t tip[MAX_PATH] = {};
    TTTOOLINFOW tool{};
    tool.cbSize = TTTOOLINFOW_V2_SIZE;
    tool.hwnd = window;
    tool.uId = reinterpret_cast<UINT_PTR>(::GetDlgItem(window, IDC_DIAGNOSE_CAPTION));
    tool.lpszText = tip;
    for (HWND w = nullptr; (w = ::FindWindowExW(nullptr, w, TOOLTIPS_CLASSW, nullptr)) != nullptr;)
        if (::GetWindow(w, GW_OWNER) == window && !tip[0])
            ::SendMessageW(w, TTM_GETTEXTW, MAX_PATH, reinterpret_cast<LPARAM>(&tool));
    EXPECT_EQ(std::wstring(tip), missing) << "the band's tooltip names the log";
    DestroyOpenDlg();

    ASSERT_TRUE(Open(WriteLog({}, L"empty.log")));
    EXPECT_EQ(viewer->ListNoteText(), L"Das Protokoll ist leer");
    DestroyOpenDlg();

    std::wstring folder = dir.Path(); // a folder given as the log: its reason said once
    folder.pop_back();
    ASSERT_TRUE(Open(folder));
    Command(ID_VIEWER_REFRESH);
    const std::wstring caption = viewer->CaptionText();
    const size_t reason = caption.find(L"Zugriff verweigert");
    EXPECT_TRUE(reason != std::wstring::npos &&
                caption.find(L"verweigert", reason + 18) == std::wstring::npos)
        << Ansi(caption);
    DestroyOpenDlg();

    ASSERT_TRUE(OpenLog(kLines));
    EXPECT_EQ(viewer->ListNoteText(), L"Ein Eintrag links zeigt seine Meldungen");
    SelectTreeItem(L"PC1 (2)");
    EXPECT_EQ(viewer->ListNoteText(), L"");
}

// A log whose index would pass the budget the host set shows its newest records, within it, and
// the caption band says from when; the oldest line is not among them, the newest is.
TEST_F(Viewer, ALogLargerThanTheHostsBudgetShowsItsNewestRecordsAndSaysFromWhen) {
    struct Budget { // the host's setting, for this test only
        Budget() {
            const DWORD megabytes = 16;
            ::RegSetKeyValueW(HKEY_LOCAL_MACHINE, viewer::kBudgetKey, viewer::kBudgetValue, REG_DWORD,
                              &megabytes, sizeof megabytes);
        }
        ~Budget() { ::RegDeleteKeyValueW(HKEY_LOCAL_MACHINE, viewer::kBudgetKey, viewer::kBudgetValue); }
    } budget;
    constexpr int kLines = 3000000;
    std::vector<std::string> lines;
    lines.reserve(kLines);
    char line[64];
    for (int i = 0; i < kLines; ++i) {
        std::snprintf(line, sizeof line, "%02d.12.2026 %02d:%02d:%02d   Host=\"PC1\"", 1 + i / 86400,
                      i / 3600 % 24, i / 60 % 60, i % 60);
        lines.push_back(line);
    }
    const std::string last = lines.back().substr(0, 19);
    ASSERT_TRUE(OpenLog(lines));
    const HTREEITEM item = TreeView_GetChild(tree, TreeView_GetRoot(tree));
    ASSERT_NE(item, nullptr);
    const std::wstring label = ReadNode(tree, item).text;
    TreeView_SelectItem(tree, item);
    PumpMessages(20);
    const int shown = ListView_GetItemCount(list);
    EXPECT_GT(shown, kLines / 10);
    EXPECT_LT(shown, kLines);
    EXPECT_EQ(label, L"PC1 (" + std::to_wstring(shown) + L")");
    EXPECT_EQ(ListText(list, shown - 1, 0), std::wstring(last.begin(), last.end())) << "the last line";
    EXPECT_EQ(viewer->CaptionText(), L"Vistral Diagnose - nur die neuesten " + viewer::GroupedNumber(shown) +
                                         L" Einträge, ab " + ListText(list, 0, 0) + L" - " + label);
}
