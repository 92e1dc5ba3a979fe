// The index reading real files: encodings, sharing with writers, and files that are missing,
// locked, binary or huge.
#include "DiagnoseTestSupport.h"
#include "TestSupport.h"
#include "diagnose/DiagnoseIndex.h"
#include "win/UniqueHandle.h"

#include <gtest/gtest.h>

using diagnose_test::WriteBytes;
using testing_support::TempDirectory;

namespace {
const char kThreeLines[] = "01.01.2026 08:00:00   Host=\"PC1\" Process=\"A\" Traceclass=\"0\"\r\n"
                           "01.01.2026 08:00:01   Host=\"PC1\" Process=\"B\" Traceclass=\"2\"\r\n"
                           "01.01.2026 08:00:02   Host=\"PC1\" Process=\"C\" Traceclass=\"0\"\r\n";
} // namespace

TEST(DiagnoseIndexFile, ReadsEveryLineAndFilesIt) {
    TempDirectory dir;
    const std::wstring path = dir.Path() + L"Events.log";
    ASSERT_TRUE(WriteBytes(path, kThreeLines));
    CDiagnoseIndex index;
    index.SetFile(path);
    EXPECT_EQ(index.GetFile(), path);
    ASSERT_EQ(index.RecordCount(), 3u);
    EXPECT_EQ(index.GetByTraceClass().at(0).at(L"PC1"), (RecordList{0, 2}));
    EXPECT_EQ(index.GetByHost().at(L"PC1").at(2), (RecordList{1}));
    // Load does not empty the index first.
    index.Load();
    EXPECT_EQ(index.RecordCount(), 6u);
    index.Clear();
    EXPECT_EQ(index.RecordCount(), 0u);
    EXPECT_TRUE(index.GetByHost().empty());
}

TEST(DiagnoseIndexFile, AnActiveWriterNeitherBlocksNorIsBlocked) {
    TempDirectory dir;
    const std::wstring path = dir.Path() + L"Events.log";
    ASSERT_TRUE(WriteBytes(path, kThreeLines));
    // A writer that lets others only read: opening the file without letting writers go on
    // would fail here.
    win::UniqueFile writer(
        ::CreateFileW(path.c_str(), GENERIC_WRITE, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr));
    ASSERT_TRUE(writer);
    CDiagnoseIndex index;
    index.SetFile(path);
    EXPECT_EQ(index.RecordCount(), 3u) << "the viewer must not come up empty";
}

TEST(DiagnoseIndexFile, MissingEmptyPathAndLockedFilesLoadNothing) {
    TempDirectory dir;
    CDiagnoseIndex index;
    index.SetFile(L"");
    EXPECT_EQ(index.RecordCount(), 0u);
    index.SetFile(dir.Path() + L"missing.log");
    EXPECT_EQ(index.RecordCount(), 0u);
    index.SetFile(dir.Path());
    EXPECT_EQ(index.RecordCount(), 0u) << "a directory";

    const std::wstring path = dir.Path() + L"locked.log";
    ASSERT_TRUE(WriteBytes(path, kThreeLines));
    win::UniqueFile exclusive(
        ::CreateFileW(path.c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING, 0, nullptr));
    ASSERT_TRUE(exclusive);
    index.SetFile(path);
    EXPECT_EQ(index.RecordCount(), 0u);
    exclusive.reset();
    index.Load();
    EXPECT_EQ(index.RecordCount(), 3u);
}

TEST(DiagnoseIndexFile, EncodingsFollowTheMarkOrTheShapeOfTheText) {
    TempDirectory dir;
    const std::wstring path = dir.Path() + L"x.log";
    // The module's own Events.log is UTF-16LE without a mark.
    std::string utf16;
    for (wchar_t c : std::wstring(L"01.01.2026 08:00:00   Host=\"R\x00E4"
                                  L"chner\" Traceclass=\"1\"\r\n"))
        utf16 += static_cast<char>(c & 0xFF), utf16 += static_cast<char>(c >> 8);
    ASSERT_TRUE(WriteBytes(path, utf16));
    CDiagnoseIndex unmarked;
    unmarked.SetFile(path);
    ASSERT_EQ(unmarked.RecordCount(), 1u);
    EXPECT_EQ(unmarked.GetHost(0), L"R\x00E4"
                                   L"chner");
    EXPECT_EQ(unmarked.GetTraceClass(0), 1);

    ASSERT_TRUE(WriteBytes(path, "\xFF\xFE" + utf16));
    CDiagnoseIndex marked;
    marked.SetFile(path);
    EXPECT_EQ(marked.GetHost(0), L"R\x00E4"
                                 L"chner");

    ASSERT_TRUE(WriteBytes(path, "\xEF\xBB\xBF"
                                 "Host=\"R\xC3\xA4"
                                 "chner\"\n"));
    CDiagnoseIndex utf8;
    utf8.SetFile(path);
    EXPECT_EQ(utf8.GetHost(0), L"R\x00E4"
                               L"chner");

    // Anything else is ANSI text.
    ASSERT_TRUE(WriteBytes(path, "Host=\"R\xE4"
                                 "chner\"\n"));
    CDiagnoseIndex ansi;
    ansi.SetFile(path);
    wchar_t expected[16] = {};
    ::MultiByteToWideChar(CP_ACP, 0,
                          "R\xE4"
                          "chner",
                          -1, expected, 16);
    EXPECT_EQ(ansi.GetHost(0), expected);
}

TEST(DiagnoseIndexFile, BinaryAndHugeFilesGiveRecordsWithoutLosingAny) {
    TempDirectory dir;
    const std::wstring path = dir.Path() + L"binary.log";
    std::string binary;
    for (int i = 0; i < 100000; ++i)
        binary += static_cast<char>((i * 2654435761u) >> 24);
    ASSERT_TRUE(WriteBytes(path, binary));
    CDiagnoseIndex index;
    index.SetFile(path);
    size_t lines = 0;
    for (char c : binary)
        lines += c == '\n';
    EXPECT_EQ(index.RecordCount(), lines + (binary.back() != '\n'));

    std::string huge = "01.01.2026 08:00:00   Host=\"Big\" Traceclass=\"2\" Text=\"";
    huge.append(50u << 20, 'x');
    huge += "\"\r\nHost=\"Next\"";
    const std::wstring bigPath = dir.Path() + L"huge.log";
    ASSERT_TRUE(WriteBytes(bigPath, huge));
    CDiagnoseIndex big;
    big.SetFile(bigPath);
    ASSERT_EQ(big.RecordCount(), 2u);
    EXPECT_EQ(big.GetHost(0), L"Big");
    EXPECT_EQ(big.GetTraceClass(0), 2);
    EXPECT_EQ(big.GetHost(1), L"Next");
    EXPECT_EQ(big.MakeRecord(0)->GetAttributes().at(L"Text").size(), 50u << 20);
}

TEST(DiagnoseIndexFile, MakeRecordGivesTheWholeRecord) {
    CDiagnoseIndex index;
    index.AddLine(L"05.12.2026 12:32:28   Host=\"PC1\" Process=\"Service\" Traceclass=\"2\" HResult=\"-5\"");
    auto record = index.MakeRecord(0);
    ASSERT_TRUE(record);
    EXPECT_EQ(record->GetDate(), L"05.12.2026");
    EXPECT_EQ(record->GetTime(), L"12:32:28");
    EXPECT_EQ(record->GetHost(), L"PC1");
    EXPECT_EQ(record->GetTraceClass(), 2);
    EXPECT_EQ(record->GetAttributeLong(L"HResult", 0), -5);
    EXPECT_FALSE(index.MakeRecord(1));
}
