// Zt::ZtRegistry against the real registry, in a test key of its own that is removed afterwards.
#include "logging/ZtRegistry.h"

#include "LoggingTestSupport.h"

#include <gtest/gtest.h>

#include <set>

using namespace logging_test;
using Zt::ZtRegistry;

namespace {

const std::wstring kTestPath = L"Software\\ZtLoggingTests\\Registry";

class Registry : public ::testing::Test {
protected:
    Registry() : m_key(HKEY_CURRENT_USER, kTestPath) {
        m_key.SetString(L"Text", L"hello");
        m_key.SetString(L"Empty", L"");
        m_key.SetNumber(L"One", 1);
        m_key.SetNumber(L"Two", 2);
    }
    ~Registry() override { RemoveKey(HKEY_CURRENT_USER, L"Software\\ZtLoggingTests"); }

    TestRegistryKey m_key;
};

} // namespace

TEST_F(Registry, PathsAreNormalisedBeforeOpening) {
    ZtRegistry key(HKEY_CURRENT_USER, (L"\\\\\\" + kTestPath + L"\\").c_str(), false, KEY_READ);
    ASSERT_TRUE(key.IsOpen());
    EXPECT_EQ(key.GetError(), ERROR_SUCCESS);
    EXPECT_STREQ(key.GetPath(), kTestPath.c_str());
    DWORD one = 0;
    EXPECT_TRUE(key.QueryDWORD(L"One", &one));
    EXPECT_EQ(one, 1u);

    // Backslashes only: the parent itself, here our own key opened relative to itself.
    ASSERT_TRUE(key.Open(key.GetHandle(), L"\\\\", false, KEY_READ));
    EXPECT_STREQ(key.GetPath(), L"");
    EXPECT_TRUE(key.QueryDWORD(L"One", &one));
}

TEST_F(Registry, MissingPathsAndClosedObjectsFailWithTheirCodes) {
    ZtRegistry key;
    EXPECT_FALSE(key.Open(HKEY_CURRENT_USER, nullptr));
    EXPECT_EQ(key.GetError(), ERROR_INVALID_DATA);
    EXPECT_FALSE(key.Open(HKEY_CURRENT_USER, L""));
    EXPECT_EQ(key.GetError(), ERROR_INVALID_DATA);
    EXPECT_FALSE(key.IsOpen());

    DWORD number = 7;
    wchar_t text[8] = {};
    DWORD size = sizeof(text);
    EXPECT_FALSE(key.QueryDWORD(L"One", &number));
    EXPECT_EQ(key.GetError(), ERROR_INVALID_FUNCTION);
    EXPECT_FALSE(key.QueryString(L"Text", text, &size));
    EXPECT_EQ(key.GetError(), ERROR_INVALID_FUNCTION);
    EXPECT_FALSE(key.SetDWORD(L"x", 1));
    EXPECT_FALSE(key.Close());
    EXPECT_EQ(key.GetError(), ERROR_INVALID_FUNCTION);
    EXPECT_EQ(key.GetSubKeyCount(), 0u);
    EXPECT_EQ(number, 7u);

    EXPECT_FALSE(key.Open(HKEY_CURRENT_USER, L"Software\\ZtLoggingTests\\NoSuchKey", false, KEY_READ));
    EXPECT_EQ(key.GetError(), ERROR_FILE_NOT_FOUND);
}

TEST_F(Registry, TypedQueriesRefuseOtherTypesAndMissingValues) {
    ZtRegistry key(HKEY_CURRENT_USER, kTestPath.c_str(), false, KEY_READ);
    DWORD number = 7;
    EXPECT_FALSE(key.QueryDWORD(L"Text", &number));
    EXPECT_EQ(key.GetError(), ERROR_INVALID_DATATYPE);
    EXPECT_FALSE(key.QueryDWORD(L"Missing", &number));
    EXPECT_EQ(key.GetError(), ERROR_INVALID_DATATYPE);
    EXPECT_EQ(number, 7u);
    EXPECT_FALSE(key.QueryDWORD(L"One", nullptr));
    EXPECT_EQ(key.GetError(), ERROR_INVALID_DATA);

    wchar_t text[16] = {};
    DWORD size = sizeof(text);
    EXPECT_TRUE(key.QueryString(L"Text", text, &size));
    EXPECT_STREQ(text, L"hello");
    EXPECT_EQ(size, 12u);
    size = sizeof(text);
    EXPECT_FALSE(key.QueryString(L"One", text, &size));
    EXPECT_EQ(key.GetError(), ERROR_INVALID_DATATYPE);
    size = sizeof(text);
    EXPECT_FALSE(key.QueryString(L"Missing", text, &size));
    EXPECT_EQ(key.GetError(), ERROR_INVALID_DATATYPE);
    size = 4;
    EXPECT_FALSE(key.QueryString(L"Text", text, &size));
    EXPECT_EQ(key.GetError(), ERROR_MORE_DATA);
    EXPECT_FALSE(key.QueryString(L"Text", nullptr, &size));
    EXPECT_EQ(key.GetError(), ERROR_INVALID_DATA);

    bool flag = true;
    EXPECT_TRUE(key.QueryBool(L"One", &flag));
    EXPECT_TRUE(flag);
    EXPECT_TRUE(key.QueryBool(L"Two", &flag));
    EXPECT_FALSE(flag) << "only the number 1 means true";
    flag = true;
    EXPECT_FALSE(key.QueryBool(L"Text", &flag));
    EXPECT_TRUE(flag) << "a failed query leaves the caller's value";
    EXPECT_FALSE(key.QueryBool(L"One", nullptr));
    EXPECT_EQ(key.GetError(), ERROR_INVALID_DATA);
}

TEST_F(Registry, StringBufferHoldsWholeValuesOfAnyLength) {
    const std::wstring longText(3000, L'z');
    m_key.SetString(L"Long", longText);
    ZtRegistry key(HKEY_CURRENT_USER, kTestPath.c_str(), false, KEY_READ);
    const wchar_t* value = key.QueryStringBuffer(L"Empty");
    ASSERT_NE(value, nullptr);
    EXPECT_STREQ(value, L"");
    value = key.QueryStringBuffer(L"Text");
    ASSERT_NE(value, nullptr);
    EXPECT_STREQ(value, L"hello");
    value = key.QueryStringBuffer(L"Long");
    ASSERT_NE(value, nullptr);
    EXPECT_EQ(std::wstring(value), longText);
    EXPECT_EQ(key.QueryStringBuffer(L"Missing"), nullptr);
    EXPECT_EQ(key.GetError(), ERROR_FILE_NOT_FOUND);
    EXPECT_EQ(key.QueryStringBuffer(L"One"), nullptr);
}

TEST_F(Registry, WritesKeepTheirTypes) {
    ZtRegistry key(HKEY_CURRENT_USER, kTestPath.c_str(), false, KEY_ALL_ACCESS);
    EXPECT_TRUE(key.SetDWORD(L"Number", 42));
    EXPECT_TRUE(key.SetString(L"Expand", L"%TEMP%\\x", REG_EXPAND_SZ));
    EXPECT_FALSE(key.SetString(L"Binary", L"x", REG_BINARY));
    EXPECT_EQ(key.GetError(), ERROR_DATATYPE_MISMATCH);
    EXPECT_FALSE(key.SetString(L"Null", nullptr));
    EXPECT_EQ(key.GetError(), ERROR_INVALID_DATA);

    DWORD number = 0;
    EXPECT_TRUE(key.QueryDWORD(L"Number", &number));
    EXPECT_EQ(number, 42u);
    const wchar_t* expand = key.QueryStringBuffer(L"Expand");
    ASSERT_NE(expand, nullptr);
    EXPECT_STREQ(expand, L"%TEMP%\\x") << "returned unexpanded";
    EXPECT_TRUE(key.DeleteValue(L"Number"));
    EXPECT_FALSE(key.QueryDWORD(L"Number", &number));
}

TEST_F(Registry, DeletionOnlyIfEmptyRefusesKeysWithContents) {
    ZtRegistry key(HKEY_CURRENT_USER, kTestPath.c_str(), false, KEY_ALL_ACCESS);
    auto child = key.OpenSubKey(L"WithValue", true);
    ASSERT_TRUE(child);
    child->SetDWORD(L"v", 1);
    child.reset();
    EXPECT_FALSE(key.DeleteSubKey(L"WithValue", true));
    EXPECT_EQ(key.GetError(), ERROR_KEY_HAS_CHILDREN);
    EXPECT_TRUE(key.DeleteSubKey(L"WithValue", false));

    ASSERT_TRUE(key.OpenSubKey(L"Parent\\Child", true));
    EXPECT_FALSE(key.DeleteSubKey(L"Parent", true));
    EXPECT_EQ(key.GetError(), ERROR_KEY_HAS_CHILDREN);
    EXPECT_FALSE(key.DeleteSubKey(L"NoSuchKey", true));
    EXPECT_EQ(key.GetError(), ERROR_INVALID_FUNCTION);

    auto empty = key.OpenSubKey(L"Empty", true);
    ASSERT_TRUE(empty);
    EXPECT_TRUE(empty->DeleteKey(true));
    EXPECT_FALSE(empty->IsOpen());
    EXPECT_EQ(key.OpenSubKey(L"Empty", false), nullptr);
    EXPECT_EQ(key.GetError(), ERROR_FILE_NOT_FOUND);
}

TEST_F(Registry, TreesGoWithEverythingBelowThem) {
    ZtRegistry key(HKEY_CURRENT_USER, kTestPath.c_str(), false, KEY_ALL_ACCESS);
    for (const wchar_t* path : {L"Tree\\A\\A1", L"Tree\\A\\A2", L"Tree\\B", L"Tree2\\X\\Y"})
        ASSERT_TRUE(key.OpenSubKey(path, true)) << path;
    key.OpenSubKey(L"Tree\\A", false)->SetString(L"v", L"x");

    ZtRegistry remover;
    EXPECT_TRUE(remover.DeleteTree(key.GetHandle(), L"Tree"));
    EXPECT_EQ(key.OpenSubKey(L"Tree", false), nullptr);

    EXPECT_TRUE(remover.DeleteTree(HKEY_CURRENT_USER, (kTestPath + L"\\Tree2").c_str(), false));
    EXPECT_EQ(remover.GetError(), ERROR_SUCCESS);
    EXPECT_EQ(key.OpenSubKey(L"Tree2", false), nullptr);
    EXPECT_FALSE(remover.DeleteTree(HKEY_CURRENT_USER, (kTestPath + L"\\Tree2").c_str(), false));
}

namespace {
struct Walk {
    std::set<std::wstring> names;
    std::size_t stopAfter = 1000;
};
int CollectSubKey(const Zt::ZtRegistrySubKey& subKey, void* user) {
    auto& walk = *static_cast<Walk*>(user);
    walk.names.insert(subKey.name);
    return walk.names.size() < walk.stopAfter ? 1 : 0;
}
int CollectValue(const Zt::ZtRegistryValue& value, void* user) {
    auto& walk = *static_cast<Walk*>(user);
    walk.names.insert(value.name);
    return walk.names.size() < walk.stopAfter ? 1 : 0;
}
} // namespace

TEST_F(Registry, EnumerationVisitsEveryEntryUntilTheCallbackStops) {
    ZtRegistry key(HKEY_CURRENT_USER, kTestPath.c_str(), false, KEY_ALL_ACCESS);
    for (const wchar_t* name : {L"K1", L"K2", L"K3"})
        key.OpenSubKey(name, true);
    EXPECT_EQ(key.GetSubKeyCount(), 3u);
    EXPECT_TRUE(key.HasSubKeys());
    EXPECT_EQ(key.GetValueCount(), 4u);
    EXPECT_EQ(key.GetMaxValueNameLen(), 5u);

    Walk all;
    EXPECT_TRUE(key.ForEachSubKey(CollectSubKey, &all));
    EXPECT_EQ(all.names, (std::set<std::wstring>{L"K1", L"K2", L"K3"}));
    Walk first;
    first.stopAfter = 1;
    key.ForEachSubKey(CollectSubKey, &first);
    EXPECT_EQ(first.names.size(), 1u);

    Walk values;
    key.ForEachValue(CollectValue, &values);
    EXPECT_EQ(values.names, (std::set<std::wstring>{L"Text", L"Empty", L"One", L"Two"}));

    ZtRegistry closed;
    Walk none;
    EXPECT_TRUE(closed.ForEachSubKey(CollectSubKey, &none));
    EXPECT_EQ(closed.GetError(), ERROR_INVALID_FUNCTION);
    EXPECT_TRUE(none.names.empty());
}

TEST_F(Registry, ConnectAddsTheMissingBackslashes) {
    wchar_t computer[MAX_COMPUTERNAME_LENGTH + 1] = {};
    DWORD length = MAX_COMPUTERNAME_LENGTH + 1;
    ASSERT_TRUE(::GetComputerNameW(computer, &length));
    for (const std::wstring& name :
         {std::wstring(computer), L"\\" + std::wstring(computer), L"\\\\" + std::wstring(computer)}) {
        ZtRegistry key;
        EXPECT_TRUE(key.Connect(name.c_str(), HKEY_CURRENT_USER)) << "error " << key.GetError();
        EXPECT_TRUE(key.IsRemote());
    }
    ZtRegistry key;
    EXPECT_FALSE(key.Connect(nullptr, HKEY_CURRENT_USER));
    ASSERT_TRUE(key.ConnectAndOpen(computer, HKEY_CURRENT_USER, kTestPath.c_str(), false, KEY_READ));
    DWORD one = 0;
    EXPECT_TRUE(key.QueryDWORD(L"One", &one));
    EXPECT_TRUE(key.Close());
    EXPECT_FALSE(key.IsRemote());
}
