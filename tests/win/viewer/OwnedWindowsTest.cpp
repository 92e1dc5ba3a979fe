// The viewer's match window and timeline at their edges: opened only when asked, brought back
// from the taskbar, a read error kept beside the records of the same read, a double-click that
// is one click, a hover that goes with its window.
#include "ViewerFixture.h"

#include <algorithm>
#include <atomic>
#include <memory>
#include <thread>

using namespace viewer_tests;

// A timeline tooltip of this thread that is showing.
static bool TipShows() {
    for (HWND tip = nullptr; (tip = ::FindWindowExW(nullptr, tip, TOOLTIPS_CLASSW, nullptr)) != nullptr;)
        if (::IsWindowVisible(tip) && ::GetWindowThreadProcessId(tip, nullptr) == ::GetCurrentThreadId())
            return true;
    return false;
}

// Whether two windows overlap on the screen.
static bool Overlap(HWND a, HWND b) {
    RECT first{}, second{}, both{};
    ::GetWindowRect(a, &first);
    ::GetWindowRect(b, &second);
    return ::IntersectRect(&both, &first, &second);
}

static int g_scans = 0;

// Opens `window`'s context menu from the keyboard for `control` and chooses the item whose
// mnemonic is `key`. The viewer's Find, asked for inside the menu, does not open there.
static void ChooseFromMenu(HWND window, HWND control, WORD key) {
    auto open = std::make_shared<bool>(true);
    HWND viewer = ::GetWindow(window, GW_OWNER);
    AfterDelay(100, [viewer] { ::SendMessageW(viewer, WM_COMMAND, ID_VIEWER_FIND, 0); });
    AfterDelay(150, [control, key] { PostKey(control, key); });
    AfterDelay(1000, [open] { // whatever the key did; not a later test's menu
        if (*open)
            ::EndMenu();
    });
    ::SendMessageW(window, WM_CONTEXTMENU, reinterpret_cast<WPARAM>(control), -1);
    *open = false;
    PumpMessages(50);
    EXPECT_EQ(OwnedDialog(viewer, 1152 /* the Find dialog's edt1 */), nullptr) << "Find ran inside the menu";
}

TEST_F(Viewer, MatchWindowOpensOnlyWhenAskedComesBackFromTheTaskbarAndKeepsAReadError) {
    ASSERT_TRUE(OpenLog({R"(05.12.2026 08:00:01   Host="PC1" Process="Alpha" Traceclass="0")"}));
    CtrlKey(tree, 'F', true); // no text yet: the Find dialog asks, and is cancelled
    HWND find = OwnedDialog(window, 0);
    ASSERT_NE(find, nullptr);
    ::SendMessageW(find, WM_COMMAND, IDCANCEL, 0);
    CtrlKey(tree, 'F');
    find = OwnedDialog(window, 0);
    ASSERT_NE(find, nullptr);
    FindInDialog(find, L"Alpha");
    ::SendMessageW(find, WM_COMMAND, IDCANCEL, 0);
    EXPECT_EQ(OwnedDialog(window, IDC_MATCHES_LIST), nullptr) << "the cancelled request is forgotten";

    CtrlKey(tree, 'F', true);
    HWND matches = OwnedDialog(window, IDC_MATCHES_LIST);
    ASSERT_NE(matches, nullptr);
    ::ShowWindow(matches, SW_MINIMIZE);
    CtrlKey(tree, 'F', true);
    EXPECT_FALSE(::IsIconic(matches)) << "Ctrl+Shift+F brings it back";

    // One read files a first batch of matching lines and runs out of memory in the second.
    std::string more;
    for (int i = 0; i < 40000; ++i)
        more += "05.12.2026 08:00:02   Host=\"PC1\" Process=\"Alpha\" Traceclass=\"0\" Text=\"more\"\r\n";
    Append(more);
    g_scans = 0;
    diagnose::RecordStore::SetFaultHook([](const char* where) {
        if (std::string(where) == "scanned" && ++g_scans > 1)
            throw std::bad_alloc();
    });
    Command(ID_VIEWER_REFRESH);
    diagnose::RecordStore::SetFaultHook(nullptr);
    ASSERT_FALSE(viewer->IsFollowing());
    const std::wstring title = WindowText(matches);
    EXPECT_NE(title.find(L"\" ("), std::wstring::npos);
    EXPECT_EQ(title.find(L"(1)"), std::wstring::npos) << "the first batch's matches joined";
    EXPECT_NE(title.find(L") - "), std::wstring::npos) << "and the error stays in the title: " << Ansi(title);
}

TEST_F(Viewer, TimelineTakesADoubleClickAsOneAndItsHoverGoesWithItsWindow) {
    // PC1's records one a minute from 08:00 to 08:10, PC2's one at 08:20: the whole log has 21
    // slots, PC1's entry 11.
    std::vector<std::string> lines;
    for (int minute = 0; minute <= 10; ++minute)
        lines.push_back("05.12.2026 08:" + std::string(minute < 10 ? "0" : "") + std::to_string(minute) +
                        ":00   Host=\"PC1\" Process=\"P" + std::to_string(minute) + "\" Traceclass=\"2\"");
    lines.push_back(R"(05.12.2026 08:20:00   Host="PC2" Process="Late" Traceclass="2")");
    ASSERT_TRUE(OpenLog(lines));
    Command(ID_VIEWER_TIMELINE);
    HWND timeline = Timeline();
    ASSERT_NE(timeline, nullptr);
    HWND chart = ::GetDlgItem(timeline, IDC_TIMELINE_CHART);
    RECT client{};
    ::GetClientRect(chart, &client);
    const int left = 44, right = client.right - 12; // the plot's margins
    // The middle of the 08:06 slot of 21: in PC1's chart of 11 it is the 08:03 slot.
    const POINT at{left + (right - left) * 13 / 42, client.bottom / 2};
    ClickAt(chart, at, true);
    EXPECT_EQ(Where(), Place(L"PC1 (11)", L"P6"));

    ::SetCursorPos(0, 0);
    ClickAt(chart, at); // the pointer rests on a bar: its tooltip shows
    ASSERT_TRUE(TipShows());
    PostKey(timeline, VK_ESCAPE);
    PumpMessages(50);
    ::SetCursorPos(0, 0);
    Command(ID_VIEWER_TIMELINE);
    PumpMessages(50);
    EXPECT_FALSE(TipShows()) << "no tooltip of the window that went";
}

TEST_F(Viewer, TimelineChartTakesTheKeysAndItsMenuShowsASlotOrTheWholeLog) {
    ASSERT_TRUE(OpenLog({R"(05.12.2026 08:00:10   Host="PC1" Process="Alpha" Traceclass="2")",
                         R"(05.12.2026 08:01:20   Host="PC2" Process="Beta" Traceclass="1")",
                         R"(05.12.2026 08:02:30   Host="PC2" Process="Gamma" Traceclass="2")"}));
    Command(ID_VIEWER_TIMELINE);
    HWND timeline = Timeline();
    ASSERT_NE(timeline, nullptr);
    HWND chart = ::GetDlgItem(timeline, IDC_TIMELINE_CHART);
    EXPECT_FALSE(Overlap(timeline, list)) << "beside the viewer, off its list";
    EXPECT_TRUE(::GetWindowLongW(chart, GWL_STYLE) & WS_TABSTOP) << "Tab reaches it";
    ::SetFocus(chart);
    PostKey(chart, VK_END);
    PumpMessages(50);
    EXPECT_EQ(ChildText(timeline, IDC_TIMELINE_FOCUS),
              L"05.12.2026 08:02 - 08:03: Fehler: 1, Warnung: 0, Information: 0, Unbekannt: 0");
    EXPECT_EQ(WindowText(chart), ChildText(timeline, IDC_TIMELINE_FOCUS)) << "what a screen reader reads";
    PostKey(chart, VK_LEFT);
    PostKey(chart, VK_RETURN);
    PumpMessages(50);
    EXPECT_EQ(Where().second, L"Beta");
    ASSERT_TRUE(::IsWindow(timeline)) << "Enter does not close it";

    ChooseFromMenu(timeline, chart, 'G'); // the whole log, whatever entry is selected
    EXPECT_EQ(ChildText(timeline, IDC_TIMELINE_SUBTITLE), L"Alle Einträge (3) - ein Balken je 1 min");
    PostKey(chart, VK_HOME);
    PumpMessages(50);
    ChooseFromMenu(timeline, chart, 'V'); // its focused slot in the viewer
    EXPECT_EQ(Where().second, L"Alpha");
    ::SetWindowPos(timeline, nullptr, 5, 6, 400, 300, SWP_NOZORDER);
    PostKey(timeline, VK_ESCAPE);
    PumpMessages(50);
    Command(ID_VIEWER_TIMELINE);
    RECT mine{};
    ::GetWindowRect(Timeline(), &mine);
    EXPECT_EQ(std::make_pair(mine.left, mine.bottom), std::make_pair(5L, 306L)) << "it keeps its place";
}

TEST_F(Viewer, MatchWindowMenuSelectsAllCopiesShowsAndSaysWhenTheClipboardIsHeld) {
    ASSERT_TRUE(OpenLog({R"(05.12.2026 08:00:01   Host="PC1" Process="Alpha" Traceclass="0")",
                         R"(05.12.2026 08:00:02   Host="PC2" Process="Alpha" Traceclass="1")"}));
    Command(ID_VIEWER_ALL_MATCHES);
    Find(L"Alpha");
    HWND matches = OwnedDialog(window, IDC_MATCHES_LIST);
    ASSERT_NE(matches, nullptr);
    HWND rows = ::GetDlgItem(matches, IDC_MATCHES_LIST);
    EXPECT_FALSE(Overlap(matches, list)) << "beside or below the viewer, off its list";
    SelectRow(rows, 1);
    ::SendMessageW(viewer->Find().Dialog(), WM_COMMAND, IDCANCEL, 0);
    ChooseFromMenu(matches, rows, 'A');
    EXPECT_EQ(ListView_GetSelectedCount(rows), 2u) << "Select all";
    ChooseFromMenu(matches, rows, 'K');
    const std::wstring copied = ClipboardText();
    EXPECT_EQ(std::count(copied.begin(), copied.end(), L'\n'), 2) << "Copy";
    ChooseFromMenu(matches, rows, 'V');
    EXPECT_EQ(Where(), Place(L"PC2 (1)", L"Alpha")) << "Show in viewer";

    // Another program holds the clipboard: the copy says so.
    std::atomic<int> step{0}; // 1: the clipboard is held; 2: let it go
    std::thread holder([&] {
        step = ::OpenClipboard(nullptr) ? 1 : 2;
        for (int waited = 0; step != 2 && waited < 5000; waited += 10)
            ::Sleep(10);
        ::CloseClipboard();
    });
    ASSERT_TRUE(PumpUntil([&] { return step != 0; }, 5000));
    SeenMessageBox seen;
    ReadAndCloseNextMessageBox(seen);
    CtrlKey(rows, 'C');
    PumpMessages(300);
    step = 2;
    holder.join();
    EXPECT_EQ(seen.text.rfind(L"Die Einträge konnten nicht in die Zwischenablage kopiert werden: ", 0), 0u)
        << Ansi(seen.text);
}

TEST_F(Viewer, MatchWindowKeepsSortSelectionAndScrollOverAnUnchangedSearchAndACut) {
    std::vector<std::string> lines;
    for (int i = 0; i < 100; ++i)
        lines.push_back("05.12.2026 08:00:" + std::to_string(10 + i % 50) + "   Host=\"PC1\" Process=\"P" +
                        std::to_string(100 + i) + "\" Traceclass=\"0\"");
    ASSERT_TRUE(OpenLog(lines));
    Command(ID_VIEWER_ALL_MATCHES);
    Find(L"Host");
    HWND rows = ::GetDlgItem(OwnedDialog(window, IDC_MATCHES_LIST), IDC_MATCHES_LIST);
    ClickHeader(::GetParent(rows), 3);
    ClickHeader(::GetParent(rows), 3); // by process, descending
    SelectRow(rows, 40);
    ListView_EnsureVisible(rows, 59, FALSE);
    const int top = ListView_GetTopIndex(rows);
    Find(L"Host");                                 // the same search
    lines.erase(lines.begin(), lines.begin() + 5); // the log cut to its newest part
    WriteLog(lines);
    Command(ID_VIEWER_REFRESH);
    PumpMessages(50);
    EXPECT_EQ(ListText(rows, 0, 3), L"P199") << "still by process, descending";
    const int selected = ListView_GetNextItem(rows, -1, LVNI_SELECTED);
    EXPECT_EQ(selected < 0 ? L"" : ListText(rows, selected, 3), L"P159");
    EXPECT_EQ(ListView_GetTopIndex(rows), top);
}
