// The index on real files: what the platform adds to the model (ANSI code page, sharing with
// writers, files that are missing, locked, binary, huge, growing or replaced).
#include "DiagnoseTestSupport.h"
#include "Logs.h"
#include "TestSupport.h"
#include "diagnose/DiagnoseIndex.h"
#include "resource.h"
#include "win/ResourceModule.h"

#include <algorithm>

using diagnose_test::WriteBytes;
using testing_support::TempDirectory;
using State = CDiagnoseIndex::FileState;

TEST(DiagnoseIndexFile, ReadsBesideAWriterAndFollowsWhatBecomesOfTheFile) {
    TempDirectory dir;
    const std::wstring path = dir.Path() + L"Events.log";
    ASSERT_TRUE(WriteBytes(path, fixtures::kThreeLinePc1));
    // A writer that lets others only read: opening the file without letting writers go on
    // would fail here.
    win::UniqueFile writer(
        ::CreateFileW(path.c_str(), GENERIC_WRITE, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr));
    ASSERT_TRUE(writer);
    CDiagnoseIndex index;
    index.SetFile(path);
    EXPECT_EQ(index.GetFile(), path);
    ASSERT_EQ(index.RecordCount(), 3u) << "the viewer must not come up empty";
    EXPECT_EQ(*index.GetByHost().at(L"PC1").at(0), (RecordList{0, 2}));
    EXPECT_EQ(index.ReadError(), 0u);
    writer.reset();

    EXPECT_EQ(index.Look(), State::Unchanged);
    const std::string grown =
        std::string(fixtures::kThreeLinePc1) + "01.01.2026 08:00:03   Host=\"PC2\"\r\nhalf";
    ASSERT_TRUE(WriteBytes(path, grown, OPEN_EXISTING));
    EXPECT_EQ(index.Look(), State::Grown);
    index.ReadAppended();
    EXPECT_EQ(index.RecordCount(), 4u) << "complete lines only";
    EXPECT_EQ(index.GetHost(3), L"PC2");

    // The index holds the file open, and still others may move it away (or delete it) and make
    // it anew: the name then leads to another file.
    ASSERT_TRUE(::MoveFileExW(path.c_str(), (path + L".old").c_str(), 0));
    ASSERT_TRUE(WriteBytes(path, fixtures::kThreeLinePc1));
    EXPECT_EQ(index.Look(), State::Replaced);
    EXPECT_TRUE(index.MakeRecord(3)) << "the lines indexed are still read from the file they were in";
    index.Clear();
    EXPECT_TRUE(win::UniqueFile(
        ::CreateFileW((path + L".old").c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING, 0, nullptr)))
        << "an index emptied lets go of its file";

    CDiagnoseIndex cut;
    cut.SetFile(path);
    std::string same(fixtures::kThreeLinePc1);
    same[same.find("PC1")] = 'X';
    ASSERT_TRUE(WriteBytes(path, same, OPEN_EXISTING)); // rewritten in place, same size
    EXPECT_FALSE(cut.MakeRecord(0)) << "a changed line is never shown as its record";
    EXPECT_TRUE(cut.IsStale());
    EXPECT_EQ(cut.Look(), State::Replaced);
}

TEST(DiagnoseIndexFile, WhatCannotBeReadSaysWhyAndWhatIsMissingIsEmpty) {
    TempDirectory dir;
    CDiagnoseIndex index;
    for (const std::wstring& path :
         {std::wstring(), dir.Path() + L"missing.log", dir.Path() + L"no dir\\x.log"}) {
        index.SetFile(path);
        EXPECT_EQ(index.RecordCount() + index.ReadError(), 0u);
    }
    index.SetFile(dir.Path());
    EXPECT_EQ(index.RecordCount(), 0u);
    EXPECT_EQ(index.ReadError(), static_cast<DWORD>(ERROR_ACCESS_DENIED)) << "a directory";

    const std::wstring path = dir.Path() + L"locked.log";
    ASSERT_TRUE(WriteBytes(path, fixtures::kThreeLinePc1));
    win::UniqueFile exclusive(
        ::CreateFileW(path.c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING, 0, nullptr));
    ASSERT_TRUE(exclusive);
    CDiagnoseIndex locked;
    locked.SetFile(path);
    EXPECT_EQ(locked.RecordCount(), 0u);
    EXPECT_EQ(locked.ReadError(), static_cast<DWORD>(ERROR_SHARING_VIOLATION));
    exclusive.reset();
    EXPECT_EQ(locked.Look(), State::Replaced) << "it can be read now";
    locked.Clear();
    locked.Load();
    EXPECT_EQ(locked.RecordCount(), 3u);
}

TEST(DiagnoseIndexFile, AnsiTextBinaryAndHugeLines) {
    ASSERT_EQ(::GetACP(), 1252u) << "the test harness runs Wine with a Western code page";
    TempDirectory dir;
    const std::wstring path = dir.Path() + L"x.log";
    std::string binary;
    for (int i = 0; i < 100000; ++i)
        binary += static_cast<char>((i * 2654435761u) >> 24);
    std::string text = "Host=\"R\xE4"
                       "chner\" Process=\"\x80x\"\n" +
                       binary + "\n01.01.2026 08:00:00   Host=\"Big\" Traceclass=\"2\" Text=\"";
    text.append(50u << 20, 'x');
    text += "\"\r\nHost=\"Next\"";
    ASSERT_TRUE(WriteBytes(path, text));
    CDiagnoseIndex index;
    index.SetFile(path);
    ASSERT_EQ(index.RecordCount(), std::count(text.begin(), text.end(), '\n') + 1u)
        << "every line, binary or not, is a record";
    EXPECT_EQ(index.GetHost(0), L"R\u00E4chner");
    EXPECT_EQ(index.GetProcess(0), L"\x20ACx");
    const RecordId big = index.RecordCount() - 2;
    EXPECT_EQ(index.GetHost(big), L"Big");
    EXPECT_EQ(index.GetTraceClass(big), 2);
    EXPECT_EQ(index.MakeRecord(big)->GetAttributes().at(L"Text").size(), 50u << 20);
    EXPECT_EQ(index.GetHost(big + 1), L"Next");
    EXPECT_FALSE(index.MakeRecord(big + 2));
}

// A line of more than 4 GiB, from a source that makes its bytes up (past its first 128 MiB it
// leaves the reader's buffer as it is: no line feed): its end, beyond what a 32-bit length
// holds, stays where it is, and the line and its block read back as indexed.
TEST(DiagnoseIndexFile, ALineOfMoreThanFourGigabytesKeepsItsEndOnA32BitHost) {
    if (sizeof(void*) == 8)
        GTEST_SKIP() << "a 64-bit length holds it; the 32-bit build runs this";
    struct Made : diagnose::ByteSource {
        const uint64_t lineFeed = (uint64_t(4) << 30) + 100;
        const std::string head = "Host=\"Big\" Text=\"", next = "\nHost=\"N\"\n";
        bool Read(uint64_t offset, void* buffer, size_t size, size_t& got, uint32_t& error) override {
            error = 0;
            got = static_cast<size_t>(
                std::min<uint64_t>(size, lineFeed + next.size() - std::min(offset, lineFeed + next.size())));
            char* out = static_cast<char*>(buffer);
            std::memset(out, 'x',
                        static_cast<size_t>(
                            std::min<uint64_t>(got, (128u << 20) - std::min<uint64_t>(offset, 128u << 20))));
            for (size_t i = 0; offset < head.size() && i < got && offset + i < head.size(); ++i)
                out[i] = head[static_cast<size_t>(offset + i)];
            for (uint64_t at = std::max(offset, lineFeed); at < offset + got; ++at)
                out[at - offset] = next[static_cast<size_t>(at - lineFeed)];
            return true;
        }
    } source;
    diagnose::RecordStore store(64 << 20);
    store.BeginDetected("Host", 4, {});
    ASSERT_TRUE(store.Read(source, source.lineFeed + source.next.size(), true, L"?").ok());
    ASSERT_EQ(store.RecordCount(), 2u);
    EXPECT_EQ(std::wstring(store.GetHost(0)).append(store.GetHost(1)), L"BigN");
    std::wstring text;
    EXPECT_EQ(store.ReadLine(source, 0, text), diagnose::Recheck::Same);
    EXPECT_EQ(store.ReadLine(source, 1, text), diagnose::Recheck::Same);
    EXPECT_EQ(store.CheckEdges(source), diagnose::Recheck::Same) << "a look would read it all again";
}
