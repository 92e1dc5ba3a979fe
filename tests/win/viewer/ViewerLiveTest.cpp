// The viewer on a log that lives on: lines another process appends, a log cut or replaced under
// it, finding text with the keys and the Find dialog, and what it says of a log it cannot read.
#include "ViewerFixture.h"

#include "win/UniqueHandle.h"

#include <cstdio>

using namespace viewer_tests;

// Appends `text` to `path` from another process, as a suite process writes to the log.
static void AppendFromAnotherProcess(const std::wstring& path, const std::string& text) {
    const std::wstring part = path + L".part";
    std::ofstream(part.c_str(), std::ios::binary) << text;
    EXPECT_EQ(::_wsystem((L"type \"" + part + L"\" >> \"" + path + L"\"").c_str()), 0); // through cmd.exe
}

using Live = ViewerOn<kAccessLog>;

TEST_F(Live, AppendedLinesJoinTreeAndListWhereTheyBelong) {
    SelectTreeItem(L"PC1 (2)");
    ClickListHeader(0); // by date, ascending
    SelectRow(list, 1); // Epsilon
    AppendFromAnotherProcess(path, "05.12.2026 07:59:59   Host=\"PC1\" Process=\"Early\" Traceclass=\"0\"\r\n"
                                   "05.12.2026 08:00:09   Host=\"PC9\" Process=\"New\" Traceclass=\"1\"\r\n"
                                   "05.12.2026 08:00:10   Host=\"PC1\" Traceclass=\"0\" Process=\"Half");
    ASSERT_TRUE(PumpUntil([&] { return FindTreeItem(tree, L"PC1 (3)") != nullptr; }, 3000))
        << "following reads new lines within a few seconds";
    EXPECT_EQ(RootTexts(tree), (Texts{L"Information", L"Warnung", L"Fehler"}));
    EXPECT_NE(FindTreeItem(tree, L"PC9 (1)"), nullptr);
    EXPECT_TRUE(ReadTree(tree)[1].bold && ReadTree(tree)[1].expanded);
    EXPECT_EQ(viewer->CaptionText(), L"Vistral Diagnose - PC1 (3)");
    EXPECT_EQ(Column(list, 1), (Texts{L"Early", L"Alpha", L"Epsilon"})) << "in sort order";
    EXPECT_EQ(Where(), Place(L"PC1 (3)", L"Epsilon")) << "the selection stays with its record";

    // The half line comes in once its line end has; with following off, only on F5, and only
    // on the viewer's own F5: the host's windows keep their keys.
    Command(ID_VIEWER_FOLLOW);
    EXPECT_FALSE(viewer->IsFollowing());
    AppendFromAnotherProcess(path, "\"\r\n");
    HWND edit = HostEdit();
    PressKey(edit, VK_F5);
    PressCtrlKey(edit, 'F');
    PumpMessages(1500);
    ReleaseCtrl();
    ::DestroyWindow(edit);
    EXPECT_NE(FindTreeItem(tree, L"PC1 (3)"), nullptr);
    EXPECT_EQ(OwnedDialog(window, 0), nullptr) << "no Find dialog";
    PressKey(tree, VK_F5);
    EXPECT_NE(FindTreeItem(tree, L"PC1 (4)"), nullptr);
    EXPECT_EQ(Column(list, 1).back(), L"Half");
}

TEST_F(Live, ALogCutOrMadeAnewIsReadAgainKeepingTheSelectedGroup) {
    TreeView_SelectItem(tree, ReadTree(tree)[1].children[1].item); // Fehler, PC2
    PumpMessages(20);
    // Cut to its newest part, as the size limit of a suite writer does.
    WriteLog(
        {kAccessLog[3], kAccessLog[4], R"(05.12.2026 08:00:06   Host="PC2" Process="Zeta" Traceclass="2")"});
    PressKey(tree, VK_F5);
    EXPECT_EQ(Where().first, L"PC2 (2)");
    EXPECT_EQ(Column(list, 1), (Texts{L"Delta", L"Zeta"}));
    EXPECT_EQ(FindTreeItem(tree, L"PC1 (2)"), nullptr);

    // Moved away and made anew while the viewer holds it.
    ASSERT_TRUE(::MoveFileExW(path.c_str(), (path + L".1").c_str(), 0));
    WriteLog({R"(06.12.2026 09:00:00   Host="PC2" Process="Eta" Traceclass="2")"});
    PressKey(tree, VK_F5);
    EXPECT_EQ(Column(list, 1), (Texts{L"Eta"}));
    EXPECT_EQ(viewer->CaptionText(), L"Vistral Diagnose - PC2 (1)");

    // Rewritten in place: the record's line is not its line any more, and the details show
    // nothing of it; the viewer reads the log again once they close.
    std::ofstream(path.c_str(), std::ios::binary | std::ios::in)
        << R"(06.12.2026 09:00:00   Host="PC2" Process="Xyz" Traceclass="2")";
    WithDetails(
        [&] { DoubleClickRow(0); },
        [](HWND details) { EXPECT_EQ(ListView_GetItemCount(::GetDlgItem(details, IDC_DETAILS_LIST)), 0); });
    PumpMessages(100);
    EXPECT_EQ(Column(list, 1), (Texts{L"Xyz"}));
}

TEST_F(Live, FindGoesThroughTheListThenTheFollowingGroupsAndAround) {
    // The Find dialog: Ctrl+F opens it, "Find next" finds from the start.
    CtrlKey(tree, 'F');
    HWND find = OwnedDialog(window, 0);
    ASSERT_NE(find, nullptr);
    FindInDialog(find, L"zugriff");
    EXPECT_EQ(Where(), Place(L"PC1 (2)", L"Alpha"));
    ::SendMessageW(find, WM_COMMAND, IDCANCEL, 0);

    // The order itself is the search order's (tested without windows): here, that the keys reach it.
    PressKey(list, VK_F3);
    EXPECT_EQ(Where(), Place(L"PC1 (1)", L"Gamma"));
    PressKey(list, VK_F3, true);
    EXPECT_EQ(Where(), Place(L"PC1 (2)", L"Alpha"));

    // Match case and whole words, through the dialog's own message.
    Find(L"Zugriff", FR_DOWN | FR_MATCHCASE);
    EXPECT_EQ(Where().second, L"Alpha") << "only Alpha writes it so";
    Find(L"Zugriff", FR_DOWN | FR_WHOLEWORD);
    EXPECT_EQ(Where().second, L"Delta") << "zugriffsfehler is no whole word";
    EXPECT_EQ(Find(L"nirgends"), L"\"nirgends\" wurde nicht gefunden.");
    EXPECT_EQ(Where().second, L"Delta") << "nothing found, nothing moved";
}

// From a selected heading Find Next goes to the first match at or after its first entry, and
// up to the last one before it, in either grouping; alike for a text of few matches (only their
// groups are looked at) and one of more than the viewer lists.
TEST_F(Viewer, FindFromAHeadingGoesToItsFirstMatchOrUpToTheOneBeforeIt) {
    // Each heading's first line is not of its first entry.
    const std::pair<const char*, int> entries[] = {{"PC3", 1}, {"PC2", 1}, {"PC1", 1},
                                                   {"PC3", 0}, {"PC1", 0}, {"PC2", 0}};
    const size_t perEntry = viewer::MatchMarks::kListedMost / 6 + 2; // every line holds "Zeile"
    std::vector<std::string> lines;
    for (size_t i = 0; i < perEntry; ++i)
        for (const auto& [host, traceClass] : entries) {
            const std::string at = std::string(host) + "/" + std::to_string(traceClass);
            const char* process = i == 0 ? "Anfang" : i + 1 == perEntry ? "Ende" : "F";
            const bool needle = i == 7 && (at == "PC2/0" || at == "PC1/1" || at == "PC3/1");
            lines.push_back("05.12.2026 08:00:00   Host=\"" + std::string(host) + "\" Process=\"" +
                            (needle ? at : process) + "\" Traceclass=\"" + std::to_string(traceClass) +
                            "\" Text=\"Zeile" + (needle ? " Nadel" : "") + "\"");
        }
    ASSERT_TRUE(OpenLog(lines));
    const std::wstring count = L" (" + std::to_wstring(perEntry) + L")";
    // The selected entry under its heading, and the selected row's process.
    const auto at = [&] {
        const HTREEITEM item = TreeView_GetSelection(tree);
        return ReadNode(tree, TreeView_GetParent(tree, item)).text + L"/" + Where().first + L" " +
               Where().second;
    };
    const auto fromHeading = [&](const wchar_t* heading, const wchar_t* text, DWORD flags) {
        TreeView_SelectItem(tree, FindTreeItem(tree, heading));
        EXPECT_EQ(Find(text, flags), L"");
        return at();
    };

    EXPECT_EQ(fromHeading(L"Warnung", L"Nadel", FR_DOWN), L"Warnung/PC1" + count + L" PC1/1");
    PressKey(list, VK_F3);
    EXPECT_EQ(at(), L"Warnung/PC3" + count + L" PC3/1");
    PressKey(list, VK_F3);
    EXPECT_EQ(at(), L"Information/PC2" + count + L" PC2/0") << "around to the first heading";
    EXPECT_EQ(fromHeading(L"Warnung", L"Nadel", 0), L"Information/PC2" + count + L" PC2/0");
    EXPECT_EQ(fromHeading(L"Warnung", L"Zeile", FR_DOWN), L"Warnung/PC1" + count + L" Anfang");
    EXPECT_EQ(fromHeading(L"Warnung", L"Zeile", 0), L"Information/PC3" + count + L" Ende");

    Command(IDC_GROUP_BY_COMPUTER);
    EXPECT_EQ(fromHeading(L"PC2", L"Nadel", FR_DOWN), L"PC2/Information" + count + L" PC2/0");
    EXPECT_EQ(fromHeading(L"PC2", L"Nadel", 0), L"PC1/Warnung" + count + L" PC1/1");
    EXPECT_EQ(fromHeading(L"PC1", L"Nadel", 0), L"PC3/Warnung" + count + L" PC3/1") << "around to the last";
    EXPECT_EQ(fromHeading(L"PC2", L"Zeile", 0), L"PC1/Warnung" + count + L" Ende");
}

TEST_F(Viewer, ALogThatCannotBeReadSaysWhyOneThatIsMissingDoesNot) {
    path = WriteLog({R"(05.12.2026 08:00:01   Host="PC1")"});
    win::UniqueFile exclusive(
        ::CreateFileW(path.c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING, 0, nullptr));
    ASSERT_TRUE(Open(path));
    const std::wstring caption = viewer->CaptionText();
    EXPECT_EQ(caption.rfind(L"Vistral Diagnose - ", 0), 0u);
    EXPECT_GT(caption.size(), 25u) << "the platform's text for the sharing violation";
    EXPECT_EQ(TreeView_GetCount(tree), 0u);
    exclusive.reset();
    EXPECT_TRUE(PumpUntil([&] { return TreeView_GetCount(tree) > 0; }, 5000)) << "read once it can be";
    DestroyOpenDlg();

    for (const std::wstring& missing : {dir.Path() + L"missing.log", std::wstring()}) {
        ASSERT_TRUE(Open(missing));
        EXPECT_EQ(viewer->CaptionText(), L"Vistral Diagnose");
        EXPECT_EQ(TreeView_GetCount(tree) + ListView_GetItemCount(list), 0u);
        if (!missing.empty()) {
            WriteLog({R"(05.12.2026 08:00:01   Host="PC1")"}, L"missing.log");
            EXPECT_TRUE(PumpUntil([&] { return TreeView_GetCount(tree) > 0; }, 5000))
                << "read once it is there";
        }
        DestroyOpenDlg();
    }
}

// More entries than the tree shows open: closed headings whose entries are made when a heading
// opens or when Find lands in it, in either grouping; more than 1,000 computers at one level
// stand in pages of 1,000, made when a page opens or a group in it is shown. New computers join
// their page, which is cut in two when it has grown to twice its size; a heading opened with its
// computers as items is made again in pages when they grow past 1,000.
TEST_F(Viewer, AVeryLargeTreeMakesAHeadingsEntriesWhenItOpensOrFindLandsInIt) {
    std::vector<std::string> lines;
    for (int i = 1; i <= 20001; ++i) { // one entry a computer, odd ones "Warnung"
        char line[160];
        std::snprintf(line, sizeof line,
                      "05.12.2026 08:00:00   Host=\"PC%05d\" Process=\"P%d\" Traceclass=\"%d\"%s", i, i,
                      i % 2, i == 15000 ? " Text=\"Nadel\"" : "");
        lines.push_back(line);
    }
    ASSERT_TRUE(OpenLog(lines));
    auto roots = ReadTree(tree);
    ASSERT_EQ(RootTexts(tree), (Texts{L"Information", L"Warnung"}));
    for (const TreeNode& root : roots)
        EXPECT_TRUE(root.bold && !root.expanded && root.children.empty() && root.data == 0)
            << Ansi(root.text);

    TreeView_Expand(tree, roots[1].item, TVE_EXPAND);
    roots = ReadTree(tree);
    ASSERT_EQ(roots[1].children.size(), 11u) << "10,001 computers in pages";
    EXPECT_EQ(roots[1].children.front().text, L"PC00001 \u2013 PC01999");
    EXPECT_EQ(roots[1].children.back().text, L"PC20001 \u2013 PC20001");
    TreeView_Expand(tree, roots[1].children.back().item, TVE_EXPAND);
    roots = ReadTree(tree);
    EXPECT_EQ(ChildTexts(roots[1].children.back()), (Texts{L"PC20001 (1)"}));
    EXPECT_TRUE(roots[1].expanded && roots[1].children.back().children.back().data != 0);
    EXPECT_TRUE(roots[1].children.front().children.empty()) << "the other pages wait";
    EXPECT_TRUE(roots[0].children.empty()) << "the other heading stays closed";

    EXPECT_EQ(Find(L"Nadel"), L"");
    EXPECT_EQ(Where(), Place(L"PC15000 (1)", L"P15000"))
        << "found under the closed heading, which now has its pages, and its page its entries";
    AppendFromAnotherProcess(path,
                             "05.12.2026 08:00:01   Host=\"PC15000a\" Process=\"Neu\" Traceclass=\"0\"\r\n");
    ASSERT_TRUE(PumpUntil([&] { return FindNode(ReadTree(tree)[0], L"PC15000a (1)") != nullptr; }, 3000))
        << "a new computer joins its page, made";
    const TreeNode page = ReadNode(tree, TreeView_GetParent(tree, TreeView_GetSelection(tree)));
    EXPECT_EQ(page.text, L"PC14002 \u2013 PC16000");
    EXPECT_EQ(page.children[500].text, L"PC15000a (1)");

    Command(IDC_GROUP_BY_COMPUTER);
    roots = ReadTree(tree);
    ASSERT_EQ(roots.size(), 21u);
    EXPECT_EQ(roots.front().text, L"PC00001 \u2013 PC01000");
    EXPECT_EQ(roots.back().text, L"PC20000 \u2013 PC20001");
    EXPECT_TRUE(roots[14].children.empty() && !roots[14].bold) << "pages are made when opened";
    EXPECT_EQ(Find(L"Nadel"), L"");
    EXPECT_EQ(Where(), Place(L"Information (1)", L"P15000")) << "and when Find lands in them";
    roots = ReadTree(tree);
    ASSERT_EQ(roots[14].children.size(), 1000u);
    EXPECT_EQ(roots[14].children.back().text, L"PC15000");
    EXPECT_TRUE(roots[14].children.back().bold);

    std::string computers; // all before the first page's first computer
    for (int i = 0; i < 1000; ++i)
        computers += "05.12.2026 08:00:01   Host=\"PC00000-" + std::to_string(1000 + i).substr(1) +
                     "\" Process=\"Neu\" Traceclass=\"2\"\r\n";
    AppendFromAnotherProcess(path, computers);
    ASSERT_TRUE(PumpUntil([&] { return TreeView_GetCount(tree) == 1023u; }, 3000)) << "following";
    roots = ReadTree(tree);
    EXPECT_EQ(roots[0].text, L"PC00000-000 \u2013 PC00000-999") << "the first page cut in two";
    EXPECT_EQ(roots[1].text, L"PC00001 \u2013 PC01000");
    TreeView_Expand(tree, roots[0].item, TVE_EXPAND);
    roots = ReadTree(tree);
    ASSERT_EQ(roots[0].children.size(), 1000u);
    const HTREEITEM first = roots[0].children.front().item;
    EXPECT_EQ(roots[0].children.front().text, L"PC00000-000") << "in its place";
    EXPECT_EQ(TreeView_GetChild(tree, first), nullptr) << "closed";
    TreeView_SelectItem(tree, first);
    TreeView_Expand(tree, first, TVE_EXPAND);
    EXPECT_EQ(ChildTexts(ReadTree(tree).front().children.front()), (Texts{L"Fehler (1)"}));

    // A heading opened with its 1,000 computers as items, grown past them: made again in pages.
    Command(IDC_GROUP_BY_TYPE);
    roots = ReadTree(tree);
    ASSERT_EQ(RootTexts(tree), (Texts{L"Information", L"Warnung", L"Fehler"}));
    TreeView_Expand(tree, roots[2].item, TVE_EXPAND);
    ASSERT_EQ(ReadTree(tree)[2].children.size(), 1000u);
    AppendFromAnotherProcess(path,
                             "05.12.2026 08:00:02   Host=\"PC99999\" Process=\"Neu\" Traceclass=\"2\"\r\n");
    ASSERT_TRUE(
        PumpUntil([&] { return viewer->Index().RecordCount() == 21003u && !viewer->Reading(); }, 3000));
    TreeView_Expand(tree, ReadTree(tree)[2].item, TVE_EXPAND); // the tree made again has it closed
    EXPECT_EQ(ChildTexts(ReadTree(tree)[2]),
              (Texts{L"PC00000-000 \u2013 PC00000-999", L"PC99999 \u2013 PC99999"}));
}

// The search's case folding of ä/Ä, ö/Ö and ü/Ü on the paths that read a log as it is stored:
// 8-bit text through its code page, UTF-16 without widening.
TEST_F(Viewer, FindFoldsUmlautsIn8BitAndUtf16Logs) {
    const std::wstring lines[] = {
        L"05.12.2026 08:00:01   Host=\"PC1\" Process=\"Alpha\" Text=\"nichts\"",
        L"05.12.2026 08:00:02   Host=\"PC1\" Process=\"Beta\" Text=\"Ärger über Öl\""};
    for (const bool utf16 : {false, true}) {
        std::string bytes = utf16 ? "\xFF\xFE" : "";
        for (const std::wstring& line : lines) {
            const std::wstring text = line + L"\r\n";
            bytes +=
                utf16 ? std::string(reinterpret_cast<const char*>(text.data()), text.size() * 2) : Ansi(text);
        }
        const std::wstring file = dir.Path() + (utf16 ? L"utf16.log" : L"ansi.log");
        std::ofstream(file.c_str(), std::ios::binary) << bytes;
        DestroyOpenDlg();
        ASSERT_TRUE(Open(file));
        Find(L"äRGER ÜBER öL");
        EXPECT_EQ(Where().second, L"Beta") << (utf16 ? "UTF-16" : "8-bit");
    }
}

// A few records of megabytes each are searched and copied on the reading thread, not in the
// dispatch of the key (the test holds the index's gate): the caption says so until they have.
TEST_F(Viewer, ASearchOrACopyOfManyMegabytesRunsOnTheReadingThread) {
    const std::string line = "05.12.2026 08:00:00   Host=\"PC1\" Process=\"P\" Traceclass=\"0\" Text=\"";
    ASSERT_TRUE(OpenLog(std::vector<std::string>(9, line + std::string(1 << 20, 'x') + "\"")));
    SelectTreeItem(L"PC1 (9)");
    viewer->Gate()->Lock();
    SendFindNext(window, L"Nadel");
    ASSERT_EQ(viewer->CaptionText(), L"Vistral Diagnose - PC1 (9) - Suche \u2026 0 %"); // else Escape closes
    PressKey(list, VK_ESCAPE);
    CtrlKey(list, 'A');
    CtrlKey(list, 'C');
    EXPECT_EQ(viewer->CaptionText(), L"Vistral Diagnose - PC1 (9) - Kopiere \u2026");
    viewer->Gate()->Unlock();
    ASSERT_TRUE(PumpUntil([&] { return viewer->CaptionText() == L"Vistral Diagnose - PC1 (9)"; }, 5000));
    EXPECT_EQ(ClipboardText().size(), 9 * (line.size() + (1 << 20) + 3) + 1);
}

// A search of more records than the viewer's thread looks at in one go runs on the reading
// thread (the test holds the index's gate to keep it at its start): the caption and the match
// window say so, Escape stops the search and not the viewer, lines that arrive meanwhile wait
// for it and are searched too.
TEST_F(Viewer, ASearchOfALargeLogRunsOnTheReadingThreadAndEscapeStopsIt) {
    std::vector<std::string> lines(30000, "05.12.2026 08:00:00   Host=\"PC1\" Process=\"P\" Traceclass=\"0\" "
                                          "Text=\"Heu\"");
    lines.push_back("05.12.2026 08:00:01   Host=\"PC2\" Process=\"Fund\" Traceclass=\"1\" Text=\"Nadel\"");
    ASSERT_TRUE(OpenLog(lines));
    viewer::IndexGate& gate = *viewer->Gate();

    gate.Lock();
    SendFindNext(window, L"Nadel");
    EXPECT_EQ(viewer->CaptionText(), L"Vistral Diagnose - Suche \u2026 0 %");
    CtrlKey(list, 'F', true);
    HWND matches = OwnedDialog(window, IDC_MATCHES_LIST);
    ASSERT_NE(matches, nullptr) << "the match window opens at once";
    EXPECT_EQ(WindowText(matches), L"Vistral Diagnose - Treffer: \"Nadel\" (0) - Suche \u2026 0 %");
    PressKey(list, VK_ESCAPE);
    EXPECT_FALSE(viewer->Searching());
    gate.Unlock();
    PumpMessages(50);
    EXPECT_EQ(OpenViewer(), viewer) << "Escape stopped the search, not the viewer";
    EXPECT_EQ(viewer->CaptionText(), L"Vistral Diagnose");
    EXPECT_EQ(WindowText(matches), L"Vistral Diagnose - Treffer: \"Nadel\" (0) - Suche abgebrochen bei 0 %");

    gate.Lock();
    PressKey(list, VK_F3);
    Append("05.12.2026 08:00:02   Host=\"PC3\" Process=\"Neu\" Traceclass=\"2\" Text=\"Nadel\"\r\n");
    PumpMessages(1500); // the follow timer's looks wait for the search
    EXPECT_EQ(viewer->Index().RecordCount(), 30001u);
    gate.Unlock();
    Settle();
    EXPECT_EQ(Where(), Place(L"PC2 (1)", L"Fund")) << "found when the search has ended";
    ASSERT_TRUE(PumpUntil([&] { return viewer->Index().RecordCount() == 30002u; }, 3000));
    Settle();
    EXPECT_EQ(WindowText(matches), L"Vistral Diagnose - Treffer: \"Nadel\" (2)");
}

// A large group sorts on the reading thread, its messages read there: the list keeps its order
// and the caption says so until the new order comes in one step, the selection with its record;
// Escape drops the sort.
TEST_F(Viewer, ALargeGroupSortsOnTheReadingThreadAndEscapeDropsTheSort) {
    std::vector<std::string> lines;
    for (int i = 0; i < 60000; ++i) { // the later the line, the earlier its time; messages from line 30000 on
        char line[120];
        const int second = 59999 - i;
        std::snprintf(
            line, sizeof line,
            "05.12.2026 %02d:%02d:%02d   Host=\"PC1\" Process=\"P%d\" Traceclass=\"0\" Text=\"M%05d\"",
            second / 3600, second / 60 % 60, second % 60, i, (i + 30000) % 60000);
        lines.push_back(line);
    }
    ASSERT_TRUE(OpenLog(lines));
    SelectTreeItem(L"PC1 (60000)");
    SelectRow(list, 1);
    viewer::IndexGate& gate = *viewer->Gate();
    gate.Lock(); // keeps the sort from its start
    ClickListHeader(0);
    EXPECT_EQ(viewer->CaptionText(), L"Vistral Diagnose - PC1 (60000) - Sortiere \u2026");
    EXPECT_EQ(ListText(list, 0, 1), L"P0") << "the list keeps its order meanwhile";
    PressKey(list, VK_ESCAPE);
    gate.Unlock();
    Settle();
    EXPECT_EQ(OpenViewer(), viewer) << "Escape dropped the sort, not the viewer";
    EXPECT_EQ(viewer->CaptionText(), L"Vistral Diagnose - PC1 (60000)");
    EXPECT_EQ(ListText(list, 0, 1), L"P0");

    ClickListHeader(0);
    Settle();
    EXPECT_EQ(ListText(list, 0, 1), L"P59999") << "the earliest first";
    EXPECT_EQ(Where(), Place(L"PC1 (60000)", L"P1")) << "the selection goes with its record";
    EXPECT_EQ(ListView_GetNextItem(list, -1, LVNI_SELECTED), 59998);

    gate.Lock(); // keeps the messages from being read
    ClickListHeader(viewer::kMessageColumn);
    EXPECT_EQ(viewer->CaptionText(), L"Vistral Diagnose - PC1 (60000) - Sortiere \u2026");
    EXPECT_EQ(ListText(list, 0, 1), L"P59999");
    gate.Unlock();
    Settle();
    EXPECT_EQ(ListText(list, 0, 1), L"P29999") << "the other way round, by message: M59999 first";
    EXPECT_EQ(ListText(list, 59999, 1), L"P30000");
    EXPECT_EQ(Where(), Place(L"PC1 (60000)", L"P1"));

    // A click while the reading thread reads what was appended: the sort waits for that job,
    // rather than running on the viewer's thread (Escape drops it meanwhile), and then sorts the
    // new record with the rest.
    gate.Lock(); // keeps the follower's read from its end
    Append("04.12.2026 23:59:59   Host=\"PC1\" Process=\"Neu\" Traceclass=\"0\" Text=\"M\"\r\n");
    ASSERT_TRUE(PumpUntil([&] { return viewer->Reading(); }, 3000));
    PumpMessages(50); // the look starts from the queue
    ClickListHeader(0);
    EXPECT_EQ(viewer->CaptionText(), L"Vistral Diagnose - PC1 (60000) - Sortiere \u2026");
    PressKey(list, VK_ESCAPE);
    PumpMessages(20);
    EXPECT_EQ(viewer->CaptionText(), L"Vistral Diagnose - PC1 (60000)") << "Escape drops a waiting sort";
    ClickListHeader(0);
    EXPECT_EQ(viewer->CaptionText(), L"Vistral Diagnose - PC1 (60000) - Sortiere \u2026");
    EXPECT_EQ(ListText(list, 0, 1), L"P29999") << "the list keeps its order meanwhile";
    gate.Unlock();
    Settle();
    ASSERT_TRUE(PumpUntil([&] { return !viewer->Sorting(); }, 3000));
    PumpMessages(20);
    EXPECT_EQ(viewer->CaptionText(), L"Vistral Diagnose - PC1 (60001)");
    EXPECT_EQ(ListText(list, 0, 1), L"Neu") << "the earliest first";
    EXPECT_EQ(ListText(list, 1, 1), L"P59999");
    EXPECT_EQ(Where(), Place(L"PC1 (60001)", L"P1"));

    WithDetails([&] { DoubleClickRow(0); },
                [&](HWND) {
                    DestroyOpenDlg(); // the close waits for the details to return
                    ClickListHeader(0);
                    EXPECT_FALSE(viewer->Sorting()) << "a click after the close sorts nothing";
                });
}
