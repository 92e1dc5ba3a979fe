// The exports as a host calls them, linked into this program so that the module state can be
// seen from inside: the message box's texts and style, and the language resources that stay
// selected for an open viewer while other calls come and go.
#include "ZtServiceMsg.h"
#include "frame/ModuleState.h"
#include "resource.h"
#include "viewer/DiagnoseDlg.h"
#include "win/ResourceModule.h"
#include "TestSupport.h"

#include <commctrl.h>
#include <fstream>
#include <gtest/gtest.h>

using namespace testing_support;

namespace {

// What reached MessageBoxW: the platform's box gives nothing of its style back, so this
// program's import of MessageBoxW is pointed at this recorder while a test runs. No box shows.
struct SeenBox {
    int calls = 0;
    HWND owner = nullptr;
    std::wstring text, caption;
    UINT style = 0;
} g_box;

int WINAPI RecordMessageBox(HWND owner, LPCWSTR text, LPCWSTR caption, UINT style) {
    g_box = {g_box.calls + 1, owner, text, caption, style};
    return IDOK;
}

// This program's import address table entry that holds `function`; null when there is none.
void** ImportSlot(void* function) {
    auto* base = reinterpret_cast<BYTE*>(::GetModuleHandleW(nullptr));
    auto* nt = reinterpret_cast<IMAGE_NT_HEADERS*>(base + reinterpret_cast<IMAGE_DOS_HEADER*>(base)->e_lfanew);
    auto* dll = reinterpret_cast<IMAGE_IMPORT_DESCRIPTOR*>(
        base + nt->OptionalHeader.DataDirectory[IMAGE_DIRECTORY_ENTRY_IMPORT].VirtualAddress);
    for (; dll->Name; ++dll)
        for (auto** slot = reinterpret_cast<void**>(base + dll->FirstThunk); *slot; ++slot)
            if (*slot == function)
                return slot;
    return nullptr;
}

class Exports : public ::testing::Test {
protected:
    void SetUp() override {
        DWORD protection = 0;
        ASSERT_TRUE(m_slot && ::VirtualProtect(m_slot, sizeof(void*), PAGE_READWRITE, &protection));
        *m_slot = reinterpret_cast<void*>(&RecordMessageBox);
    }
    void TearDown() override {
        if (m_slot)
            *m_slot = m_real;
        DestroyOpenDlg();
        PumpMessages(20);
        win::SetResourceHandle(win::ThisModule());
    }
    void* m_real = reinterpret_cast<void*>(::GetProcAddress(::GetModuleHandleW(L"user32.dll"), "MessageBoxW"));
    void** m_slot = ImportSlot(m_real);
};

} // namespace

TEST_F(Exports, MessageBoxShowsTheLanguagesRowsWithTheCallersStyleBroughtToTheFront) {
    struct Case {
        LCID lcid;
        UINT textId, captionId, style;
        const wchar_t *text, *caption;
        UINT shownStyle;
    };
    const Case cases[] = {
        {0x0409, 5001, 5000, MB_OK | MB_ICONWARNING, L"An error has occurred.", L"Vistral Project Manager", 0x10030},
        {0x0407, 5001, 5000, MB_YESNO | MB_ICONERROR, L"Ein Fehler ist aufgetreten.", L"Vistral Projektmanager",
         0x10014},
        {0x0407, 4711, 4712, MB_SETFOREGROUND | MB_ICONINFORMATION | MB_DEFBUTTON2, L"", L"", 0x10140},
    };
    for (const Case& c : cases) {
        win::SetResourceHandle(win::ThisModule());
        const int calls = g_box.calls;
        EXPECT_EQ(NotifyMsgBoxTmp(c.lcid, c.textId, c.captionId, c.style, 0xDEADBEEF), 0);
        EXPECT_EQ(g_box.calls, calls + 1);
        EXPECT_EQ(g_box.text, c.text);
        EXPECT_EQ(g_box.caption, c.caption);
        EXPECT_EQ(g_box.style, c.shownStyle) << std::hex << c.style;
        EXPECT_EQ(g_box.owner, nullptr);
        EXPECT_EQ(win::ResourceHandle(), win::ThisModule()) << "the previous resources are put back";
    }
}

TEST_F(Exports, OpenViewerKeepsItsLanguageThroughACallInAnother) {
    TempDirectory dir;
    const std::string host(1100, 'H'); // longer than any fixed buffer for an item's text
    const std::wstring path = dir.Path() + L"Events.log";
    std::ofstream(path.c_str()) << "05.12.2026 08:00:00   Host=\"" << host << "\" Process=\"P.EXE\" Traceclass=\"2\"\r\n";
    EXPECT_EQ(CreateDiagnoseDlg(0x0409, std::string(path.begin(), path.end()).c_str()), 0);
    auto* viewer = static_cast<CDiagnoseDlg*>(TheModule().diagnoseDialogSlot);
    ASSERT_NE(viewer, nullptr);
    const HINSTANCE english = win::ResourceHandle();
    EXPECT_EQ(win::LoadResString(IDS_DIAGNOSE_TITLE), L"Vistral Diagnostics") << "still selected after the call";

    // German for the message box only: the viewer's English comes back, still mapped.
    EXPECT_EQ(NotifyMsgBoxTmp(0x0407, 5001, 5000, MB_OK, 0), 0);
    EXPECT_EQ(g_box.caption, L"Vistral Projektmanager");
    EXPECT_EQ(win::ResourceHandle(), english);
    HWND tree = viewer->Tree();
    TreeView_SelectItem(tree, TreeView_GetChild(tree, TreeView_GetRoot(tree)));
    EXPECT_EQ(viewer->CaptionText(), L"Vistral Diagnostics - " + std::wstring(host.begin(), host.end()) + L" (1)");
}
