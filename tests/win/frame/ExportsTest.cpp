// The exports as a host calls them, linked into this program so that the module state can be
// seen from inside: language selection across calls, restoring the resource source, and bad
// arguments.
#include "ZtServiceMsg.h"
#include "frame/ModuleState.h"
#include "resource.h"
#include "win/ResourceModule.h"
#include "TestSupport.h"

#include <gtest/gtest.h>

using namespace testing_support;

namespace {

// Calls NotifyMsgBoxTmp and answers what the box showed; the box is closed from inside its loop.
SeenMessageBox Notify(LCID lcid, UINT textId, UINT captionId, UINT style) {
    SeenMessageBox seen;
    ReadAndCloseNextMessageBox(seen, 100);
    EXPECT_EQ(NotifyMsgBoxTmp(lcid, textId, captionId, style, 0xDEADBEEF), 0);
    return seen;
}

class Exports : public ::testing::Test {
protected:
    ~Exports() override {
        DestroyOpenDlg();
        PumpMessages(20);
        win::SetResourceHandle(win::ThisModule());
    }
    // The information dialog blocks its caller: close it from inside its loop.
    static int InfoClosedSoon(UINT captionId, UINT textId, LCID lcid, const char* tag, const char* details) {
        AfterDelay(100, [] { DestroyOpenDlg(); });
        return CreateInfoDlg(0, captionId, textId, lcid, 0, tag, details);
    }
};

} // namespace

TEST_F(Exports, MessageBoxShowsTheRequestedLanguageAndPutsTheResourcesBack) {
    win::SetResourceHandle(win::ThisModule());
    SeenMessageBox english = Notify(0x0409, IDS_ERROR_OCCURRED, IDS_PROJECT_MANAGER, MB_OK | MB_ICONWARNING);
    EXPECT_TRUE(english.shown);
    EXPECT_EQ(english.title, L"Vistral Project Manager");
    EXPECT_EQ(english.text, L"An error has occurred.");
    EXPECT_EQ(win::ResourceHandle(), win::ThisModule());

    SeenMessageBox german = Notify(0x0407, IDS_ERROR_OCCURRED, IDS_PROJECT_MANAGER, MB_YESNO);
    EXPECT_EQ(german.title, L"Vistral Projektmanager");
    EXPECT_EQ(german.text, L"Ein Fehler ist aufgetreten.");
    EXPECT_TRUE(german.hasYes) << "the caller's style reaches the box";
    EXPECT_EQ(win::ResourceHandle(), win::ThisModule());
}

TEST_F(Exports, MissingRowsGiveAnEmptyBoxAllTheSame) {
    SeenMessageBox box = Notify(0x0407, 4711, 4712, MB_OK);
    EXPECT_TRUE(box.shown);
    EXPECT_EQ(box.title, L"");
    EXPECT_EQ(box.text, L"");
}

TEST_F(Exports, ViewerKeepsItsLanguageSelectedAndTheNextCallPutsItBack) {
    win::SetResourceHandle(win::ThisModule());
    EXPECT_EQ(CreateDiagnoseDlg(0x0409, nullptr), 0);
    HMODULE english = TheModule().LanguageLibrary();
    ASSERT_NE(english, nullptr);
    EXPECT_EQ(win::ResourceHandle(), english);
    EXPECT_EQ(win::LoadResString(IDS_DIAGNOSE_TITLE), L"Vistral Diagnostics");

    // The information dialog's call takes the viewer's language as the previous source.
    EXPECT_EQ(InfoClosedSoon(IDS_PROJECT_MANAGER, IDS_ERROR_OCCURRED, 0x0407, "tag", "details"), 0);
    EXPECT_EQ(win::ResourceHandle(), english);
    EXPECT_EQ(TheModule().CurrentLanguage(), 0x0407u);
}

TEST_F(Exports, BadTextPointersAreHarmless) {
    EXPECT_EQ(InfoClosedSoon(0, 0, 0x0407, nullptr, nullptr), 0);
    EXPECT_EQ(InfoClosedSoon(0, 0, 0x0407, reinterpret_cast<const char*>(1), ""), 0);
    EXPECT_EQ(CreateDiagnoseDlg(0x0407, nullptr), 0);
    EXPECT_EQ(CreateDiagnoseDlg(0x0407, ""), 0);
    EXPECT_EQ(CreateDiagnoseDlg(0x0407, reinterpret_cast<const char*>(0xFFFF)), 0);
}

TEST_F(Exports, DestroyOpenDlgWithNothingOpenRegistersTheMessage) {
    EXPECT_EQ(DestroyOpenDlg(), 0);
    EXPECT_EQ(TheModule().CloseMessage(), ::RegisterWindowMessageW(L"B424407D-3EDF-4AF5-842B-D35991C5583E"));
    EXPECT_EQ(DestroyOpenDlg(), 0);
}
