// The information area's arithmetic.
#include "info/InfoAreaGeometry.h"

#include <gtest/gtest.h>

using info::ComputeInfoAreaGeometry;

TEST(InfoAreaGeometry, AThirdAboveTwoThirdsBelowOfTheGrownRectangle) {
    const auto g = ComputeInfoAreaGeometry(0, 0, 400, 100); // grown to 402 x 102
    EXPECT_FLOAT_EQ(g.upperBand.height, 34.0f);
    EXPECT_FLOAT_EQ(g.lowerBand.height, 68.0f);
    EXPECT_FLOAT_EQ(g.upperBand.x, -1.0f);
    EXPECT_FLOAT_EQ(g.upperBand.y, -1.0f);
    EXPECT_FLOAT_EQ(g.upperBand.width, 402.0f);
    EXPECT_FLOAT_EQ(g.lowerBand.y, 33.0f);
    // The single-precision third: slightly more than a third, and not exactly 34.
    EXPECT_GT(g.upperHeight, 34.0);
    EXPECT_LT(g.upperHeight, 34.00001);
}

TEST(InfoAreaGeometry, TextRectanglesStartBesideTheirSymbols) {
    const auto g = ComputeInfoAreaGeometry(0, 0, 400, 100);
    EXPECT_FLOAT_EQ(g.captionText.x, 43.0f);
    EXPECT_FLOAT_EQ(g.captionText.width, 358.0f);
    EXPECT_FLOAT_EQ(g.messageText.x, 79.0f);
    EXPECT_FLOAT_EQ(g.messageText.width, 322.0f);
    EXPECT_FLOAT_EQ(g.messageText.y, g.lowerBand.y);
    EXPECT_FLOAT_EQ(g.messageText.height, g.lowerBand.height);
}

TEST(InfoAreaGeometry, SymbolsCentredInTheirBandsFromTheControlsOrigin) {
    const auto g = ComputeInfoAreaGeometry(0, 0, 400, 100);
    EXPECT_FLOAT_EQ(g.upperSymbol.x, 4.0f);
    EXPECT_FLOAT_EQ(g.upperSymbol.y, 1.0f);
    EXPECT_FLOAT_EQ(g.lowerSymbol.x, 40.0f);
    EXPECT_FLOAT_EQ(g.lowerSymbol.y, 18.0f + 34.0f);
    // Not moved with the rectangle: a control placed elsewhere draws them at the same spots.
    const auto shifted = ComputeInfoAreaGeometry(10, 20, 410, 120);
    EXPECT_FLOAT_EQ(shifted.upperSymbol.y, g.upperSymbol.y);
    EXPECT_FLOAT_EQ(shifted.upperBand.y, 19.0f);
}

TEST(InfoAreaGeometry, CaptionFontIsSixteenTenthsTruncatedTowardZero) {
    EXPECT_EQ(info::CaptionFontHeight(-12), -19);
    EXPECT_EQ(info::CaptionFontHeight(12), 19);
    EXPECT_EQ(info::CaptionFontHeight(-11), -17);
    EXPECT_EQ(info::CaptionFontHeight(0), 0);
}

TEST(InfoAreaGeometry, DegenerateControlsGiveNoNegativeBands) {
    const auto g = ComputeInfoAreaGeometry(0, 0, 0, 0);
    EXPECT_GE(g.upperBand.height, 0.0f);
    EXPECT_GE(g.lowerBand.height, 0.0f);
}
