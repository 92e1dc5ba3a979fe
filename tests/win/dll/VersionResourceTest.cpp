// What Explorer, installers and hosts read from every file of the kit: maker, product, language,
// and the version that the header's macros name.
#include "TestSupport.h"
#include "ZtServiceMsg.h"
#include "ZtVersion.h"

#include <gtest/gtest.h>
#include <cwchar>

using namespace testing_support;

TEST(VersionResource, EveryKitFileNamesMakerProductVersionAndLanguage) {
    const std::pair<const wchar_t*, WORD> files[] = {{L"ZtServiceMsg.dll", 0x0407},
                                                     {L"ZtServiceMsgDEU.LNG", 0x0407},
                                                     {L"ZtServiceMsgENU.LNG", 0x0409},
                                                     {L"ZtGenericEventLogx.dll", 0x0409},
                                                     {L"zthost.exe", 0x0409}};
    const std::wstring version =
        std::to_wstring(ZTSERVICEMSG_VERSION_MAJOR) + L"." + std::to_wstring(ZTSERVICEMSG_VERSION_MINOR) +
        L"." + std::to_wstring(ZTSERVICEMSG_VERSION_PATCH) + L"." + std::to_wstring(ZT_VERSION_BUILD);
    const DWORD high = MAKELONG(ZTSERVICEMSG_VERSION_MINOR, ZTSERVICEMSG_VERSION_MAJOR);
    const DWORD low = MAKELONG(ZT_VERSION_BUILD, ZTSERVICEMSG_VERSION_PATCH);
    for (const auto& [file, language] : files) {
        SCOPED_TRACE(testing::Message() << static_cast<int>(language) << " " << file);
        const std::wstring path = BinDirectory() + file;
        std::vector<BYTE> info(::GetFileVersionInfoSizeW(path.c_str(), nullptr));
        ASSERT_FALSE(info.empty());
        ASSERT_TRUE(::GetFileVersionInfoW(path.c_str(), 0, static_cast<DWORD>(info.size()), info.data()));
        VS_FIXEDFILEINFO* fixed = nullptr;
        DWORD* translation = nullptr;
        UINT length = 0;
        ASSERT_TRUE(::VerQueryValueW(info.data(), L"\\", reinterpret_cast<void**>(&fixed), &length));
        EXPECT_EQ(std::tuple(fixed->dwFileVersionMS, fixed->dwFileVersionLS, fixed->dwProductVersionMS,
                             fixed->dwProductVersionLS),
                  std::tuple(high, low, high, low));
        ASSERT_TRUE(::VerQueryValueW(info.data(), L"\\VarFileInfo\\Translation",
                                     reinterpret_cast<void**>(&translation), &length));
        EXPECT_EQ(translation[0], MAKELONG(language, 1200));
        wchar_t block[32];
        std::swprintf(block, 32, L"\\StringFileInfo\\%04X04B0\\", language);
        std::wstring texts; // the string values, each ended by "|"; a missing or empty one stays empty
        for (const wchar_t* name :
             {L"CompanyName", L"ProductName", L"OriginalFilename", L"FileVersion", L"ProductVersion"}) {
            void* value = nullptr;
            texts += ::VerQueryValueW(info.data(), (block + std::wstring(name)).c_str(), &value, &length)
                         ? static_cast<const wchar_t*>(value)
                         : L"";
            texts += L"|";
        }
        EXPECT_EQ(texts, L"Morvane|Vistral|" + std::wstring(file) + L"|" + version + L"|" + version + L"|");
    }
}
