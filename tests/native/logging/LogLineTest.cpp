// The prefix of a log line and the line-end rule.
#include "logging/LogFlags.h"
#include "logging/LogLine.h"

#include <gtest/gtest.h>

using namespace Zt;

namespace {
LogPrefixParts Parts(const wchar_t* context = nullptr) {
    LogPrefixParts parts;
    parts.processName = L"svc.exe";
    parts.processPath = L"C:\\bin\\svc.exe";
    parts.date = L"05.12.2026";
    parts.time = L"14:03:27";
    parts.context = context;
    return parts;
}
} // namespace

TEST(LogPrefix, ItemsAppearInOrderEachWithItsSeparator) {
    EXPECT_EQ(ComposeLogPrefix(LogDefaultFlags, Parts(L"Run")), L"svc.exe : 05.12.2026 14:03:27 : Run : ");
    EXPECT_EQ(ComposeLogPrefix(0xA5, Parts()), L"svc.exe : 05.12.2026 14:03:27 : ")
        << "the context item needs a context";
    EXPECT_EQ(ComposeLogPrefix(LogProcessName | LogProcessPath, Parts()), L"C:\\bin\\svc.exe : ");
    EXPECT_EQ(ComposeLogPrefix(LogProcessPath | LogDateTime, Parts()), L"05.12.2026 14:03:27 : ")
        << "the path alone brings no process item";
    EXPECT_EQ(ComposeLogPrefix(LogContext, Parts(L"Run")), L"Run : ");
    EXPECT_EQ(ComposeLogPrefix(0, Parts(L"Run")), L"");
}

TEST(LogPrefix, AnOverlongContextIsCut) {
    const std::wstring context(5000, L'x');
    EXPECT_EQ(ComposeLogPrefix(LogContext, Parts(context.c_str())).size(), kMaxPrefixChars);
}

TEST(LogLineEnd, OnlyForTextsThatDoNotEndALineThemselves) {
    EXPECT_TRUE(NeedsLineEnd(L"abc"));
    EXPECT_TRUE(NeedsLineEnd(L"ab"));
    EXPECT_FALSE(NeedsLineEnd(L"a"));
    EXPECT_FALSE(NeedsLineEnd(L""));
    EXPECT_FALSE(NeedsLineEnd(L"abc\n"));
    EXPECT_FALSE(NeedsLineEnd(L"abc\r"));
}
