// Encoding detection and widening of the log's text.
#include "diagnose/TextEncoding.h"

#include <gtest/gtest.h>

#include <string>

using diagnose::DetectEncoding;
using diagnose::TextForm;

namespace {
diagnose::DetectedEncoding Detect(const std::string& bytes) {
    return DetectEncoding(reinterpret_cast<const unsigned char*>(bytes.data()), bytes.size());
}
} // namespace

TEST(DetectEncoding, ByteOrderMarksDecide) {
    EXPECT_EQ(Detect("\xEF\xBB\xBFx").form, TextForm::Utf8);
    EXPECT_EQ(Detect("\xEF\xBB\xBFx").bomLength, 3u);
    EXPECT_EQ(Detect(std::string("\xFF\xFEx\0", 4)).form, TextForm::Utf16);
    EXPECT_EQ(Detect(std::string("\xFF\xFEx\0", 4)).bomLength, 2u);
}

TEST(DetectEncoding, UnmarkedUtf16IsRecognisedAndEightBitIsTheRest) {
    const std::string utf16("0\0005\000.\000 \000H\000\xE4\000\r\000\n\000", 16);
    EXPECT_EQ(Detect(utf16).form, TextForm::Utf16);
    EXPECT_EQ(Detect(utf16).bomLength, 0u);
    EXPECT_EQ(Detect("05.12.2026 08:00:00   Host=\"\xC4\"").form, TextForm::Ansi8);
    EXPECT_EQ(Detect("").form, TextForm::Ansi8);
    EXPECT_EQ(Detect("x").form, TextForm::Ansi8);
    // Binary data with NULs everywhere is not taken for text of either kind.
    EXPECT_EQ(Detect(std::string(64, '\0')).form, TextForm::Ansi8);
}

TEST(Widening, Utf8DecodesAndReplacesBrokenSequences) {
    std::wstring out;
    diagnose::AppendUtf8(out, "a\xC3\xA4\xE2\x82\xAC", 6);
    EXPECT_EQ(out, L"a\x00E4\x20AC");
    out.clear();
    diagnose::AppendUtf8(out, "\xC3(\xE2\x82\xC0\x80", 6);
    EXPECT_EQ(out, L"\xFFFD(\xFFFD\xFFFD\xFFFD\xFFFD");
    out.clear();
    diagnose::AppendUtf8(out, "\xF0\x9F\x98\x80", 4);
    EXPECT_EQ(out.size(), sizeof(wchar_t) == 2 ? 2u : 1u);
}

TEST(Widening, AnsiGoesThroughTheTable) {
    std::wstring out;
    diagnose::AppendAnsi(out, "A\xE4", 2, diagnose::Latin1Table());
    EXPECT_EQ(out, L"A\x00E4");
}
