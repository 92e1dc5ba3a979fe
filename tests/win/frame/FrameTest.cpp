// The module frame as a host meets it, linked into this program so that the module state can be
// seen from inside: language selection with its fallbacks across calls, the message box's
// texts and style, and the language an open viewer keeps while other calls come and go. The
// marker libraries' row 129 names the file it comes from.
#include "ZtServiceMsg.h"
#include "frame/ModuleState.h"
#include "resource.h"
#include "viewer/DiagnoseDlg.h"
#include "viewer/ViewerSettings.h"
#include "viewer/ViewerText.h"
#include "win/ResourceModule.h"
#include "TestSupport.h"

#include <commctrl.h>
#include <fstream>
#include <gtest/gtest.h>

using namespace testing_support;

TEST(LanguageSelection, FallsBackLooksOncePerLanguageKeepsWhatLoadedLastAndRunsNothing) {
    // A file of bin/fixtures put beside the module (under the second name when one is given), the
    // language asked for, the title then shown, the library files looked for in the step, and the
    // language whose library is held afterwards (0: none).
    const std::tuple<const wchar_t*, const wchar_t*, LCID, const wchar_t*, unsigned, LCID> steps[] = {
        {nullptr, nullptr, 0, L"Vistral Diagnose", 0, 0}, // 0, the initial language: the module's own German
        {nullptr, nullptr, 0x040C, L"Vistral Diagnose", 3, 0},             // FRA, FRA again, ENU: none there
        {L"ZtFixtureFRA.LNG", nullptr, 0x040C, L"Vistral Diagnose", 0, 0}, // not looked for again
        {L"ZtFixtureDEU.LNG", nullptr, 0x0807, L"DEU fixture", 2, 0x0407}, // Swiss German falls back
        {nullptr, nullptr, 0x0411, L"DEU fixture", 3, 0x0407},         // nothing for Japanese: German stays
        {nullptr, nullptr, 0x00010407, L"DEU fixture", 1, 0x00010407}, // the sort bits stay for the request
        {nullptr, nullptr, 0x00010C07, L"DEU fixture", 1, 0x0407},     // no such sort: the fallback drops it
        {L"ZtFixtureENU.LNG", nullptr, 0x0411, L"ENU fixture", 3, 0x0409}, // JPN twice, then English
        {nullptr, nullptr, 0x040C, L"FRA fixture", 1, 0x040C},
        {nullptr, nullptr, 0x0807, L"DEU fixture", 2, 0x0407}, // the German library again, still mapped
        // A real DLL under a language library's name: mapped as resources only, its entry point
        // (which would write the marker file) never runs.
        {L"Planted.dll", L"ZtFixtureITA.LNG", 0x0410, L"", 1, 0x0410},
    };
    TempDirectory dir;
    const std::wstring marker = dir.Path() + L"planted-ran.txt";
    ::SetEnvironmentVariableW(L"ZT_PLANTED_MARKER", marker.c_str());
    const HINSTANCE original = win::ResourceHandle();
    ModuleState state(L"ZtFixture", dir.Path());
    for (const auto& [provide, as, lcid, title, lookups, loaded] : steps) {
        ASSERT_TRUE(!provide || CopyFixture(provide, dir.Path(), as ? as : L""));
        const unsigned before = state.Languages().LoadAttempts();
        win::ScopedResourceHandle restore(original);
        const HINSTANCE previous = state.SelectLanguageResources(lcid);
        EXPECT_EQ(std::tuple(win::LoadResString(IDS_DIAGNOSE_TITLE),
                             state.Languages().LoadAttempts() - before, state.Languages().LoadedLanguage(),
                             state.CurrentLanguage(), previous),
                  std::tuple(title, lookups, loaded, lcid, loaded ? original : nullptr))
            << std::hex << lcid; // the previous resource source is answered when one was changed
    }
    EXPECT_EQ(::GetFileAttributesW(marker.c_str()), INVALID_FILE_ATTRIBUTES) << "the planted library ran";
    ::SetEnvironmentVariableW(L"ZT_PLANTED_MARKER", nullptr);

    // Nothing beside the module: the platform's search finds the product's library in the
    // program's directory.
    ModuleState product(L"ZtServiceMsg", dir.Path());
    win::ScopedResourceHandle restore(original);
    product.SelectLanguageResources(0x0409);
    EXPECT_EQ(win::LoadResString(IDS_DIAGNOSE_TITLE), L"Vistral Diagnostics");
    product.CloseOpenDialogs();
    EXPECT_EQ(product.CloseMessage(), ::RegisterWindowMessageW(L"B424407D-3EDF-4AF5-842B-D35991C5583E"))
        << "the close message is registered also with nothing open";
}

// A language library of another release is used as it is, whatever its version: what it has
// shows, the viewer's texts and any dialog it lacks come from the module's German, and a row a
// host names that it lacks is empty text.
TEST(LanguageSelection, ALibraryOfAnotherReleaseGivesWhatItHasAndTheModulesGermanTheRest) {
    win::UniqueModule english(::LoadLibraryExW((BinDirectory() + L"fixtures\\ZtFixtureENU.LNG").c_str(),
                                               nullptr,
                                               LOAD_LIBRARY_AS_DATAFILE | LOAD_LIBRARY_AS_IMAGE_RESOURCE));
    ASSERT_TRUE(english);
    win::ScopedResourceHandle source(english.get());
    EXPECT_EQ(std::tuple(ViewerText(IDS_DIAGNOSE_TITLE), ViewerText(IDS_MENU_FIND), win::LoadResString(5000),
                         win::FindResourceHandle(MAKEINTRESOURCEW(IDD_DIAGNOSE), MAKEINTRESOURCEW(5))),
              std::tuple(L"ENU fixture", L"&Suchen...\tStrg+F", L"", win::ThisModule()));
}

// What reached MessageBoxW: the platform's box gives nothing of its style back, so this
// program's import of MessageBoxW points at this recorder while a test runs. No box shows.
struct SeenBox {
    HWND owner = nullptr;
    std::wstring text, caption;
    UINT style = 0;
};
static SeenBox g_box;

static int WINAPI RecordMessageBox(HWND owner, LPCWSTR text, LPCWSTR caption, UINT style) {
    g_box = {owner, text, caption, style};
    return IDOK;
}

class Exports : public ::testing::Test {
protected:
    // The entry of this program's import address table that holds MessageBoxW.
    void SetUp() override {
        auto* base = reinterpret_cast<BYTE*>(::GetModuleHandleW(nullptr));
        const auto* nt =
            reinterpret_cast<IMAGE_NT_HEADERS*>(base + reinterpret_cast<IMAGE_DOS_HEADER*>(base)->e_lfanew);
        const IMAGE_DATA_DIRECTORY& table = nt->OptionalHeader.DataDirectory[IMAGE_DIRECTORY_ENTRY_IAT];
        for (DWORD offset = 0; offset < table.Size && !m_slot; offset += sizeof(void*))
            if (*reinterpret_cast<void**>(base + table.VirtualAddress + offset) == m_real)
                m_slot = reinterpret_cast<void**>(base + table.VirtualAddress + offset);
        DWORD protection = 0;
        ASSERT_TRUE(m_slot && ::VirtualProtect(m_slot, sizeof(void*), PAGE_READWRITE, &protection));
        *m_slot = reinterpret_cast<void*>(&RecordMessageBox);
    }
    void TearDown() override {
        if (m_slot)
            *m_slot = m_real;
        DestroyOpenDlg();
        win::SetResourceHandle(win::ThisModule());
    }
    void* m_real =
        reinterpret_cast<void*>(::GetProcAddress(::GetModuleHandleW(L"user32.dll"), "MessageBoxW"));
    void** m_slot = nullptr;
};

TEST_F(Exports, MessageBoxShowsTheLanguagesRowsWithTheCallersStyleBroughtToTheFront) {
    // The language, text row, caption row and style asked for; the text, caption and style shown.
    const std::tuple<LCID, UINT, UINT, UINT, const wchar_t*, const wchar_t*, UINT> cases[] = {
        {0x0409, 5001, 5000, MB_OK | MB_ICONWARNING, L"An error has occurred.", L"Vistral Project Manager",
         0x10030},
        {0x0407, 5001, 5000, MB_YESNO | MB_ICONERROR, L"Ein Fehler ist aufgetreten.",
         L"Vistral Projektmanager", 0x10014},
        {0x0407, 4711, 4712, MB_SETFOREGROUND | MB_ICONINFORMATION | MB_DEFBUTTON2, L"", L"", 0x10140},
    };
    for (const auto& [lcid, textId, captionId, style, text, caption, shownStyle] : cases) {
        win::SetResourceHandle(win::ThisModule());
        g_box = {HWND(1), {}, {}, 0};
        EXPECT_EQ(NotifyMsgBoxTmp(lcid, textId, captionId, style, 0xDEADBEEF), 0);
        EXPECT_EQ(std::tuple(g_box.owner, g_box.text, g_box.caption, g_box.style),
                  std::tuple(HWND(nullptr), text, caption, shownStyle));
        EXPECT_EQ(win::ResourceHandle(), win::ThisModule()) << "the previous resources are put back";
    }
}

TEST_F(Exports, OpenViewerKeepsItsLanguageThroughACallInAnother) {
    TempDirectory dir;
    const std::string host(1100, 'H'); // longer than any fixed buffer for an item's text
    const std::wstring path = dir.Path() + L"Events.log";
    std::ofstream(path.c_str()) << "05.12.2026 08:00:00   Host=\"" << host
                                << "\" Process=\"P.EXE\" Traceclass=\"2\"\r\n";
    // A viewer as it opens the first time: another program's (a host's, a bench's) kept choices
    // would group it otherwise.
    ::RegDeleteKeyW(HKEY_CURRENT_USER, viewer::kChoicesKey);
    EXPECT_EQ(CreateDiagnoseDlg(0x0409, std::string(path.begin(), path.end()).c_str()), 0);
    auto* viewer = static_cast<CDiagnoseDlg*>(TheModule().diagnoseDialogSlot.Get());
    ASSERT_NE(viewer, nullptr);
    ASSERT_TRUE(PumpUntil([&] { return !viewer->Reading(); }, 10000));
    const HINSTANCE english = win::ResourceHandle();
    EXPECT_EQ(win::LoadResString(IDS_DIAGNOSE_TITLE), L"Vistral Diagnostics")
        << "still selected after the call";

    // German for the message box only: the viewer's English comes back, still mapped.
    EXPECT_EQ(NotifyMsgBoxTmp(0x0407, 5001, 5000, MB_OK, 0), 0);
    EXPECT_EQ(g_box.caption, L"Vistral Projektmanager");
    EXPECT_EQ(win::ResourceHandle(), english);
    HWND tree = viewer->Tree();
    TreeView_SelectItem(tree, TreeView_GetChild(tree, TreeView_GetRoot(tree)));
    EXPECT_EQ(viewer->CaptionText(),
              L"Vistral Diagnostics - " + std::wstring(host.begin(), host.end()) + L" (1)");
}
