// The caption font's size; the window tests read the area's geometry back from its pixels.
#include "info/InfoAreaGeometry.h"

#include <gtest/gtest.h>

TEST(InfoAreaGeometry, CaptionFontIsSixteenTenthsOfTheIconTitleFontTruncatedTowardZero) {
    for (auto [iconTitle, caption] : {std::pair{-12, -19}, {12, 19}, {-11, -17}, {0, 0}})
        EXPECT_EQ(info::CaptionFontHeight(iconTitle), caption) << iconTitle;
}
