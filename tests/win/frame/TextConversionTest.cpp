// Callers' 8-bit texts: null, empty, string-table rows in disguise, and ANSI text.
#include "resource.h"
#include "win/TextConversion.h"

#include <gtest/gtest.h>
#include <windows.h>

TEST(CallerText, NullAndEmptyAreEmpty) {
    EXPECT_EQ(win::CallerText(nullptr), L"");
    EXPECT_EQ(win::CallerText(""), L"");
}

TEST(CallerText, PointerBelow0x10000IsAStringTableRow) {
    EXPECT_EQ(win::CallerText(reinterpret_cast<const char*>(IDS_ERROR_OCCURRED)), L"Ein Fehler ist aufgetreten.");
    EXPECT_EQ(win::CallerText(reinterpret_cast<const char*>(0xFFFF)), L"") << "a row that does not exist";
}

TEST(CallerText, TextIsConvertedWithTheAnsiCodePage) {
    EXPECT_EQ(win::CallerText("abc"), L"abc");
    const char high[] = "\xC4-\xFC";
    wchar_t expected[8] = {};
    ::MultiByteToWideChar(CP_ACP, 0, high, -1, expected, 8);
    EXPECT_EQ(win::CallerText(high), expected);
}
