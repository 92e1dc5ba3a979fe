// The viewer inside a host's thread, beside the host's own windows: the details dialog leaves
// the host's keys alone, and the viewer closed while the details run goes only after the
// control whose double-click opened them is done with it.
#include "ViewerFixture.h"

using namespace testing_support;
using namespace viewer_tests;

namespace {

// Set while the list handles a double-click; whether its window was destroyed meanwhile.
bool g_inDoubleClick = false, g_destroyedInDoubleClick = false;

LRESULT CALLBACK WatchDoubleClick(HWND window, UINT message, WPARAM wParam, LPARAM lParam, UINT_PTR,
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

class HostEdges : public Viewer {
protected:
    void SetUp() override {
        Open(WriteLog({R"(05.12.2026 08:00:00   Host="PC1" Process="Alpha" Traceclass="0")",
                       R"(05.12.2026 08:00:01   Host="PC1" Process="Beta" Traceclass="0")"}));
        ASSERT_NE(viewer, nullptr);
        SelectTreeItem(L"PC1 (2)");
    }
};

} // namespace

TEST_F(HostEdges, HostsEditKeepsCtrlCWhileTheDetailsRun) {
    HWND edit = ::CreateWindowExW(0, L"EDIT", L"host text", WS_POPUP | WS_VISIBLE | WS_BORDER, 0, 0, 200, 30,
                                  nullptr, nullptr, nullptr, nullptr);
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

TEST_F(HostEdges, ClosingWhileTheDetailsRunWaitsForTheDoubleClickedListToReturn) {
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
