// Zt::ZtRegistry against the real registry, in a test key of its own that is removed afterwards.
#include "logging/ZtRegistry.h"

#include "LoggingTestSupport.h"

#include <functional>
#include <set>

using namespace logging_test;
using Zt::ZtRegistry;

namespace {

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

// Walks collect the names into a set, and stop at the name "stop".
int Collect(const wchar_t* name, void* names) {
    static_cast<std::set<std::wstring>*>(names)->insert(name);
    return std::wstring(name) == L"stop" ? 0 : 1;
}

} // namespace

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
        {"write text as binary", m_key, [&] { return m_key.SetString(L"x", L"x", REG_BINARY); }, 1629},
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
    const std::wstring longText(3000, L'z');
    m_values.SetString(L"Long", longText);
    const wchar_t* value = key.QueryStringBuffer(L"Long");
    EXPECT_EQ(value ? value : L"<null>", longText) << "the whole value";
    EXPECT_TRUE(key.Open(key.GetHandle(), L"\\\\", false, KEY_READ)) << "backslashes only: the parent itself";
    EXPECT_TRUE(key.QueryBool(L"One", &flag));
}

TEST_F(Registry, TreesGoWholeWalksStopWhenToldAndRemoteKeysStayRemote) {
    EXPECT_TRUE(ZtRegistry().DeleteTree(m_key.GetHandle(), L"Tree\\A"));
    EXPECT_TRUE(ZtRegistry().DeleteTree(HKEY_CURRENT_USER, (kTestPath + L"\\Tree").c_str(), false));
    EXPECT_FALSE(Exists(L"Tree"));
    for (const wchar_t* name : {L"a", L"stop", L"z"})
        m_key.OpenSubKey(name, true);
    std::set<std::wstring> keys;
    std::set<std::wstring> values;
    m_key.ForEachSubKey([](const Zt::ZtRegistrySubKey& k, void* u) { return Collect(k.name, u); }, &keys);
    EXPECT_EQ(keys, (std::set<std::wstring>{L"a", L"stop"}));
    m_key.ForEachValue([](const Zt::ZtRegistryValue& v, void* u) { return Collect(v.name, u); }, &values);
    EXPECT_TRUE(values.size() == 3 && m_key.GetError() == 0)
        << "all three values; a walk to the end succeeds";

    wchar_t computer[MAX_COMPUTERNAME_LENGTH + 1] = {};
    DWORD length = MAX_COMPUTERNAME_LENGTH + 1;
    ::GetComputerNameW(computer, &length);
    ZtRegistry key;
    EXPECT_TRUE(key.Connect(computer, HKEY_CURRENT_USER) && key.Open(key.GetHandle(), kTestPath.c_str()) &&
                key.IsRemote())
        << "a key below a remote root is remote";
    EXPECT_TRUE(key.Close() && !key.IsRemote());
    EXPECT_TRUE(key.ConnectAndOpen(computer, HKEY_CURRENT_USER, kTestPath.c_str()) && key.IsRemote());
}
