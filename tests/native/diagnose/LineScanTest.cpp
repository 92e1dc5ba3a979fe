// The line scan: every encoding of a log gives the same records.
#include "RecordStoreTestSupport.h"
#include "diagnose/LineEnds.h"
#include "diagnose/LineScan.h"
#include "diagnose/TimeKey.h"

#include <algorithm>
#include <memory>
#include <string>
#include <tuple>

using namespace record_store_test;

TEST(LineScan, EveryEncodingGivesTheSameRecords) {
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
        EXPECT_EQ(log.store.GetHost(0), L"R\u00E4chner") << name;
        EXPECT_EQ(log.store.GetProcess(0), L"\x20ACx") << name;
        EXPECT_EQ(log.store.RowText(1, 0), L"02.01.2026 09:00:00.5") << name;
        EXPECT_EQ(log.Line(1), L"02.01.2026 09:00:00.5   Host=\"X\"") << name;
    }
}

// Lines end at each line feed and at the end, a carriage return before either left out of the
// text, in 64-byte steps of 32- and sixteen-byte units alike: texts of feeds, returns and other
// bytes, of every length around the steps, from every start within a step.
TEST(LineScan, LinesEndAtEveryLineFeedInEveryUnit) {
    uint32_t seed = 99;
    for (size_t size = 0; size < 300; ++size) {
        std::string text(size + 8, 'x');
        for (char& c : text) {
            seed = seed * 1103515245u + 12345u;
            const unsigned pick = (seed >> 16) % 16;
            c = pick == 0 ? '\n' : pick == 1 ? '\r' : pick == 2 ? '\xA0' : 'a';
        }
        const size_t begin = size % 8, end = begin + size;
        std::vector<std::vector<size_t>> expected; // raw begin, raw end, text length
        for (size_t start = begin; start < end;) {
            size_t feed = start;
            while (feed < end && text[feed] != '\n')
                ++feed;
            const size_t next = feed < end ? feed + 1 : end;
            const size_t units = feed - start - (feed > start && text[feed - 1] == '\r');
            expected.push_back({start, next, units});
            start = next;
        }
        for (const bool wide : {false, true}) {
            // In a block of its own size, so that a look past the end is caught.
            const std::unique_ptr<char[]> exact(new char[end]);
            std::copy(text.begin(), text.begin() + end, exact.get());
            std::vector<diagnose::LineSpan> lines;
            diagnose::SplitLines(exact.get(), begin, end, lines, wide);
            std::vector<std::vector<size_t>> found;
            for (const diagnose::LineSpan& line : lines) {
                ASSERT_EQ(line.textBegin, line.rawBegin);
                found.push_back({line.rawBegin, line.rawEnd, line.textLength});
            }
            ASSERT_EQ(found, expected) << size << (wide ? " wide" : "");
        }
    }
}

// Names and dates that differ in one byte, at any place and of any length around the interner's
// loads of 4 and 8 bytes, are numbered apart, and the same ones together, whichever came first.
TEST(LineScan, NamesAndDatesApartByOneByteAreNumberedApart) {
    std::string bytes;
    std::vector<std::pair<std::string, std::string>> expected; // host, date
    for (size_t length = 1; length <= 20; ++length) {
        const std::string name = std::string("ABCDEFGHIJKLMNOPQRST").substr(0, length);
        const std::string date = std::string("0123456789./012345678").substr(0, length);
        for (size_t at = 0; at <= length; ++at) { // at == length: unchanged, after the changed ones
            std::string host = name, day = date;
            if (at < length) {
                host[at] = 'x';
                day[at] = day[at] == '9' ? '8' : '9';
            }
            for (int twice = 0; twice < 2; ++twice) {
                bytes += day + " 08:00:00   Host=\"" + host + "\"\r\n";
                expected.emplace_back(host, day);
            }
        }
    }
    diagnose::TextDecoder latin1;
    diagnose::PartScan part;
    diagnose::ScanPart(bytes.data(), 0, bytes.size(), latin1, part);
    ASSERT_EQ(part.lines.size(), expected.size());
    const auto wide = [](const std::string& s) { return std::wstring(s.begin(), s.end()); };
    for (size_t i = 0; i < expected.size(); ++i) {
        ASSERT_EQ(part.names.at(part.triples.at(part.lines[i].triple).host), wide(expected[i].first)) << i;
        ASSERT_EQ(part.dates.at(part.lines[i].date), wide(expected[i].second)) << i;
    }
}

// A line far longer than a log's lines gives its date, computer and hash as a short one does.
TEST(LineScan, AVeryLongLineGivesItsFieldsAsAShortOne) {
    for (const size_t text : {size_t(10), size_t(200000)}) {
        const std::string line =
            "07.12.2026 08:00:00   Text=\"" + std::string(text, 'x') + "\" Host=\"PC9\"\r\n";
        diagnose::PartScan part;
        diagnose::ScanPart(line.data(), 0, line.size(), diagnose::TextDecoder{}, part);
        ASSERT_EQ(part.lines.size(), 1u) << text;
        EXPECT_EQ(part.names.at(part.triples.at(part.lines[0].triple).host), L"PC9") << text;
        EXPECT_EQ(part.dates.at(part.lines[0].date), L"07.12.2026") << text;
        EXPECT_EQ(part.lines[0].hash, diagnose::HashLine(line.data(), line.size())) << text;
    }
}

// A line's hash notices a change of any one of its bytes, at every length around its 8- and
// 16-byte steps and past its keys' 256 bytes, and looks at no byte past the line; the 32-bit
// build's word-by-word form of it gives the same.
TEST(LineScan, HashSeesEveryByteOfTheLineAndNoneAfter) {
    std::string bytes(320, '\0');
    for (size_t i = 0; i < bytes.size(); ++i)
        bytes[i] = static_cast<char>(i % 3 ? 'a' + i % 26 : 0x80 | i);
    for (size_t size = 0; size <= 300; size += size < 40 ? 1 : 13) {
        // In a block of its own size, so that a look past its end is caught.
        const std::unique_ptr<char[]> exact(new char[size]);
        std::copy(bytes.begin(), bytes.begin() + size, exact.get());
        const uint32_t hash = diagnose::HashBytes(exact.get(), size);
        ASSERT_EQ(diagnose::HashBytesInWords(exact.get(), size), hash) << size;
        for (size_t at = 0; at < size + 8; ++at) {
            std::string changed = bytes;
            changed[at] ^= 0x40;
            EXPECT_EQ(diagnose::HashBytes(changed.data(), size) != hash, at < size) << size << " " << at;
            EXPECT_EQ(diagnose::HashBytesInWords(changed.data(), size),
                      diagnose::HashBytes(changed.data(), size));
        }
    }
}

// The scan takes each line's hash as it marks the line: the same as HashLine of the line's raw
// bytes, at every length around the marks' steps and with every line end, in 8-bit text, UTF-8
// and UTF-16. A change of the line end alone changes it.
TEST(LineScan, ScannedLinesHashAsTheirBytes) {
    std::string eightBit;
    for (size_t length = 0; length < 150; ++length) {
        std::string line = "01.01.2026 08:00:00   Host=\"PC\" Text=\"";
        for (size_t i = 0; i < length; ++i)
            line += static_cast<char>(i % 5 ? 'a' + (i * 7 + length) % 26 : ' ');
        eightBit += line.substr(0, length) + (length % 3 == 0 ? "\r\n" : length % 3 == 1 ? "\n" : "\r\r\n");
    }
    std::string utf16;
    for (const char c : eightBit)
        utf16 += {c, '\0'};
    for (const auto& [bytes, form] :
         {std::pair{eightBit, diagnose::TextForm::Ansi8}, std::pair{eightBit, diagnose::TextForm::Utf8},
          std::pair{utf16, diagnose::TextForm::Utf16}}) {
        diagnose::TextDecoder decoder;
        decoder.form = form;
        diagnose::PartScan part;
        diagnose::ScanPart(bytes.data(), 0, bytes.size(), decoder, part);
        ASSERT_EQ(part.lines.size(), 150u);
        for (const diagnose::PartScan::Line& line : part.lines)
            ASSERT_EQ(line.hash, diagnose::HashLine(bytes.data() + line.start, line.end - line.start))
                << static_cast<int>(form) << " " << line.start;
    }
    for (const char* end : {"", "\n", "\r", "\r\n"})
        for (const char* other : {"", "\n", "\r", "\r\n"}) {
            const std::string a = std::string("01.01.2026 x") + end, b = std::string("01.01.2026 x") + other;
            EXPECT_EQ(diagnose::HashLine(a.data(), a.size()) == diagnose::HashLine(b.data(), b.size()),
                      a == b);
        }
}

// Times of eight and twelve bytes are packed without the symbol table: each byte next to the
// range `.` to `:`, or far outside it, gives the key the table gives.
TEST(LineScan, PlainTimesPackAsTheSymbolTableSays) {
    for (const std::string base : {"12:32:28", "12:32:28.123", "2:03:27", "12:32:28.1234"}) {
        for (size_t at = 0; at < base.size(); ++at) {
            for (const char unit : {'-', '.', '/', '0', '9', ':', ';', ' ', 'P', '\xB7'}) {
                std::string text = base;
                text[at] = unit;
                const std::u16string wide(text.begin(), text.end()); // '\xB7' stays outside
                bool whole = false, wideWhole = false;
                const uint64_t key = diagnose::PackTimeStart(text.data(), text.size(), whole);
                EXPECT_EQ(key, diagnose::PackTimeStart(wide.data(), wide.size(), wideWhole)) << text;
                EXPECT_EQ(whole, wideWhole) << text;
            }
        }
    }
}
