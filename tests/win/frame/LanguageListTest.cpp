// Finding and loading language libraries: the fallback chain, the search places, and that a
// library is only ever mapped as resources.
#include "frame/LanguageList.h"
#include "resource.h"
#include "TestSupport.h"

#include <commctrl.h>
#include <gtest/gtest.h>

using namespace testing_support;

namespace {

std::wstring Row(HMODULE library, UINT id) {
    wchar_t text[256] = {};
    ::LoadStringW(library, id, text, 256);
    return text;
}

class LanguageList : public ::testing::Test {
protected:
    ~LanguageList() override {
        if (library)
            ::FreeLibrary(library);
    }
    void Provide(const wchar_t* fixture) { ASSERT_TRUE(CopyFixture(fixture, dir.Path())); }

    TempDirectory dir;
    HMODULE library = nullptr;
    std::wstring name = L"ZtFixture";
};

INT_PTR CALLBACK IgnoreAll(HWND, UINT, WPARAM, LPARAM) { return FALSE; }

} // namespace

TEST_F(LanguageList, RequestedLanguageLoadsAtTheFirstCandidate) {
    Provide(L"ZtFixtureDEU.LNG");
    CMsgLangListEx list(dir.Path());
    EXPECT_TRUE(list.LoadLanguageLibrary(name, 0x0407, library));
    EXPECT_EQ(name, L"ZtFixtureDEU.LNG");
    EXPECT_EQ(list.LoadedLanguage(), 0x0407u);
    EXPECT_EQ(list.LoadAttempts(), 1u);
    EXPECT_EQ(Row(library, IDS_DIAGNOSE_TITLE), L"DEU fixture");
}

TEST_F(LanguageList, RegionalVariantFallsBackToItsPrimaryLanguage) {
    Provide(L"ZtFixtureDEU.LNG");
    Provide(L"ZtFixtureENU.LNG");
    CMsgLangListEx list(dir.Path());
    EXPECT_TRUE(list.LoadLanguageLibrary(name, 0x0807, library));
    EXPECT_EQ(list.LoadedLanguage(), 0x0407u);
    EXPECT_EQ(Row(library, IDS_DIAGNOSE_TITLE), L"DEU fixture");
}

TEST_F(LanguageList, EveryLanguageEndsInEnglishWhenOnlyEnglishIsThere) {
    Provide(L"ZtFixtureENU.LNG");
    for (LCID lcid : {0x0407u, 0x0807u, 0x040Cu, 0x0411u}) {
        CMsgLangListEx list(dir.Path());
        name = L"ZtFixture";
        EXPECT_TRUE(list.LoadLanguageLibrary(name, lcid, library)) << std::hex << lcid;
        EXPECT_EQ(list.LoadedLanguage(), 0x0409u);
        EXPECT_EQ(name, L"ZtFixtureENU.LNG");
        EXPECT_EQ(Row(library, IDS_DIAGNOSE_TITLE), L"ENU fixture");
    }
}

TEST_F(LanguageList, NothingLoadableKeepsTheHandleTheCallerHolds) {
    Provide(L"ZtFixtureDEU.LNG");
    CMsgLangListEx list(dir.Path());
    ASSERT_TRUE(list.LoadLanguageLibrary(name, 0x0407, library));
    HMODULE held = library;

    name = L"ZtFixture";
    EXPECT_FALSE(list.LoadLanguageLibrary(name, 0x040C, library));
    EXPECT_EQ(library, held);
    EXPECT_EQ(list.LoadedLanguage(), 0x0407u);
    EXPECT_EQ(name, L"ZtFixtureENU.LNG") << "the name of the last candidate tried";
    EXPECT_EQ(Row(library, IDS_DIAGNOSE_TITLE), L"DEU fixture");
}

TEST_F(LanguageList, SwitchingLanguagesReplacesTheHandle) {
    Provide(L"ZtFixtureDEU.LNG");
    Provide(L"ZtFixtureFRA.LNG");
    CMsgLangListEx list(dir.Path());
    ASSERT_TRUE(list.LoadLanguageLibrary(name, 0x0407, library));
    name = L"ZtFixture";
    ASSERT_TRUE(list.LoadLanguageLibrary(name, 0x040C, library));
    EXPECT_EQ(list.LoadedLanguage(), 0x040Cu);
    EXPECT_EQ(Row(library, IDS_DIAGNOSE_TITLE), L"FRA fixture");
}

TEST_F(LanguageList, SortIdentifierIsKeptForTheFirstCandidate) {
    Provide(L"ZtFixtureDEU.LNG");
    CMsgLangListEx list(dir.Path());
    // German with phone-book sort: the platform names it DEU as well.
    EXPECT_TRUE(list.LoadLanguageLibrary(name, 0x00010407, library));
    EXPECT_EQ(list.LoadedLanguage(), 0x00010407u);
}

TEST_F(LanguageList, EmptyBaseNameLooksForNothing) {
    Provide(L"ZtFixtureDEU.LNG");
    CMsgLangListEx list(dir.Path());
    name.clear();
    EXPECT_FALSE(list.LoadLanguageLibrary(name, 0x0407, library));
    EXPECT_EQ(list.LoadAttempts(), 0u);
    EXPECT_EQ(library, nullptr);
}

TEST_F(LanguageList, HelpFileNameFollowsTheLoadedLanguage) {
    Provide(L"ZtFixtureDEU.LNG");
    CMsgLangListEx list(dir.Path());
    ASSERT_TRUE(list.LoadLanguageLibrary(name, 0x0807, library));
    std::wstring help = L"ZtServiceMsg";
    EXPECT_TRUE(list.GetHelpFileName(help));
    EXPECT_EQ(help, L"ZtServiceMsgDEU.HLP");
}

TEST_F(LanguageList, PlatformSearchOrderFindsWhatIsNotBesideTheModule) {
    // Nothing in the directory looked at first; the program's own directory holds the
    // product's English library and is on the platform's search path.
    CMsgLangListEx list(dir.Path());
    name = L"ZtServiceMsg";
    EXPECT_TRUE(list.LoadLanguageLibrary(name, 0x0409, library));
    EXPECT_EQ(Row(library, IDS_DIAGNOSE_TITLE), L"Vistral Diagnostics");
}

TEST_F(LanguageList, PlantedLibraryIsNeverRun) {
    // A real DLL under a language library's name: its entry point would write the marker file.
    const std::wstring marker = dir.Path() + L"planted-ran.txt";
    ::SetEnvironmentVariableW(L"ZT_PLANTED_MARKER", marker.c_str());
    ASSERT_TRUE(CopyFixture(L"Planted.dll", dir.Path(), L"ZtFixtureDEU.LNG"));
    CMsgLangListEx list(dir.Path());
    list.LoadLanguageLibrary(name, 0x0407, library);
    EXPECT_NE(library, nullptr);
    EXPECT_EQ(::GetFileAttributesW(marker.c_str()), INVALID_FILE_ATTRIBUTES);
    ::SetEnvironmentVariableW(L"ZT_PLANTED_MARKER", nullptr);
}

TEST_F(LanguageList, EveryKindOfResourceLoadsFromAResourceOnlyMapping) {
    CMsgLangListEx list;
    name = L"ZtServiceMsg";
    ASSERT_TRUE(list.LoadLanguageLibrary(name, 0x0409, library));

    EXPECT_EQ(Row(library, IDS_UNKNOWN), L"Unknown");
    EXPECT_NE(::LoadIconW(library, MAKEINTRESOURCEW(IDI_DIAGNOSE)), nullptr);
    HACCEL accelerators = ::LoadAcceleratorsW(library, MAKEINTRESOURCEW(IDR_DETAILS_ACCELERATORS));
    EXPECT_NE(accelerators, nullptr);
    EXPECT_EQ(::CopyAcceleratorTableW(accelerators, nullptr, 0), 2);

    for (UINT id : {IDB_WARNING_SYMBOL, IDB_DOCUMENT_SYMBOL}) {
        HRSRC png = ::FindResourceW(library, MAKEINTRESOURCEW(id), L"PNG");
        ASSERT_NE(png, nullptr);
        const auto* bytes = static_cast<const unsigned char*>(::LockResource(::LoadResource(library, png)));
        ASSERT_NE(bytes, nullptr);
        EXPECT_EQ(bytes[1], 'P');
        EXPECT_EQ(bytes[2], 'N');
        EXPECT_EQ(bytes[3], 'G');
    }

    INITCOMMONCONTROLSEX controls{sizeof(controls), ICC_WIN95_CLASSES};
    ::InitCommonControlsEx(&controls);
    for (UINT id : {IDD_DIAGNOSE, IDD_DIAGNOSE_DETAILS, IDD_VISTRAL_INFO}) {
        HWND dialog = ::CreateDialogParamW(library, MAKEINTRESOURCEW(id), nullptr, IgnoreAll, 0);
        ASSERT_NE(dialog, nullptr) << id;
        EXPECT_NE(WindowText(dialog), L"");
        ::DestroyWindow(dialog);
    }
}
