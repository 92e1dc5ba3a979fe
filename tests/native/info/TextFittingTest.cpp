// Shortening a text to its room, with a room measured in characters; the text is UTF-16, as on
// Windows, whatever the width of wchar_t here.
#include "info/TextFitting.h"

#include <gtest/gtest.h>

TEST(TextFitting, LongestBeginningWithAnEllipsisAfterNoBlanksAndNoHalfSurrogatePair) {
    const auto room = [](size_t n) { return [n](const std::wstring& text) { return text.size() <= n; }; };
    const std::wstring face = L"\xD83D\xDE00"; // one character, two UTF-16 units
    const std::tuple<std::wstring, size_t, std::wstring> cases[] = {
        {L"abcdefghij", 10, L"abcdefghij"},
        {L"abcdefghijklmno", 10, L"abcdefghi\u2026"},
        {L"ab \n cdefgh", 6, L"ab\u2026"},
        {L"ab" + face + L"cd", 4, L"ab\u2026"},
        {L"ab" + face + L"cd", 5, L"ab" + face + L"\u2026"},
        {L"abc", 0, L"\u2026"},
    };
    for (const auto& [text, characters, shown] : cases)
        EXPECT_EQ(info::FitWithEllipsis(text, room(characters)), shown) << characters;
}
