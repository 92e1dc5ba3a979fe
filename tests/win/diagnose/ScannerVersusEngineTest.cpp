// The line scanner against the platform engine: generated lines through both, compared field
// by field. Where Wine's character classes differ from the defined ones, the defined ones hold;
// those characters are kept out of the mix and pinned on their own.
#include "diagnose/LineFields.h"
#include "diagnose/RegEx.h"

#include <gtest/gtest.h>

#include <random>
#include <tuple>

using diagnose::LineFields;

// The record's parse as written with the engine: the first header match, then every attribute
// match over the rest of the line. Neither pattern matches empty text.
static LineFields ParseWithEngine(CRegEx& regex, const std::wstring& line) {
    LineFields fields;
    std::vector<CRegExMatch> matches;
    size_t end = 0;
    if (regex.Execute(matches, L"([0-9\\./]*)\\s(.*)\\s{3}", line) > 0 && !matches[0].SubMatches.empty()) {
        fields.date = matches[0].SubMatches.front();
        fields.time = matches[0].SubMatches.back();
        end = static_cast<size_t>(matches[0].FirstIndex + matches[0].Length);
    }
    regex.Execute(matches, L"\\b(\\w*)=\"([^\"]*)\\b", line.substr(end));
    for (const CRegExMatch& match : matches)
        if (!match.SubMatches.empty())
            fields.attributes[match.SubMatches.front()] = match.SubMatches.back();
    return fields;
}

// The units every rule of the grammar turns on, separated by '|'.
static std::vector<std::wstring> Pieces() {
    const std::wstring units = L"0|7|.|/| |  |   |    |\t|\r|\n|\v|\f|\"|=|=\"|\"\"|a|Z|_|x9|Host|Process|"
                               L"Traceclass|:|-|\\|,|'|\x00E4|\x00DF|\x00C4|\x20AC|\x4E2D|\x00B5|\x0131|"
                               L"\x017F|\x212A|\xFFFD|05.12.2026 |12:32:28   |Host=\"|\" |Traceclass=\"2\" |"
                               L"Text=\"a   b\" ";
    std::vector<std::wstring> pieces;
    for (size_t at = 0, end = 0; at <= units.size(); at = end + 1) {
        end = std::min(units.find(L'|', at), units.size());
        pieces.push_back(units.substr(at, end - at));
    }
    return pieces;
}

TEST(ScannerVersusEngine, HundredThousandLinesAgreeFieldByField) {
    CRegEx regex;
    ASSERT_TRUE(regex.Create());
    regex.SetIgnoreCase(true);
    regex.SetGlobal(true);
    const std::vector<std::wstring> pieces = Pieces();
    ASSERT_EQ(pieces.size(), 45u);
    std::mt19937 random(4);
    auto piece = [&] { return pieces[random() % pieces.size()]; };
    for (int n = 0; n < 100000; ++n) {
        std::wstring line;
        if (random() % 4 == 0) { // a regular line with odd values
            line = L"05.12.2026 08:00:0" + std::to_wstring(random() % 10) + L"   ";
            for (int i = static_cast<int>(random() % 8); i >= 0; --i) {
                line += piece() + L"=\"";
                for (int k = static_cast<int>(random() % 5); k >= 0; --k)
                    line += piece();
                line += L"\" ";
            }
        } else { // noise of any length
            for (int i = static_cast<int>(random() % 40); i > 0; --i)
                line += piece();
        }
        const LineFields e = ParseWithEngine(regex, line), a = diagnose::ParseLine(line);
        ASSERT_EQ(std::tie(a.date, a.time, a.attributes), std::tie(e.date, e.time, e.attributes))
            << n << ": " << ::testing::PrintToString(line);
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
