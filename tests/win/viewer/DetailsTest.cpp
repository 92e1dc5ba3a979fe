// The details dialog, opened from the viewer as the operator opens it: the attributes, stepping
// through the viewer's list in its current order, select-all and copy, and its layout.
#include "ViewerFixture.h"

#include <atomic>
#include <map>
#include <thread>

using namespace viewer_tests;

const std::vector<std::string> kFourRecords = {
    R"(05.12.2026 08:00:03   Host="PC1" Process="Delta" Traceclass="0" Mode="1" Text="vierte")",
    R"(05.12.2026 08:00:01   Host="PC1" Process="Beta" Traceclass="0" Text="zweite")",
    R"(05.12.2026 08:00:00   Host="PC1" Process="Alpha" Traceclass="0" Text="erste")",
    R"(05.12.2026 08:00:02   Host="PC1" Process="Gamma" Traceclass="0" Text="dritte")",
};

static std::map<std::wstring, std::wstring> Attributes(HWND details) {
    HWND list = ::GetDlgItem(details, IDC_DETAILS_LIST);
    std::map<std::wstring, std::wstring> attributes;
    for (int row = 0; row < ListView_GetItemCount(list); ++row)
        attributes[ListText(list, row, 0)] = ListText(list, row, 1);
    return attributes;
}

// Which of "Vorherige" and "Nächste" can be pressed, and the record's text.
using Step = std::tuple<bool, bool, std::wstring>;
static Step State(HWND details) {
    return {::IsWindowEnabled(::GetDlgItem(details, IDC_DETAILS_PREVIOUS)) != FALSE,
            ::IsWindowEnabled(::GetDlgItem(details, IDC_DETAILS_NEXT)) != FALSE,
            Attributes(details)[L"Text"]};
}

const auto Click = [](HWND details, int id) { ::SendMessageW(::GetDlgItem(details, id), BM_CLICK, 0, 0); };

class Details : public ViewerOn<kFourRecords> {
protected:
    void SetUp() override {
        ViewerOn::SetUp();
        SelectTreeItem(L"PC1 (4)");
    }
};

TEST_F(Details, ShowTheResolvedAttributesStepThroughTheRowsInTheirOrderAndShareTheWidthAfterAResize) {
    WithDetails([&] { DoubleClickRow(1); },
                [&](HWND details) {
                    const auto attributes = Attributes(details);
                    EXPECT_EQ(attributes.at(L"Process"), L"Beta");
                    EXPECT_EQ(attributes.count(L"Mode"), 0u);
                    EXPECT_FALSE(::IsWindowEnabled(window)) << "the viewer waits while the details run";
                    ASSERT_EQ(SetClientSize(details, 420, 300).first, 420);
                    HWND rows = ::GetDlgItem(details, IDC_DETAILS_LIST);
                    EXPECT_EQ(ListView_GetColumnWidth(rows, 0), 198) << "(420 - 20) / 2 - 2";
                    EXPECT_EQ(ListView_GetColumnWidth(rows, 1), 198);
                });
    EXPECT_TRUE(::IsWindowEnabled(window));
    WithDetails([&] { DoubleClickRow(0); },
                [&](HWND details) {
                    EXPECT_EQ(State(details), Step(false, true, L"vierte")) << "the first row";
                    Click(details, IDC_DETAILS_NEXT);
                    EXPECT_EQ(State(details), Step(true, true, L"zweite"));
                    Click(details, IDC_DETAILS_NEXT);
                    Click(details, IDC_DETAILS_NEXT);
                    EXPECT_EQ(State(details), Step(true, false, L"dritte")) << "the last row";
                });
    // Sorted ascending by date, stepping follows the list's order, not the file's.
    ClickListHeader(0);
    WithDetails([&] { DoubleClickRow(0); },
                [&](HWND details) {
                    Click(details, IDC_DETAILS_NEXT);
                    Click(details, IDC_DETAILS_NEXT);
                    Click(details, IDC_DETAILS_PREVIOUS);
                    EXPECT_EQ(State(details), Step(true, true, L"zweite"));
                });
}

TEST_F(Details, TreeDoubleClickOpensTheFirstRowAHeadingNothingAndTheOnlyRowStepsNowhere) {
    NMHDR doubleClick{tree, IDC_DIAGNOSE_TREE, NM_DBLCLK};
    const auto doubleClickTree = [&] {
        ::SendMessageW(window, WM_NOTIFY, IDC_DIAGNOSE_TREE, reinterpret_cast<LPARAM>(&doubleClick));
    };
    WithDetails(doubleClickTree,
                [&](HWND details) { EXPECT_EQ(Attributes(details).at(L"Text"), L"vierte"); });

    SelectTreeItem(L"Information");
    bool opened = false;
    AfterDelay(100, [&] {
        if (HWND details = FindThreadWindow(L"Vistral Diagnose-Details")) {
            opened = true;
            ::PostMessageW(details, WM_COMMAND, IDOK, 0);
        }
    });
    doubleClickTree();
    PumpMessages(200);
    EXPECT_FALSE(opened);

    DestroyOpenDlg();
    ASSERT_TRUE(Open(WriteLog({R"(01.01.2026 00:00:00   Host="ONLY" Text="x")"}, L"one.log")));
    SelectTreeItem(L"ONLY (1)");
    WithDetails([&] { DoubleClickRow(0); },
                [&](HWND details) { EXPECT_EQ(State(details), Step(false, false, L"x")); });
}

TEST_F(
    Details,
    CtrlAWithTheFocusOnAButtonCtrlCCopiesTheSelectedRowsNothingSelectedCopiesNothingAndAHeldClipboardIsSaid) {
    // Each step runs from the details dialog's own loop, so the keys pass its accelerators.
    HWND details = nullptr, attributes = nullptr;
    int selectedByCtrlA = -1, rows = -1;
    std::wstring copied, afterEmptyCopy;
    std::atomic<int> step{0}; // the clipboard's holder: 1 holds it; 2 lets it go
    std::thread holder;
    SeenMessageBox held;
    AfterDelay(150, [&] {
        details = FindThreadWindow(L"Vistral Diagnose-Details");
        if (!details)
            return;
        attributes = ::GetDlgItem(details, IDC_DETAILS_LIST);
        HWND ok = ::GetDlgItem(details, IDOK);
        ::SetFocus(ok);
        PressCtrlKey(ok, 'A');
        AfterDelay(100, [&] {
            selectedByCtrlA = ListView_GetSelectedCount(attributes);
            rows = ListView_GetItemCount(attributes);
            ListView_SetItemState(attributes, -1, 0, LVIS_SELECTED);
            for (int row = 0; row < rows; ++row) {
                const std::wstring name = ListText(attributes, row, 0);
                if (name == L"Host" || name == L"Process")
                    ListView_SetItemState(attributes, row, LVIS_SELECTED, LVIS_SELECTED);
            }
            PressCtrlKey(::GetFocus(), 'C');
            AfterDelay(100, [&] {
                copied = ClipboardText();
                ListView_SetItemState(attributes, -1, 0, LVIS_SELECTED);
                PressCtrlKey(::GetFocus(), 'C');
                AfterDelay(100, [&] {
                    afterEmptyCopy = ClipboardText();
                    // Another program holds the clipboard: the copy says so.
                    ListView_SetItemState(attributes, 0, LVIS_SELECTED, LVIS_SELECTED);
                    holder = std::thread([&] {
                        step = ::OpenClipboard(nullptr) ? 1 : 2;
                        for (int waited = 0; step != 2 && waited < 5000; waited += 10)
                            ::Sleep(10);
                        ::CloseClipboard();
                    });
                    PumpUntil([&] { return step != 0; }, 5000);
                    ReadAndCloseNextMessageBox(held);
                    PressCtrlKey(::GetFocus(), 'C');
                    AfterDelay(100, [&] {
                        step = 2;
                        ReleaseCtrl();
                        ::PostMessageW(details, WM_COMMAND, IDOK, 0);
                    });
                });
            });
        });
    });
    DoubleClickRow(2);
    PumpMessages(100);
    ReleaseCtrl();
    step = 2;
    if (holder.joinable())
        holder.join();
    if (details && ::IsWindow(details)) // a failed step ends the run all the same
        ::SendMessageW(details, WM_COMMAND, IDOK, 0);
    ASSERT_NE(details, nullptr);
    EXPECT_GT(rows, 2);
    EXPECT_EQ(selectedByCtrlA, rows);
    const std::wstring expected = std::wstring(L"Host\tPC1\r\nProcess\tAlpha\r\n") + L'\0';
    EXPECT_EQ(copied.substr(0, expected.size()), expected);
    EXPECT_EQ(afterEmptyCopy, copied) << "Ctrl+C with nothing selected leaves the clipboard alone";
    EXPECT_EQ(held.text.rfind(L"Die Eintr\u00e4ge konnten nicht in die Zwischenablage kopiert werden: ", 0),
              0u)
        << Ansi(held.text);
}

// Date and time, computer, diagnose type and process as read back from the fields.
static Texts Fields(HWND details) {
    Texts texts;
    for (int id : {IDC_DETAILS_DATE, IDC_DETAILS_COMPUTER, IDC_DETAILS_TYPE, IDC_DETAILS_PROCESS})
        texts.push_back(ChildText(details, id));
    return texts;
}

TEST_F(Details, SayWhenWhereAndWhatTheWholeMessageAndLineStepAndOpenCentredOverTheViewer) {
    std::string text;
    for (int part = 0; part < 20; ++part)
        text += "Speicher knapp " + std::to_string(part) + ", ";
    text += "Ende";
    const std::string first =
        R"(05.12.2026 09:15:30   Host="PC7" Process="Leser" Traceclass="2" Text=")" + text + "\"";
    DestroyOpenDlg();
    ASSERT_TRUE(
        Open(WriteLog({first, R"(05.12.2026 09:15:31   Host="PC7" Process="Schreiber" Traceclass="2")",
                       "05.12.2026 09:15:32   frei formuliert, ohne Attribute"},
                      L"long.log")));
    SelectTreeItem(L"PC7 (2)");
    WithDetails(
        [&] { DoubleClickRow(0); },
        [&](HWND details) {
            EXPECT_EQ(Fields(details), (Texts{L"05.12.2026 09:15:30", L"PC7", L"Fehler", L"Leser"}));
            EXPECT_GT(text.size(), 300u);
            EXPECT_EQ(ChildText(details, IDC_DETAILS_MESSAGE), std::wstring(text.begin(), text.end()));
            EXPECT_EQ(ChildText(details, IDC_DETAILS_LINE), std::wstring(first.begin(), first.end()));
            RECT shown{}, under{};
            ::GetWindowRect(details, &shown);
            ::GetWindowRect(window, &under);
            EXPECT_LE(std::abs((shown.left + shown.right) - (under.left + under.right)), 4);
            EXPECT_LE(std::abs((shown.top + shown.bottom) - (under.top + under.bottom)), 4);
            Click(details, IDC_DETAILS_NEXT);
            EXPECT_EQ(Fields(details), (Texts{L"05.12.2026 09:15:31", L"PC7", L"Fehler", L"Schreiber"}));
            EXPECT_EQ(ChildText(details, IDC_DETAILS_MESSAGE), L"");
        });
    SelectTreeItem(L"Unbekannt (1)");
    WithDetails([&] { DoubleClickRow(0); },
                [&](HWND details) {
                    EXPECT_EQ(ChildText(details, IDC_DETAILS_LINE),
                              L"05.12.2026 09:15:32   frei formuliert, ohne Attribute");
                    EXPECT_EQ(ChildText(details, IDC_DETAILS_MESSAGE), L"frei formuliert, ohne Attribute");
                });
}
