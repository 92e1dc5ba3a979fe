// The information dialog as the operator meets it, through CreateInfoDlg: its window, its texts,
// every way it ends or refuses to end, and what its area paints; and the caption band the
// dialogs share. Each dialog is inspected from inside its modal loop and, whatever the
// inspection finds, ended a second later at the latest (a WM_QUIT ends any modal loop of the
// thread), so a fault shows as a failure within seconds and never as a hang.
#include "ZtServiceMsg.h"
#include "frame/ModuleState.h"
#include "frame/ZtServiceMsgApp.h"
#include "info/StaticCaption.h"
#include "info/VistralInfoDlg.h"
#include "resource.h"
#include "win/ResourceModule.h"
#include "TestSupport.h"

#include <algorithm>
#include <gtest/gtest.h>
#include <memory>

using namespace testing_support;

using Inspection = std::function<void(HWND, CVistralInfoDlg*)>;

const auto OpenInfoDialog = [] { return static_cast<CVistralInfoDlg*>(TheModule().infoDialogSlot); };

// Runs `run`, which blocks in the information dialog's modal loop; `inspect` runs once the
// dialog should be up, with the window and object in the slot (null when there is none).
// Answers false when the run had to be ended by force.
template <typename Run> static bool RunWithInspection(Run run, Inspection inspect) {
    auto running = std::make_shared<bool>(true);
    AfterDelay(150, [running, inspect] {
        if (!*running)
            return; // the run came back before its dialog could be inspected
        AfterDelay(1000, [running] {
            if (*running)
                ::PostQuitMessage(0);
        });
        CVistralInfoDlg* dialog = OpenInfoDialog();
        inspect(dialog ? dialog->Handle() : nullptr, dialog);
    });
    run();
    *running = false;
    MSG quit;
    return !::PeekMessageW(&quit, nullptr, WM_QUIT, WM_QUIT, PM_REMOVE);
}

// CreateInfoDlg as a host calls it (caption row 5000, text row 5001 unless given), inspected.
static bool RunInfo(Inspection inspect, const char* tag = "abc", const char* details = nullptr,
                    LCID lcid = 0x0407, UINT captionId = 5000, UINT textId = 5001) {
    return RunWithInspection([&] { CreateInfoDlg(0, captionId, textId, lcid, 0, tag, details); }, inspect);
}

const auto PressOk = [](HWND dialog) { ::PostMessageW(dialog, WM_COMMAND, IDOK, 0); };
const auto Click = [](HWND dialog, int id) { ::SendMessageW(::GetDlgItem(dialog, id), BM_CLICK, 0, 0); };

using Test = bool (*)(uint32_t);
const Test IsOrange = [](uint32_t p) {
    return Red(p) > 220 && Green(p) > 120 && Green(p) < 200 && Blue(p) < 60;
};
const Test IsBrown = [](uint32_t p) { return Red(p) > 130 && Red(p) < 200 && Green(p) < 80 && Blue(p) < 80; };
const Test IsWhite = [](uint32_t p) { return Red(p) > 240 && Green(p) > 240 && Blue(p) > 240; };
const Test IsDark = [](uint32_t p) { return Red(p) < 100 && Green(p) < 100 && Blue(p) < 100; };
const Test IsYellow = [](uint32_t p) { return Red(p) > 200 && Green(p) > 150 && Blue(p) < 80; };

static int Count(const Pixels& pixels, int x0, int y0, int x1, int y1, Test test) {
    int count = 0;
    for (int y = y0; y < y1; ++y)
        for (int x = x0; x < x1; ++x)
            count += test(pixels.At(x, y)) ? 1 : 0;
    return count;
}

static Pixels PaintedArea(const char* tag, const char* details, UINT captionId, UINT textId, int width = 300,
                          int height = 100) {
    Pixels pixels;
    RunInfo(
        [&](HWND dialog, CVistralInfoDlg*) {
            HWND area = ::GetDlgItem(dialog, IDC_INFO_AREA);
            ::SetWindowPos(area, nullptr, 0, 0, width, height, SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
            pixels = CaptureClient(area);
            PressOk(dialog);
        },
        tag, details, 0x0407, captionId, textId);
    return pixels;
}

TEST(InfoDialog, TopmostWindowWithTheTagInTheCaptionAndTheDetailsUnderTheMessage) {
    struct Case {
        LCID lcid;
        UINT captionId;
        const char *tag, *details;
        const wchar_t *caption, *message, *title = nullptr;
    };
    const auto row = [](UINT id) { return reinterpret_cast<const char*>(static_cast<uintptr_t>(id)); };
    const char* const western = "\xC4-\xFC"; // 8-bit text in the ANSI code page, Western European here
    const Case cases[] = {
        {0x0407, 5000, "abc", "xyz", L"Vistral Projektmanager [abc]", L"Ein Fehler ist aufgetreten.\nxyz"},
        {0x0407, 5000, nullptr, nullptr, L"Vistral Projektmanager []", L"Ein Fehler ist aufgetreten."},
        {0x0407, 130, "", "", L"Information []", L"Ein Fehler ist aufgetreten."},
        {0x0407, 5000, western, nullptr, L"Vistral Projektmanager [\u00C4-\u00FC]",
         L"Ein Fehler ist aufgetreten."},
        // Pointer values below 0x10000 name string-table rows; a missing row is empty text.
        {0x0407, 5000, row(5001), row(5000), L"Vistral Projektmanager [Ein Fehler ist aufgetreten.]",
         L"Ein Fehler ist aufgetreten.\nVistral Projektmanager"},
        {0x0407, 5000, row(0xFFFF), row(0xFFFF), L"Vistral Projektmanager []",
         L"Ein Fehler ist aufgetreten."},
        {0x0409, 5000, "abc", nullptr, L"Vistral Project Manager [abc]", L"An error has occurred.",
         L"Vistral Information"},
    };
    for (const Case& c : cases) {
        if (c.tag == western && ::GetACP() != 1252)
            continue;
        EXPECT_TRUE(RunInfo(
            [&](HWND dialog, CVistralInfoDlg* info) {
                ASSERT_NE(info, nullptr);
                EXPECT_EQ(std::tuple(info->CaptionText(), info->MessageText(), WindowText(dialog)),
                          std::tuple(c.caption, c.message, c.title ? c.title : L"Vistral-Information"));
                // Caption without system menu, topmost tool window in front, Details disabled.
                EXPECT_EQ(
                    std::tuple(::GetWindowLongW(dialog, GWL_STYLE) & (WS_CAPTION | WS_SYSMENU),
                               ::GetWindowLongW(dialog, GWL_EXSTYLE) & (WS_EX_TOPMOST | WS_EX_TOOLWINDOW),
                               ::GetForegroundWindow(), ::IsWindowEnabled(::GetDlgItem(dialog, 300))),
                    std::tuple(WS_CAPTION, WS_EX_TOPMOST | WS_EX_TOOLWINDOW, dialog, FALSE))
                    << "in front: " << WindowText(::GetForegroundWindow());
                PressOk(dialog);
            },
            c.tag, c.details, c.lcid, c.captionId))
            << c.caption;
        EXPECT_EQ(OpenInfoDialog(), nullptr) << "the slot is emptied when the dialog goes";
    }
}

TEST(InfoDialog, EndsOnOkEnterEscapeDetailsAndTheCloseMessageButNotOnTheCloseBoxOrAltF4) {
    // An action, and the end code it gives; one that does not end the dialog is followed by a
    // click on Details, which ends it with 300.
    const std::pair<void (*)(HWND), INT_PTR> cases[] = {
        {[](HWND d) { Click(d, IDOK); }, IDOK},
        {[](HWND d) { PostKey(::GetFocus() ? ::GetFocus() : d, VK_RETURN); }, IDOK},
        {[](HWND d) { PostKey(::GetFocus() ? ::GetFocus() : d, VK_ESCAPE); }, IDCANCEL},
        {[](HWND) { EXPECT_EQ(DestroyOpenDlg(), 0); }, IDOK},
        {[](HWND d) { ::SendMessageW(d, WM_CLOSE, 0, 0); }, 300},
        {[](HWND d) { ::SendMessageW(d, WM_SYSKEYDOWN, VK_F4, 1 | (1 << 29)); }, 300},
        {[](HWND d) { // other system commands get their usual handling
             ::SendMessageW(d, WM_SYSCOMMAND, SC_MINIMIZE, 0);
             EXPECT_TRUE(::IsIconic(d));
         },
         300},
    };
    for (const auto& [act, endCode] : cases) {
        // Run directly: CreateInfoDlg drops the end code and disables Details.
        CVistralInfoDlg dialog(&TheModule().infoDialogSlot, nullptr);
        INT_PTR code = 0;
        EXPECT_TRUE(RunWithInspection([&] { code = dialog.DoModal(); },
                                      [action = act](HWND window, CVistralInfoDlg*) {
                                          action(window);
                                          AfterDelay(150, [window] {
                                              if (::IsWindow(window))
                                                  Click(window, IDC_INFO_DETAILS);
                                          });
                                      }));
        EXPECT_EQ(code, endCode);
    }
}

// Ctrl+C as the keyboard gives it, to the focused OK button, copies what the dialog says.
TEST(InfoDialog, CtrlCCopiesTheCaptionAndTheMessageInLinesEndingInCrLf) {
    ASSERT_TRUE(::OpenClipboard(nullptr) && ::EmptyClipboard() && ::CloseClipboard());
    EXPECT_TRUE(RunInfo(
        [](HWND dialog, CVistralInfoDlg*) {
            INPUT keys[4] = {}; // Ctrl down, C down, C up, Ctrl up
            for (int i = 0; i < 4; ++i)
                keys[i].type = INPUT_KEYBOARD, keys[i].ki.wVk = i % 3 ? 'C' : VK_CONTROL,
                keys[i].ki.dwFlags = i < 2 ? 0 : KEYEVENTF_KEYUP;
            ::SendInput(4, keys, sizeof(INPUT));
            WhenTrue([] { return !ClipboardText().empty(); }, 800, [dialog] { PressOk(dialog); });
        },
        "abc", "xyz"));
    EXPECT_EQ(ClipboardText(),
              std::wstring(L"Vistral Projektmanager [abc]\r\nEin Fehler ist aufgetreten.\r\nxyz\r\n") +
                  L'\0');
}

// The newer of two dialogs holds the slot: the close message ends it, and the viewer, and once
// it is gone the slot is empty, so that the older one is out of reach.
TEST(InfoDialog, DestroyOpenDlgClosesTheNewestInformationDialogAndTheViewer) {
    ASSERT_EQ(CreateDiagnoseDlg(0x0407, nullptr), 0);
    EXPECT_TRUE(RunInfo([&](HWND first, CVistralInfoDlg*) {
        EXPECT_TRUE(RunInfo([&](HWND, CVistralInfoDlg*) { EXPECT_EQ(DestroyOpenDlg(), 0); }));
        EXPECT_TRUE(!TheModule().diagnoseDialogSlot.Get() && !OpenInfoDialog())
            << "the viewer is closed, and the newer dialog emptied the slot";
        PressOk(first);
    }));
}

TEST(InfoDialog, TemplateThatCannotBeMadeEndsTheRunAtOnceWithTheSlotEmpty) {
    // The French marker library's template 3216 names a control class that does not exist.
    HMODULE french = ::LoadLibraryExW((BinDirectory() + L"fixtures\\ZtFixtureFRA.LNG").c_str(), nullptr,
                                      LOAD_LIBRARY_AS_DATAFILE | LOAD_LIBRARY_AS_IMAGE_RESOURCE);
    ASSERT_NE(french, nullptr);
    win::ScopedResourceHandle source(french);
    CVistralInfoDlg dialog(&TheModule().infoDialogSlot, nullptr);
    INT_PTR code = 0;
    EXPECT_TRUE(RunWithInspection([&] { code = dialog.DoModal(); }, [](HWND, CVistralInfoDlg*) {}));
    EXPECT_EQ(code, -1);
    EXPECT_EQ(OpenInfoDialog(), nullptr);
}

// The area is sized to a client of 300 x 100 pixels: grown by one pixel on every side it is 102
// high, so the upper band covers rows 0 to 32 and the lower band rows 33 to 100; the warning
// symbol sits at (4, 1), the document symbol at (40, 52), the caption text starts at x 43 and
// the message text at x 79.
TEST(InfoPainting, BothBandsAndSymbolsWhateverTheTextsAndTheTextsBesideTheSymbols) {
    const Pixels texts = PaintedArea("abc", "Zweite Zeile", 5000, 5001);
    const Pixels empty = PaintedArea(nullptr, nullptr, 4711, 4712); // the caption is " []"
    for (const Pixels* pixels : {&texts, &empty}) {
        ASSERT_TRUE(pixels->width == 300 && pixels->height == 100);
        EXPECT_TRUE(IsOrange(pixels->At(298, 0)) && IsBrown(pixels->At(298, 31)) &&
                    IsWhite(pixels->At(298, 33)) && IsWhite(pixels->At(298, 99)))
            << "orange to brown above, white below";
        // The warning triangle's yellow left of its exclamation mark, the document's dark rim;
        // nothing white left of the warning symbol, nothing dark between symbol and message.
        EXPECT_TRUE(Count(*pixels, 12, 21, 18, 27, IsYellow) > 10 &&
                    Count(*pixels, 45, 60, 48, 76, IsDark) > 8);
        EXPECT_EQ(Count(*pixels, 0, 0, 3, 32, IsWhite) + Count(*pixels, 74, 33, 79, 100, IsDark), 0);
    }
    EXPECT_GT(Count(texts, 44, 0, 300, 32, IsWhite), 30) << "white caption type on the band";
    EXPECT_EQ(Count(empty, 80, 0, 300, 32, IsWhite) + Count(empty, 80, 33, 300, 100, IsDark), 0)
        << "no type beyond the empty tag's brackets, no message type";

    // Dark message type right of x 79, in two lines centred as a block in the lower band.
    int first = 100, last = 0; // the first and last row with ink
    for (int y = 33; y < 100; ++y)
        if (Count(texts, 80, y, 300, y + 1, IsDark) > 0)
            (first == 100 ? first : last) = y;
    LOGFONTW font{}; // the message font
    ::SystemParametersInfoW(SPI_GETICONTITLELOGFONT, sizeof(font), &font, 0);
    EXPECT_GT(last - first, std::abs(font.lfHeight) * 3 / 2) << "two lines";
    EXPECT_NEAR(first - 33, 100 - last, 4) << "centred vertically";
}

// A message of 1,200 characters, far more than the white band holds, leaves every pixel of the
// caption band (rows 0 to 52 at 500 x 160) as a short one does, and fills the white band.
TEST(InfoPainting, LongMessageLeavesTheCaptionBandAsItIs) {
    std::string details;
    for (int i = 0; i < 120; ++i)
        details += "Wort zehn ";
    const Pixels brief = PaintedArea("abc", "xyz", 5000, 5001, 500, 160);
    const Pixels full = PaintedArea("abc", details.c_str(), 5000, 5001, 500, 160);
    ASSERT_TRUE(brief.data.size() == 80000 && full.data.size() == 80000);
    EXPECT_TRUE(std::equal(full.data.begin(), full.data.begin() + 500 * 53, brief.data.begin()));
    EXPECT_TRUE(Count(full, 80, 53, 500, 70, IsDark) > 50 && Count(full, 80, 143, 500, 160, IsDark) > 50)
        << "message type from the top of the white band to its bottom";
}

TEST(CaptionBand, ControlTextThenNewTextsAndSizesCentredOnTheGradient) {
    TheApp().EnsureStarted(); // GDI+
    HWND band = ::CreateWindowExW(0, L"STATIC", L"Vistral Diagnose", WS_POPUP | WS_VISIBLE, 0, 0, 500, 70,
                                  nullptr, nullptr, nullptr, nullptr);
    CStaticCaption caption;
    ASSERT_TRUE(caption.SubclassWindow(band));
    EXPECT_EQ(caption.Text(), L"Vistral Diagnose");
    const COLORREF face = ::GetSysColor(COLOR_3DFACE);
    for (int width : {500, 300}) {
        ::SetWindowPos(band, nullptr, 0, 0, width, 70, SWP_NOMOVE | SWP_NOZORDER);
        const Pixels pixels = CaptureClient(band);
        const uint32_t top = pixels.At(2, 0), bottom = pixels.At(2, 69);
        EXPECT_TRUE(Red(top) < 40 && Green(top) > 110 && Blue(top) < 40) << std::hex << top;
        EXPECT_LE(std::abs(Red(bottom) - GetRValue(face)) + std::abs(Green(bottom) - GetGValue(face)) +
                      std::abs(Blue(bottom) - GetBValue(face)),
                  30)
            << "the face colour at the bottom: " << std::hex << bottom;
        int left = width, right = -1; // columns of white type above the middle, where the band is greener
        for (int x = 0; x < width; ++x)
            if (Count(pixels, x, 0, x + 1, 35, IsWhite) > 0)
                (left == width ? left : right) = x;
        EXPECT_TRUE(right - left > 50 && std::abs(left + right - width) <= 8) << left << "-" << right;
        caption.SetText(L"Vistral Diagnose - PC1 (3)");
    }
    ::DestroyWindow(band);
}
