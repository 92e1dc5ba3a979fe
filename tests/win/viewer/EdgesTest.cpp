// The viewer at the index's edges: a log the suite's writer cuts in place while it is read, a
// reload that fails, and finding text where it wraps round, folds case or was in a last line
// that was filed again. A find that goes wrong shows its message box, which is closed at once.
#include "ViewerFixture.h"

#include "logging/LogFileIo.h"

#include <algorithm>
#include <iterator>
#include <stdexcept>

using namespace viewer_tests;

static std::wstring g_cutPath; // the log the writer cuts from inside the viewer's read

// The writer cuts the log at its size limit once the viewer has read its first batch: the
// newest bytes are copied to the start in pieces, then the end of the file is set.
TEST_F(Viewer, ALogCutInPlaceByTheSuitesWriterWhileItIsReadShowsTheLinesOfTheCutLog) {
    std::vector<std::string> lines;
    for (int i = 0; i < 40000; ++i)
        lines.push_back("05.12.2026 08:00:00   Host=\"PC" + std::to_string(i % 5) +
                        "\" Traceclass=\"0\" Text=\"line " + std::to_string(i) +
                        ", padded to about a hundred bytes\"");
    path = g_cutPath = WriteLog(lines);
    diagnose::RecordStore::SetFaultHook([](const char* where) {
        if (std::string(where) != "scanned" || g_cutPath.empty())
            return;
        win::UniqueFile writer = Zt::OpenLogForWriting(g_cutPath, OPEN_EXISTING);
        Zt::CutToSizeLimit(writer.get(), g_cutPath, 1000000, 1500000);
        g_cutPath.clear();
    });
    const bool opened = Open(path);
    diagnose::RecordStore::SetFaultHook(nullptr);
    ASSERT_TRUE(opened);
    EXPECT_TRUE(g_cutPath.empty()) << "the writer cut the log during the read";
    std::ifstream file(path.c_str(), std::ios::binary);
    const auto lineEnds = std::count(std::istreambuf_iterator<char>(file), {}, '\n');
    EXPECT_EQ(viewer->Index().RecordCount(), static_cast<size_t>(lineEnds));
}

// An exception out of the read after the index was emptied leaves the tree on the index as it
// is, not on the lists it had.
TEST_F(Viewer, AReloadThatThrowsLeavesNoTreeItemOnAFreedList) {
    ASSERT_TRUE(OpenLog({R"(05.12.2026 08:00:00   Host="PC1" Traceclass="0")",
                         R"(05.12.2026 08:00:01   Host="PC2" Traceclass="2")"}));
    WriteLog({R"(05.12.2026 09:00:00   Host="PC3" Traceclass="0")"});
    diagnose::RecordStore::SetFaultHook([](const char*) { throw std::runtime_error("no"); });
    Command(ID_VIEWER_REFRESH);
    diagnose::RecordStore::SetFaultHook(nullptr);
    std::vector<LPARAM> lists;
    for (const auto& [host, classes] : viewer->Index().GetByHost())
        for (const auto& [cls, records] : classes)
            lists.push_back(reinterpret_cast<LPARAM>(records));
    for (const TreeNode& heading : ReadTree(tree))
        for (const TreeNode& entry : heading.children)
            EXPECT_NE(std::find(lists.begin(), lists.end(), entry.data), lists.end()) << Ansi(entry.text);
    Command(ID_VIEWER_REFRESH);
    EXPECT_NE(FindTreeItem(tree, L"PC3 (1)"), nullptr) << "read again on F5";
}

TEST_F(Viewer, FindWrapsRoundInsideTheShownGroupFoldsCaseAndSeesALastLineFiledAgain) {
    path = WriteLog({R"(05.12.2026 08:00:01   Host="PC1" Process="Alpha" Traceclass="0")",
                     R"(05.12.2026 08:00:02   Host="PC2" Process="Beta" Traceclass="0")",
                     R"(05.12.2026 08:00:03   Host="PC1" Process="Gamma" Traceclass="0")"});
    Append(R"(05.12.2026 08:00:04   Host="PC2" Text="halb)");
    ASSERT_TRUE(Open(path));
    SelectTreeItem(L"PC1 (2)");
    SelectRow(list, 1); // Gamma
    EXPECT_EQ(Find(L"ALPHA"), L"") << "found in the shown group, before the selection, in any case";
    EXPECT_EQ(Where(), Place(L"PC1 (2)", L"Alpha"));
    EXPECT_EQ(Find(L"halbfertig"), L"\"halbfertig\" wurde nicht gefunden.");

    Append("fertig\"\r\n");
    ASSERT_TRUE(PumpUntil([&] { return !viewer->Reading() && !viewer->Index().HasTail(); }, 3000))
        << "following files it again";
    EXPECT_EQ(Find(L"halbfertig"), L"") << "the search looks at the line filed again";
    EXPECT_EQ(Where().first, L"PC2 (1)");
}
