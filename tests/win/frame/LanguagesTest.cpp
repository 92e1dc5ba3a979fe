// Language libraries: the frame's selection across calls with the fallback chain, the search
// places, and the close message of the open-dialog slots. The marker libraries' row 129 names
// the file it comes from.
#include "frame/ModuleState.h"
#include "resource.h"
#include "win/Dialog.h"
#include "win/ResourceModule.h"
#include "TestSupport.h"

#include <gtest/gtest.h>

using namespace testing_support;

TEST(LanguageSelection, FallsBackLooksOncePerLanguageAndKeepsWhatLoadedLast) {
    struct Step {
        const wchar_t* provide; // a marker library put beside the module before the step
        LCID lcid;
        const wchar_t* title;
        unsigned lookups; // library files looked for in this step
        LCID loaded;      // the language whose library is held afterwards (0: none)
    };
    const Step steps[] = {
        {nullptr, 0, L"Vistral Diagnose", 0, 0}, // 0 is the initial language: the module's own German
        {nullptr, 0x040C, L"Vistral Diagnose", 3, 0},             // FRA, FRA again, ENU: none there
        {L"FRA", 0x040C, L"Vistral Diagnose", 0, 0},              // a library that appears later is not seen
        {L"DEU", 0x0807, L"DEU fixture", 2, 0x0407},              // Swiss German falls back to German
        {nullptr, 0x0411, L"DEU fixture", 3, 0x0407},             // nothing for Japanese: German stays
        {nullptr, 0x0411, L"DEU fixture", 0, 0x0407},
        {nullptr, 0x00010407, L"DEU fixture", 1, 0x00010407},     // the sort bits stay for the request
        {L"ENU", 0x0411, L"ENU fixture", 3, 0x0409},              // JPN twice, then English
        {nullptr, 0x040C, L"FRA fixture", 1, 0x040C},
    };
    const HINSTANCE original = win::ResourceHandle();
    TempDirectory dir;
    ModuleState state(L"ZtFixture", dir.Path());
    for (const Step& step : steps) {
        if (step.provide)
            ASSERT_TRUE(CopyFixture(L"ZtFixture" + std::wstring(step.provide) + L".LNG", dir.Path()));
        const unsigned before = state.Languages().LoadAttempts();
        win::ScopedResourceHandle restore(original);
        const HINSTANCE previous = state.SelectLanguageResources(step.lcid);
        EXPECT_EQ(win::LoadResString(IDS_DIAGNOSE_TITLE), step.title) << std::hex << step.lcid;
        EXPECT_EQ(state.Languages().LoadAttempts() - before, step.lookups) << std::hex << step.lcid;
        EXPECT_EQ(state.Languages().LoadedLanguage(), step.loaded);
        EXPECT_EQ(state.CurrentLanguage(), step.lcid);
        EXPECT_EQ(previous, step.loaded ? original : nullptr) << "the previous source, when one was changed";
    }
}

TEST(LanguageList, EveryLibraryStaysMappedIsReusedAndNeverRuns) {
    TempDirectory dir;
    ASSERT_TRUE(CopyFixture(L"ZtFixtureDEU.LNG", dir.Path()));
    ASSERT_TRUE(CopyFixture(L"ZtFixtureFRA.LNG", dir.Path()));
    // A real DLL under a language library's name: its entry point would write the marker file.
    ASSERT_TRUE(CopyFixture(L"Planted.dll", dir.Path(), L"ZtFixtureJPN.LNG"));
    const std::wstring marker = dir.Path() + L"planted-ran.txt";
    ::SetEnvironmentVariableW(L"ZT_PLANTED_MARKER", marker.c_str());
    CMsgLangListEx list(dir.Path());
    const auto load = [&list](LCID lcid, const wchar_t* base) {
        std::wstring name = base;
        HMODULE library = nullptr;
        list.LoadLanguageLibrary(name, lcid, library);
        wchar_t text[64] = {};
        ::LoadStringW(library, IDS_DIAGNOSE_TITLE, text, 64);
        return std::pair{library, std::wstring(text)};
    };
    const auto german = load(0x0407, L"ZtFixture");
    EXPECT_EQ(load(0x040C, L"ZtFixture").second, L"FRA fixture");
    EXPECT_NE(load(0x0411, L"ZtFixture").first, nullptr);
    EXPECT_EQ(::GetFileAttributesW(marker.c_str()), INVALID_FILE_ATTRIBUTES) << "the planted library ran";
    EXPECT_EQ(load(0x0407, L"ZtFixture"), german) << "mapped once, reused";
    EXPECT_EQ(german.second, L"DEU fixture");
    // Not beside the module: the platform's search finds it in the program's directory.
    EXPECT_EQ(load(0x0409, L"ZtServiceMsg").second, L"Vistral Diagnostics");
    ::SetEnvironmentVariableW(L"ZT_PLANTED_MARKER", nullptr);
}

namespace {

// A modeless dialog that writes its name into a log when the close message reaches it.
class RecordingDialog : public win::Dialog {
public:
    RecordingDialog(std::string& log, char name) : Dialog(IDD_DIAGNOSE_DETAILS), m_log(log), m_name(name) {}

protected:
    bool OnMessage(UINT message, WPARAM, LPARAM, LRESULT&) override {
        if (message == ::RegisterWindowMessageW(L"B424407D-3EDF-4AF5-842B-D35991C5583E"))
            m_log += m_name;
        return false;
    }

private:
    std::string& m_log;
    char m_name;
};

} // namespace

TEST(OpenDialogSlots, CloseMessageIsRegisteredAndReachesTheInformationDialogFirst) {
    ModuleState state(L"ZtFixture");
    state.CloseOpenDialogs();
    EXPECT_EQ(state.CloseMessage(), ::RegisterWindowMessageW(L"B424407D-3EDF-4AF5-842B-D35991C5583E"))
        << "registered also with nothing open";
    std::string log;
    RecordingDialog info(log, 'i'), diagnose(log, 'd');
    ASSERT_TRUE(info.Create() && diagnose.Create());
    state.infoDialogSlot = &info;
    state.diagnoseDialogSlot = &diagnose;
    state.CloseOpenDialogs();
    state.infoDialogSlot = nullptr;
    state.CloseOpenDialogs();
    EXPECT_EQ(log, "idd");
}
