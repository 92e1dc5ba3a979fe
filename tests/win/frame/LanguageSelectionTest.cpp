// The language selection of the per-call frame and the open-dialog slots of the module state.
#include "frame/ModuleState.h"
#include "resource.h"
#include "win/Dialog.h"
#include "win/ResourceModule.h"
#include "TestSupport.h"

#include <gtest/gtest.h>
#include <vector>

using namespace testing_support;

namespace {

class LanguageSelection : public ::testing::Test {
protected:
    ~LanguageSelection() override {
        win::SetResourceHandle(original);
        if (state.LanguageLibrary())
            ::FreeLibrary(state.LanguageLibrary());
    }
    void Provide(const wchar_t* fixture) { ASSERT_TRUE(CopyFixture(fixture, dir.Path())); }
    // Selects like the frame does and reads row 129 from whatever is selected then.
    std::wstring TitleFor(LCID lcid) {
        win::ScopedResourceHandle restore(win::ResourceHandle());
        state.SelectLanguageResources(lcid);
        return win::LoadResString(IDS_DIAGNOSE_TITLE);
    }

    HINSTANCE original = win::ResourceHandle();
    TempDirectory dir;
    ModuleState state{L"ZtFixture", dir.Path()};
};

} // namespace

TEST_F(LanguageSelection, FirstCallWithLanguageZeroLoadsNothing) {
    Provide(L"ZtFixtureDEU.LNG");
    EXPECT_EQ(state.SelectLanguageResources(0), nullptr);
    EXPECT_EQ(state.Languages().LoadAttempts(), 0u);
    EXPECT_EQ(win::ResourceHandle(), original);
    EXPECT_EQ(win::LoadResString(IDS_DIAGNOSE_TITLE), L"Vistral Diagnose") << "the module's own German text";
}

TEST_F(LanguageSelection, SameLanguageTwiceLooksOnce) {
    EXPECT_EQ(TitleFor(0x040C), L"Vistral Diagnose");
    const unsigned attempts = state.Languages().LoadAttempts();
    EXPECT_GT(attempts, 0u);
    Provide(L"ZtFixtureFRA.LNG");
    EXPECT_EQ(TitleFor(0x040C), L"Vistral Diagnose") << "a library that appears later is not looked for";
    EXPECT_EQ(state.Languages().LoadAttempts(), attempts);
    EXPECT_EQ(state.CurrentLanguage(), 0x040Cu);
}

TEST_F(LanguageSelection, FailedLanguageAfterALoadedOneKeepsTheEarlier) {
    Provide(L"ZtFixtureDEU.LNG");
    EXPECT_EQ(TitleFor(0x0407), L"DEU fixture");
    EXPECT_EQ(TitleFor(0x0411), L"DEU fixture");
    const unsigned attempts = state.Languages().LoadAttempts();
    EXPECT_EQ(TitleFor(0x0411), L"DEU fixture");
    EXPECT_EQ(state.Languages().LoadAttempts(), attempts);
}

TEST_F(LanguageSelection, SwissGermanFallsBackToGerman) {
    Provide(L"ZtFixtureDEU.LNG");
    EXPECT_EQ(TitleFor(0x0807), L"DEU fixture");
    EXPECT_EQ(state.Languages().LoadedLanguage(), 0x0407u);
    EXPECT_EQ(state.CurrentLanguage(), 0x0807u) << "the current language is the one asked for";
}

TEST_F(LanguageSelection, OnlyEnglishPresentEndsInEnglish) {
    Provide(L"ZtFixtureENU.LNG");
    EXPECT_EQ(TitleFor(0x0407), L"ENU fixture");
}

TEST_F(LanguageSelection, AnswersThePreviousResourceSource) {
    Provide(L"ZtFixtureDEU.LNG");
    win::ScopedResourceHandle restore(original);
    EXPECT_EQ(state.SelectLanguageResources(0x0407), original);
    EXPECT_EQ(win::ResourceHandle(), state.LanguageLibrary());
    EXPECT_EQ(state.SelectLanguageResources(0x0407), state.LanguageLibrary());
}

namespace {

// A modeless dialog that records the close message.
class RecordingDialog : public win::Dialog {
public:
    RecordingDialog(std::vector<std::wstring>& log, std::wstring name)
        : Dialog(IDD_DIAGNOSE_DETAILS), m_log(log), m_name(std::move(name)) {}

protected:
    bool OnMessage(UINT message, WPARAM, LPARAM, LRESULT& result) override {
        if (message != ::RegisterWindowMessageW(kCloseMessageName))
            return false;
        m_log.push_back(m_name);
        result = 1;
        return true;
    }

private:
    std::vector<std::wstring>& m_log;
    std::wstring m_name;
};

} // namespace

TEST(OpenDialogSlots, CloseMessageIsRegisteredAlsoWithNothingOpen) {
    ModuleState state(L"ZtFixture");
    EXPECT_EQ(state.CloseMessage(), 0u);
    state.CloseOpenDialogs();
    EXPECT_EQ(state.CloseMessage(), ::RegisterWindowMessageW(L"B424407D-3EDF-4AF5-842B-D35991C5583E"));
}

TEST(OpenDialogSlots, CloseMessageReachesTheInformationDialogFirst) {
    ModuleState state(L"ZtFixture");
    std::vector<std::wstring> log;
    RecordingDialog info(log, L"info"), diagnose(log, L"diagnose");
    ASSERT_TRUE(info.Create());
    ASSERT_TRUE(diagnose.Create());
    state.infoDialogSlot = &info;
    state.diagnoseDialogSlot = &diagnose;
    state.CloseOpenDialogs();
    EXPECT_EQ(log, (std::vector<std::wstring>{L"info", L"diagnose"}));

    state.infoDialogSlot = nullptr;
    state.CloseOpenDialogs();
    EXPECT_EQ(log.back(), L"diagnose");
    EXPECT_EQ(log.size(), 3u);
}
