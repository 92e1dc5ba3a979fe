// The line scanner against the platform engine: generated lines through both, compared field
// by field. Where Wine's character classes differ from the defined ones, the defined ones hold;
// those characters are kept out of the mix and pinned on their own.
#include "diagnose/LineFields.h"
#include "diagnose/RegEx.h"

#include <gtest/gtest.h>

#include <random>

using diagnose::LineFields;

namespace {

// Only these two fixed patterns run with the all-matches flag; neither matches empty text.
const wchar_t kHeaderPattern[] = L"([0-9\\./]*)\\s(.*)\\s{3}";
const wchar_t kAttributePattern[] = L"\\b(\\w*)=\"([^\"]*)\\b";

// The record's parse as written with the engine: the first header match, then every attribute
// match over the rest of the line.
LineFields ParseWithEngine(CRegEx& regex, const std::wstring& line) {
    LineFields fields;
    std::vector<CRegExMatch> matches;
    size_t end = 0;
    if (regex.Execute(matches, kHeaderPattern, line) > 0 && !matches[0].SubMatches.empty()) {
        fields.date = matches[0].SubMatches.front();
        fields.time = matches[0].SubMatches.back();
        end = static_cast<size_t>(matches[0].FirstIndex + matches[0].Length);
    }
    regex.Execute(matches, kAttributePattern, line.substr(end));
    for (const CRegExMatch& match : matches)
        if (!match.SubMatches.empty())
            fields.attributes[match.SubMatches.front()] = match.SubMatches.back();
    return fields;
}

std::wstring Escaped(const std::wstring& line) {
    std::wstring out;
    for (wchar_t c : line) {
        if (c >= 0x20 && c < 0x7F)
            out += c;
        else {
            wchar_t hex[12];
            swprintf(hex, 12, L"\\u%04X", static_cast<unsigned>(c));
            out += hex;
        }
    }
    return out;
}

// Lines mixing the units every rule of the grammar turns on, from plain log lines to noise.
class LineMix {
public:
    explicit LineMix(uint32_t seed) : m_random(seed) {}

    std::wstring Next() {
        static const wchar_t* const pieces[] = {L"0",
                                                L"7",
                                                L".",
                                                L"/",
                                                L" ",
                                                L"  ",
                                                L"   ",
                                                L"    ",
                                                L"\t",
                                                L"\r",
                                                L"\n",
                                                L"\v",
                                                L"\f",
                                                L"\"",
                                                L"=",
                                                L"=\"",
                                                L"\"\"",
                                                L"a",
                                                L"Z",
                                                L"_",
                                                L"x9",
                                                L"Host",
                                                L"Process",
                                                L"Traceclass",
                                                L":",
                                                L"-",
                                                L"\\",
                                                L",",
                                                L"'",
                                                L"\x00E4",
                                                L"\x00DF",
                                                L"\x00C4",
                                                L"\x20AC",
                                                L"\x4E2D",
                                                L"\x00B5",
                                                L"\x0131",
                                                L"\x017F",
                                                L"\x212A",
                                                L"\xFFFD",
                                                L"05.12.2026 ",
                                                L"12:32:28   ",
                                                L"Host=\"",
                                                L"\" ",
                                                L"Traceclass=\"2\" ",
                                                L"Text=\"a   b\" "};
        std::wstring line;
        switch (m_random() % 4) {
        case 0: // a regular line with odd values
            line = L"05.12.2026 08:00:0" + std::to_wstring(m_random() % 10) + L"   ";
            for (int i = static_cast<int>(m_random() % 8); i >= 0; --i) {
                line += Piece(pieces) + L"=\"";
                for (int k = static_cast<int>(m_random() % 5); k >= 0; --k)
                    line += Piece(pieces);
                line += L"\" ";
            }
            break;
        default: // noise of any length
            for (int i = static_cast<int>(m_random() % 40); i > 0; --i)
                line += Piece(pieces);
        }
        return line;
    }

private:
    template <size_t N> std::wstring Piece(const wchar_t* const (&pieces)[N]) {
        return pieces[m_random() % N];
    }
    std::mt19937 m_random;
};

} // namespace

TEST(ScannerVersusEngine, HundredThousandLinesAgreeFieldByField) {
    CRegEx regex;
    ASSERT_TRUE(regex.Create());
    regex.SetIgnoreCase(true);
    regex.SetGlobal(true);
    LineMix mix(4);
    for (int n = 0; n < 100000; ++n) {
        const std::wstring line = mix.Next();
        const LineFields expected = ParseWithEngine(regex, line);
        const LineFields actual = diagnose::ParseLine(line);
        ASSERT_EQ(actual.date, expected.date) << n << ": " << ::testing::PrintToString(Escaped(line));
        ASSERT_EQ(actual.time, expected.time) << n << ": " << ::testing::PrintToString(Escaped(line));
        ASSERT_EQ(actual.attributes, expected.attributes)
            << n << ": " << ::testing::PrintToString(Escaped(line));
    }
}

TEST(ScannerVersusEngine, UnicodeSpacesAreNeitherWhiteSpaceNorLineBreaks) {
    // Wine's \s also takes these; the grammar's white space is space, tab, LF, CR, VT and FF.
    for (wchar_t space : {L'\x0085', L'\x00A0', L'\x1680', L'\x2000', L'\x2007', L'\x200A', L'\x202F',
                          L'\x205F', L'\x3000'}) {
        const std::wstring blanks(3, space);
        const LineFields f = diagnose::ParseLine(L"01.01.2026 08:00:00" + blanks + L"Host=\"A\"");
        EXPECT_EQ(f.time, L"") << static_cast<unsigned>(space);
        EXPECT_EQ(f.attributes.at(L"Host"), L"A");
        EXPECT_EQ(diagnose::ParseLine(L"1" + std::wstring(1, space) + L"x   y=\"z\"").time, L"")
            << static_cast<unsigned>(space);
    }
    // Line and paragraph separators end `.` but are no white space either.
    EXPECT_EQ(diagnose::ParseLine(L"1 ab\x2028   ").time, L"");
    EXPECT_EQ(diagnose::ParseLine(L"1 ab   \x2029   ").time, L"ab");
}
