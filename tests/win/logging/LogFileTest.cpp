// Zt::ZtLogFile and Zt::ZtMethodTrace with real files in a temporary directory.
#include "logging/ZtLogFile.h"

#include "LoggingTestSupport.h"

#include <numeric>

using namespace logging_test;
using namespace Zt;

namespace {

constexpr DWORD kPlain = LogAppendLineEnd; // no prefix, no header: the file is the text

// `count` UTF-16 units, unit i being U+0100 + i, so that any cut shows where it was made.
std::wstring Numbered(std::size_t count) {
    std::wstring text(count, L'\0');
    std::iota(text.begin(), text.end(), L'\x100');
    return text;
}

class LogFile : public ::testing::Test {
protected:
    std::wstring PathOf(const wchar_t* name) const { return m_dir.Path() + name; }
    testing_support::TempDirectory m_dir;
};

} // namespace

TEST_F(LogFile, NothingIsCreatedWhileOffEmptyLogsGoAndRecreateStartsAnew) {
    const std::wstring path = PathOf(L"off.log");
    ZtLogFile(path.c_str(), false, LogDefaultFlags).Write(L"text %d", 1);
    EXPECT_FALSE(FileExists(path));
    ZtLogFile(path.c_str(), true, kPlain);
    EXPECT_FALSE(FileExists(path)) << "created by the open step and removed as empty";
    WriteText(path, L"kept");
    ZtLogFile(path.c_str(), true, LogDefaultFlags & ~LogHeader);
    EXPECT_EQ(ReadText(path), L"kept");

    ZtLogFile log(path.c_str(), true, kPlain);
    log.SetFlags(kPlain | LogRecreate);
    EXPECT_FALSE(FileExists(path)) << "removed, created new, and removed again as empty";
    log.SetFlags(kPlain | LogKeepOpen);
    log.Write(L"one");
    EXPECT_EQ(ReadText(path), L"one\r\n") << "others may read while it is held";
    EXPECT_TRUE(log.IsOpen());
}

TEST_F(LogFile, PiecesAreUtf16WithHeaderLineEndsAndWholeTexts) {
    const std::wstring path = PathOf(L"lines.log");
    const std::wstring other = PathOf(L"other.log");
    const std::wstring text300(300, L'a');
    {
        ZtLogFile log(path.c_str(), true, kPlain | LogHeader | LogContext);
        for (const wchar_t* text : {L"abc", L"x\n", L"y\r", L"z"})
            log.Write(text);
        log.Write(L"\u00e4\u20ac%d%ls|", 5, L"100% %s %d %n");
        log.Write(L"%ls", text300.c_str());
        { ZtMethodTrace trace(log, L"Run"); }
        log.WriteLastError(0x1234);
        log.WriteHResult(static_cast<HRESULT>(0x80040210));
        log.SetPath(other.c_str());
        log.Write(L"%ls", std::wstring(200000, L'b').c_str());
    }
    const std::wstring rule(49, L'-');
    EXPECT_EQ(
        ReadText(path),
        rule + L"\r\nLog " + path + L" started.\r\nabc\r\nx\ny\rz\u00e4\u20ac5100% %s %d %n|\r\n" + text300 +
            L"\r\nRun : Method begin\r\nRun : Method end\r\nLastError: Unknown error 0x80071234 (4660)\r\n" +
            L"LastError: IDispatch error #16 (0x80040210)\r\n");
    EXPECT_EQ(ReadText(other), rule + L"\r\nLog " + other + L" started.\r\n" + std::wstring(131071, L'b') +
                                   L"\r\nLog " + other + L" stopped.\r\n")
        << "a text that never fits is written cut, never dropped";
}

// The date and time of the prefix are matched by the service-mode test, with pinned formats.
TEST_F(LogFile, PrefixCarriesTheProcessAndTheContextEachWithItsSeparator) {
    const std::wstring path = PathOf(L"prefix.log");
    const std::wstring longContext(5000, L'c');
    {
        ZtLogFile log(path.c_str(), true, LogProcessName | LogContext | LogAppendLineEnd);
        log.SetContext(L"Ctx");
        log.Write(L"name");
        log.SetFlags(LogProcessName | LogProcessPath | LogAppendLineEnd);
        log.Write(L"path");
        log.SetFlags(LogProcessPath | LogContext | LogAppendLineEnd);
        log.SetContext(longContext.c_str());
        log.Write(L"cut");
    }
    const std::wstring program = L"zt_logging_tests.exe";
    EXPECT_EQ(ReadText(path), program + L" : Ctx : name\r\n" + testing_support::BinDirectory() + program +
                                  L" : path\r\n" + std::wstring(999, L'c') + L"cut\r\n")
        << "the path alone brings no process item; the prefix ends at 999 characters";
}

TEST_F(LogFile, SizeLimitKeepsTheNewestWholeUnitsOrLeavesTheFileAsItWasAlsoPastFourGigabytes) {
    const std::wstring big = PathOf(L"big.log");
    const std::wstring exact = PathOf(L"exact.log");
    const std::wstring uncut = PathOf(L"uncut.log");
    for (const std::wstring& path : {big, uncut})
        WriteText(path, Numbered(750));
    WriteText(exact, Numbered(500));
    wchar_t tmp[MAX_PATH] = {};
    const bool hadTmp = ::GetEnvironmentVariableW(L"TMP", tmp, MAX_PATH) != 0;
    {
        ZtLogFile log(big.c_str(), true, kPlain);
        log.SetSizeLimit(401, 1000);
        log.SetPath(exact.c_str());
        // Without a temporary directory no copy of the tail can be made.
        ::SetEnvironmentVariableW(L"TMP", PathOf(L"no-such-dir\\").c_str());
        log.SetPath(uncut.c_str());
        log.Write(L"after");
        ::SetEnvironmentVariableW(L"TMP", hadTmp ? tmp : nullptr);
    }
    EXPECT_EQ(ReadText(big), Numbered(750).substr(550)) << "the newest 400 bytes, no UTF-16 unit split";
    EXPECT_EQ(ReadText(exact), Numbered(500)) << "not larger than the limit";
    EXPECT_EQ(ReadText(uncut), Numbered(750) + L"after\r\n");

    const std::wstring path = PathOf(L"huge.log");
    WriteText(path, Numbered(750), 0x100000000ull - 1500); // sparse: 4 GiB, empty but for its end
    ZtLogFile(path.c_str(), true, kPlain).Write(L"newest");
    ZtLogFile(path.c_str(), true, kPlain).SetSizeLimit(400, 1000);
    EXPECT_EQ(ReadText(path), Numbered(750).substr(558) + L"newest\r\n") << "grown at its end, then cut";
}
