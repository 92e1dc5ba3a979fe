// What the information area paints, read back from the real window's pixels. The area is sized
// to a client of 300 x 100 pixels: grown by one pixel on every side it is 102 high, so the upper
// band covers rows 0 to 32 and the lower band rows 33 to 100; the warning symbol sits at (4, 1),
// the document symbol at (40, 52), the caption text from x 43, the message text from x 79.
#include "InfoDialogRun.h"
#include "resource.h"

#include <gtest/gtest.h>

using namespace info_tests;
using namespace testing_support;

namespace {

bool IsOrange(uint32_t p) { return Red(p) > 220 && Green(p) > 120 && Green(p) < 200 && Blue(p) < 60; }
bool IsBrown(uint32_t p) { return Red(p) > 130 && Red(p) < 200 && Green(p) < 80 && Blue(p) < 80; }
bool IsWhite(uint32_t p) { return Red(p) > 240 && Green(p) > 240 && Blue(p) > 240; }
bool IsDark(uint32_t p) { return Red(p) < 100 && Green(p) < 100 && Blue(p) < 100; }
bool IsYellow(uint32_t p) { return Red(p) > 200 && Green(p) > 150 && Blue(p) < 80; }

int Count(const Pixels& pixels, int x0, int y0, int x1, int y1, bool (*test)(uint32_t)) {
    int count = 0;
    for (int y = y0; y < y1; ++y)
        for (int x = x0; x < x1; ++x)
            count += test(pixels.At(x, y)) ? 1 : 0;
    return count;
}

Pixels PaintedArea(const InfoCall& call) {
    Pixels pixels;
    RunInfo(call, [&](HWND dialog, CVistralInfoDlg*) {
        HWND area = ::GetDlgItem(dialog, IDC_INFO_AREA);
        ::SetWindowPos(area, nullptr, 0, 0, 300, 100, SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
        pixels = CaptureClient(area);
        PressOk(dialog);
    });
    return pixels;
}

// Both bands and both symbols, whatever the texts.
void ExpectBandsAndSymbols(const Pixels& pixels) {
    EXPECT_TRUE(IsOrange(pixels.At(298, 0))) << std::hex << pixels.At(298, 0);
    EXPECT_TRUE(IsBrown(pixels.At(298, 31))) << std::hex << pixels.At(298, 31);
    EXPECT_TRUE(IsWhite(pixels.At(298, 33))) << std::hex << pixels.At(298, 33);
    EXPECT_TRUE(IsWhite(pixels.At(298, 99)));
    // The warning triangle's yellow left of its exclamation mark, the document's dark rim.
    EXPECT_GT(Count(pixels, 12, 21, 18, 27, IsYellow), 10);
    EXPECT_GT(Count(pixels, 45, 60, 48, 76, IsDark), 8);
}

} // namespace

TEST(InfoPainting, BandsSymbolsAndTwoLinesOfMessageWhereTheRuleSays) {
    InfoCall call;
    call.details = "Zweite Zeile";
    const Pixels pixels = PaintedArea(call);
    ASSERT_EQ(pixels.width, 300);
    ASSERT_EQ(pixels.height, 100);
    ExpectBandsAndSymbols(pixels);

    // White caption type on the band right of the symbol, nothing white left of it.
    EXPECT_GT(Count(pixels, 44, 0, 300, 32, IsWhite), 30);
    EXPECT_EQ(Count(pixels, 0, 0, 3, 32, IsWhite), 0);
    // Dark message type right of x 79 only, in two lines centred as a block in the lower band.
    EXPECT_EQ(Count(pixels, 0, 33, 38, 100, IsDark), 0);
    std::vector<int> inkRows;
    for (int y = 33; y < 100; ++y)
        if (Count(pixels, 80, y, 300, y + 1, IsDark) > 0)
            inkRows.push_back(y);
    ASSERT_FALSE(inkRows.empty());
    LOGFONTW font{}; // the message font
    ::SystemParametersInfoW(SPI_GETICONTITLELOGFONT, sizeof(font), &font, 0);
    EXPECT_GT(inkRows.back() - inkRows.front(), std::abs(font.lfHeight) * 3 / 2) << "two lines";
    EXPECT_NEAR(inkRows.front() - 33, 100 - inkRows.back(), 4) << "centred vertically";
}

TEST(InfoPainting, EmptyTextsStillPaintBothBandsAndBothSymbols) {
    InfoCall call;
    call.captionId = 4711;
    call.textId = 4712;
    call.tag = nullptr;
    const Pixels pixels = PaintedArea(call);
    ASSERT_EQ(pixels.height, 100);
    ExpectBandsAndSymbols(pixels);
    EXPECT_EQ(Count(pixels, 80, 0, 300, 32, IsWhite), 0) << "nothing beyond the brackets of the empty tag";
    EXPECT_EQ(Count(pixels, 80, 33, 300, 100, IsDark), 0) << "no message type";
}
