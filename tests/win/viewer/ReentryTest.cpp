// The viewer where its features meet loops that are not its own: keys in its context menu, a
// host that closes it while the menu or the details run, following held while the details
// run, and a log that cannot be read on.
#include "ViewerFixture.h"

#include <fstream>

using namespace testing_support;
using namespace viewer_tests;

namespace {

class Reentry : public Viewer {
protected:
    void SetUp() override {
        path = WriteLog({R"(05.12.2026 08:00:00   Host="PC1" Process="Alpha" Traceclass="0")",
                         R"(05.12.2026 08:00:01   Host="PC1" Process="Beta" Traceclass="0")"});
        Open(path);
        ASSERT_NE(viewer, nullptr);
        SelectTreeItem(L"PC1 (2)");
        ListView_SetItemState(list, 0, LVIS_SELECTED | LVIS_FOCUSED, LVIS_SELECTED | LVIS_FOCUSED);
    }
    void AppendLine(const char* process) {
        std::ofstream(path.c_str(), std::ios::binary | std::ios::app)
            << "05.12.2026 08:00:02   Host=\"PC1\" Process=\"" << process << "\" Traceclass=\"0\"\r\n";
    }
    // Opens the list's context menu; `inMenu` runs inside its loop, which is ended a second
    // later whatever it did.
    void WithMenu(const std::function<void()>& inMenu) {
        AfterDelay(200, inMenu);
        AfterDelay(1200, [] { ::EndMenu(); });
        RECT area{};
        ::GetWindowRect(list, &area);
        ::SendMessageW(window, WM_CONTEXTMENU, reinterpret_cast<WPARAM>(list),
                       MAKELPARAM(area.left + 20, area.top + 40));
        PumpMessages(50);
    }
    std::wstring path;
};

} // namespace

TEST_F(Reentry, MenuKeysAreTheMenusAndAHostClosingTheViewerEndsTheMenu) {
    WithMenu([&] {
        PostKey(list, VK_DOWN);
        PostKey(list, VK_ESCAPE);
    });
    ASSERT_EQ(OpenViewer(), viewer) << "Escape closed the menu, not the viewer";
    EXPECT_EQ(ListView_GetNextItem(list, -1, LVNI_SELECTED), 0) << "the arrow moved in the menu";

    WithMenu([&] {
        PostKey(list, VK_DOWN);
        PostKey(list, VK_RETURN);
    });
    ASSERT_EQ(OpenViewer(), viewer) << "Enter chose the menu's first item";
    EXPECT_NE(viewer->Find().Dialog(), nullptr) << "the first item opens the Find dialog";

    // AltGr+F types a character: it is no Ctrl+F.
    ::SendMessageW(viewer->Find().Dialog(), WM_COMMAND, IDCANCEL, 0);
    BYTE keys[256] = {};
    ::GetKeyboardState(keys);
    keys[VK_CONTROL] = keys[VK_MENU] = 0x80;
    ::SetKeyboardState(keys);
    PostKey(tree, 'F');
    PumpMessages(50);
    keys[VK_CONTROL] = keys[VK_MENU] = 0;
    ::SetKeyboardState(keys);
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
                    AppendLine("Gamma");
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
    AppendLine("Gamma");
    diagnose::RecordStore::SetFaultHook([](const char* where) {
        if (std::string(where) == "filed")
            throw std::bad_alloc();
    });
    Command(ID_VIEWER_REFRESH);
    diagnose::RecordStore::SetFaultHook(nullptr);
    EXPECT_FALSE(viewer->IsFollowing());
    EXPECT_EQ(viewer->CaptionText().rfind(L"Vistral Diagnose - PC1 (2) - ", 0), 0u);
    EXPECT_GT(viewer->CaptionText().size(), std::wstring(L"Vistral Diagnose - PC1 (2) - ").size())
        << "the platform's text for running out of memory";
    PumpMessages(1300);
    EXPECT_EQ(ListView_GetItemCount(list), 2) << "not read again every second";
    Command(ID_VIEWER_REFRESH);
    EXPECT_EQ(viewer->CaptionText(), L"Vistral Diagnose - PC1 (3)");
    EXPECT_TRUE(viewer->IsFollowing());
}
