// The viewer's timeline window through the real exports: opened by its key and command, its
// picture and tooltip, following the viewer, a click selecting the slot's record, closing.
#include "ViewerFixture.h"

using namespace viewer_tests;

const std::vector<std::string> kLog = {
    R"(05.12.2026 08:00:10   Host="PC1" Process="Alpha" Traceclass="2")",
    R"(05.12.2026 08:01:20   Host="PC2" Process="Beta" Traceclass="1")",
    R"(05.12.2026 08:02:30   Host="PC2" Process="Gamma" Traceclass="2")",
    R"(05.12.2026 08:02:40   Host="PC1" Process="Delta" Traceclass="2")",
    R"(Host="PC1" Process="Epsilon" ohne Kopf)",
};

// A point of the chart `fraction` of its width from the left, half-way down.
static POINT ChartPoint(HWND chart, double fraction) {
    RECT client{};
    ::GetClientRect(chart, &client);
    return {static_cast<LONG>(client.right * fraction), client.bottom / 2};
}

// Pixels of the chart's client area in the colour, in [from, to) of its width.
static int CountColour(const Pixels& pixels, uint32_t colour, double from, double to) {
    int count = 0;
    for (int y = 0; y < pixels.height; ++y)
        for (int x = static_cast<int>(pixels.width * from); x < static_cast<int>(pixels.width * to); ++x)
            count += pixels.At(x, y) == colour;
    return count;
}

static std::wstring TipText(HWND timeline, HWND chart) {
    HWND tip = nullptr;
    while ((tip = ::FindWindowExW(nullptr, tip, TOOLTIPS_CLASSW, nullptr)) &&
           ::GetWindow(tip, GW_OWNER) != timeline) {
    }
    wchar_t text[256] = {};
    TTTOOLINFOW tool{};
    tool.cbSize = TTTOOLINFOW_V2_SIZE;
    tool.hwnd = chart;
    tool.uId = 1;
    tool.lpszText = text;
    if (tip && ::IsWindowVisible(tip))
        ::SendMessageW(tip, TTM_GETTEXTW, 256, reinterpret_cast<LPARAM>(&tool));
    return text;
}

TEST_F(Viewer, TimelineOpensFollowsTheViewerAndAClickSelectsTheSlotsFirstRecord) {
    ASSERT_TRUE(OpenLog(kLog));
    HWND edit = HostEdit();
    for (HWND target : {edit, tree}) { // a host window's Ctrl+T is the host's
        PressCtrlKey(target, 'T');
        PumpMessages(100);
        ReleaseCtrl();
        EXPECT_EQ(Timeline() != nullptr, target == tree);
    }
    ::DestroyWindow(edit);
    HWND timeline = Timeline();
    ASSERT_NE(timeline, nullptr);
    EXPECT_EQ(::GetWindow(timeline, GW_OWNER), window);
    HWND chart = ::GetDlgItem(timeline, IDC_TIMELINE_CHART);
    EXPECT_EQ(ChildText(timeline, IDC_TIMELINE_SUBTITLE), L"Alle Einträge (5) - ein Balken je 1 min");
    EXPECT_EQ(ChildText(timeline, IDC_TIMELINE_UNTIMED), L"ohne Zeitangabe: 1");
    // Three one-minute slots: an error, a warning, two errors stacked.
    const Pixels pixels = CaptureClient(chart);
    const uint32_t red = 0xD32F2F, amber = 0xFFB300;
    EXPECT_GT(CountColour(pixels, red, 0.1, 0.3), 0);
    EXPECT_GT(CountColour(pixels, amber, 0.4, 0.6), 0);
    EXPECT_GT(CountColour(pixels, red, 0.7, 0.95), 2 * CountColour(pixels, red, 0.1, 0.3) * 9 / 10);
    EXPECT_EQ(CountColour(pixels, amber, 0.7, 0.95) + CountColour(pixels, red, 0.4, 0.6), 0);

    POINT pointer = ChartPoint(chart, 0.85);
    ::ClientToScreen(chart, &pointer);
    ::SetCursorPos(pointer.x, pointer.y);
    PumpMessages(100);
    EXPECT_EQ(TipText(timeline, chart),
              L"05.12.2026 08:02 - 08:03\r\nFehler: 2\r\nWarnung: 0\r\nInformation: 0\r\nUnbekannt: 0");

    // A click selects the slot's first record, and the timeline follows to its entry.
    ClickAt(chart, ChartPoint(chart, 0.85));
    EXPECT_EQ(Where().second, L"Gamma");
    EXPECT_EQ(viewer->SelectedLabel(), L"PC2 (1)");
    EXPECT_EQ(ChildText(timeline, IDC_TIMELINE_SUBTITLE), L"PC2 (1) - ein Balken je 1 min");
    SelectTreeItem(L"PC1 (2)");
    PumpMessages(::GetDoubleClickTime()); // another click, not the second of a double-click
    ClickAt(chart, ChartPoint(chart, 0.85));
    EXPECT_EQ(Where().second, L"Delta");

    // New lines of the log: the slots grow to 09:00.
    Append("05.12.2026 09:00:00   Host=\"PC1\" Process=\"Zeta\" Traceclass=\"2\"\r\n");
    Command(ID_VIEWER_REFRESH);
    PumpMessages(50);
    EXPECT_EQ(ChildText(timeline, IDC_TIMELINE_SUBTITLE), L"PC1 (3) - ein Balken je 1 min");
    EXPECT_EQ(ChildText(timeline, IDC_TIMELINE_UNTIMED), L"ohne Zeitangabe: 0");
    Command(IDC_GROUP_BY_COMPUTER); // nothing selected in the other grouping: the whole log
    EXPECT_EQ(ChildText(timeline, IDC_TIMELINE_SUBTITLE), L"Alle Einträge (6) - ein Balken je 1 min");

    // Escape and the close box close the window, the command opens it again, DestroyOpenDlg
    // closes both.
    PostKey(timeline, VK_ESCAPE);
    PumpMessages(50);
    EXPECT_FALSE(::IsWindow(timeline));
    Command(ID_VIEWER_TIMELINE);
    ::SendMessageW(Timeline(), WM_SYSCOMMAND, SC_CLOSE, 0);
    PumpMessages(50);
    EXPECT_EQ(Timeline(), nullptr);
    Command(ID_VIEWER_TIMELINE);
    timeline = Timeline();
    ASSERT_NE(timeline, nullptr);
    EXPECT_EQ(ChildText(timeline, IDC_TIMELINE_SUBTITLE), L"Alle Einträge (6) - ein Balken je 1 min");
    EXPECT_EQ(DestroyOpenDlg(), 0);
    PumpMessages(50);
    EXPECT_FALSE(::IsWindow(timeline));
    EXPECT_EQ(OpenViewer(), nullptr);
}
