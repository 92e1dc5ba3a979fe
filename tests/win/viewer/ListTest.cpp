// The record list through the real viewer: the message column, the date column's width, the
// keys, records saved to a file (through the platform's save dialog and directly, whole or not
// at all), and the operator's choices kept from one viewer to the next.
#include "ViewerFixture.h"
#include "viewer/ViewerSettings.h"

#include <fstream>
#include <sstream>

using namespace testing_support;
using namespace viewer_tests;

namespace {

const std::vector<std::string> kLog = {
    R"(05.12.2026 08:00:03   Host="PC1" Process="Alpha" Traceclass="0" Text="Ventil zu")",
    R"(05.12.2026 08:00:01   Host="PC1" Process="Beta" Traceclass="0" TextID="5001")",
    R"(05.12.2026 08:00:02   Host="PC1" Process="Gamma" Traceclass="0")",
    R"(05.12.2026 08:00:04   Host="PC1" Process="Delta" Traceclass="0" Text="Ventil auf")",
};

std::string FileText(const std::wstring& path) {
    std::ifstream file(path.c_str(), std::ios::binary);
    std::stringstream text;
    text << file.rdbuf();
    return text.str();
}

// The matches window and the timeline, opened (or brought forward) through the viewer's commands.
std::pair<HWND, HWND> MatchesAndTimeline(HWND viewer) {
    ::SendMessageW(viewer, WM_COMMAND, ID_VIEWER_ALL_MATCHES, 0);
    ::SendMessageW(viewer, WM_COMMAND, ID_VIEWER_TIMELINE, 0);
    PumpMessages(50);
    return {FindThreadWindow(L"Vistral Diagnose - Treffer: \"Ventil\" (2)"),
            FindThreadWindow(L"Vistral Diagnose - Zeitverlauf")};
}

std::tuple<LONG, LONG, LONG, LONG> WindowBox(HWND window) {
    RECT rect{};
    ::GetWindowRect(window, &rect);
    return {rect.left, rect.top, rect.right, rect.bottom};
}

// Ctrl+S on `keys`, and `path` given to the save dialog that `owner` owns, as an operator types
// it; the dialog is ended whatever it shows, and no look for it is left waiting. Answers whether
// the name went in.
// `proposed` takes the name and folder the dialog came up with.
bool SaveWithCtrlS(HWND keys, HWND owner, const std::wstring& path, std::wstring* proposed = nullptr) {
    bool named = false, looked = false;
    std::function<void(int)> nameIt = [&](int tries) {
        HWND dialog = FindThreadDialog();
        if (!dialog || ::GetWindow(dialog, GW_OWNER) != owner) {
            if (tries > 0) // not up yet: looked for again, so that a late dialog never waits
                AfterDelay(200, [&nameIt, tries] { nameIt(tries - 1); });
            looked = tries == 0;
            return;
        }
        looked = true;
        wchar_t name[MAX_PATH] = {}, folder[MAX_PATH] = {};
        if (!::GetDlgItemTextW(dialog, 1148 /* cmb13 */, name, MAX_PATH))
            ::GetDlgItemTextW(dialog, 1152 /* edt1 */, name, MAX_PATH);
        ::SendMessageW(dialog, CDM_GETFOLDERPATH, MAX_PATH, reinterpret_cast<LPARAM>(folder));
        if (proposed)
            *proposed = std::wstring(folder) + L"|" + name;
        named = ::SetDlgItemTextW(dialog, 1148 /* cmb13 */, path.c_str()) ||
                ::SetDlgItemTextW(dialog, 1152 /* edt1 */, path.c_str());
        ::PostMessageW(dialog, WM_COMMAND, named ? IDOK : IDCANCEL, 0);
    };
    AfterDelay(300, [&] { nameIt(20); });
    PressCtrlKey(keys, 'S');
    PumpMessages(50);
    ReleaseCtrl();
    PumpUntil([&] { return looked; }, 6000);
    return named;
}

class List : public Viewer {
protected:
    void SetUp() override {
        Open(WriteLog(kLog));
        ASSERT_NE(viewer, nullptr);
        SelectTreeItem(L"PC1 (4)");
    }
};

} // namespace

TEST_F(List, MessagesOfTextTextIdAndNeitherSortLikeTheOtherColumnsAndTheDateShowsWhole) {
    EXPECT_EQ(ListText(list, 0, 2), L"Ventil zu");
    EXPECT_EQ(ListText(list, 1, 2), L"Ein Fehler ist aufgetreten.") << "the TextID named";
    EXPECT_EQ(ListText(list, 2, 2), L"");
    wchar_t heading[32] = {};
    LVCOLUMNW column{};
    column.mask = LVCF_TEXT;
    column.pszText = heading;
    column.cchTextMax = 32;
    ListView_GetColumn(list, 2, &column);
    EXPECT_STREQ(heading, L"Meldung");
    // The list insets a cell's text by six pixels on either side.
    EXPECT_GE(ListView_GetColumnWidth(list, 0), ListView_GetStringWidth(list, L"05.12.2026 08:00:04") + 12);

    ListView_SetItemState(list, 3, LVIS_SELECTED | LVIS_FOCUSED, LVIS_SELECTED | LVIS_FOCUSED);
    NMLISTVIEW click{};
    click.hdr = {list, IDC_DIAGNOSE_LIST, LVN_COLUMNCLICK};
    click.iSubItem = 2;
    ::SendMessageW(window, WM_NOTIFY, IDC_DIAGNOSE_LIST, reinterpret_cast<LPARAM>(&click));
    PumpMessages(20);
    EXPECT_EQ(Column(list, 1), (std::vector<std::wstring>{L"Gamma", L"Beta", L"Delta", L"Alpha"}));
    EXPECT_EQ(ListView_GetNextItem(list, -1, LVNI_SELECTED), 2) << "the selection follows its record";

    // Ctrl+A selects every row; Enter opens the focused record's details.
    CtrlKey(list, 'A');
    EXPECT_EQ(ListView_GetSelectedCount(list), 4u);
    ListView_SetItemState(list, 1, LVIS_FOCUSED, LVIS_FOCUSED);
    WithDetails([&] { PostKey(list, VK_RETURN); },
                [](HWND details) {
                    const std::vector<std::wstring> values =
                        Column(::GetDlgItem(details, IDC_DETAILS_LIST), 1);
                    EXPECT_NE(std::find(values.begin(), values.end(), L"Beta"), values.end())
                        << "the focused record's";
                });
    EXPECT_EQ(OpenViewer(), viewer) << "Enter on a record is no OK";

    // The list's context menu offers what its keys do: D opens the details.
    const auto inMenu = [] {
        GUITHREADINFO info{};
        info.cbSize = sizeof info;
        return ::GetGUIThreadInfo(::GetCurrentThreadId(), &info) && (info.flags & GUI_POPUPMENUMODE);
    };
    WhenTrue(inMenu, 3000, [&] { PostKey(list, 'D'); });
    HWND details = nullptr;
    const auto detailsOpen = [&] {
        return (details = FindThreadWindow(L"Vistral Diagnose-Details")) != nullptr;
    };
    WhenTrue(detailsOpen, 3000, [&] {
        if (details)
            ::PostMessageW(details, WM_COMMAND, IDOK, 0);
        ::EndMenu();
    });
    ::SendMessageW(window, WM_CONTEXTMENU, reinterpret_cast<WPARAM>(list), -1);
    EXPECT_NE(details, nullptr) << "the menu's Details";
}

TEST_F(List, TheLastColumnFillsTheListAtEverySizeAndTheSortedColumnIsMarked) {
    HWND header = ListView_GetHeader(list);
    auto rest = [&] { // from the last column's right edge to the list's
        RECT item{}, client{};
        Header_GetItemRect(header, 2, &item);
        ::GetClientRect(list, &client);
        return client.right - item.right;
    };
    SetClientSize(window, 1100, 600);
    PumpMessages(20);
    EXPECT_NEAR(rest(), 0, 2) << "1,100 pixels wide";
    RECT process{};
    Header_GetItemRect(header, 1, &process);
    for (auto [dx, button] : {std::pair{0, MOUSEEVENTF_LEFTDOWN}, {120, 0}, {120, MOUSEEVENTF_LEFTUP}}) {
        POINT at{process.right - 1 + dx, process.bottom / 2}; // the operator drags its divider
        ::ClientToScreen(header, &at);
        ::SetCursorPos(at.x, at.y);
        INPUT input{INPUT_MOUSE, {}};
        input.mi.dwFlags = MOUSEEVENTF_MOVE | static_cast<DWORD>(button);
        ::SendInput(1, &input, sizeof input);
        PumpMessages(30);
    }
    EXPECT_NEAR(ListView_GetColumnWidth(list, 1), process.right - process.left + 120, 2) << "the operator's";
    EXPECT_NEAR(rest(), 0, 2) << "after a drag";

    ClickListHeader(1);
    EXPECT_EQ(SortMarks(list), (std::vector<int>{0, HDF_SORTUP, 0}));
    ClickListHeader(1);
    EXPECT_EQ(SortMarks(list), (std::vector<int>{0, HDF_SORTDOWN, 0}));
    ClickListHeader(2);
    EXPECT_EQ(SortMarks(list), (std::vector<int>{0, 0, HDF_SORTUP}));
    Command(IDC_GROUP_BY_COMPUTER);
    SelectTreeItem(L"Information (4)");
    EXPECT_EQ(SortMarks(list), (std::vector<int>{0, 0, 0})) << "another group, in file order";
}

TEST_F(List, SavedThroughTheSaveDialogOrNotAtAllAndNeverHalfUnderTheChosenName) {
    // Ctrl+S: the platform's save dialog; a CSV name gives CSV.
    const std::wstring csv = dir.Path() + L"Liste.csv";
    std::wstring proposed;
    EXPECT_TRUE(SaveWithCtrlS(list, window, csv, &proposed)) << "the save dialog did not come up";
    EXPECT_EQ(proposed.substr(proposed.find(L'|')), L"|PC1 - Information") << "the entry's name";
    EXPECT_TRUE(PumpUntil([&] { return !viewer->Saving(); }, 5000));
    wchar_t separator[8] = {};
    ::GetLocaleInfoEx(LOCALE_NAME_USER_DEFAULT, LOCALE_SLIST, separator, 8);
    const std::string sep(separator, separator + std::wcslen(separator));
    // The form itself is the native SaveTest's; here the locale's separator and the texts.
    const std::string saved = FileText(csv);
    EXPECT_EQ(saved.rfind("\xEF\xBB\xBF"
                          "Datum und Uhrzeit" +
                              sep + "Rechner" + sep,
                          0),
              0u)
        << saved;
    EXPECT_NE(saved.find("\r\n05.12.2026 08:00:01" + sep + "PC1" + sep + "Information" + sep + "Beta" + sep +
                         "Ein Fehler ist aufgetreten.\r\n"),
              std::string::npos)
        << saved;

    // From the match window: its selected match.
    wchar_t what[] = L"Ventil";
    FINDREPLACEW request{};
    request.lStructSize = sizeof request;
    request.lpstrFindWhat = what;
    request.Flags = FR_FINDNEXT | FR_DOWN;
    ::SendMessageW(window, WM_COMMAND, ID_VIEWER_ALL_MATCHES, 0);
    ::SendMessageW(window, ::RegisterWindowMessageW(FINDMSGSTRINGW), 0, reinterpret_cast<LPARAM>(&request));
    HWND matches = FindThreadWindow(L"Vistral Diagnose - Treffer: \"Ventil\" (2)");
    ASSERT_NE(matches, nullptr);
    HWND rows = ::GetDlgItem(matches, IDC_MATCHES_LIST);
    ListView_SetItemState(rows, 1, LVIS_SELECTED, LVIS_SELECTED);
    const std::wstring one = dir.Path() + L"Treffer.txt";
    EXPECT_TRUE(SaveWithCtrlS(rows, matches, one, &proposed));
    const std::wstring last = dir.Path().substr(0, dir.Path().size() - 1);
    EXPECT_EQ(proposed, last + L"|Events") << "the last folder, and the log's name";
    EXPECT_TRUE(PumpUntil([&] { return !viewer->Saving(); }, 5000));
    EXPECT_EQ(FileText(one), "\xEF\xBB\xBF" + kLog[3] + "\r\n");

    // A name that is taken keeps its file until the new one is whole: cancelled, or the move
    // refused (a folder stands under the name), the old one stays.
    const std::wstring text = dir.Path() + L"Liste.txt";
    std::ofstream(text.c_str(), std::ios::binary) << "alt";
    ASSERT_TRUE(viewer->StartSave(window, text, viewer::SaveFormat::Text, {3}));
    viewer->CancelSave();
    EXPECT_EQ(FileText(text), "alt");
    const std::wstring folder = dir.Path() + L"Ordner";
    ::CreateDirectoryW(folder.c_str(), nullptr);
    SeenMessageBox refused;
    ReadAndCloseNextMessageBox(refused);
    ASSERT_TRUE(viewer->StartSave(window, folder, viewer::SaveFormat::Text, {3}));
    EXPECT_TRUE(PumpUntil([&] { return !viewer->Saving() && refused.shown; }, 5000));
    EXPECT_EQ(refused.text.rfind(L"Die Datei kann nicht gespeichert werden: ", 0), 0u) << Ansi(refused.text);
    EXPECT_EQ(::GetFileAttributesW(folder.c_str()) & FILE_ATTRIBUTE_DIRECTORY,
              DWORD(FILE_ATTRIBUTE_DIRECTORY));
    ASSERT_TRUE(viewer->StartSave(window, text, viewer::SaveFormat::Text, {3, 0}));
    EXPECT_TRUE(PumpUntil([&] { return !viewer->Saving(); }, 5000));
    EXPECT_EQ(FileText(text), "\xEF\xBB\xBF" + kLog[3] + "\r\n" + kLog[0] + "\r\n") << "replaced when whole";

    // A save that cannot start (no memory, no thread) says so and leaves nothing running.
    diagnose::RecordStore::SetFaultHook([](const char* where) {
        if (std::string(where) == "save start")
            throw std::bad_alloc();
    });
    SeenMessageBox unstarted;
    ReadAndCloseNextMessageBox(unstarted);
    EXPECT_FALSE(viewer->StartSave(window, dir.Path() + L"nie.txt", viewer::SaveFormat::Text, {0}));
    diagnose::RecordStore::SetFaultHook(nullptr);
    EXPECT_TRUE(unstarted.shown);
    EXPECT_FALSE(viewer->Saving());
    EXPECT_EQ(::GetFileAttributesW((dir.Path() + L"nie.txt").c_str()), INVALID_FILE_ATTRIBUTES);

    // A folder for a name: said why, nothing made.
    SeenMessageBox failed;
    ReadAndCloseNextMessageBox(failed);
    EXPECT_FALSE(
        viewer->StartSave(window, dir.Path() + L"no such folder\\x.txt", viewer::SaveFormat::Text, {0}));
    EXPECT_TRUE(failed.shown);

    std::ofstream(text.c_str(), std::ios::binary) << "alt";
    ASSERT_TRUE(viewer->StartSave(window, text, viewer::SaveFormat::Text, {3}));
    DestroyOpenDlg(); // the save's thread ends with the viewer, its file with it
    EXPECT_EQ(OpenViewer(), nullptr);
    EXPECT_EQ(FileText(text), "alt");
    WIN32_FIND_DATAW found{};
    HANDLE temporary = ::FindFirstFileW((dir.Path() + L"zts*.tmp").c_str(), &found);
    EXPECT_EQ(temporary, INVALID_HANDLE_VALUE) << "no temporary file is left";
    if (temporary != INVALID_HANDLE_VALUE)
        ::FindClose(temporary);
}

// A log written as UTF-8 without a mark, as editors and scripts write it.
TEST_F(Viewer, UnmarkedUtf8ShowsItsUmlautsAndTheMessageShowsAndSavesAsLogged) {
    ASSERT_TRUE(OpenLog({"05.12.2026 08:00:01   Host=\"B\xC3\xBCro-S\xC3\xBC"
                         "d\" Process=\"Dienst\" Traceclass=\"2\" Text=\"Error occurred.\""}));
    SelectTreeItem(L"B\u00FCro-S\u00FCd (1)");
    EXPECT_EQ(ListText(list, 0, 2), L"Error occurred.");
    const std::wstring csv = dir.Path() + L"Liste.csv";
    ASSERT_TRUE(viewer->StartSave(window, csv, viewer::SaveFormat::Csv, {0}));
    EXPECT_TRUE(PumpUntil([&] { return !viewer->Saving(); }, 5000));
    const std::string saved = FileText(csv);
    EXPECT_NE(saved.find("B\xC3\xBCro-S\xC3\xBC"
                         "d"),
              std::string::npos)
        << saved;
    EXPECT_EQ(saved.substr(saved.size() - 17), "Error occurred.\r\n") << saved;
}

TEST_F(Viewer, ChoicesKeptPerUserAndDamagedOrUnseenOnesGiveTheDefaults) {
    const std::wstring path = WriteLog(kLog);
    Open(path);
    ASSERT_NE(viewer, nullptr);
    RECT centred{};
    ::GetWindowRect(window, &centred);
    EXPECT_EQ(RootTexts(tree).front(), L"Information") << "grouped by type the first time";
    Command(IDC_GROUP_BY_COMPUTER);
    ::SetWindowPos(window, nullptr, 40, 30, 900, 600, SWP_NOZORDER);
    ListView_SetColumnWidth(list, 1, 150);
    wchar_t what[] = L"Ventil";
    FINDREPLACEW request{};
    request.lStructSize = sizeof request;
    request.lpstrFindWhat = what;
    request.Flags = FR_DOWN;
    ::SendMessageW(window, ::RegisterWindowMessageW(FINDMSGSTRINGW), 0, reinterpret_cast<LPARAM>(&request));
    auto [matches, timeline] = MatchesAndTimeline(window);
    ASSERT_TRUE(matches && timeline);
    ::SetWindowPos(matches, nullptr, 300, 640, 500, 260, SWP_NOZORDER);
    ::SetWindowPos(timeline, nullptr, 800, 100, 400, 300, SWP_NOZORDER);
    DestroyOpenDlg();

    Open(path);
    ASSERT_NE(viewer, nullptr);
    RECT kept{};
    ::GetWindowRect(window, &kept);
    EXPECT_EQ(std::make_tuple(kept.left, kept.top, kept.right, kept.bottom),
              std::make_tuple(40L, 30L, 940L, 630L));
    EXPECT_EQ(RootTexts(tree).front(), L"PC1") << "grouped by computer";
    EXPECT_EQ(ListView_GetColumnWidth(list, 1), 150);
    EXPECT_EQ(viewer->Find().Text(), L"Ventil");
    std::tie(matches, timeline) = MatchesAndTimeline(window);
    EXPECT_EQ(WindowBox(matches), std::make_tuple(300L, 640L, 800L, 900L));
    EXPECT_EQ(WindowBox(timeline), std::make_tuple(800L, 100L, 1200L, 400L));
    DestroyOpenDlg();
    HKEY parent = nullptr;
    DWORD values = 1;
    ASSERT_EQ(
        ::RegOpenKeyExW(HKEY_CURRENT_USER, L"Software\\Morvane\\Vistral\\ZtServiceMsg", 0, KEY_READ, &parent),
        ERROR_SUCCESS);
    ::RegQueryInfoKeyW(parent, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr, &values, nullptr,
                       nullptr, nullptr, nullptr);
    ::RegCloseKey(parent);
    EXPECT_EQ(values, 0u) << "nothing is written outside the viewer's key";

    // Damaged values, and a place on a monitor that is gone: the defaults.
    HKEY key = nullptr;
    ASSERT_EQ(::RegOpenKeyExW(HKEY_CURRENT_USER, viewer::kChoicesKey, 0, KEY_SET_VALUE, &key), ERROR_SUCCESS);
    const DWORD seven = 7;
    const int gone[5] = {5000, 5000, 5900, 5600, 0};
    ::RegSetValueExW(key, L"GroupByComputer", 0, REG_DWORD, reinterpret_cast<const BYTE*>(&seven), 4);
    ::RegSetValueExW(key, L"Placement", 0, REG_BINARY, reinterpret_cast<const BYTE*>(gone), sizeof gone);
    ::RegSetValueExW(key, L"ColumnWidths", 0, REG_SZ, reinterpret_cast<const BYTE*>(L"150"), 8);
    ::RegCloseKey(key);
    Open(path);
    ASSERT_NE(viewer, nullptr);
    RECT opened{};
    ::GetWindowRect(window, &opened);
    EXPECT_EQ(std::make_tuple(opened.left, opened.top), std::make_tuple(centred.left, centred.top))
        << "centred";
    EXPECT_EQ(RootTexts(tree).front(), L"Information");
    EXPECT_NE(ListView_GetColumnWidth(list, 1), 150);
    EXPECT_EQ(viewer->Find().Text(), L"Ventil") << "an undamaged value is taken";
}

TEST_F(List, ASaveWhoseThreadEndsInsideALoopOfOursIsFinishedAfterIt) {
    const std::wstring path = dir.Path() + L"Ende.txt";
    const size_t threads = ProcessThreadCount();
    ASSERT_TRUE(viewer->StartSave(window, path, viewer::SaveFormat::Text, {0, 1}));
    WithDetails([&] { DoubleClickRow(0); },
                [&](HWND) { // its end is told while the details run
                    EXPECT_TRUE(PumpUntil([&] { return ProcessThreadCount() < threads + 1; }, 3000));
                    PumpMessages(100);
                });
    EXPECT_TRUE(PumpUntil([&] { return !viewer->Saving(); }, 3000)) << "the save is finished";
    EXPECT_EQ(FileText(path), "\xEF\xBB\xBF" + kLog[0] + "\r\n" + kLog[1] + "\r\n");
}
