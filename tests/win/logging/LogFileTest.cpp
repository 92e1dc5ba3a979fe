// Zt::ZtLogFile and Zt::ZtMethodTrace with real files in a temporary directory.
#include "logging/ZtLogFile.h"

#include "LoggingTestSupport.h"
#include "PinnedLocale.h"
#include "TestSupport.h"

#include <gtest/gtest.h>

using namespace logging_test;
using namespace Zt;
using testing_support::TempDirectory;

namespace {

constexpr DWORD kPlain = LogAppendLineEnd; // no prefix, no header: the bytes are the text

std::vector<BYTE> Utf16Bytes(const std::wstring& text) {
    const auto* bytes = reinterpret_cast<const BYTE*>(text.data());
    return std::vector<BYTE>(bytes, bytes + text.size() * 2);
}

// A file of `size` bytes whose byte i is i mod 251, so that any cut shows where it was made.
std::vector<BYTE> Numbered(std::size_t size) {
    std::vector<BYTE> bytes(size);
    for (std::size_t i = 0; i < size; ++i)
        bytes[i] = static_cast<BYTE>(i % 251);
    return bytes;
}

class LogFile : public ::testing::Test {
protected:
    std::wstring PathOf(const wchar_t* name) const { return m_dir.Path() + name; }
    TempDirectory m_dir;
};

} // namespace

TEST_F(LogFile, NothingIsCreatedWhileLoggingIsOff) {
    const std::wstring path = PathOf(L"off.log");
    {
        ZtLogFile log(path.c_str(), false, LogDefaultFlags);
        EXPECT_TRUE(log.Write(L"text %d", 1));
        EXPECT_FALSE(log.SetPath(path.c_str()));
        EXPECT_FALSE(log.Reopen());
        EXPECT_FALSE(log.IsOpen());
    }
    EXPECT_FALSE(FileExists(path));
}

TEST_F(LogFile, AnEmptyLogLeavesNothingBehindButContentStays) {
    const std::wstring path = PathOf(L"empty.log");
    {
        ZtLogFile log(path.c_str(), true, kPlain);
        EXPECT_FALSE(FileExists(path)) << "created by the open step and removed again when it closed";
    }
    EXPECT_FALSE(FileExists(path));

    const std::wstring kept = PathOf(L"kept.log");
    WriteBytes(kept, {1, 2, 3, 4});
    { ZtLogFile log(kept.c_str(), true, LogDefaultFlags & ~LogHeader); }
    EXPECT_EQ(ReadBytes(kept), (std::vector<BYTE>{1, 2, 3, 4}));
}

TEST_F(LogFile, TextIsUtf16WithoutBomAndTheLineEndRuleHolds) {
    const std::wstring path = PathOf(L"lines.log");
    {
        ZtLogFile log(path.c_str(), true, kPlain);
        log.Write(L"abc");
        log.Write(L"x\n");
        log.Write(L"y\r");
        log.Write(L"z");
        log.Write(L"\u00e4\u20ac%d", 5);
    }
    EXPECT_EQ(ReadBytes(path), Utf16Bytes(L"abc\r\nx\ny\rz\u00e4\u20ac5\r\n"));
}

TEST_F(LogFile, HeaderComesOnceBeforeTheFirstLineAndAgainAfterRenaming) {
    const std::wstring path = PathOf(L"header.log");
    const std::wstring other = PathOf(L"other.log");
    {
        ZtLogFile log(path.c_str(), true, kPlain | LogHeader);
        log.Write(L"one");
        log.Write(L"two");
        log.SetPath(other.c_str());
        log.Write(L"three");
    }
    const std::wstring rule(49, L'-');
    EXPECT_EQ(ReadText(path), rule + L"\r\nLog " + path + L" started.\r\none\r\ntwo\r\n");
    EXPECT_EQ(ReadText(other),
              rule + L"\r\nLog " + other + L" started.\r\nthree\r\nLog " + other + L" stopped.\r\n");

    const std::wstring none = PathOf(L"noheader.log");
    {
        ZtLogFile log(none.c_str(), true, kPlain);
        log.Write(L"only");
    }
    EXPECT_EQ(ReadText(none), L"only\r\n");
}

TEST_F(LogFile, PrefixCarriesProcessDateTimeAndContextInOrder) {
    PinnedDateTimeFormat pinned;
    const std::wstring path = PathOf(L"prefix.log");
    {
        ZtLogFile log(path.c_str(), true, LogDefaultFlags & ~LogHeader);
        log.SetContext(L"Ctx");
        log.Write(L"text");
        log.SetContext(nullptr);
        log.Write(L"bare");
        log.SetFlags(LogProcessName | LogProcessPath | LogAppendLineEnd);
        log.Write(L"path");
        log.SetFlags(LogProcessPath | LogAppendLineEnd);
        log.Write(L"alone");
    }
    const std::vector<std::wstring> lines = Lines(ReadText(path));
    ASSERT_EQ(lines.size(), 4u);
    const std::wstring name = ProgramName() + L" : ";
    ASSERT_EQ(lines[0].substr(0, name.size()), name);
    EXPECT_TRUE(PinnedDateTimeFormat::IsTimeStampOfToday(lines[0].substr(name.size(), 19))) << lines[0];
    EXPECT_EQ(lines[0].substr(name.size() + 19), L" : Ctx : text");
    EXPECT_EQ(lines[1].substr(name.size() + 19), L" : bare");
    wchar_t program[MAX_PATH] = {};
    ::GetModuleFileNameW(nullptr, program, MAX_PATH);
    EXPECT_EQ(lines[2], std::wstring(program) + L" : path");
    EXPECT_EQ(lines[3], L"alone") << "the path flag alone brings no process item";
}

TEST_F(LogFile, FormatBufferGrowsForLongTextsAndDirectivesInArgumentsStayText) {
    const std::wstring path = PathOf(L"long.log");
    const std::wstring text300(300, L'a');
    const std::wstring huge(200000, L'b');
    {
        ZtLogFile log(path.c_str(), true, kPlain);
        log.Write(L"%ls", text300.c_str());
        log.Write(L"%ls|", L"100% %s %d %n");
        log.Write(L"%ls", huge.c_str());
        log.Write(nullptr);
    }
    const std::vector<std::wstring> lines = Lines(ReadText(path));
    ASSERT_EQ(lines.size(), 3u);
    EXPECT_EQ(lines[0], text300);
    EXPECT_EQ(lines[1], L"100% %s %d %n|");
    EXPECT_EQ(lines[2], std::wstring(131071, L'b')) << "cut after the last doubling, never dropped";
}

TEST_F(LogFile, SizeLimitKeepsTheNewestWholeUnits) {
    const std::wstring big = PathOf(L"big.log");
    const std::wstring exact = PathOf(L"exact.log");
    const std::wstring odd = PathOf(L"odd.log");
    const std::vector<BYTE> bytes = Numbered(1500);
    WriteBytes(big, bytes);
    WriteBytes(exact, Numbered(1000));
    WriteBytes(odd, bytes);
    {
        ZtLogFile log(big.c_str(), true, kPlain);
        log.SetSizeLimit(400, 1000);
        log.SetPath(exact.c_str());
    }
    EXPECT_EQ(ReadBytes(big), std::vector<BYTE>(bytes.end() - 400, bytes.end()));
    EXPECT_EQ(ReadBytes(exact), Numbered(1000)) << "not larger than the limit";
    {
        ZtLogFile log(odd.c_str(), true, kPlain);
        log.SetSizeLimit(401, 1000);
    }
    EXPECT_EQ(ReadBytes(odd), std::vector<BYTE>(bytes.end() - 400, bytes.end())) << "no UTF-16 unit is split";
}

TEST_F(LogFile, SizeLimitLeavesTheFileAloneWithoutATemporaryCopy) {
    const std::wstring path = PathOf(L"nocopy.log");
    const std::vector<BYTE> bytes = Numbered(1500);
    WriteBytes(path, bytes);
    wchar_t savedTmp[MAX_PATH] = {};
    wchar_t savedTemp[MAX_PATH] = {};
    ::GetEnvironmentVariableW(L"TMP", savedTmp, MAX_PATH);
    ::GetEnvironmentVariableW(L"TEMP", savedTemp, MAX_PATH);
    const std::wstring missing = PathOf(L"no-such-dir\\");
    ::SetEnvironmentVariableW(L"TMP", missing.c_str());
    ::SetEnvironmentVariableW(L"TEMP", missing.c_str());
    {
        ZtLogFile log(path.c_str(), true, kPlain);
        log.SetSizeLimit(400, 1000);
        log.Write(L"after");
    }
    ::SetEnvironmentVariableW(L"TMP", savedTmp);
    ::SetEnvironmentVariableW(L"TEMP", savedTemp);
    std::vector<BYTE> expected = bytes;
    const std::vector<BYTE> line = Utf16Bytes(L"after\r\n");
    expected.insert(expected.end(), line.begin(), line.end());
    EXPECT_EQ(ReadBytes(path), expected);
}

TEST_F(LogFile, RecreateStartsTheFileAnew) {
    const std::wstring path = PathOf(L"recreate.log");
    WriteBytes(path, Utf16Bytes(L"old\r\n"));
    ZtLogFile log(path.c_str(), true, kPlain);
    log.SetFlags(kPlain | LogRecreate);
    EXPECT_FALSE(FileExists(path)) << "removed, created new, and removed again as empty";
    log.Write(L"new");
    EXPECT_EQ(ReadText(path), L"new\r\n");
}

TEST_F(LogFile, KeepOpenHoldsTheFileButLetsOthersRead) {
    const std::wstring path = PathOf(L"open.log");
    ZtLogFile log(path.c_str(), true, kPlain | LogKeepOpen);
    log.Write(L"one");
    EXPECT_TRUE(log.IsOpen());
    EXPECT_EQ(ReadText(path), L"one\r\n");
    log.Write(L"two");
    log.Close();
    EXPECT_FALSE(log.IsOpen());
    EXPECT_EQ(ReadText(path), L"one\r\ntwo\r\n");
}

TEST_F(LogFile, NamesAndTheDefaultPath) {
    ZtLogFile byDefault(false);
    std::wstring program(MAX_PATH, L'\0');
    program.resize(::GetModuleFileNameW(nullptr, program.data(), MAX_PATH));
    EXPECT_EQ(std::wstring(byDefault.GetPath()), program.substr(0, program.size() - 3) + L"Log");
    EXPECT_EQ(std::wstring(byDefault.GetDirectory()), testing_support::BinDirectory());

    ZtLogFile log(PathOf(L"a.log").c_str(), true, kPlain);
    EXPECT_STREQ(log.GetFileName(), L"a.log");
    EXPECT_TRUE(log.SetFileName(L"b.log"));
    EXPECT_EQ(std::wstring(log.GetPath()), PathOf(L"b.log"));
}

TEST_F(LogFile, UnusablePathsLoseTheLineButNeverWriteElsewhere) {
    const std::wstring missing = PathOf(L"missing\\x.log");
    ZtLogFile log(missing.c_str(), true, kPlain);
    EXPECT_TRUE(log.Write(L"lost"));
    EXPECT_FALSE(log.WriteText(L"lost"));
    EXPECT_FALSE(FileExists(missing));

    // Longer than the classic 270-character buffers: used whole or not at all.
    const std::wstring longPath = m_dir.Path() + std::wstring(300, L'n') + L".log";
    log.SetPath(longPath.c_str());
    EXPECT_EQ(std::wstring(log.GetPath()), longPath);
    log.Write(L"x");
    EXPECT_FALSE(FileExists(longPath.substr(0, 269)));
    ::DeleteFileW(longPath.c_str());

    log.SetPath(nullptr);
    EXPECT_TRUE(log.Write(L"nowhere"));
    EXPECT_FALSE(log.IsOpen());
}

TEST_F(LogFile, RegistrySwitchesLogging) {
    TestRegistryKey key(HKEY_CURRENT_USER, L"Software\\ZtLoggingTests\\LogSwitch");
    key.SetNumber(L"On", 1);
    key.SetNumber(L"Two", 2);
    key.SetString(L"Text", L"1");
    ZtLogFile log(PathOf(L"switch.log").c_str(), false, kPlain);
    log.EnableFromRegistry(HKEY_CURRENT_USER, key.Path().c_str(), L"On");
    EXPECT_TRUE(log.IsEnabled());
    log.EnableFromRegistry(HKEY_CURRENT_USER, key.Path().c_str(), L"Two");
    EXPECT_FALSE(log.IsEnabled());
    log.EnableFromRegistry(HKEY_CURRENT_USER, key.Path().c_str(), L"Text");
    EXPECT_FALSE(log.IsEnabled()) << "a value that is no number changes nothing";
    log.DisableFromRegistry(HKEY_CURRENT_USER, key.Path().c_str(), L"Two");
    EXPECT_TRUE(log.IsEnabled());
    log.DisableFromRegistry(HKEY_CURRENT_USER, key.Path().c_str(), L"On");
    EXPECT_FALSE(log.IsEnabled());
    RemoveKey(HKEY_CURRENT_USER, L"Software\\ZtLoggingTests");
}

TEST_F(LogFile, MethodTraceFramesItsScopeWithTheContext) {
    const std::wstring path = PathOf(L"trace.log");
    {
        ZtLogFile log(path.c_str(), true, kPlain | LogContext);
        {
            ZtMethodTrace trace(log, L"Run");
            log.Write(L"inside");
        }
        log.Write(L"after");
        { ZtMethodTrace quiet(log, L"Quiet", false); }
    }
    EXPECT_EQ(ReadText(path), L"Run : Method begin\r\nRun : inside\r\nRun : Method end\r\nafter\r\n");
}
