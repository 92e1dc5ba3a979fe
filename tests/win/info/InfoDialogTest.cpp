// The information dialog as the operator meets it, through CreateInfoDlg: window, texts,
// and every way it ends or refuses to end.
#include "InfoDialogRun.h"
#include "resource.h"

#include <gtest/gtest.h>

using namespace info_tests;
using namespace testing_support;

TEST(InfoDialog, WindowIsTopmostToolWindowWithoutSystemMenu) {
    bool seen = false;
    RunInfo({}, [&](HWND dialog, CVistralInfoDlg*) {
        ASSERT_NE(dialog, nullptr);
        seen = true;
        EXPECT_EQ(WindowText(dialog), L"Vistral-Information");
        const LONG style = ::GetWindowLongW(dialog, GWL_STYLE);
        const LONG exStyle = ::GetWindowLongW(dialog, GWL_EXSTYLE);
        EXPECT_TRUE(style & WS_CAPTION);
        EXPECT_FALSE(style & WS_SYSMENU);
        EXPECT_TRUE(exStyle & WS_EX_TOPMOST);
        EXPECT_TRUE(exStyle & WS_EX_TOOLWINDOW);
        EXPECT_FALSE(::IsWindowEnabled(::GetDlgItem(dialog, IDC_INFO_DETAILS))) << "Details is always disabled";
        EXPECT_TRUE(::IsWindowEnabled(::GetDlgItem(dialog, IDOK)));
        PressOk(dialog);
    });
    EXPECT_TRUE(seen);
    EXPECT_EQ(OpenInfoDialog(), nullptr) << "the slot is emptied when the dialog goes";
}

TEST(InfoDialog, CaptionCarriesTheTagAndTheMessageTheDetails) {
    struct Case {
        const char* tag;
        const char* details;
        UINT captionId;
        std::wstring caption;
        std::wstring message;
    };
    const Case cases[] = {
        {"abc", "xyz", IDS_PROJECT_MANAGER, L"Vistral Projektmanager [abc]", L"Ein Fehler ist aufgetreten.\nxyz"},
        {nullptr, nullptr, IDS_PROJECT_MANAGER, L"Vistral Projektmanager []", L"Ein Fehler ist aufgetreten."},
        {"", "", IDS_TRACE_INFORMATION, L"Information []", L"Ein Fehler ist aufgetreten."},
        {"abc", nullptr, 4711, L" [abc]", L"Ein Fehler ist aufgetreten."},
    };
    for (const Case& c : cases) {
        InfoCall call;
        call.tag = c.tag;
        call.details = c.details;
        call.captionId = c.captionId;
        RunInfo(call, [&](HWND dialog, CVistralInfoDlg* info) {
            ASSERT_NE(info, nullptr);
            EXPECT_EQ(info->CaptionText(), c.caption);
            EXPECT_EQ(info->MessageText(), c.message);
            PressOk(dialog);
        });
    }
}

TEST(InfoDialog, EnglishTextsAndTemplateFromTheEnglishLibrary) {
    InfoCall call;
    call.lcid = 0x0409;
    RunInfo(call, [&](HWND dialog, CVistralInfoDlg* info) {
        ASSERT_NE(info, nullptr);
        EXPECT_EQ(WindowText(dialog), L"Vistral Information");
        EXPECT_EQ(info->CaptionText(), L"Vistral Project Manager [abc]");
        PressOk(dialog);
    });
}

TEST(InfoDialog, EndsOnOkEscapeAndEnter) {
    for (UINT key : {0u, UINT(VK_ESCAPE), UINT(VK_RETURN)}) {
        bool ended = false;
        RunInfo({}, [&](HWND dialog, CVistralInfoDlg*) {
            ASSERT_NE(dialog, nullptr);
            if (key == 0)
                ::SendMessageW(::GetDlgItem(dialog, IDOK), BM_CLICK, 0, 0);
            else
                PostKey(::GetFocus() ? ::GetFocus() : dialog, key);
            AfterDelay(300, [&] { ended = OpenInfoDialog() == nullptr; });
        });
        PumpMessages(400);
        EXPECT_TRUE(ended) << "key " << key;
    }
}

TEST(InfoDialog, CloseBoxAndAltF4AreRefused) {
    bool stillOpen = false;
    RunInfo({}, [&](HWND dialog, CVistralInfoDlg*) {
        ASSERT_NE(dialog, nullptr);
        ::SendMessageW(dialog, WM_CLOSE, 0, 0);
        ::SendMessageW(dialog, WM_SYSCOMMAND, SC_CLOSE, 0);
        ::PostMessageW(dialog, WM_SYSKEYDOWN, VK_F4, 1 | (1 << 29));
        AfterDelay(300, [&stillOpen, dialog] {
            stillOpen = ::IsWindow(dialog) && OpenInfoDialog() != nullptr;
            PressOk(dialog);
        });
    });
    EXPECT_TRUE(stillOpen);
}

TEST(InfoDialog, DestroyOpenDlgFromTheHostsTimerEndsIt) {
    bool called = false;
    RunInfo({}, [&](HWND dialog, CVistralInfoDlg*) {
        ASSERT_NE(dialog, nullptr);
        called = true;
        EXPECT_EQ(DestroyOpenDlg(), 0);
    });
    EXPECT_TRUE(called);
    EXPECT_EQ(OpenInfoDialog(), nullptr);
    EXPECT_EQ(DestroyOpenDlg(), 0) << "a second call finds the slot empty";
}

TEST(InfoDialog, SecondDialogTakesTheSlotOver) {
    CVistralInfoDlg* first = nullptr;
    bool firstSurvived = false;
    RunInfo({}, [&](HWND firstWindow, CVistralInfoDlg* firstDialog) {
        first = firstDialog;
        InfoCall second;
        second.tag = "second";
        RunInfo(second, [&](HWND, CVistralInfoDlg* secondDialog) {
            EXPECT_NE(secondDialog, first);
            EXPECT_EQ(secondDialog->CaptionText(), L"Vistral Projektmanager [second]");
            DestroyOpenDlg(); // reaches the newer dialog only
        });
        EXPECT_EQ(OpenInfoDialog(), nullptr) << "the newer dialog emptied the slot";
        DestroyOpenDlg(); // no longer reaches the first one
        PumpMessages(100);
        firstSurvived = ::IsWindow(firstWindow) != FALSE;
        PressOk(firstWindow);
    });
    EXPECT_NE(first, nullptr);
    EXPECT_TRUE(firstSurvived);
}

TEST(InfoDialog, DetailsButtonEndsTheRunWithItsCode) {
    CVistralInfoDlg dialog(nullptr, nullptr);
    AfterDelay(150, [] {
        HWND window = FindThreadDialog();
        ASSERT_NE(window, nullptr);
        EXPECT_TRUE(::IsWindowEnabled(::GetDlgItem(window, IDC_INFO_DETAILS)));
        ::SendMessageW(::GetDlgItem(window, IDC_INFO_DETAILS), BM_CLICK, 0, 0);
    });
    EXPECT_EQ(dialog.DoModal(), CVistralInfoDlg::kDetailsEndCode);
}
