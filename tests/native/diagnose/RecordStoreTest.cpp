// The record store: lines of a file become records filed by computer and trace class, with
// their row texts, whatever the file holds.
#include "diagnose/RecordStore.h"

#include <gtest/gtest.h>

#include <string>

using diagnose::RecordId;
using diagnose::RecordList;
using diagnose::RecordStore;

namespace {
const std::wstring kUnknown = L"Unbekannt";

void Load(RecordStore& store, const std::string& bytes) {
    store.AddFileBytes(bytes, nullptr, kUnknown);
}

std::string Utf16Bytes(const std::u16string& text, bool bom) {
    std::string bytes = bom ? "\xFF\xFE" : "";
    for (char16_t u : text)
        bytes += static_cast<char>(u & 0xFF), bytes += static_cast<char>(u >> 8);
    return bytes;
}
} // namespace

TEST(RecordStore, ThreeLinesFileUnderBothGroupings) {
    RecordStore store;
    Load(store, "01.01.2026 08:00:00   Host=\"PC1\" Process=\"A\" Traceclass=\"0\"\r\n"
                "01.01.2026 08:00:01   Host=\"PC1\" Process=\"B\" Traceclass=\"2\"\r\n"
                "01.01.2026 08:00:02   Host=\"PC1\" Process=\"C\" Traceclass=\"0\"\r\n");
    ASSERT_EQ(store.RecordCount(), 3u);
    const auto& byClass = store.GetByTraceClass();
    ASSERT_EQ(byClass.size(), 2u);
    EXPECT_EQ(byClass.at(0).at(L"PC1"), (RecordList{0, 2}));
    EXPECT_EQ(byClass.at(2).at(L"PC1"), (RecordList{1}));
    const auto& byHost = store.GetByHost();
    ASSERT_EQ(byHost.size(), 1u);
    EXPECT_EQ(byHost.at(L"PC1").at(0), (RecordList{0, 2}));
    EXPECT_EQ(byHost.at(L"PC1").at(2), (RecordList{1}));
    EXPECT_EQ(store.RowText(1, 0), L"01.01.2026 08:00:01");
    EXPECT_EQ(store.RowText(1, 1), L"B");
    EXPECT_EQ(store.GetDate(2), L"01.01.2026");
    EXPECT_EQ(store.GetTime(2), L"08:00:02");
}

TEST(RecordStore, ComputersAreCaseSensitiveAndAbsentOnesAreUnknown) {
    RecordStore store;
    Load(store, "Host=\"PC1\"\nHost=\"pc1\"\n\nHost=\"Unbekannt\" Traceclass=\"1\"\nhost=\"PC1\"");
    ASSERT_EQ(store.RecordCount(), 5u);
    const auto& byHost = store.GetByHost();
    EXPECT_EQ(byHost.size(), 3u);
    EXPECT_EQ(byHost.at(L"PC1").at(0xFFFF), (RecordList{0}));
    EXPECT_EQ(byHost.at(L"pc1").at(0xFFFF), (RecordList{1}));
    // The empty line and the lower-case name file under the unknown text, beside a computer
    // that is literally called so.
    EXPECT_EQ(byHost.at(kUnknown).at(0xFFFF), (RecordList{2, 4}));
    EXPECT_EQ(byHost.at(kUnknown).at(1), (RecordList{3}));
    EXPECT_EQ(store.GetProcess(2), kUnknown);
    EXPECT_EQ(store.RowText(2, 0), L" ") << "a record without header shows a single blank";
}

TEST(RecordStore, TraceClassesAreFiledByNumber) {
    RecordStore store;
    Load(store, "Traceclass=\"5\"\nTraceclass=\"7\"\nx=\"y\"\nTraceclass=\"abc\"\nTraceclass=\"65537\"\n"
                "Traceclass=\"-1\"");
    EXPECT_EQ(store.GetTraceClass(0), 5);
    EXPECT_EQ(store.GetTraceClass(1), 7);
    EXPECT_EQ(store.GetTraceClass(2), 65535);
    EXPECT_EQ(store.GetTraceClass(3), 0);
    EXPECT_EQ(store.GetTraceClass(4), 1);
    EXPECT_EQ(store.GetTraceClass(5), 65535);
    const auto& byClass = store.GetByTraceClass();
    EXPECT_EQ(byClass.size(), 5u);
    EXPECT_EQ(byClass.at(65535).at(kUnknown), (RecordList{2, 5}));
}

TEST(RecordStore, LinesEndAtLineFeedsAndDropOneCarriageReturn) {
    RecordStore store;
    Load(store, "a=\"1\"\r\r\nb=\"2\"\rc=\"3\"\n\nlast=\"4\"\r");
    ASSERT_EQ(store.RecordCount(), 4u);
    EXPECT_EQ(store.LineText(0), L"a=\"1\"\r");
    EXPECT_EQ(store.LineText(1), L"b=\"2\"\rc=\"3\"");
    EXPECT_EQ(store.LineText(2), L"");
    EXPECT_EQ(store.LineText(3), L"last=\"4\"") << "a CR at the very end is the cut-off half of a CR LF";
    RecordStore empty;
    Load(empty, "");
    EXPECT_EQ(empty.RecordCount(), 0u);
    RecordStore single;
    Load(single, "\n");
    EXPECT_EQ(single.RecordCount(), 1u);
}

TEST(RecordStore, Utf16FilesWithAndWithoutMark) {
    for (bool bom : {true, false}) {
        RecordStore store;
        Load(store, Utf16Bytes(u"01.01.2026 08:00:00   Host=\"R\u00E4chner\" Process=\"\u20ACx\"\r\n"
                               u"02.01.2026 09:00:00   Host=\"X\"\r\n",
                               bom));
        ASSERT_EQ(store.RecordCount(), 2u) << bom;
        EXPECT_EQ(store.GetHost(0), L"R\x00E4"
                                    L"chner");
        EXPECT_EQ(store.GetProcess(0), L"\x20ACx");
        EXPECT_EQ(store.RowText(1, 0), L"02.01.2026 09:00:00");
    }
}

TEST(RecordStore, Utf8WithMarkAndAnsiThroughTheTable) {
    RecordStore utf8;
    Load(utf8, "\xEF\xBB\xBFHost=\"R\xC3\xA4"
               "chner\"");
    EXPECT_EQ(utf8.GetHost(0), L"R\x00E4"
                               L"chner");
    RecordStore ansi;
    Load(ansi, "Host=\"R\xE4"
               "chner\"");
    EXPECT_EQ(ansi.GetHost(0), L"R\x00E4"
                               L"chner");
    EXPECT_EQ(ansi.LineText(0), L"Host=\"R\x00E4"
                                L"chner\"");
}

TEST(RecordStore, BinaryAndHugeLinesAreKept) {
    std::string binary;
    for (int i = 0; i < 4096; ++i)
        binary += static_cast<char>((i * 7919) & 0xFF);
    RecordStore store;
    Load(store, binary);
    size_t feeds = 0;
    for (char c : binary)
        feeds += c == '\n';
    EXPECT_EQ(store.RecordCount(), feeds + (binary.back() != '\n'));

    std::string huge = "01.01.2026 08:00:00   Host=\"Big\" Text=\"";
    huge.append(50u << 20, 'x');
    huge += "\"";
    RecordStore big;
    Load(big, huge);
    ASSERT_EQ(big.RecordCount(), 1u);
    EXPECT_EQ(big.GetHost(0), L"Big");
    EXPECT_EQ(big.Fields(0).attributes.at(L"Text").size(), 50u << 20);
}

TEST(RecordStore, AddedLinesJoinLoadedOnesInOrder) {
    RecordStore store;
    Load(store, "Host=\"A\"\n");
    store.AddLine(u"Host=\"A\" Traceclass=\"x\"\nline break inside", kUnknown);
    store.AddLine(u"", kUnknown);
    ASSERT_EQ(store.RecordCount(), 3u);
    EXPECT_EQ(store.GetByHost().at(L"A").at(0xFFFF), (RecordList{0}));
    EXPECT_EQ(store.GetByHost().at(L"A").at(0), (RecordList{1}));
    EXPECT_EQ(store.LineText(1), L"Host=\"A\" Traceclass=\"x\"\nline break inside");
    store.Clear();
    EXPECT_EQ(store.RecordCount(), 0u);
    EXPECT_TRUE(store.GetByHost().empty());
    EXPECT_TRUE(store.GetByTraceClass().empty());
    EXPECT_EQ(store.RowText(0, 0), L"") << "no longer a record";
}

TEST(SortRecordRows, TextOrderStableAndReversible) {
    RecordStore store;
    Load(store, "31.01.2026 08:00:00   Process=\"b\"\n"
                "01.02.2026 08:00:00   Process=\"a\"\n"
                "31.01.2026 08:00:00   Process=\"a\"\n"
                "01.02.2026 08:00:00   Process=\"b\"\n");
    std::vector<RecordId> rows{0, 1, 2, 3};
    SortRecordRows(store, rows, 0, true);
    EXPECT_EQ(rows, (std::vector<RecordId>{1, 3, 0, 2})) << "text order, equal texts keep their order";
    SortRecordRows(store, rows, 0, false);
    EXPECT_EQ(rows, (std::vector<RecordId>{0, 2, 1, 3}));
    SortRecordRows(store, rows, 1, true);
    EXPECT_EQ(rows, (std::vector<RecordId>{2, 1, 0, 3}));
    SortRecordRows(store, rows, 7, true);
    EXPECT_EQ(rows, (std::vector<RecordId>{2, 1, 0, 3})) << "a column without texts changes nothing";
    EXPECT_LT(store.CompareRowText(1, 0, 0), 0);
    EXPECT_EQ(store.CompareRowText(0, 2, 0), 0);
    EXPECT_GT(store.CompareRowText(0, 1, 1), 0);
}

TEST(RecordStore, LargeTextsFileLikeTheirLinesOneByOne) {
    // Big enough to be scanned in parts; names repeat across the parts.
    std::string text;
    std::vector<std::u16string> lines;
    for (int i = 0; text.size() < (9u << 20); ++i) {
        std::string line = (i % 97 == 0)
                               ? "no header Host=\"H" + std::to_string(i % 13) + "\""
                               : "01.01.2026 08:00:00   Host=\"H" + std::to_string(i % 13) +
                                     "\" Process=\"P" + std::to_string(i % 5) + "\" Traceclass=\"" +
                                     std::to_string(i % 4) + "\" Text=\"padding padding padding padding\"";
        text += line + (i % 2 ? "\r\n" : "\n");
        lines.emplace_back(line.begin(), line.end());
    }
    RecordStore bulk;
    Load(bulk, text);
    RecordStore single;
    for (const auto& line : lines)
        single.AddLine(line, kUnknown);
    ASSERT_EQ(bulk.RecordCount(), single.RecordCount());
    for (RecordId id = 0; id < bulk.RecordCount(); id += 7) {
        ASSERT_EQ(bulk.GetHost(id), single.GetHost(id)) << id;
        ASSERT_EQ(bulk.GetProcess(id), single.GetProcess(id)) << id;
        ASSERT_EQ(bulk.GetTraceClass(id), single.GetTraceClass(id)) << id;
        ASSERT_EQ(bulk.LineText(id), single.LineText(id)) << id;
    }
    EXPECT_EQ(bulk.GetByHost(), single.GetByHost());
    EXPECT_EQ(bulk.GetByTraceClass(), single.GetByTraceClass());
}
