// Encoding detection and widening of the log's text.
#include "diagnose/TextEncoding.h"

#include <gtest/gtest.h>

#include <tuple>

using diagnose::TextForm;

TEST(DetectEncoding, MarksDecideUnmarkedUtf16IsRecognisedEightBitIsTheRest) {
    using Case = std::tuple<std::string, TextForm, size_t>; // bytes, form, length of the mark
    for (const auto& [bytes, form, mark] :
         {Case{"\xEF\xBB\xBFx", TextForm::Utf8, 3}, Case{std::string("\xFF\xFEx\0", 4), TextForm::Utf16, 2},
          Case{std::string("0\0005\000.\000 \000H\000\xE4\000\r\000\n\000", 16), TextForm::Utf16, 0},
          Case{"05.12.2026 08:00:00   Host=\"\xC4\"", TextForm::Ansi8, 0}, Case{"", TextForm::Ansi8, 0},
          Case{"x", TextForm::Ansi8, 0},
          // Binary data with NULs everywhere is not taken for text of either kind.
          Case{std::string(64, '\0'), TextForm::Ansi8, 0}}) {
        const auto detected =
            diagnose::DetectEncoding(reinterpret_cast<const unsigned char*>(bytes.data()), bytes.size());
        EXPECT_EQ(std::pair(detected.form, detected.bomLength), std::pair(form, mark))
            << testing::PrintToString(bytes);
    }
}

TEST(DetectEncoding, UnmarkedUtf8IsTakenWhenItsNonAsciiSequencesAreAllWellFormed) {
    using Case = std::pair<std::string, TextForm>;
    const std::string line = "05.12.2026 08:00:00   Host=\"B\xC3\xBCro-S\xC3\xBC"
                             "d\"\r\n";
    const std::string cut =
        line + std::string(65534 - line.size(), 'x') + "\xE2\x82\xAC"; // cut by the sample
    for (const auto& [bytes, form] :
         {Case{line, TextForm::Utf8}, Case{"05.12.2026 08:00:00   Host=\"PC1\"\r\n", TextForm::Ansi8},
          Case{"B\xFCro", TextForm::Ansi8}, Case{line + "B\xFCro", TextForm::Ansi8},
          Case{"\xC3\xBC\xC0\x80", TextForm::Ansi8},
          Case{"\xED\xA0\x80", TextForm::Ansi8}, // too long, a surrogate
          Case{"K\xE4", TextForm::Ansi8},        // only a cut sequence: says nothing
          Case{"\xEF\xBB\xBF" + line, TextForm::Utf8}, Case{cut, TextForm::Utf8},
          Case{cut.substr(0, 65535), TextForm::Utf8}}) {
        const auto detected =
            diagnose::DetectEncoding(reinterpret_cast<const unsigned char*>(bytes.data()), bytes.size());
        EXPECT_EQ(detected.form, form) << testing::PrintToString(bytes.substr(0, 40)) << bytes.size();
        EXPECT_EQ(detected.bomLength, bytes[0] == '\xEF' ? 3u : 0u);
    }
}

TEST(Widening, Utf8DecodesAndReplacesEachBadUnitAnsiGoesThroughTheTable) {
    for (const auto& [bytes, text] :
         {std::pair<std::string, std::wstring>{"a\xC3\xA4\xE2\x82\xAC\xF0\x9F\x98\x80",
                                               L"a\u00E4\u20AC\U0001F600"},
          {"\xC3(\xE2\x82\xC0\x80", L"\uFFFD(\uFFFD\uFFFD\uFFFD\uFFFD"}, // cut, and never a lead unit
          {"\xE0\x80\x80\xED\xA0\x80", std::wstring(6, L'\uFFFD')}}) {   // too long a form, a surrogate
        std::wstring out = L">";
        diagnose::AppendUtf8(out, bytes.data(), bytes.size());
        EXPECT_EQ(out, L">" + text);
    }
    std::wstring out;
    diagnose::AppendAnsi(out, "A\xE4", 2, diagnose::Latin1Table());
    EXPECT_EQ(out, L"A\u00E4");
}
