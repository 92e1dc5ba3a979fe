// Finding text in a record's line as the Find dialog asks for it.
#include "viewer/find/TextMatcher.h"

#include <gtest/gtest.h>

TEST(TextMatcher, CaseAndWholeWordsAsTheFindDialogMeansThem) {
    const viewer::CharacterTables tables = viewer::CharacterTables::Ascii();
    // What is looked for, whether case and whole words count, the line, whether it matches.
    using Case = std::tuple<const wchar_t*, bool, bool, const wchar_t*, bool>;
    for (const auto& [what, matchCase, wholeWord, line, expected] : {
             Case{L"zugriff", false, false, L"Text=\"Zugriff verweigert\"", true},
             Case{L"zugriff", true, false, L"Text=\"Zugriff verweigert\"", false},
             Case{L"Zugriff", true, false, L"Text=\"Zugriff verweigert\"", true},
             Case{L"griff", false, false, L"Zugriff", true},
             Case{L"griff", false, true, L"Zugriff", false},
             Case{L"Zugriff", false, true, L"\"Zugriff verweigert\"", true},
             Case{L"PC1", false, true, L"Host=\"PC10\" Text=\"PC1\"", true},
             Case{L"PC1", false, true, L"Host=\"PC10\" Text=\"PC1_x\"", false},
             Case{L"verweigert", false, true, L"Zugriff verweigert", true},
             Case{L"", false, false, L"anything", false},
             Case{L"long text", false, false, L"long", false},
         }) {
        EXPECT_EQ(viewer::TextMatcher(what, matchCase, wholeWord, tables).Matches(line), expected)
            << testing::PrintToString(std::wstring(what)) << " in "
            << testing::PrintToString(std::wstring(line));
    }
}

TEST(TextMatcher, FindsWhereEachMatchBegins) {
    const viewer::CharacterTables tables = viewer::CharacterTables::Ascii();
    const viewer::TextMatcher pc1(L"pc1", false, true, tables);
    const std::wstring line = L"PC10 PC1 x PC1";
    EXPECT_EQ(pc1.Find(line), 5u);
    EXPECT_EQ(pc1.Find(line, 6), 11u);
    EXPECT_EQ(pc1.Find(line, 12), std::wstring::npos);
}
