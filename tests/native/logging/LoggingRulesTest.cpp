// The logging area's rules that need no platform: key paths, computer names, event source keys,
// which failed opens are tried again, and system message texts.
#include "logging/ErrorText.h"
#include "logging/EventSourceKey.h"
#include "logging/OpenRetry.h"
#include "logging/RegistryPath.h"

#include <gtest/gtest.h>

using namespace Zt;

TEST(LoggingRules, KeyPathsComputerNamesAndEventSources) {
    const std::pair<const wchar_t*, const wchar_t*> paths[] = {{L"\\\\\\Software\\Test\\", L"Software\\Test"},
                                                               {L"Software\\Test\\\\", L"Software\\Test\\"},
                                                               {L"\\\\", L""}};
    for (const auto& [path, normal] : paths)
        EXPECT_EQ(NormaliseKeyPath(path), normal) << path;
    const std::pair<const wchar_t*, const wchar_t*> names[] = {
        {L"pc", L"\\\\pc"}, {L"\\pc", L"\\\\pc"}, {L"\\\\pc", L"\\\\pc"}, {L"\\\\\\pc", L"\\\\\\pc"}};
    for (const auto& [name, remote] : names)
        EXPECT_EQ(RemoteComputerName(name), remote) << name;
    const std::wstring base = L"SYSTEM\\CurrentControlSet\\Services\\Eventlog\\";
    EXPECT_EQ(EventSourceKeyPath(L"", L"Src"), base + L"Application\\Src");
    EXPECT_EQ(EventSourceKeyPath(L"System\\", L"Src"), base + L"System\\Src") << "no second backslash";
    for (const wchar_t* source : {L"", L"\\", L"a\\b", L"Src\\"})
        EXPECT_FALSE(EventSourceKeyPath(L"Application", source).has_value()) << source;
}

TEST(LoggingRules, RetriedOpensAndSystemTexts) {
    EXPECT_TRUE(IsPassingOpenFailure(32, 0xC0000043u)) << "sharing violation";
    EXPECT_TRUE(IsPassingOpenFailure(5, 0xC0000056u)) << "access denied while a delete is pending";
    EXPECT_FALSE(IsPassingOpenFailure(5, 0xC0000022u)) << "access denied for good";
    EXPECT_FALSE(IsPassingOpenFailure(3, 0xC000003Au)) << "no such directory";
    EXPECT_EQ(TrimSystemMessage(L"Denied.\r\n"), L"Denied.");
}
