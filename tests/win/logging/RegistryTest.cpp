// Zt::ZtRegistry against the real registry, in a test key of its own that is removed afterwards:
// the queries the module makes, and every failure, none of which changes or deletes anything.
#include "logging/ZtLogFile.h"
#include "logging/ZtRegistry.h"

#include "LoggingTestSupport.h"

#include <functional>

using namespace logging_test;
using Zt::ZtRegistry;

const std::wstring kTestPath = L"Software\\ZtLoggingTests Registry";

// The test key holds three values and the sub-keys Tree\A\A1 (with a value) and Tree\B.
class Registry : public ::testing::Test {
protected:
    Registry() {
        m_values.SetString(L"Text", L"hello");
        m_values.SetNumber(L"One", 1);
        m_values.SetNumber(L"Two", 2);
        m_key.OpenSubKey(L"Tree\\A\\A1", true)->SetDWORD(L"v", 1);
        m_key.OpenSubKey(L"Tree\\B", true);
    }
    bool Exists(const wchar_t* path) { return ZtRegistry(m_key.GetHandle(), path).IsOpen(); }

    TestRegistryKey m_values{HKEY_CURRENT_USER, kTestPath};
    ZtRegistry m_key{HKEY_CURRENT_USER, kTestPath.c_str()};
};

TEST_F(Registry, FailuresEndWithTheirCodesAndLeaveOutputsAndKeysAlone) {
    ZtRegistry closed;
    DWORD number = 7;
    wchar_t text[16] = {};
    DWORD size = sizeof(text);
    const HKEY own = m_key.GetHandle();
    const std::tuple<const char*, ZtRegistry&, std::function<bool()>, LONG> cases[] = {
        {"open a null path", closed, [&] { return closed.Open(HKEY_CURRENT_USER, nullptr); }, 13},
        {"query a closed object", closed, [&] { return closed.QueryDWORD(L"One", &number); }, 1},
        {"number of a text", m_key, [&] { return m_key.QueryDWORD(L"Text", &number); }, 1804},
        {"number, missing", m_key, [&] { return m_key.QueryDWORD(L"Missing", &number); }, 1804},
        {"number into null", m_key, [&] { return m_key.QueryDWORD(L"One", nullptr); }, 13},
        {"text of a number", m_key, [&] { return m_key.QueryString(L"One", text, &size); }, 1804},
        {"text, missing", m_key, [&] { return m_key.QueryString(L"Missing", text, &size); }, 1804},
        {"whole text, missing", m_key, [&] { return m_key.QueryStringBuffer(L"Missing") != nullptr; }, 2},
        {"delete if empty, values", m_key, [&] { return m_key.DeleteSubKey(L"Tree\\A\\A1", true); }, 1020},
        {"delete if empty, sub-keys", m_key, [&] { return m_key.DeleteSubKey(L"Tree", true); }, 1020},
        {"delete if empty, missing", m_key, [&] { return m_key.DeleteSubKey(L"NoSuchKey", true); }, 1},
        {"delete the tree named \\\\", m_key, [&] { return m_key.DeleteTree(own, L"\\\\"); }, 13},
        {"delete the tree at \\", m_key, [&] { return m_key.DeleteTree(own, L"\\", false); }, 13},
    };
    for (const auto& [what, on, call, error] : cases) {
        EXPECT_FALSE(call()) << what;
        EXPECT_EQ(on.GetError(), error) << what;
    }
    EXPECT_TRUE(number == 7 && Exists(L"Tree\\A\\A1") && Exists(L"Tree\\B")) << "nothing was changed";
}

TEST_F(Registry, QueriesReadTheValuesAsStored) {
    ZtRegistry key(HKEY_CURRENT_USER, (L"\\\\\\" + kTestPath + L"\\").c_str(), false, KEY_READ);
    EXPECT_STREQ(key.GetPath(), kTestPath.c_str()) << "leading backslashes and one trailing go";
    bool flag = false;
    EXPECT_TRUE(key.QueryBool(L"One", &flag) && flag);
    EXPECT_TRUE(key.QueryBool(L"Two", &flag) && !flag) << "only the number 1 is true";
    wchar_t text[16] = {};
    DWORD size = sizeof(text);
    EXPECT_TRUE(key.QueryString(L"Text", text, &size));
    EXPECT_EQ(text + std::to_wstring(size), L"hello12");
    EXPECT_TRUE(key.Open(key.GetHandle(), L"\\\\", false, KEY_READ) && key.QueryBool(L"One", &flag))
        << "backslashes only: the parent itself";
    EXPECT_TRUE(ZtRegistry().DeleteTree(HKEY_CURRENT_USER, (kTestPath + L"\\Tree").c_str(), false));
    EXPECT_FALSE(Exists(L"Tree")) << "the whole tree";
}

// The log file's switch reads the same numbers: 1 is on for EnableFromRegistry and off for
// DisableFromRegistry, any other number the opposite; anything but a number changes nothing.
TEST_F(Registry, NumbersSwitchALogFileAndAnythingElseChangesNothing) {
    testing_support::TempDirectory dir;
    Zt::ZtLogFile log((dir.Path() + L"switch.log").c_str(), false, Zt::LogAppendLineEnd);
    // Enable (+) or disable (-) from a value, and whether logging is on after it.
    const std::tuple<char, const wchar_t*, bool> steps[] = {
        {'+', L"One", true},   {'+', L"Text", true}, {'+', L"Missing", true}, {'+', L"Two", false},
        {'+', L"Text", false}, {'-', L"Two", true},  {'-', L"Text", true},    {'-', L"One", false}};
    for (const auto& [how, value, on] : steps) {
        (log.*(how == '+' ? &Zt::ZtLogFile::EnableFromRegistry : &Zt::ZtLogFile::DisableFromRegistry))(
            HKEY_CURRENT_USER, kTestPath.c_str(), value);
        EXPECT_EQ(log.IsEnabled(), on) << how << value;
    }
}
