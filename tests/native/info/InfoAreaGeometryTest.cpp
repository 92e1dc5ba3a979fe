// The information area's arithmetic for a 400 x 100 client (grown to 402 x 102), and the
// caption font's size. The window tests read the same rule back from the painted pixels.
#include "info/InfoAreaGeometry.h"

#include <gtest/gtest.h>

TEST(InfoAreaGeometry, AThirdAboveTwoThirdsBelowTextsBesideTheSymbols) {
    const auto g = info::ComputeInfoAreaGeometry(0, 0, 400, 100);
    const info::RectF expected[] = {{-1, -1, 402, 34}, {43, -1, 358, 34}, {-1, 33, 402, 68}, {79, 33, 322, 68}};
    const info::RectF actual[] = {g.upperBand, g.captionText, g.lowerBand, g.messageText};
    for (int i = 0; i < 4; ++i) {
        EXPECT_FLOAT_EQ(actual[i].x, expected[i].x) << i;
        EXPECT_FLOAT_EQ(actual[i].y, expected[i].y) << i;
        EXPECT_FLOAT_EQ(actual[i].width, expected[i].width) << i;
        EXPECT_FLOAT_EQ(actual[i].height, expected[i].height) << i;
    }
    EXPECT_GT(g.upperHeight, 34.0) << "a third in single precision is slightly more than a third";
    EXPECT_FLOAT_EQ(info::ComputeInfoAreaGeometry(10, 20, 410, 120).upperSymbol.y, 1) << "not moved with the area";
}

TEST(InfoAreaGeometry, CaptionFontIsSixteenTenthsTruncatedTowardZero) {
    for (auto [iconTitle, caption] : {std::pair{-12, -19}, {12, 19}, {-11, -17}, {0, 0}})
        EXPECT_EQ(info::CaptionFontHeight(iconTitle), caption) << iconTitle;
}
