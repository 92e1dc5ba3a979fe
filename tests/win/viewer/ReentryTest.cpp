// The viewer where its features meet loops and windows that are not its own: keys in its context
// menu, a host that closes it while the menu or the details run or inside a handler, the host's keys while
// the details run, following held while the details run, and a log that cannot be read on.
#include "ViewerFixture.h"

using namespace viewer_tests;

// Set while the list handles a double-click; whether its window was destroyed meanwhile.
static bool g_inDoubleClick = false, g_destroyedInDoubleClick = false;

static LRESULT CALLBACK WatchDoubleClick(HWND window, UINT message, WPARAM wParam, LPARAM lParam, UINT_PTR,
                                         DWORD_PTR) {
    if (message == WM_NCDESTROY)
        g_destroyedInDoubleClick = g_inDoubleClick;
    if (message != WM_LBUTTONDBLCLK)
        return ::DefSubclassProc(window, message, wParam, lParam);
    g_inDoubleClick = true;
    const LRESULT result = ::DefSubclassProc(window, message, wParam, lParam);
    g_inDoubleClick = false;
    return result;
}

// The host's close, sent while the viewer's handler that empties the list waits for it (as for a
// clipboard owner on another thread); whether the viewer's window was still there afterwards.
static bool g_stayedUnderHandler = false;
static LRESULT CALLBACK CloseOnRowCount(HWND list, UINT message, WPARAM wParam, LPARAM lParam, UINT_PTR,
                                        DWORD_PTR viewer) {
    if (message == LVM_SETITEMCOUNT && ::RemoveWindowSubclass(list, CloseOnRowCount, 2)) {
        DestroyOpenDlg();
        g_stayedUnderHandler = ::IsWindow(reinterpret_cast<HWND>(viewer));
    }
    return ::DefSubclassProc(list, message, wParam, lParam);
}

const std::vector<std::string> kTwoLines = {
    R"(05.12.2026 08:00:00   Host="PC1" Process="Alpha" Traceclass="0")",
    R"(05.12.2026 08:00:01   Host="PC1" Process="Beta" Traceclass="0")"};

const std::string kGamma = "05.12.2026 08:00:02   Host=\"PC1\" Process=\"Gamma\" Traceclass=\"0\"\r\n";

class Reentry : public ViewerOn<kTwoLines> {
protected:
    void SetUp() override {
        ViewerOn::SetUp();
        SelectTreeItem(L"PC1 (2)");
        SelectRow(list, 0);
    }
    // Opens the list's (or the tree's) context menu; `inMenu` runs inside its loop, which is
    // ended a second later whatever it did.
    void WithMenu(const std::function<void()>& inMenu, bool ofTree = false) {
        AfterDelay(200, inMenu);
        AfterDelay(1200, [] { ::EndMenu(); });
        RECT area{};
        ::GetWindowRect(ofTree ? tree : list, &area);
        ::SendMessageW(window, WM_CONTEXTMENU, reinterpret_cast<WPARAM>(ofTree ? tree : list),
                       MAKELPARAM(area.left + 20, area.top + 40));
        PumpMessages(50);
    }
};

TEST_F(Reentry, MenuKeysAreTheMenusAndAHostClosingTheViewerEndsTheMenu) {
    WithMenu([&] {
        PostKey(list, VK_DOWN);
        PostKey(list, VK_ESCAPE);
    });
    ASSERT_EQ(OpenViewer(), viewer) << "Escape closed the menu, not the viewer";
    EXPECT_EQ(ListView_GetNextItem(list, -1, LVNI_SELECTED), 0) << "the arrow moved in the menu";

    WithMenu(
        [&] {
            PostKey(tree, VK_DOWN);
            PostKey(tree, VK_RETURN);
        },
        true);
    ASSERT_EQ(OpenViewer(), viewer) << "Enter chose the menu's first item";
    EXPECT_NE(viewer->Find().Dialog(), nullptr) << "the tree's first item opens the Find dialog";

    // AltGr+F types a character: it is no Ctrl+F.
    ::SendMessageW(viewer->Find().Dialog(), WM_COMMAND, IDCANCEL, 0);
    HoldKeys({VK_CONTROL, VK_MENU}, true);
    PostKey(tree, 'F');
    PumpMessages(50);
    HoldKeys({VK_CONTROL, VK_MENU}, false);
    EXPECT_EQ(viewer->Find().Dialog(), nullptr);

    bool goneAtOnce = false;
    WithMenu([&] {
        DestroyOpenDlg();
        goneAtOnce = OpenViewer() == nullptr && !::IsWindowVisible(window);
    });
    EXPECT_TRUE(goneAtOnce) << "out of the slot and off the screen while the menu runs";
    EXPECT_FALSE(::IsWindow(window)) << "closed once the menu ended";
}

TEST_F(Reentry, TheDetailsStepThroughRowsThatStayWhatWaitedComesAfterAndAClosedViewerMakesWay) {
    Command(ID_VIEWER_FIND);
    HWND find = viewer->Find().Dialog();
    ASSERT_NE(find, nullptr);
    EXPECT_LE(::SendDlgItemMessageW(find, 1152 /* edt1 */, EM_GETLIMITTEXT, 0, 0), 256)
        << "the Find box takes no more than its buffer holds";
    int rowsDuring = 0;
    BOOL findEnabled = TRUE;
    WithDetails([&] { DoubleClickRow(0); },
                [&](HWND) {
                    Append(kGamma);
                    PumpMessages(1300); // the follow timer fires meanwhile
                    rowsDuring = ListView_GetItemCount(list);
                    findEnabled = ::IsWindowEnabled(find);
                });
    EXPECT_EQ(std::make_pair(rowsDuring, findEnabled), std::make_pair(2, FALSE));
    PumpMessages(100);
    EXPECT_EQ(Column(list, 1), (std::vector<std::wstring>{L"Alpha", L"Beta", L"Gamma"})) << "afterwards";
    EXPECT_TRUE(::IsWindowEnabled(find));

    // The host closes the viewer from its timer while the details run, and opens another at once.
    CDiagnoseDlg* second = nullptr;
    WithDetails([&] { DoubleClickRow(0); },
                [&](HWND) {
                    DestroyOpenDlg();
                    EXPECT_EQ(OpenViewer(), nullptr);
                    EXPECT_FALSE(::IsWindowVisible(window));
                    CreateDiagnoseDlg(0x0407, Ansi(path).c_str());
                    second = OpenViewer();
                });
    PumpMessages(50);
    ASSERT_NE(second, nullptr);
    EXPECT_NE(second, viewer) << "a new viewer, not the closing one";
    EXPECT_EQ(OpenViewer(), second);
    EXPECT_FALSE(::IsWindow(window));
}

TEST_F(Reentry, AReadThatFailsStopsFollowingSaysWhyAndIsNotTriedAgainUntilF5) {
    Append(kGamma);
    diagnose::RecordStore::SetFaultHook([](const char* where) {
        if (std::string(where) == "filed")
            throw std::bad_alloc();
    });
    Command(ID_VIEWER_REFRESH);
    diagnose::RecordStore::SetFaultHook(nullptr);
    EXPECT_FALSE(viewer->IsFollowing());
    const std::wstring caption = viewer->CaptionText();
    EXPECT_EQ(caption.rfind(L"Vistral Diagnose - nur 2 Einträge, bis ", 0), 0u) << "the records shown";
    const size_t label = caption.find(L" - PC1 (2) - ");
    EXPECT_TRUE(label != std::wstring::npos && caption.size() > label + 13)
        << "the platform's text for running out of memory";
    PumpMessages(1300);
    EXPECT_EQ(ListView_GetItemCount(list), 2) << "not read again every second";
    Command(ID_VIEWER_REFRESH);
    EXPECT_EQ(viewer->CaptionText(), L"Vistral Diagnose - PC1 (3)");
    EXPECT_TRUE(viewer->IsFollowing());
}

// The reading thread's end message lost, as a post to a full queue is.
static LRESULT CALLBACK DropReadEnded(int code, WPARAM wParam, LPARAM lParam) {
    if (code >= 0 && reinterpret_cast<MSG*>(lParam)->message == WM_APP + 5)
        reinterpret_cast<MSG*>(lParam)->message = WM_NULL;
    return ::CallNextHookEx(nullptr, code, wParam, lParam);
}

TEST_F(Reentry, ALookThatFailsStopsFollowingAndAJobWhoseEndWasLostIsTakenInAtTheNextTick) {
    diagnose::RecordStore::SetFaultHook([](const char* where) {
        if (std::string(where) == "look")
            throw std::bad_alloc();
    });
    Command(ID_VIEWER_REFRESH);
    diagnose::RecordStore::SetFaultHook(nullptr);
    EXPECT_FALSE(viewer->IsFollowing()) << "a look that failed says so";

    HHOOK drop = ::SetWindowsHookExW(WH_GETMESSAGE, DropReadEnded, nullptr, ::GetCurrentThreadId());
    ::SendMessageW(window, WM_COMMAND, ID_VIEWER_REFRESH, 0);
    Append(kGamma);
    EXPECT_TRUE(PumpUntil([&] { return ListView_GetItemCount(list) == 3; }, 5000));
    ::UnhookWindowsHookEx(drop);
}

TEST_F(Reentry, HostsEditKeepsCtrlCWhileTheDetailsRun) {
    HWND edit = HostEdit(L"host text");
    ASSERT_NE(edit, nullptr);
    WithDetails([&] { DoubleClickRow(0); },
                [&](HWND details) {
                    // Every details row selected: a Ctrl+C taken from the host would copy them.
                    ListView_SetItemState(::GetDlgItem(details, IDC_DETAILS_LIST), -1, LVIS_SELECTED,
                                          LVIS_SELECTED);
                    ::SendMessageW(edit, EM_SETSEL, 0, -1);
                    PressCtrlKey(edit, 'C');
                });
    ReleaseCtrl();
    EXPECT_EQ(ClipboardText().c_str(), std::wstring(L"host text"));
    ::DestroyWindow(edit);
}

TEST_F(Reentry, ClosingWhileTheDetailsRunWaitsForTheDoubleClickedListToReturn) {
    ASSERT_TRUE(::SetWindowSubclass(list, WatchDoubleClick, 1, 0));
    bool detailsSeen = false;
    AfterDelay(400, [&] {
        detailsSeen = FindThreadWindow(L"Vistral Diagnose-Details") != nullptr;
        DestroyOpenDlg(); // the host closes the viewer from its timer while the details run
    });
    RECT row{};
    ListView_GetItemRect(list, 0, &row, LVIR_LABEL);
    ClickAt(list, {row.left + 5, (row.top + row.bottom) / 2}, true); // a real double-click on the first row
    PumpMessages(500);
    EXPECT_TRUE(detailsSeen);
    EXPECT_EQ(OpenViewer(), nullptr) << "the viewer closed";
    EXPECT_FALSE(g_destroyedInDoubleClick) << "the list was destroyed inside its own double-click";
}

TEST_F(Reentry, AHostsCloseSentIntoAHandlerWaitsUntilItHasReturned) {
    ASSERT_TRUE(::SetWindowSubclass(list, CloseOnRowCount, 2, reinterpret_cast<DWORD_PTR>(window)));
    Command(IDC_GROUP_BY_COMPUTER); // its handler empties the list first
    EXPECT_TRUE(g_stayedUnderHandler) << "destroyed under its handler";
    EXPECT_TRUE(PumpUntil([&] { return !::IsWindow(window); }, 2000)) << "closed once it returned";
}
