// The records window through the real viewer: the whole log in time order across computers,
// filtered from its fields and from a row's menu, a time that means nothing, following the log,
// Enter into the viewer; the viewer's own Ctrl+G and F8.
#include "ViewerFixture.h"

using namespace viewer_tests;

namespace {

// Two computers whose clocks disagree: the file order is not the time order.
const std::vector<std::string> kStationLog = {
    R"(05.12.2026 09:40:00   Host="PC1" Process="Archiver" Traceclass="0" Text="Archiv voll")",
    R"(05.12.2026 09:39:00   Host="PC2" Process="Service" Traceclass="2" Text="Platte defekt")",
    R"(05.12.2026 09:41:00   Host="PC1" Process="Service" Traceclass="1" Text="Speicher knapp")",
    R"(05.12.2026 09:40:00   Host="PC2" Process="Archiver" Traceclass="2" Text="Archiv fehlt")",
    R"(kein Eintrag)",
    R"(05.12.2026 09:42:00   Host="PC1" Process="Service" Traceclass="2" Text="Dienst steht")",
};

HWND RecordsWindowOf(HWND viewer) {
    return OwnedDialog(viewer, IDC_RECORDS_LIST);
}

// What a message box shown by `act` says; it is closed at once.
std::wstring BoxOf(const std::function<void()>& act) {
    std::wstring text;
    AfterDelay(100, [&] {
        if (HWND box = ThreadMessageBox()) {
            text = ChildText(box, 0xFFFF);
            ::PostMessageW(box, WM_COMMAND, IDOK, 0);
        }
    });
    act();
    PumpMessages(250);
    return text;
}

} // namespace

using Records = ViewerOn<kStationLog>;

TEST_F(Records, TheWholeLogInTimeOrderFilteredFromItsFieldsAndFromARowFollowedAndShownInTheViewer) {
    CtrlKey(list, 'L');
    PumpMessages(50);
    HWND records = RecordsWindowOf(window);
    ASSERT_NE(records, nullptr);
    HWND rows = ::GetDlgItem(records, IDC_RECORDS_LIST);
    EXPECT_EQ(WindowText(records), L"Vistral Diagnose - Einträge: 6 von 6, davon ohne Zeitangabe: 1");
    EXPECT_EQ(Column(rows, 4), (Texts{L"Platte defekt", L"Archiv voll", L"Archiv fehlt", L"Speicher knapp",
                                      L"Dienst steht", L"kein Eintrag"}))
        << "time order, equal times in file order, the record without a time last";

    // Errors of PC2 only, from the filter's fields.
    ::CheckDlgButton(records, IDC_FILTER_INFORMATION, BST_UNCHECKED);
    ::CheckDlgButton(records, IDC_FILTER_WARNING, BST_UNCHECKED);
    ::CheckDlgButton(records, IDC_FILTER_UNKNOWN, BST_UNCHECKED);
    ::SetDlgItemTextW(records, IDC_FILTER_COMPUTERS, L"pc2");
    ::SendDlgItemMessageW(records, IDC_FILTER_COMPUTERS_MODE, CB_SETCURSEL, 0, 0); // show
    ::SendMessageW(records, WM_COMMAND, IDC_FILTER_APPLY, 0);
    PumpMessages(50);
    EXPECT_EQ(Column(rows, 4), (Texts{L"Platte defekt", L"Archiv fehlt"}));
    EXPECT_EQ(WindowText(records), L"Vistral Diagnose - Einträge: 2 von 6");

    // From a row's menu: its process hidden; the field says so.
    ListView_SetItemState(rows, 1, LVIS_FOCUSED | LVIS_SELECTED, LVIS_FOCUSED | LVIS_SELECTED);
    ::SendMessageW(records, WM_COMMAND, ID_FILTER_HIDE_PROCESS, 0);
    PumpMessages(50);
    EXPECT_EQ(Column(rows, 4), (Texts{L"Platte defekt"}));
    EXPECT_EQ(ChildText(records, IDC_FILTER_PROCESSES), L"Archiver");

    // A time that means nothing is named in a message; the rows stay as they were.
    ::SetDlgItemTextW(records, IDC_FILTER_FROM, L"gestern");
    const std::wstring box = BoxOf([&] { ::SendMessageW(records, WM_COMMAND, IDC_FILTER_APPLY, 0); });
    EXPECT_EQ(box.rfind(L"„gestern“ ist keine Zeitangabe. Verstanden werden: 09:42,", 0), 0u) << Ansi(box);
    EXPECT_EQ(Column(rows, 4), (Texts{L"Platte defekt"}));

    // Filter off; then everything not holding "archiv" from 09:40 on, as the log grows.
    ::SendMessageW(records, WM_COMMAND, IDC_FILTER_OFF, 0);
    PumpMessages(50);
    EXPECT_EQ(ListView_GetItemCount(rows), 6);
    // Sorted by process, equal ones in time order (no process: "Unbekannt"), then the other way
    // round; the date goes back to the time order, then newest first.
    ClickHeader(records, 3, IDC_RECORDS_LIST);
    EXPECT_EQ(Column(rows, 4), (Texts{L"Archiv voll", L"Archiv fehlt", L"Platte defekt", L"Speicher knapp",
                                      L"Dienst steht", L"kein Eintrag"}));
    ClickHeader(records, 3, IDC_RECORDS_LIST);
    EXPECT_EQ(Column(rows, 4), (Texts{L"kein Eintrag", L"Platte defekt", L"Speicher knapp", L"Dienst steht",
                                      L"Archiv voll", L"Archiv fehlt"}));
    ClickHeader(records, 0, IDC_RECORDS_LIST);
    EXPECT_EQ(Column(rows, 4).front(), L"Platte defekt");
    ClickHeader(records, 0, IDC_RECORDS_LIST);
    EXPECT_EQ(Column(rows, 4), (Texts{L"kein Eintrag", L"Dienst steht", L"Speicher knapp", L"Archiv fehlt",
                                      L"Archiv voll", L"Platte defekt"}));
    ClickHeader(records, 0, IDC_RECORDS_LIST);
    ::SetDlgItemTextW(records, IDC_FILTER_TEXT, L"archiv");
    ::SendDlgItemMessageW(records, IDC_FILTER_TEXT_MODE, CB_SETCURSEL, 1, 0); // does not hold
    ::SetDlgItemTextW(records, IDC_FILTER_FROM, L"09:40");
    ::SendMessageW(records, WM_COMMAND, IDC_FILTER_APPLY, 0);
    PumpMessages(50);
    EXPECT_EQ(Column(rows, 4), (Texts{L"Speicher knapp", L"Dienst steht"}));
    Append("05.12.2026 09:40:30   Host=\"PC3\" Process=\"Service\" Traceclass=\"1\" Text=\"spaet\"\r\n");
    Command(0); // nothing: waits for the read the follow timer asks for
    ASSERT_TRUE(PumpUntil([&] { return ListView_GetItemCount(rows) == 3; }, 5000));
    EXPECT_EQ(Column(rows, 4), (Texts{L"spaet", L"Speicher knapp", L"Dienst steht"})) << "where its time puts it";

    // Enter selects the row's record in the viewer.
    ListView_SetItemState(rows, -1, 0, LVIS_SELECTED | LVIS_FOCUSED);
    SelectRow(rows, 2);
    ::SetFocus(rows);
    PostKey(rows, VK_RETURN);
    PumpMessages(50);
    EXPECT_EQ(Where(), Place(L"PC1 (1)", L"Service"));

    // DestroyOpenDlg takes it; the next viewer's records window has the filter it had.
    DestroyOpenDlg();
    PumpMessages(20);
    EXPECT_FALSE(::IsWindow(records));
    ASSERT_TRUE(Open(path));
    CtrlKey(list, 'L');
    PumpMessages(50);
    records = RecordsWindowOf(window);
    ASSERT_NE(records, nullptr);
    EXPECT_EQ(ChildText(records, IDC_FILTER_TEXT) + L"|" + ChildText(records, IDC_FILTER_FROM), L"archiv|09:40");
    EXPECT_EQ(Column(::GetDlgItem(records, IDC_RECORDS_LIST), 4),
              (Texts{L"spaet", L"Speicher knapp", L"Dienst steht"}));
}

TEST_F(Records, TheViewerGoesToATimeAndToTheNextErrorAcrossComputersInTimeOrder) {
    SelectTreeItem(L"PC1 (1)"); // the information of PC1: 09:40:00
    SelectRow(list, 0);
    PressKey(list, VK_F8);
    PumpMessages(50);
    EXPECT_EQ(Where(), Place(L"PC2 (2)", L"Archiver")) << "the error at 09:40 of the other computer";
    PressKey(list, VK_F8);
    PumpMessages(50);
    EXPECT_EQ(Where(), Place(L"PC1 (1)", L"Service")) << "09:42";
    PressKey(list, VK_F8, true);
    PumpMessages(50);
    EXPECT_EQ(Where(), Place(L"PC2 (2)", L"Archiver")) << "Shift+F8 back";

    // Ctrl+G in the list of PC2's errors: 09:39:30 is the one at 09:40.
    SelectTreeItem(L"PC2 (2)");
    SelectRow(list, 0);
    CtrlKey(list, 'G');
    PumpMessages(50);
    HWND ask = FindThreadWindow(L"Gehe zu Zeit");
    ASSERT_NE(ask, nullptr);
    ::SetDlgItemTextW(ask, IDC_GO_TO_TIME_TEXT, L"09:39:30");
    ::SendMessageW(ask, WM_COMMAND, IDOK, 0);
    PumpMessages(50);
    EXPECT_EQ(Where(), Place(L"PC2 (2)", L"Archiver"));
    EXPECT_EQ(FindThreadWindow(L"Gehe zu Zeit"), nullptr) << "it went";
    CtrlKey(list, 'G');
    PumpMessages(50);
    ask = FindThreadWindow(L"Gehe zu Zeit");
    ASSERT_NE(ask, nullptr);
    ::SetDlgItemTextW(ask, IDC_GO_TO_TIME_TEXT, L"10:00");
    EXPECT_EQ(BoxOf([&] { ::SendMessageW(ask, WM_COMMAND, IDOK, 0); }),
              L"Kein Eintrag ab 10:00. Die Einträge reichen von 05.12.2026 09:39:00 bis 05.12.2026 09:40:00.");
    EXPECT_NE(FindThreadWindow(L"Gehe zu Zeit"), nullptr) << "it stays for another try";

    // "Nur diesen Rechner zeigen" on the viewer's row opens the records window with it.
    ::SendMessageW(window, WM_COMMAND, ID_FILTER_ONLY_COMPUTER, 0);
    PumpMessages(50);
    HWND records = RecordsWindowOf(window);
    ASSERT_NE(records, nullptr);
    EXPECT_EQ(ChildText(records, IDC_FILTER_COMPUTERS), L"PC2");
    EXPECT_EQ(Column(::GetDlgItem(records, IDC_RECORDS_LIST), 4), (Texts{L"Platte defekt", L"Archiv fehlt"}));
}

TEST_F(Viewer, TheRecordsWindowLooksForItsTextInALargeLogOnTheReadingThread) {
    std::vector<std::string> lines;
    for (int i = 0; i < 30000; ++i)
        lines.push_back("05.12.2026 10:" + std::to_string(10 + i / 1000) + ":00   Host=\"PC" + std::to_string(i % 7) +
                        "\" Process=\"P\" Traceclass=\"0\" Text=\"" + (i % 3 ? "kalt" : "heiss") + "\"");
    ASSERT_TRUE(OpenLog(lines));
    CtrlKey(list, 'L');
    PumpMessages(50);
    HWND records = OwnedDialog(window, IDC_RECORDS_LIST);
    ASSERT_NE(records, nullptr);
    ::SetDlgItemTextW(records, IDC_FILTER_TEXT, L"HEISS");
    ::SendMessageW(records, WM_COMMAND, IDC_FILTER_APPLY, 0);
    // The handler only asked: the reading thread adds what it found once the handler returned.
    EXPECT_EQ(ListView_GetItemCount(::GetDlgItem(records, IDC_RECORDS_LIST)), 0);
    EXPECT_EQ(WindowText(records), L"Vistral Diagnose - Einträge: 0 von 30\u00A0000 - Filtere … 0 %");
    EXPECT_TRUE(PumpUntil([&] { return WindowText(records) == L"Vistral Diagnose - Einträge: 10\u00A0000 von 30\u00A0000"; },
                          10000))
        << Ansi(WindowText(records));
    EXPECT_EQ(ListView_GetItemCount(::GetDlgItem(records, IDC_RECORDS_LIST)), 10000);
}
