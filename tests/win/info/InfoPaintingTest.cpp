// What the information area paints, read back from the real window's pixels.
#include "InfoDialogRun.h"
#include "info/InfoAreaGeometry.h"
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

} // namespace

TEST(InfoPainting, BandsSymbolsAndTextsWhereTheGeometrySays) {
    InfoCall call;
    call.details = "Zweite Zeile";
    RunInfo(call, [&](HWND dialog, CVistralInfoDlg*) {
        ASSERT_NE(dialog, nullptr);
        const Pixels pixels = CaptureClient(::GetDlgItem(dialog, IDC_INFO_AREA));
        ASSERT_GT(pixels.height, 60);
        const auto g = info::ComputeInfoAreaGeometry(0, 0, pixels.width, pixels.height);
        const int bandEnd = static_cast<int>(g.upperBand.y + g.upperBand.height); // first row of the lower band
        const int right = pixels.width - 3;

        EXPECT_TRUE(IsOrange(pixels.At(right, 1))) << std::hex << pixels.At(right, 1);
        EXPECT_TRUE(IsBrown(pixels.At(right, bandEnd - 2))) << std::hex << pixels.At(right, bandEnd - 2);
        EXPECT_TRUE(IsWhite(pixels.At(right, bandEnd + 1)));
        EXPECT_TRUE(IsWhite(pixels.At(right, pixels.height - 2)));

        // The warning triangle's yellow left of its exclamation mark, the document's dark rim.
        const int ux = int(g.upperSymbol.x), uy = int(g.upperSymbol.y);
        EXPECT_GT(Count(pixels, ux + 8, uy + 20, ux + 14, uy + 26, IsYellow), 10);
        const int lx = int(g.lowerSymbol.x), ly = int(g.lowerSymbol.y);
        EXPECT_GT(Count(pixels, lx + 5, ly + 8, lx + 8, ly + 24, IsDark), 8);

        // White caption type on the band, dark message type on the white, each beside its symbol.
        EXPECT_GT(Count(pixels, 44, 0, pixels.width, bandEnd - 1, IsWhite), 30);
        EXPECT_EQ(Count(pixels, 0, 0, 3, bandEnd - 1, IsWhite), 0);
        EXPECT_GT(Count(pixels, 80, bandEnd, pixels.width, pixels.height, IsDark), 30);
        EXPECT_EQ(Count(pixels, 0, bandEnd, 38, pixels.height, IsDark), 0) << "nothing dark left of the symbol";
        PressOk(dialog);
    });
}

TEST(InfoPainting, EmptyTextsStillPaintBothBandsAndSymbols) {
    InfoCall call;
    call.captionId = 4711;
    call.textId = 4712;
    call.tag = nullptr;
    RunInfo(call, [&](HWND dialog, CVistralInfoDlg* info) {
        ASSERT_NE(dialog, nullptr);
        info->SetCaptionText(L"");
        const Pixels pixels = CaptureClient(::GetDlgItem(dialog, IDC_INFO_AREA));
        const auto g = info::ComputeInfoAreaGeometry(0, 0, pixels.width, pixels.height);
        const int bandEnd = static_cast<int>(g.upperBand.y + g.upperBand.height);
        EXPECT_TRUE(IsOrange(pixels.At(pixels.width / 2, 1)));
        EXPECT_EQ(Count(pixels, 44, 0, pixels.width, bandEnd - 1, IsWhite), 0) << "no caption type";
        EXPECT_GT(Count(pixels, int(g.upperSymbol.x) + 8, int(g.upperSymbol.y) + 20, int(g.upperSymbol.x) + 14,
                        int(g.upperSymbol.y) + 26, IsYellow),
                  10);
        PressOk(dialog);
    });
}
