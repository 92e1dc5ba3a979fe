// The regular-expression wrapper on the real engine. Every pattern here needs at least one
// unit to match: with the all-matches flag, an engine run of a pattern that can match the
// empty string does not return under Wine.
#include "diagnose/RegEx.h"

#include <gtest/gtest.h>

namespace {
const wchar_t kAttributePattern[] = L"\\b(\\w*)=\"([^\"]*)\\b";

class RegExOnEngine : public ::testing::Test {
protected:
    void SetUp() override { ASSERT_TRUE(regex.Create()); }
    CRegEx regex;
};
} // namespace

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

TEST_F(RegExOnEngine, FlagsAndPatternStayWithTheEngine) {
    EXPECT_TRUE(regex.Create()) << "a second Create keeps the engine";
    regex.SetIgnoreCase(true);
    regex.SetGlobal(true);
    regex.SetMultiline(false);
    EXPECT_TRUE(regex.GetIgnoreCase());
    EXPECT_TRUE(regex.GetGlobal());
    EXPECT_FALSE(regex.GetMultiline());
    EXPECT_TRUE(regex.Test(L"HOST", L"a host b"));
    EXPECT_EQ(regex.GetPattern(), L"HOST");
    EXPECT_FALSE(regex.Test(L"xyz", L"a host b"));
}

TEST_F(RegExOnEngine, AllMatchesInTextOrderOrOnlyTheFirst) {
    regex.SetIgnoreCase(true);
    regex.SetGlobal(true);
    std::vector<CRegExMatch> matches;
    const std::wstring text = L"Host=\"PC1\" Process=\"Svc.\"";
    ASSERT_EQ(regex.Execute(matches, kAttributePattern, text), 2);
    EXPECT_EQ(matches[0].Value, L"Host=\"PC1");
    EXPECT_EQ(matches[0].FirstIndex, 0);
    EXPECT_EQ(matches[0].Length, 9);
    EXPECT_EQ(matches[0].SubMatches, (std::vector<std::wstring>{L"Host", L"PC1"}));
    EXPECT_EQ(matches[1].FirstIndex, 11);
    EXPECT_EQ(matches[1].SubMatches[1], L"Svc");
    std::vector<std::wstring> strings;
    EXPECT_EQ(regex.ExecuteStrings(strings, kAttributePattern, text), 2);
    EXPECT_EQ(strings[1], L"Process=\"Svc");

    regex.SetGlobal(false);
    EXPECT_EQ(regex.Execute(matches, kAttributePattern, text), 1);
    EXPECT_EQ(matches[0].SubMatches[0], L"Host");
    EXPECT_EQ(regex.Execute(matches, kAttributePattern, L"no pairs here"), 0);
    EXPECT_TRUE(matches.empty());
}

TEST_F(RegExOnEngine, OneSubMatchPerGroupEmptyWhenItTookNoPart) {
    std::vector<CRegExMatch> matches;
    ASSERT_EQ(regex.Execute(matches, L"(a)(b)?", L"xa"), 1);
    EXPECT_EQ(matches[0].SubMatches, (std::vector<std::wstring>{L"a", L""}));
    ASSERT_EQ(regex.Execute(matches, L"a+", L"xaa"), 1);
    EXPECT_TRUE(matches[0].SubMatches.empty());
    EXPECT_EQ(matches[0].FirstIndex, 1);
    EXPECT_EQ(matches[0].Length, 2);
}

TEST_F(RegExOnEngine, ReplaceUsesTheEngine) {
    regex.SetGlobal(true);
    EXPECT_EQ(regex.Replace(L"o", L"foo", L"0"), L"f00");
    regex.SetGlobal(false);
    EXPECT_EQ(regex.Replace(L"o", L"foo", L"0"), L"f0o");
}

TEST_F(RegExOnEngine, AFailingEngineCallRaisesWithItsStatus) {
    std::vector<CRegExMatch> matches;
    try {
        regex.Execute(matches, L"(unclosed", L"text");
        FAIL() << "no exception";
    } catch (const CRegExException& failure) {
        EXPECT_LT(failure.Status(), 0);
    }
}

TEST(RegExEscape, TwelveMetacharactersButNotBrackets) {
    EXPECT_EQ(CRegEx::Escape(L"a.b"), L"a\\.b");
    EXPECT_EQ(CRegEx::Escape(L"\\."), L"\\\\\\.");
    EXPECT_EQ(CRegEx::Escape(L"[x]"), L"[x]");
    EXPECT_EQ(CRegEx::Escape(L"{1}"), L"\\{1\\}");
    EXPECT_EQ(CRegEx::Escape(L"^$*+?()|"), L"\\^\\$\\*\\+\\?\\(\\)\\|");
}
