// The record index: lines of a log become records filed by computer and trace class, with their
// row texts and sort keys, read on as the log grows, and checked when a line is read again.
#include "diagnose/RecordStore.h"

#include "Logs.h"

#include <gtest/gtest.h>

#include <stdexcept>
#include <string>

using diagnose::MemorySource;
using diagnose::Recheck;
using diagnose::RecordId;
using diagnose::RecordList;
using diagnose::RecordStore;

namespace {
const std::wstring kUnknown = L"Unbekannt";

// A log in memory and its index, read the way the viewer reads a file.
struct Log {
    explicit Log(std::string bytes, diagnose::TextDecoder eightBit = {}) : source(std::move(bytes)) {
        store.BeginDetected(source.bytes.data(), source.bytes.size(), eightBit);
        result = store.Read(source, source.bytes.size(), true, kUnknown);
    }
    diagnose::ReadResult ReadOn(bool fileTail = false) {
        return store.Read(source, source.bytes.size(), fileTail, kUnknown);
    }
    std::wstring Line(RecordId id) {
        std::wstring text;
        EXPECT_EQ(store.ReadLine(source, id, text), Recheck::Same) << id;
        return text;
    }
    MemorySource source;
    RecordStore store;
    diagnose::ReadResult result;
};

std::string Utf16Bytes(const std::u16string& text, bool bom) {
    std::string bytes = bom ? "\xFF\xFE" : "";
    for (char16_t u : text)
        bytes += static_cast<char>(u & 0xFF), bytes += static_cast<char>(u >> 8);
    return bytes;
}

RecordList List(const diagnose::ByHost& byHost, const std::wstring& host, uint16_t cls) {
    return *byHost.at(host).at(cls);
}
} // namespace

TEST(RecordStore, LinesFileByComputerAndTraceClassWithTheirRowTexts) {
    Log log(fixtures::kThreeLinePc1);
    ASSERT_TRUE(log.result.ok());
    const auto& byClass = log.store.GetByTraceClass();
    ASSERT_EQ(byClass.size(), 2u);
    EXPECT_EQ(*byClass.at(0).at(L"PC1"), (RecordList{0, 2}));
    EXPECT_EQ(List(log.store.GetByHost(), L"PC1", 2), (RecordList{1}));
    EXPECT_EQ(byClass.at(2).at(L"PC1"), log.store.GetByHost().at(L"PC1").at(2)) << "one list, two ways to it";
    EXPECT_EQ(log.store.RowText(1, 0), L"01.01.2026 08:00:01");
    EXPECT_EQ(log.store.RowText(1, 1), L"B");
    EXPECT_EQ(log.Line(1), L"01.01.2026 08:00:01   Host=\"PC1\" Process=\"B\" Traceclass=\"2\"");

    // Computers by case, trace classes by number, absent ones under the unknown text.
    Log other("Host=\"PC1\"\nHost=\"pc1\"\n\nHost=\"Unbekannt\" Traceclass=\"1\"\nhost=\"PC1\"\n"
              "Traceclass=\"5\"\nTraceclass=\"abc\"\nTraceclass=\"65537\"\nTraceclass=\"-1\"");
    const auto& byHost = other.store.GetByHost();
    EXPECT_EQ(byHost.size(), 3u);
    EXPECT_EQ(List(byHost, L"pc1", 0xFFFF), (RecordList{1}));
    // The empty line and the lower-case name file under the unknown text, beside a computer
    // that is literally called so.
    EXPECT_EQ(List(byHost, kUnknown, 0xFFFF), (RecordList{2, 4, 8}));
    EXPECT_EQ(List(byHost, kUnknown, 1), (RecordList{3, 7}));
    EXPECT_EQ(List(byHost, kUnknown, 5), (RecordList{5}));
    EXPECT_EQ(List(byHost, kUnknown, 0), (RecordList{6}));
    EXPECT_EQ(other.store.GetProcess(2), kUnknown);
    EXPECT_EQ(other.store.RowText(2, 0), L" ") << "a record without header shows a single blank";

    // Lines end at LF; one CR before it goes, and a CR at the very end (a cut-off CR LF).
    Log ends("a=\"1\"\r\r\nb=\"2\"\rc=\"3\"\n\nlast=\"4\"\r");
    ASSERT_EQ(ends.store.RecordCount(), 4u);
    EXPECT_EQ(ends.Line(0), L"a=\"1\"\r");
    EXPECT_EQ(ends.Line(1), L"b=\"2\"\rc=\"3\"");
    EXPECT_EQ(ends.Line(2), L"");
    EXPECT_EQ(ends.Line(3), L"last=\"4\"");
    EXPECT_EQ(Log("").store.RecordCount() + Log("\n").store.RecordCount(), 1u);
}

TEST(RecordStore, EveryEncodingGivesTheSameRecords) {
    const std::u16string text = u"01.01.2026 08:00:00   Host=\"R\u00E4chner\" Process=\"\u20ACx\"\r\n"
                                u"02.01.2026 09:00:00.5   Host=\"X\"\r\n";
    diagnose::TextDecoder cp1252;
    cp1252.ansiTable.assign(diagnose::Latin1Table(), 256);
    cp1252.ansiTable[0x80] = u'\u20AC';
    diagnose::TextDecoder multiByte;
    multiByte.form = diagnose::TextForm::AnsiMultiByte;
    // A stand-in for a double-byte page: 0x81 leads a pair whose trail may be any byte, and
    // "\x81\x22" is the Euro sign, so a plain byte scan would see a quote there.
    multiByte.widen = [](const char* s, size_t n, std::u16string& out) {
        out.clear();
        for (size_t i = 0; i < n; ++i) {
            const auto b = static_cast<unsigned char>(s[i]);
            if (b == 0x81 && i + 1 < n)
                out += u'\u20AC', ++i;
            else
                out += static_cast<char16_t>(b);
        }
    };
    const std::string ansi = "01.01.2026 08:00:00   Host=\"R\xE4"
                             "chner\" Process=\"\x80x\"\r\n02.01.2026 09:00:00.5   Host=\"X\"\r\n";
    std::string doubleByte = ansi;
    doubleByte.replace(doubleByte.find('\x80'), 1, "\x81\x22");
    for (auto [name, bytes, eightBit] :
         {std::tuple{"UTF-16 with mark", Utf16Bytes(text, true), diagnose::TextDecoder{}},
          std::tuple{"UTF-16 without mark", Utf16Bytes(text, false), diagnose::TextDecoder{}},
          std::tuple{
              "UTF-8 with mark",
              std::string("\xEF\xBB\xBF"
                          "01.01.2026 08:00:00   Host=\"R\xC3\xA4"
                          "chner\" Process=\"\xE2\x82\xACx\"\r\n02.01.2026 09:00:00.5   Host=\"X\"\r\n"),
              diagnose::TextDecoder{}},
          std::tuple{"ANSI", ansi, cp1252}, std::tuple{"double-byte ANSI", doubleByte, multiByte}}) {
        Log log(bytes, eightBit);
        ASSERT_EQ(log.store.RecordCount(), 2u) << name;
        EXPECT_EQ(log.store.GetHost(0), L"R\x00E4"
                                        L"chner")
            << name;
        EXPECT_EQ(log.store.GetProcess(0), L"\x20ACx") << name;
        EXPECT_EQ(log.store.RowText(1, 0), L"02.01.2026 09:00:00.5") << name;
        EXPECT_EQ(log.Line(1), L"02.01.2026 09:00:00.5   Host=\"X\"") << name;
    }
}

TEST(RecordStore, GrowingLogIsReadOnAndALastLineWithoutLineEndIsFiledAgain) {
    Log log("01.01.2026 08:00:00   Host=\"PC1\" Traceclass=\"0\"\n01.01.2026 08:00:01   Host=");
    ASSERT_EQ(log.store.RecordCount(), 2u) << "the last line needs no line end";
    EXPECT_EQ(List(log.store.GetByHost(), kUnknown, 0xFFFF), (RecordList{1}));
    EXPECT_TRUE(log.ReadOn().ok());
    EXPECT_EQ(log.store.RecordCount(), 2u) << "nothing arrived, nothing changes";

    log.source.bytes += "\"PC1\" Traceclass=\"2\"\nhalf a";
    EXPECT_TRUE(log.ReadOn().ok());
    ASSERT_EQ(log.store.RecordCount(), 3u);
    EXPECT_EQ(List(log.store.GetByHost(), L"PC1", 2), (RecordList{1}))
        << "the provisional record is filed anew";
    EXPECT_EQ(List(log.store.GetByHost(), kUnknown, 0xFFFF), (RecordList{2}))
        << "and the new last line with it";
    EXPECT_EQ(log.Line(2), L"half a");

    log.source.bytes += " line\n";
    log.source.bytes += "01.01.2026 08:00:02   Host=\"PC2\"\n";
    EXPECT_TRUE(log.ReadOn().ok());
    ASSERT_EQ(log.store.RecordCount(), 4u);
    EXPECT_EQ(log.Line(2), L"half a line");
    EXPECT_EQ(List(log.store.GetByHost(), kUnknown, 0xFFFF), (RecordList{2}));
    EXPECT_EQ(List(log.store.GetByHost(), L"PC2", 0xFFFF), (RecordList{3}));
    EXPECT_EQ(log.store.End(), log.source.bytes.size());
    log.source.bytes += "01.01.2026 08:00:03   Host=\"PC3\"";
    EXPECT_TRUE(log.ReadOn().ok());
    EXPECT_EQ(log.store.RecordCount(), 4u) << "following files complete lines only";
}

TEST(RecordStore, ALineThatChangedUnderTheIndexIsNeverReadAsItsRecord) {
    Log log(fixtures::kThreeLinePc1);
    std::wstring text;
    EXPECT_EQ(log.store.CheckEnd(log.source), Recheck::Same);
    // Cut to its newest part and grown again: same size, other lines at the same places.
    std::string cut = log.source.bytes.substr(log.source.bytes.find('\n') + 1);
    cut += "01.01.2026 08:00:03   Host=\"PC9\" Process=\"Z\" Traceclass=\"1\"\r\n";
    log.source.bytes = cut;
    EXPECT_EQ(log.store.ReadLine(log.source, 0, text), Recheck::Changed);
    EXPECT_TRUE(text.empty());
    EXPECT_EQ(log.store.CheckEnd(log.source), Recheck::Changed);
    log.source.bytes.resize(10);
    EXPECT_EQ(log.store.ReadLine(log.source, 2, text), Recheck::Changed) << "shorter than indexed";
}

namespace {
// Fails the load at the named point, as an allocation that runs out there would.
const char* g_failAt = nullptr;
void FailAt(const char* where) {
    if (g_failAt && std::string(where) == g_failAt)
        throw std::bad_alloc();
}
} // namespace

TEST(RecordStore, MemoryRunningOutPartWayLeavesTheIndexAsItWas) {
    RecordStore::SetFaultHook(&FailAt);
    for (const char* point : {"scanned", "filed"}) {
        Log log(fixtures::kThreeLinePc1);
        log.source.bytes += "01.01.2026 09:00:00   Host=\"PC2\" Traceclass=\"1\"\n"
                            "01.01.2026 09:00:01   Host=\"PC1\" Traceclass=\"0\"\n";
        g_failAt = point;
        EXPECT_EQ(log.ReadOn().status, diagnose::ReadResult::OutOfMemory) << point;
        g_failAt = nullptr;
        EXPECT_EQ(log.store.RecordCount(), 3u) << point;
        EXPECT_EQ(log.store.GetByHost().size(), 1u) << point << ": no empty group is left";
        EXPECT_EQ(List(log.store.GetByHost(), L"PC1", 0), (RecordList{0, 2})) << point;
        EXPECT_EQ(log.store.End(), std::string(fixtures::kThreeLinePc1).size()) << point;
        EXPECT_TRUE(log.ReadOn().ok()) << point << ": a later read files what failed";
        EXPECT_EQ(List(log.store.GetByHost(), L"PC1", 0), (RecordList{0, 2, 4})) << point;
        EXPECT_EQ(List(log.store.GetByHost(), L"PC2", 1), (RecordList{3})) << point;
    }
    RecordStore::SetFaultHook(nullptr);
}

namespace {
// A source whose reads fail from a given offset on.
struct FailingSource : MemorySource {
    using MemorySource::MemorySource;
    uint64_t failFrom = ~uint64_t(0);
    bool Read(uint64_t offset, void* buffer, size_t size, size_t& got, uint32_t& error) override {
        if (offset + size > failFrom) {
            error = 23; // a CRC error
            return false;
        }
        return MemorySource::Read(offset, buffer, size, got, error);
    }
};
} // namespace

TEST(RecordStore, AReadThatFailsPartWayKeepsWholeLinesOnly) {
    // Lines long enough that the read runs in several batches.
    std::string bytes;
    const std::string line =
        "01.01.2026 08:00:00   Host=\"PC1\" Text=\"" + std::string(1 << 20, 'x') + "\"\n";
    for (int i = 0; i < 40; ++i)
        bytes += line;
    FailingSource source(bytes);
    source.failFrom = 20 * line.size() + 100;
    RecordStore store;
    store.BeginDetected(bytes.data(), bytes.size(), {});
    const diagnose::ReadResult result = store.Read(source, bytes.size(), true, kUnknown);
    EXPECT_EQ(result.status, diagnose::ReadResult::ReadFailed);
    EXPECT_EQ(result.error, 23u);
    EXPECT_GT(store.RecordCount(), 0u);
    EXPECT_LE(store.RecordCount(), 20u);
    EXPECT_EQ(store.End(), store.RecordCount() * line.size()) << "no cut-off line became a record";
}

TEST(RecordStore, BigLogsReadInOneGoOrInPiecesGiveTheSameIndex) {
    // Big enough to be scanned in parallel parts; names repeat across the parts.
    std::string text;
    for (int i = 0; text.size() < (9u << 20); ++i) {
        text += (i % 97 == 0) ? "no header Host=\"H" + std::to_string(i % 13) + "\""
                              : "01.01.2026 08:00:" + std::to_string(10 + i % 50) + "   Host=\"H" +
                                    std::to_string(i % 13) + "\" Process=\"P" + std::to_string(i % 5) +
                                    "\" Traceclass=\"" + std::to_string(i % 4) + "\" Text=\"padding\"";
        text += i % 2 ? "\r\n" : "\n";
    }
    Log whole(text);
    MemorySource growing;
    RecordStore pieces;
    pieces.BeginDetected(text.data(), text.size(), {});
    for (size_t at = 0; at < text.size();) {
        at = std::min(text.size(), at + 1234567);
        growing.bytes = text.substr(0, at);
        ASSERT_TRUE(pieces.Read(growing, at, false, kUnknown).ok());
    }
    ASSERT_EQ(whole.store.RecordCount(), pieces.RecordCount());
    for (RecordId id = 0; id < pieces.RecordCount(); id += 7) {
        ASSERT_EQ(whole.store.RowText(id, 0), pieces.RowText(id, 0)) << id;
        ASSERT_EQ(whole.store.GetHost(id), pieces.GetHost(id)) << id;
        ASSERT_EQ(whole.store.GetTraceClass(id), pieces.GetTraceClass(id)) << id;
    }
    for (const auto& [host, classes] : whole.store.GetByHost())
        for (const auto& [cls, records] : classes)
            ASSERT_EQ(*records, *pieces.GetByHost().at(host).at(cls)) << cls;
    // Every line again, in file order, read in spans of many blocks.
    RecordId visited = 0;
    EXPECT_EQ(pieces.ForEachLine(growing, 0, pieces.RecordCount(),
                                 [&](RecordId id, const std::wstring& text) {
                                     if (id != visited++ || text != whole.Line(id))
                                         ADD_FAILURE() << id;
                                     return id < 20000;
                                 }),
              Recheck::Same);
    EXPECT_EQ(visited, 20001u) << "the visit stops when asked";
    growing.bytes[whole.source.bytes.size() / 2] ^= 1;
    EXPECT_EQ(pieces.ForEachLine(growing, 0, pieces.RecordCount(),
                                 [](RecordId, const std::wstring&) { return true; }),
              Recheck::Changed);
}

TEST(SortRecordRows, TextOrderStableAndReversible) {
    Log log("31.01.2026 08:00:00   Process=\"b\"\n"
            "01.02.2026 08:00:00   Process=\"a\"\n"
            "31.01.2026 08:00:00   Process=\"a\"\n"
            "01.02.2026 08:00:00   Process=\"b\"\n"
            "01.02.2026 07:59:59\tand more   Process=\"a\"\n"
            "01.02.2026 08:00:00.5   Process=\"a\"\n"
            "no header at all\n");
    std::vector<RecordId> rows{0, 1, 2, 3, 4, 5, 6};
    SortRecordRows(log.store, rows, 0, true);
    EXPECT_EQ(rows, (std::vector<RecordId>{6, 4, 1, 3, 5, 0, 2}))
        << "text order, equal texts keep their order";
    SortRecordRows(log.store, rows, 0, false);
    EXPECT_EQ(rows, (std::vector<RecordId>{0, 2, 5, 1, 3, 4, 6}));
    SortRecordRows(log.store, rows, 1, true);
    EXPECT_EQ(rows, (std::vector<RecordId>{6, 2, 5, 1, 4, 0, 3}))
        << "\"Unbekannt\" before \"a\" by code unit";
    SortRecordRows(log.store, rows, 7, true);
    EXPECT_EQ(rows, (std::vector<RecordId>{6, 2, 5, 1, 4, 0, 3})) << "a column without texts changes nothing";

    // Records arriving later go where sorting again would put them, after their equals.
    log.source.bytes += "01.02.2026 08:00:00   Process=\"a\"\n31.01.2026 08:00:00   Process=\"0\"\n";
    ASSERT_TRUE(log.ReadOn().ok());
    std::vector<RecordId> byDate{0, 2, 5, 1, 3, 4, 6};
    EXPECT_EQ(InsertSortedRow(log.store, byDate, 7, 0, false), 5u);
    EXPECT_EQ(InsertSortedRow(log.store, byDate, 8, 0, false), 2u);
    EXPECT_EQ(byDate, (std::vector<RecordId>{0, 2, 8, 5, 1, 3, 7, 4, 6}));
    std::vector<RecordId> byProcess{6, 2, 5, 1, 4, 0, 3};
    EXPECT_EQ(InsertSortedRow(log.store, byProcess, 8, 1, true), 0u) << "\"0\" before \"Unbekannt\"";
    EXPECT_EQ(InsertSortedRow(log.store, byProcess, 7, 1, true), 6u);
}
