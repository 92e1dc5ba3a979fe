// Writers in two processes sharing one log: every line arrives, and arrives whole.
#include "LoggingTestSupport.h"
#include "TestSupport.h"

#include <gtest/gtest.h>

#include <map>

using namespace logging_test;
using testing_support::TempDirectory;

namespace {

constexpr wchar_t kFiller[] = L"the quick brown fox jumps over the lazy dog 0123456789";

// Counts the lines "<tag> <n> <filler>" per tag after the last `marker`, checking that each is whole and
// that each writer's numbers arrive in order.
std::map<std::wstring, int> CountWholeLines(const std::wstring& text, const std::wstring& marker, int& torn) {
    std::map<std::wstring, int> counts;
    torn = 0;
    for (const std::wstring& line : Lines(text)) {
        const std::size_t at = line.rfind(marker);
        if (at == std::wstring::npos) {
            ++torn;
            continue;
        }
        const std::wstring body = line.substr(at + marker.size());
        const std::size_t blank = body.find(L' ');
        const std::size_t second = body.find(L' ', blank + 1);
        if (blank == std::wstring::npos || second == std::wstring::npos ||
            body.substr(second + 1) != kFiller) {
            ++torn;
            continue;
        }
        const std::wstring tag = body.substr(0, blank);
        const int number = std::stoi(body.substr(blank + 1, second - blank - 1));
        if (number != counts[tag])
            ++torn;
        ++counts[tag];
    }
    return counts;
}

} // namespace

TEST(TwoProcesses, TwoWritersOfOneLogLoseNoLine) {
    TempDirectory dir;
    const std::wstring path = dir.Path() + L"shared.log";
    const std::vector<DWORD> codes =
        RunHelpersTogether({L"write-log \"" + path + L"\" 10000 A", L"write-log \"" + path + L"\" 10000 B"});
    EXPECT_EQ(codes, (std::vector<DWORD>{0, 0}));
    int torn = 0;
    const std::map<std::wstring, int> counts = CountWholeLines(ReadText(path), L" : ", torn);
    EXPECT_EQ(torn, 0);
    EXPECT_EQ(counts, (std::map<std::wstring, int>{{L"A", 10000}, {L"B", 10000}}));
}

TEST(TwoProcesses, ConcurrentNotificationsLoseAndSplitNoEntry) {
    const std::wstring setupKey = L"Software\\Morvane\\Vistral\\Setup";
    TempDirectory install;
    {
        TestRegistryKey setup(HKEY_LOCAL_MACHINE, setupKey);
        setup.SetString(L"Inst_Path", install.Path());
        const std::vector<DWORD> codes = RunHelpersTogether({L"notify 1000 A", L"notify 1000 B"});
        EXPECT_EQ(codes, (std::vector<DWORD>{0, 0}));
    }
    const std::wstring events = install.Path() + L"Diagnose\\Events.log";
    int torn = 0;
    const std::map<std::wstring, int> counts =
        CountWholeLines(ReadText(events), L" : Ostrana Vistral Service: Error  :\t", torn);
    EXPECT_EQ(torn, 0);
    EXPECT_EQ(counts, (std::map<std::wstring, int>{{L"A", 1000}, {L"B", 1000}}));
    ::DeleteFileW(events.c_str());
    ::RemoveDirectoryW((install.Path() + L"Diagnose").c_str());
    RemoveKey(HKEY_LOCAL_MACHINE,
              L"SYSTEM\\CurrentControlSet\\Services\\Eventlog\\Application\\Ostrana Vistral Service");
}
