// The line grammar: header and attributes as the two patterns give them, on every unit type.
#include "diagnose/LineScanner.h"
#include "diagnose/LineFields.h"

#include <gtest/gtest.h>

// GCC 12 warns inside <regex>'s own automaton about std::function members it copies.
#pragma GCC diagnostic ignored "-Wmaybe-uninitialized"

#include <random>
#include <regex>
#include <string>

using diagnose::LineFields;
using diagnose::ParseLine;

namespace {

// The patterns themselves, through the standard library's ECMAScript engine: in the "C"
// locale its \s, \w and `.` are the classes the scanner implements for bytes.
LineFields ParseWithRegex(const std::string& line) {
    static const std::regex header(R"(([0-9\./]*)\s(.*)\s{3})", std::regex::ECMAScript | std::regex::icase);
    static const std::regex attribute(R"(\b(\w*)="([^"]*)\b)", std::regex::ECMAScript | std::regex::icase);
    LineFields fields;
    std::smatch m;
    size_t end = 0;
    if (std::regex_search(line, m, header)) {
        fields.date.assign(m[1].first, m[1].second);
        fields.time.assign(m[2].first, m[2].second);
        end = static_cast<size_t>(m.position(0) + m.length(0));
    }
    const std::string rest = line.substr(end);
    for (auto it = std::sregex_iterator(rest.begin(), rest.end(), attribute); it != std::sregex_iterator();
         ++it)
        fields.attributes[std::wstring((*it)[1].first, (*it)[1].second)] =
            std::wstring((*it)[2].first, (*it)[2].second);
    return fields;
}

LineFields ParseBytes(const std::string& line) {
    LineFields fields;
    const auto h = diagnose::ScanHeader<char>(line.data(), line.size());
    if (h.found) {
        fields.date.assign(line.begin() + h.dateBegin, line.begin() + h.dateEnd);
        fields.time.assign(line.begin() + h.timeBegin, line.begin() + h.timeEnd);
    }
    diagnose::ScanAttributes(line.data(), line.size(), h.end, [&](const diagnose::AttributeSpans& a) {
        fields.attributes[std::wstring(line.begin() + a.nameBegin, line.begin() + a.nameEnd)] =
            std::wstring(line.begin() + a.valueBegin, line.begin() + a.valueEnd);
    });
    return fields;
}

std::string Describe(const std::string& line) {
    std::string out;
    for (unsigned char c : line)
        out += (c >= 0x20 && c < 0x7F) ? std::string(1, static_cast<char>(c)) : "\\x" + std::to_string(c);
    return out;
}

} // namespace

TEST(LineHeader, DateTimeAndAttributesOfAWellFormedLine) {
    const LineFields f =
        ParseLine(L"05.12.2026 12:32:28   Host=\"PC1\" Process=\"Service\" Traceclass=\"2\"");
    EXPECT_EQ(f.date, L"05.12.2026");
    EXPECT_EQ(f.time, L"12:32:28");
    EXPECT_EQ(f.attributes.size(), 3u);
    EXPECT_EQ(f.attributes.at(L"Host"), L"PC1");
    EXPECT_EQ(f.attributes.at(L"Process"), L"Service");
    EXPECT_EQ(f.attributes.at(L"Traceclass"), L"2");
}

TEST(LineHeader, GreedyTimeReachesTheLastRunOfThreeBlanks) {
    // Four blanks after the time: the time keeps one of them.
    EXPECT_EQ(ParseLine(L"01.01.2026 08:00:00    Host=\"A\"").time, L"08:00:00 ");
    // A value holding three blanks pulls every pair that starts before them into the time.
    const LineFields f = ParseLine(L"01.01.2026 08:00:00   Host=\"A\" Text=\"x   y\" Process=\"P\"");
    EXPECT_EQ(f.time, L"08:00:00   Host=\"A\" Text=\"x");
    EXPECT_EQ(f.attributes.count(L"Host"), 0u);
    EXPECT_EQ(f.attributes.count(L"Text"), 0u);
    EXPECT_EQ(f.attributes.at(L"Process"), L"P");
}

TEST(LineHeader, LinesWithoutHeaderKeepTheirAttributes) {
    EXPECT_TRUE(ParseLine(L"").attributes.empty());
    const LineFields f = ParseLine(L"Host=\"X\" Traceclass=\"1\"");
    EXPECT_EQ(f.date, L"");
    EXPECT_EQ(f.time, L"");
    EXPECT_EQ(f.attributes.at(L"Host"), L"X");
    // The header may start anywhere; its date may be empty.
    const LineFields g = ParseLine(L"x 12:00   a=\"b\"");
    EXPECT_EQ(g.date, L"");
    EXPECT_EQ(g.time, L"12:00");
    EXPECT_EQ(g.attributes.at(L"a"), L"b");
    // A line break ends the greedy time, but the three white-space units may include it.
    EXPECT_EQ(ParseLine(L"1 ab  \r cd   x=\"y\"").time, L"ab ");
    EXPECT_EQ(ParseLine(L"1 ab\x2028   cd").time, L"");
}

TEST(LineAttributes, ValuesEndAtTheirLastWordCharacter) {
    const LineFields f = ParseLine(L"Text=\"Error occurred.\" Path=\"C:\\Temp\\\" Lead=\"  a.b c\"");
    EXPECT_EQ(f.attributes.at(L"Text"), L"Error occurred");
    EXPECT_EQ(f.attributes.at(L"Path"), L"C:\\Temp");
    EXPECT_EQ(f.attributes.at(L"Lead"), L"  a.b c");
}

TEST(LineAttributes, EmptyOrPunctuationOnlyValuesAreNotPairs) {
    const LineFields f = ParseLine(L"a=\"\" b=\"...\" c=\"ok\"");
    EXPECT_EQ(f.attributes.count(L"a"), 0u);
    EXPECT_EQ(f.attributes.count(L"b"), 0u);
    EXPECT_EQ(f.attributes.at(L"c"), L"ok");
}

TEST(LineAttributes, LaterPairWinsAndNamesAreCaseSensitive) {
    const LineFields f = ParseLine(L"Host=\"A\" host=\"b\" Host=\"C\"");
    EXPECT_EQ(f.attributes.at(L"Host"), L"C");
    EXPECT_EQ(f.attributes.at(L"host"), L"b");
}

TEST(LineAttributes, AnEqualsSignAfterAValueStartsAnUnnamedPair) {
    // The value stops before `=`, which is then a word boundary with an empty name.
    const LineFields f = ParseLine(L"x=\"abc=\"def\"");
    EXPECT_EQ(f.attributes.at(L"x"), L"abc");
    EXPECT_EQ(f.attributes.at(L""), L"def");
}

TEST(ReadDecimal, SignDigitsAndSaturation) {
    auto read = [](const std::string& s) { return diagnose::ReadDecimal(s.data(), s.size()); };
    EXPECT_EQ(read("1"), 1);
    EXPECT_EQ(read("  -42x"), -42);
    EXPECT_EQ(read("abc"), 0);
    EXPECT_EQ(read("0x80004005"), 0);
    EXPECT_EQ(read("4294967295"), 2147483647);
    EXPECT_EQ(read("-99999999999"), -2147483647 - 1);
    EXPECT_EQ(static_cast<uint16_t>(read("65537")), 1);
}

TEST(LineScanner, AgreesWithTheStandardEngineOnRandomLines) {
    // Units chosen to hit every rule: date units, white space of each kind, quotes, equals
    // signs, word and non-word units and bytes above 0x7F (neither class).
    const std::string alphabet[] = {"0",
                                    "9",
                                    ".",
                                    "/",
                                    " ",
                                    " ",
                                    "   ",
                                    "\t",
                                    "\r",
                                    "\v",
                                    "\f",
                                    "\"",
                                    "=",
                                    "=\"",
                                    "a",
                                    "Z",
                                    "_",
                                    "Host",
                                    "x",
                                    "-",
                                    ":",
                                    "\\",
                                    "\xA0",
                                    "\xE4",
                                    "\x85",
                                    "12.05.2026 ",
                                    "08:00:00   ",
                                    "Host=\"",
                                    "Traceclass=\"1\" "};
    std::mt19937 random(20261206);
    for (int n = 0; n < 20000; ++n) {
        std::string line;
        const int parts = static_cast<int>(random() % 24);
        for (int i = 0; i < parts; ++i)
            line += alphabet[random() % (sizeof alphabet / sizeof alphabet[0])];
        const LineFields expected = ParseWithRegex(line);
        const LineFields actual = ParseBytes(line);
        ASSERT_EQ(actual.date, expected.date) << Describe(line);
        ASSERT_EQ(actual.time, expected.time) << Describe(line);
        ASSERT_EQ(actual.attributes, expected.attributes) << Describe(line);
    }
}

TEST(LineScanner, WideAndNarrowUnitsGiveTheSameSpans) {
    const std::string line = "1.2 3 \t 4   a=\"b c.\" _=\"d\"\r e   f=\"g\"";
    const std::u16string wide(line.begin(), line.end());
    const auto narrow = diagnose::ScanHeader<char>(line.data(), line.size());
    const auto utf16 = diagnose::ScanHeader<char16_t>(wide.data(), wide.size());
    EXPECT_EQ(narrow.timeEnd, utf16.timeEnd);
    EXPECT_EQ(narrow.end, utf16.end);
}

TEST(LineScanner, Utf8LineSeparatorEndsTheTimeLikeItsWideForm) {
    // "1 ab" U+2028 "   cd": `.` stops at the separator, which is not white space.
    const std::string utf8 = "1 ab\xE2\x80\xA8   cd";
    EXPECT_FALSE((diagnose::ScanHeader<char, true>(utf8.data(), utf8.size()).found));
    EXPECT_TRUE((diagnose::ScanHeader<char, false>(utf8.data(), utf8.size()).found))
        << "as 8-bit text it is no break";
}

TEST(LineScanner, LongLinesScanInLinearTime) {
    // Many date runs each followed by one blank, with no three blanks anywhere: a naive
    // backtracking scan is quadratic here.
    std::string line;
    for (int i = 0; i < 200000; ++i)
        line += "1 ";
    line += "x=\"";
    for (int i = 0; i < 200000; ++i)
        line += "a=\"";
    const auto h = diagnose::ScanHeader<char>(line.data(), line.size());
    EXPECT_FALSE(h.found);
    size_t pairs = 0;
    diagnose::ScanAttributes(line.data(), line.size(), 0, [&](const diagnose::AttributeSpans&) { ++pairs; });
    // x takes the first a; every later `="` then follows a word unit and starts an unnamed
    // pair with the next a, up to the last, which has no value.
    EXPECT_EQ(pairs, 200000u);
}
