// What Explorer and installers read from every file of the kit: maker, product, version, language.
#include "TestSupport.h"
#include "ZtVersion.h"

#include <gtest/gtest.h>
#include <cwchar>

using namespace testing_support;

namespace {

std::wstring Text(const std::vector<BYTE>& info, const std::wstring& block, const wchar_t* name) {
    void* value = nullptr;
    UINT length = 0;
    if (!::VerQueryValueW(info.data(), (block + name).c_str(), &value, &length) || length == 0)
        return L"";
    return static_cast<const wchar_t*>(value);
}

} // namespace

TEST(VersionResource, EveryKitFileNamesMakerProductVersionAndLanguage) {
    const struct {
        const wchar_t* file;
        WORD language;
    } files[] = {{L"ZtServiceMsg.dll", 0x0407},
                 {L"ZtServiceMsgDEU.LNG", 0x0407},
                 {L"ZtServiceMsgENU.LNG", 0x0409},
                 {L"ZtGenericEventLogx.dll", 0x0409},
                 {L"zthost.exe", 0x0409}};
    const std::wstring version = L"5.0.0." + std::to_wstring(ZT_VERSION_BUILD);
    for (const auto& expected : files) {
        SCOPED_TRACE(testing::Message() << static_cast<int>(expected.language) << " " << expected.file);
        const std::wstring path = BinDirectory() + expected.file;
        std::vector<BYTE> info(::GetFileVersionInfoSizeW(path.c_str(), nullptr));
        ASSERT_FALSE(info.empty());
        ASSERT_TRUE(::GetFileVersionInfoW(path.c_str(), 0, static_cast<DWORD>(info.size()), info.data()));
        VS_FIXEDFILEINFO* fixed = nullptr;
        DWORD* translation = nullptr;
        UINT length = 0;
        ASSERT_TRUE(::VerQueryValueW(info.data(), L"\\", reinterpret_cast<void**>(&fixed), &length));
        EXPECT_EQ(fixed->dwFileVersionMS, 0x00050000u);
        EXPECT_EQ(fixed->dwFileVersionLS, static_cast<DWORD>(ZT_VERSION_BUILD));
        EXPECT_EQ(fixed->dwProductVersionMS, 0x00050000u);
        EXPECT_EQ(fixed->dwProductVersionLS, static_cast<DWORD>(ZT_VERSION_BUILD));
        ASSERT_TRUE(::VerQueryValueW(info.data(), L"\\VarFileInfo\\Translation",
                                     reinterpret_cast<void**>(&translation), &length));
        EXPECT_EQ(translation[0], MAKELONG(expected.language, 1200));
        wchar_t block[32];
        std::swprintf(block, 32, L"\\StringFileInfo\\%04X04B0\\", expected.language);
        EXPECT_EQ(Text(info, block, L"CompanyName"), L"Morvane");
        EXPECT_EQ(Text(info, block, L"ProductName"), L"Vistral");
        EXPECT_EQ(Text(info, block, L"OriginalFilename"), expected.file);
        EXPECT_EQ(Text(info, block, L"FileVersion"), version);
        EXPECT_EQ(Text(info, block, L"ProductVersion"), version);
        EXPECT_NE(Text(info, block, L"FileDescription"), L"");
    }
}
