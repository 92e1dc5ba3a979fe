// The regular-expression wrapper on the real engine. Every pattern here needs at least one
// unit to match: with the all-matches flag, an engine run of a pattern that can match the
// empty string does not return under Wine.
#include "diagnose/RegEx.h"

#include <gtest/gtest.h>

TEST(RegExWithoutEngine, EverythingIsEmptyOrFalse) {
    CRegEx regex;
    std::vector<CRegExMatch> matches(3);
    EXPECT_EQ(regex.Execute(matches, L"a", L"a"), 0);
    EXPECT_TRUE(matches.empty()) << "the list is emptied also without an engine";
    std::vector<std::wstring> strings{L"old"};
    EXPECT_EQ(regex.ExecuteStrings(strings, L"a", L"a"), 0);
    EXPECT_TRUE(strings.empty());
    regex.SetGlobal(true);
    EXPECT_FALSE(regex.GetGlobal());
    EXPECT_FALSE(regex.Test(L"a", L"a"));
    EXPECT_EQ(regex.Replace(L"a", L"a", L"b"), L"");
    EXPECT_EQ(regex.GetPattern(), L"");
}

TEST(RegExOnEngine, FlagsMatchesInTextOrderGroupsReplaceAndFailures) {
    CRegEx regex;
    ASSERT_TRUE(regex.Create());
    EXPECT_TRUE(regex.Create()) << "a second Create keeps the engine";
    regex.SetIgnoreCase(true);
    regex.SetGlobal(true);
    regex.SetMultiline(false);
    EXPECT_TRUE(regex.GetIgnoreCase() && regex.GetGlobal() && !regex.GetMultiline());
    EXPECT_TRUE(regex.Test(L"HOST", L"a host b"));
    EXPECT_EQ(regex.GetPattern(), L"HOST");
    EXPECT_FALSE(regex.Test(L"xyz", L"a host b"));
    EXPECT_EQ(regex.Replace(L"o", L"foo", L"0"), L"f00");

    const wchar_t attribute[] = L"\\b(\\w*)=\"([^\"]*)\\b";
    const std::wstring text = L"Host=\"PC1\" Process=\"Svc.\"";
    std::vector<CRegExMatch> matches;
    ASSERT_EQ(regex.Execute(matches, attribute, text), 2);
    EXPECT_EQ(matches[0].Value, L"Host=\"PC1");
    EXPECT_EQ(std::pair(matches[0].FirstIndex, matches[0].Length), std::pair(0L, 9L));
    EXPECT_EQ(matches[0].SubMatches, (std::vector<std::wstring>{L"Host", L"PC1"}));
    EXPECT_EQ(matches[1].FirstIndex, 11);
    EXPECT_EQ(matches[1].SubMatches[1], L"Svc");
    std::vector<std::wstring> strings;
    EXPECT_EQ(regex.ExecuteStrings(strings, attribute, text), 2);
    EXPECT_EQ(strings[1], L"Process=\"Svc");

    regex.SetGlobal(false);
    EXPECT_EQ(regex.Replace(L"o", L"foo", L"0"), L"f0o");
    EXPECT_EQ(regex.Execute(matches, attribute, text), 1);
    EXPECT_EQ(matches[0].SubMatches[0], L"Host");
    EXPECT_EQ(regex.Execute(matches, attribute, L"no pairs here"), 0);
    EXPECT_TRUE(matches.empty());
    ASSERT_EQ(regex.Execute(matches, L"(a)(b)?", L"xa"), 1);
    EXPECT_EQ(matches[0].SubMatches, (std::vector<std::wstring>{L"a", L""})) << "one text per group";
    ASSERT_EQ(regex.Execute(matches, L"a+", L"xaa"), 1);
    EXPECT_TRUE(matches[0].SubMatches.empty());
    EXPECT_EQ(std::pair(matches[0].FirstIndex, matches[0].Length), std::pair(1L, 2L));
    try {
        regex.Execute(matches, L"(unclosed", L"text");
        ADD_FAILURE() << "no exception";
    } catch (const CRegExException& failure) {
        EXPECT_LT(failure.Status(), 0);
    }
}

TEST(RegExEscape, TwelveMetacharactersButNotBrackets) {
    EXPECT_EQ(CRegEx::Escape(L"a.b"), L"a\\.b");
    EXPECT_EQ(CRegEx::Escape(L"\\."), L"\\\\\\.");
    EXPECT_EQ(CRegEx::Escape(L"[x]{1}"), L"[x]\\{1\\}");
    EXPECT_EQ(CRegEx::Escape(L"^$*+?()|"), L"\\^\\$\\*\\+\\?\\(\\)\\|");
}
