// The information dialog as the operator meets it, through CreateInfoDlg: window, texts,
// and every way it ends or refuses to end.
#include "InfoDialogRun.h"
#include "resource.h"
#include "win/ResourceModule.h"

#include <gtest/gtest.h>

using namespace info_tests;
using namespace testing_support;

TEST(InfoDialog, TopmostWindowWithTheTagInTheCaptionAndTheDetailsUnderTheMessage) {
    struct Case {
        LCID lcid;
        UINT captionId;
        const char *tag, *details;
        const wchar_t *caption, *message, *title;
    };
    const auto row = [](UINT id) { return reinterpret_cast<const char*>(static_cast<uintptr_t>(id)); };
    const char* const western = "\xC4-\xFC"; // 8-bit text in the ANSI code page, Western European here
    const Case cases[] = {
        {0x0407, 5000, "abc", "xyz", L"Vistral Projektmanager [abc]", L"Ein Fehler ist aufgetreten.\nxyz"},
        {0x0407, 5000, nullptr, nullptr, L"Vistral Projektmanager []", L"Ein Fehler ist aufgetreten."},
        {0x0407, 130, "", "", L"Information []", L"Ein Fehler ist aufgetreten."},
        {0x0407, 4711, "abc", nullptr, L" [abc]", L"Ein Fehler ist aufgetreten."},
        {0x0407, 5000, western, nullptr, L"Vistral Projektmanager [\u00C4-\u00FC]", L"Ein Fehler ist aufgetreten."},
        // Pointer values below 0x10000 name string-table rows; a missing row is empty text.
        {0x0407, 5000, row(5001), row(5000), L"Vistral Projektmanager [Ein Fehler ist aufgetreten.]",
         L"Ein Fehler ist aufgetreten.\nVistral Projektmanager"},
        {0x0407, 5000, row(0xFFFF), row(0xFFFF), L"Vistral Projektmanager []", L"Ein Fehler ist aufgetreten."},
        {0x0409, 5000, "abc", nullptr, L"Vistral Project Manager [abc]", L"An error has occurred.",
         L"Vistral Information"},
    };
    for (const Case& c : cases) {
        if (c.tag == western && ::GetACP() != 1252)
            continue;
        EXPECT_TRUE(RunInfo({c.captionId, 5001, c.lcid, c.tag, c.details}, [&](HWND dialog, CVistralInfoDlg* info) {
            ASSERT_NE(info, nullptr);
            EXPECT_EQ(info->CaptionText(), c.caption);
            EXPECT_EQ(info->MessageText(), c.message);
            EXPECT_EQ(WindowText(dialog), c.title ? c.title : L"Vistral-Information");
            EXPECT_EQ(::GetWindowLongW(dialog, GWL_STYLE) & (WS_CAPTION | WS_SYSMENU), WS_CAPTION);
            EXPECT_EQ(::GetWindowLongW(dialog, GWL_EXSTYLE) & (WS_EX_TOPMOST | WS_EX_TOOLWINDOW),
                      WS_EX_TOPMOST | WS_EX_TOOLWINDOW);
            EXPECT_EQ(::GetForegroundWindow(), dialog);
            EXPECT_FALSE(::IsWindowEnabled(::GetDlgItem(dialog, IDC_INFO_DETAILS))) << "Details is always disabled";
            PressOk(dialog);
        })) << c.caption;
        EXPECT_EQ(OpenInfoDialog(), nullptr) << "the slot is emptied when the dialog goes";
    }
}

TEST(InfoDialog, EndsOnOkEnterEscapeDetailsAndTheCloseMessageButNotOnTheCloseBoxOrAltF4) {
    struct Case {
        void (*act)(HWND);
        bool ends;
        INT_PTR endCode; // of the action, or of OK pressed after it when it does not end the dialog
    };
    const Case cases[] = {
        {[](HWND d) { ::SendMessageW(::GetDlgItem(d, IDOK), BM_CLICK, 0, 0); }, true, IDOK},
        {[](HWND d) { PostKey(::GetFocus() ? ::GetFocus() : d, VK_RETURN); }, true, IDOK},
        {[](HWND d) { PostKey(::GetFocus() ? ::GetFocus() : d, VK_ESCAPE); }, true, IDCANCEL},
        {[](HWND d) { ::SendMessageW(::GetDlgItem(d, IDC_INFO_DETAILS), BM_CLICK, 0, 0); }, true, 300},
        {[](HWND) { EXPECT_EQ(DestroyOpenDlg(), 0); }, true, IDOK},
        {[](HWND d) { ::SendMessageW(d, WM_CLOSE, 0, 0); }, false, IDOK},
        {[](HWND d) { ::SendMessageW(d, WM_SYSCOMMAND, SC_CLOSE, 0); }, false, IDOK},
        {[](HWND d) { ::SendMessageW(d, WM_SYSKEYDOWN, VK_F4, 1 | (1 << 29)); }, false, IDOK},
        {[](HWND d) { // other system commands get their usual handling
             ::SendMessageW(d, WM_SYSCOMMAND, SC_MINIMIZE, 0);
             EXPECT_TRUE(::IsIconic(d));
         },
         false, IDOK},
    };
    for (const Case& c : cases) {
        // Run directly: CreateInfoDlg drops the end code and disables Details.
        CVistralInfoDlg dialog(&TheModule().infoDialogSlot, nullptr);
        INT_PTR code = 0;
        auto stillOpen = std::make_shared<bool>(false);
        EXPECT_TRUE(RunWithInspection([&] { code = dialog.DoModal(); },
                                      [&](HWND window, CVistralInfoDlg*) {
                                          ASSERT_NE(window, nullptr);
                                          c.act(window);
                                          AfterDelay(150, [stillOpen, window] {
                                              if ((*stillOpen = ::IsWindow(window) != FALSE))
                                                  PressOk(window);
                                          });
                                      }));
        EXPECT_EQ(!*stillOpen, c.ends) << c.endCode;
        EXPECT_EQ(code, c.endCode);
    }
    EXPECT_EQ(DestroyOpenDlg(), 0) << "a call with the slot empty";
}

TEST(InfoDialog, SecondDialogTakesTheSlotOver) {
    bool firstSurvived = false;
    EXPECT_TRUE(RunInfo({}, [&](HWND first, CVistralInfoDlg*) {
        EXPECT_TRUE(RunInfo({5000, 5001, 0x0407, "second"}, [&](HWND, CVistralInfoDlg* newer) {
            ASSERT_NE(newer, nullptr);
            EXPECT_EQ(newer->CaptionText(), L"Vistral Projektmanager [second]");
            DestroyOpenDlg(); // reaches the newer dialog only, whose call then returns
        }));
        EXPECT_EQ(OpenInfoDialog(), nullptr) << "the newer dialog emptied the slot";
        DestroyOpenDlg(); // no longer reaches the first one
        PumpMessages(50);
        firstSurvived = ::IsWindow(first) != FALSE;
        PressOk(first);
    }));
    EXPECT_TRUE(firstSurvived);
}

TEST(InfoDialog, TemplateThatCannotBeMadeEndsTheRunAtOnceWithTheSlotEmpty) {
    // The French marker library's template 3216 names a control class that does not exist.
    HMODULE french = ::LoadLibraryExW((BinDirectory() + L"fixtures\\ZtFixtureFRA.LNG").c_str(), nullptr,
                                      LOAD_LIBRARY_AS_DATAFILE | LOAD_LIBRARY_AS_IMAGE_RESOURCE);
    ASSERT_NE(french, nullptr);
    win::ScopedResourceHandle source(french);
    CVistralInfoDlg dialog(&TheModule().infoDialogSlot, nullptr);
    INT_PTR code = 0;
    bool inspected = false;
    EXPECT_TRUE(RunWithInspection([&] { code = dialog.DoModal(); }, [&](HWND, CVistralInfoDlg*) { inspected = true; }));
    EXPECT_EQ(code, -1);
    EXPECT_FALSE(inspected) << "the run was still going";
    EXPECT_EQ(OpenInfoDialog(), nullptr);
}
