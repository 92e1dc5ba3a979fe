// Shortening a text to its room, with a room measured in characters.
#include "info/TextFitting.h"

#include <gtest/gtest.h>

TEST(TextFitting, LongestBeginningWithAnEllipsisAfterNoBlanksAndNoHalfSurrogatePair) {
    const auto room = [](size_t characters) {
        return [characters](const std::wstring& text) { return text.size() <= characters; };
    };
    const std::tuple<const wchar_t*, size_t, const wchar_t*> cases[] = {
        {L"abcdefghij", 10, L"abcdefghij"},
        {L"abcdefghijklmno", 10, L"abcdefghi\u2026"},
        {L"abcd efghij", 6, L"abcd\u2026"},
        {L"ab\n\n cdef", 6, L"ab\u2026"},
        {L"ab\U0001F600cd", 4, L"ab\u2026"},
        {L"ab\U0001F600cd", 5, L"ab\U0001F600\u2026"},
        {L"abc", 0, L"\u2026"},
    };
    for (const auto& [text, characters, shown] : cases)
        EXPECT_EQ(info::FitWithEllipsis(text, room(characters)), shown) << characters;
}
