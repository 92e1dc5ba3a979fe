// The line grammar: header and attributes as the two patterns give them. (The scanner's proof
// against the platform's engine itself runs under Wine: ScannerVersusEngine.)
#include "diagnose/LineFields.h"
#include "diagnose/LineMasks.h"
#include "diagnose/LineScanner.h"

#include <gtest/gtest.h>

#include <cstring>
#include <memory>
#include <string>
#include <vector>

using diagnose::ParseLine;

// The attributes as "name=value;" in name order.
static std::wstring Pairs(const diagnose::LineFields& fields) {
    std::wstring text;
    for (const auto& [name, value] : fields.attributes)
        text += name + L"=" + value + L";";
    return text;
}

TEST(LineGrammar, HeaderAndAttributesAsThePatternsGiveThem) {
    struct Case {
        const wchar_t *line, *date, *time, *pairs;
    };
    for (const Case& c : {
             Case{L"05.12.2026 12:32:28   Host=\"PC1\" Process=\"Service\" Traceclass=\"2\"", L"05.12.2026",
                  L"12:32:28", L"Host=PC1;Process=Service;Traceclass=2;"},
             // Four blanks after the time: the time keeps one of them.
             Case{L"01.01.2026 08:00:00    Host=\"A\"", L"01.01.2026", L"08:00:00 ", L"Host=A;"},
             // A value holding three blanks pulls every pair that starts before them into the time.
             Case{L"01.01.2026 08:00:00   Host=\"A\" Text=\"x   y\" Process=\"P\"", L"01.01.2026",
                  L"08:00:00   Host=\"A\" Text=\"x", L"Process=P;"},
             Case{L"", L"", L"", L""},
             Case{L"Host=\"X\" Traceclass=\"1\"", L"", L"", L"Host=X;Traceclass=1;"},
             // The header may start anywhere; its date may be empty.
             Case{L"x 12:00   a=\"b\"", L"", L"12:00", L"a=b;"},
             // A line break ends the greedy time, but the three white-space units may include it.
             Case{L"1 ab  \r cd   x=\"y\"", L"1", L"ab ", L"x=y;"},
             Case{L"1 ab\x2028   cd", L"", L"", L""},
             // A value ends at its last word character; leading blanks and inner punctuation stay.
             Case{L"Text=\"Error occurred.\" Path=\"C:\\Temp\\\" Lead=\"  a.b c\"", L"", L"",
                  L"Lead=  a.b c;Path=C:\\Temp;Text=Error occurred;"},
             Case{L"a=\"\" b=\"...\" c=\"ok\"", L"", L"", L"c=ok;"},
             // The later pair wins; names are case-sensitive.
             Case{L"Host=\"A\" host=\"b\" Host=\"C\"", L"", L"", L"Host=C;host=b;"},
             // The value stops before `=`, which is then a word boundary with an empty name.
             Case{L"x=\"abc=\"def\"", L"", L"", L"=def;x=abc;"},
         }) {
        const diagnose::LineFields f = ParseLine(c.line);
        EXPECT_EQ(f.date, c.date) << testing::PrintToString(std::wstring(c.line));
        EXPECT_EQ(f.time, c.time) << testing::PrintToString(std::wstring(c.line));
        EXPECT_EQ(Pairs(f), c.pairs) << testing::PrintToString(std::wstring(c.line));
    }
}

TEST(LineGrammar, NumbersAsTheRecordReadsThem) {
    const std::pair<const char*, int32_t> numbers[] = {
        {"1", 1},          {"  -42x", -42},           {"abc", 0},
        {"0x80004005", 0}, {"4294967295", INT32_MAX}, {"-99999999999", INT32_MIN},
        {"65537", 65537}};
    for (const auto& [text, value] : numbers)
        EXPECT_EQ(diagnose::ReadDecimal(text, std::strlen(text)), value) << text;
}

TEST(LineGrammar, Utf8LineSeparatorEndsTheTimeAndLongLinesScanInLinearTime) {
    // "1 ab" U+2028 "   cd": `.` stops at the separator, which is not white space.
    const std::string utf8 = "1 ab\xE2\x80\xA8   cd";
    EXPECT_FALSE((diagnose::ScanHeader<char, true>(utf8.data(), utf8.size()).found));
    EXPECT_FALSE((diagnose::ScanHeader<char, true>(utf8.data(), utf8.size(), false).found)) << "split at LF";
    const std::string separator = "1 " + std::string(40, 'x') + "\xE2\x80\xA9   cd\xE2\x80"; // past 16 bytes
    EXPECT_FALSE((diagnose::ScanHeader<char, true>(separator.data(), separator.size(), false).found));
    EXPECT_TRUE((diagnose::ScanHeader<char, false>(utf8.data(), utf8.size()).found))
        << "as 8-bit text it is no break";

    // Many date runs each followed by one blank, with no three blanks anywhere: a naive
    // backtracking scan is quadratic here.
    std::string line;
    for (int i = 0; i < 200000; ++i)
        line += "1 ";
    line += "x=\"";
    for (int i = 0; i < 200000; ++i)
        line += "a=\"";
    EXPECT_FALSE(diagnose::ScanHeader<char>(line.data(), line.size()).found);
    size_t pairs = 0;
    diagnose::ScanAttributes(line.data(), line.size(), 0, [&](const diagnose::AttributeSpans&) { ++pairs; });
    // x takes the first a; every later `="` then follows a word unit and starts an unnamed
    // pair with the next a, up to the last, which has no value.
    EXPECT_EQ(pairs, 200000u);
}

// Both ways of looking for a byte agree with memchr for every start, end and place of the byte,
// bytes with the top bit set beside it included (the borrow of the word-wide test).
TEST(LineGrammar, ByteSearchAgreesWithMemchr) {
    char text[80];
    for (int i = 0; i < 80; ++i)
        text[i] = static_cast<char>(i % 3 == 0 ? 0x80 | i : 'a' + i % 26);
    for (const char value : {'\n', '"', static_cast<char>(0x8A)}) {
        for (size_t at = 0; at <= 80; ++at) {
            char s[80];
            std::memcpy(s, text, 80);
            if (at < 80)
                s[at] = value;
            for (size_t from = 0; from < 40; ++from)
                for (size_t n = from; n <= 80; n += 7) {
                    const void* found = std::memchr(s + from, value, n - from);
                    const size_t expected = found ? static_cast<const char*>(found) - s : n;
                    ASSERT_EQ(diagnose::FindByteInWords(s, from, n, value), expected)
                        << at << " " << from << " " << n;
                    ASSERT_EQ(diagnose::FindByte(s, from, n, value), expected)
                        << at << " " << from << " " << n;
                }
        }
    }
}

// The header of 8-bit text, found sixteen places at a time, is the one the unit-by-unit search
// finds in the same text as UTF-16: three blanks (or tabs) at every place of lines of every
// length, three right after the date's blank among them.
TEST(LineGrammar, HeaderOfBytesAsOfWideUnits) {
    for (const char* blanks : {"   ", " \t\x0b", "    "})
        for (size_t at = 10; at < 40; ++at)
            for (size_t length = 0; length < 20; ++length) {
                std::string line =
                    "01.12.2026 08:00:00 x  Host=\"A\" Text=\"a b  c\"" + std::string(length, 'x');
                line.replace(at, 3, blanks);
                const std::u16string wide(line.begin(), line.end());
                const auto bytes = diagnose::ScanHeader<char>(line.data(), line.size());
                const auto units = diagnose::ScanHeader<char16_t>(wide.data(), wide.size());
                ASSERT_EQ(bytes.found, units.found) << line;
                ASSERT_EQ(bytes.timeBegin, units.timeBegin) << line;
                ASSERT_EQ(bytes.timeEnd, units.timeEnd) << line;
            }
}

#if defined(__SSE2__)
// A line of bytes searched through its marks finds the header and the attributes that the
// unit-by-unit search finds in the same text as UTF-16, and the marks' hash is the line's:
// lines of every length around the marks' 16-, 32- and 64-byte steps, made of the units the
// grammar tells apart, marked sixteen bytes at a time and in the widest units there are.
TEST(LineGrammar, MarkedBytesScanAsWideUnits) {
    const char units[] = {'"', '=',  '"',  'a', 'Z', '_',    '7',    ' ',
                          ' ', '\t', '\r', '.', '/', '\x80', '\xE9', '-'};
    for (const bool widest : {false, true}) {
        diagnose::LineMasks masks(widest);
        uint32_t seed = 12345;
        for (int round = 0; round < 4000; ++round) {
            std::string line(static_cast<size_t>(round % 200), ' ');
            for (char& c : line) {
                seed = seed * 1103515245u + 12345u;
                c = units[(seed >> 16) % sizeof units];
            }
            const std::u16string wide(line.begin(), line.end());
            // In a block of its own size, so that a look past its end is caught.
            const std::unique_ptr<char[]> exact(new char[line.size()]);
            std::memcpy(exact.get(), line.data(), line.size());
            masks.Mark(exact.get(), line.size());
            if (line.empty() || line.back() != '\r') { // else the CR is the line's end to the hash
                ASSERT_EQ(masks.LineHash(exact.get(), line.size()),
                          diagnose::HashLine(line.data(), line.size()))
                    << line;
            }
            const auto bytes = diagnose::ScanHeaderWith(
                line.data(), line.size(), [&](size_t from) { return masks.NextReturn(from); },
                [&](size_t lo, size_t hi) { return masks.LastTriple(lo, hi); },
                [&](size_t from) { return masks.DateRunEnd(from); });
            const auto expected = diagnose::ScanHeader<char16_t>(wide.data(), wide.size(), false);
            ASSERT_EQ(bytes.found, expected.found) << line;
            ASSERT_EQ(bytes.dateBegin, expected.dateBegin) << line;
            ASSERT_EQ(bytes.timeEnd, expected.timeEnd) << line;
            ASSERT_EQ(bytes.end, expected.end) << line;
            std::vector<size_t> found, wanted;
            const auto into = [](std::vector<size_t>& spans) {
                return [&spans](const diagnose::AttributeSpans& a) {
                    spans.insert(spans.end(), {a.nameBegin, a.nameEnd, a.valueBegin, a.valueEnd});
                };
            };
            for (const size_t from : {size_t(0), expected.end}) {
                found.clear();
                wanted.clear();
                diagnose::ScanAttributesWith(line.data(), line.size(), from, masks, into(found));
                diagnose::ScanAttributes(wide.data(), wide.size(), from, into(wanted));
                ASSERT_EQ(found, wanted) << line << " from " << from;
            }
        }
    }
}
#endif

#if defined(__SSE2__)
// Where the quotes of a line pair up, trying each pair on its own finds what the search from
// match to match finds, of every pair or of the wanted ones only; where they do not, it says so
// and finds nothing. Lines of pairs, names and values of every kind, with stray quotes and `=`.
TEST(LineGrammar, PairedQuotesScanAsTheSearchFromMatchToMatch) {
    const char* pieces[] = {" Host=\"", " Text=\"", "=\"",  "\"",  " ",          "a",    "PC-1",
                            ".",        "=",        "x=\"", "_\"", "Process=\"", "\xE9", "   "};
    diagnose::LineMasks masks;
    uint32_t seed = 777;
    size_t paired = 0, unpaired = 0;
    for (int round = 0; round < 20000; ++round) {
        std::string line;
        const int count = round % 40;
        for (int k = 0; k < count; ++k) {
            seed = seed * 1103515245u + 12345u;
            // Mostly whole pairs, as a log holds them.
            const unsigned pick = (seed >> 16) % 64;
            line += pick < 50 ? std::string(pick % 2 ? " Host=\"PC" : " Mode=\"") + "v" +
                                    char('0' + pick % 10) + "\""
                              : std::string(pieces[pick % (sizeof pieces / sizeof *pieces)]);
        }
        const std::unique_ptr<char[]> exact(new char[line.size()]);
        std::memcpy(exact.get(), line.data(), line.size());
        masks.Mark(exact.get(), line.size());
        for (const size_t from : {size_t(0), line.size() / 3}) {
            std::vector<size_t> all, wanted, expected, expectedWanted;
            const auto into = [](std::vector<size_t>& spans) {
                return [&spans](const diagnose::AttributeSpans& a) {
                    spans.insert(spans.end(), {a.nameBegin, a.nameEnd, a.valueBegin, a.valueEnd});
                };
            };
            const auto host = [&line](size_t e) { return e >= 4 && line.compare(e - 4, 4, "Host") == 0; };
            diagnose::ScanAttributesWith(
                line.data(), line.size(), from, masks, [&](const diagnose::AttributeSpans& a) {
                    expected.insert(expected.end(), {a.nameBegin, a.nameEnd, a.valueBegin, a.valueEnd});
                    if (host(a.nameEnd))
                        expectedWanted.insert(expectedWanted.end(),
                                              {a.nameBegin, a.nameEnd, a.valueBegin, a.valueEnd});
                });
            const bool pairs = masks.ScanPairs(
                from, [](size_t) { return true; }, into(all));
            ASSERT_EQ(masks.ScanPairs(from, host, into(wanted)), pairs) << line;
            if (pairs) {
                ++paired;
                ASSERT_EQ(all, expected) << line << " from " << from;
                ASSERT_EQ(wanted, expectedWanted) << line << " from " << from;
            } else {
                ++unpaired;
                ASSERT_TRUE(all.empty() && wanted.empty()) << line;
            }
        }
    }
    EXPECT_GT(paired, 10000u);
    EXPECT_GT(unpaired, 5000u);
}
#endif
