// The viewer's kept choices: what is read back from what was written, what counts as damaged,
// and where a kept window may come back.
#include "viewer/ViewerChoices.h"

#include <gtest/gtest.h>

using namespace viewer;

TEST(ViewerChoices, WhatWasWrittenIsReadBackAndADamagedValueCountsAsNeverChosen) {
    EXPECT_EQ(DecodeFlag(EncodeFlag(true)), true);
    const WindowPlace place{{-1200, -20, -300, 600}, true}; // a monitor left of the primary one
    const auto back = DecodePlace(EncodePlace(place), 700, 275);
    ASSERT_TRUE(back);
    EXPECT_EQ(EncodeRect(back->rect).bytes, EncodeRect(place.rect).bytes);
    EXPECT_TRUE(back->maximized);
    EXPECT_EQ(DecodeWidths(EncodeWidths({135, 120, 400}), 3), (std::vector<int>{135, 120, 400}));
    EXPECT_EQ(DecodeText(EncodeText(L"Speicher knapp"), 255), L"Speicher knapp");

    EXPECT_FALSE(DecodeFlag({StoredValue::Number, {2, 0, 0, 0}})) << "neither 0 nor 1";
    EXPECT_FALSE(DecodeFlag({StoredValue::Binary, {1, 0, 0, 0}})) << "another type";
    EXPECT_FALSE(DecodePlace(EncodePlace({{0, 0, 699, 400}, false}), 700, 275)) << "below the smallest size";
    EXPECT_FALSE(DecodePlace(EncodePlace({{400, 0, 0, 400}, false}), 0, 0)) << "turned inside out";
    EXPECT_FALSE(DecodeWidths(EncodeWidths({135, 120}), 3)) << "a column short";
    EXPECT_FALSE(DecodeWidths(EncodeWidths({135, 120, 90000}), 3));
    EXPECT_FALSE(DecodeText(EncodeText(std::wstring(256, L'x')), 255)) << "longer than the Find dialog takes";
    EXPECT_FALSE(DecodeText({StoredValue::String, {'a', 0, 'b'}}, 255)) << "half a unit";
    EXPECT_EQ(DecodeText({StoredValue::String, {'a', 0, 'b', 0}}, 255), L"ab") << "no terminator";
}

TEST(ViewerChoices, AKeptWindowComesBackOnlyWhereAMonitorShowsItsCaption) {
    const std::vector<ScreenRect> monitors = {{0, 0, 1280, 994}, {1280, 0, 2560, 1024}};
    EXPECT_TRUE(ShownOnMonitors({1250, 100, 1950, 500}, monitors)) << "across both";
    EXPECT_TRUE(ShownOnMonitors({-690, 100, 70, 500}, monitors)) << "70 pixels of its caption";
    EXPECT_FALSE(ShownOnMonitors({-700, 100, 50, 500}, monitors)) << "50: too little to take hold of";
    EXPECT_FALSE(ShownOnMonitors({100, 980, 800, 1300}, monitors)) << "its caption below the work area";
    EXPECT_FALSE(ShownOnMonitors({3000, 100, 3700, 500}, monitors)) << "on a monitor that is gone";
}

TEST(ViewerChoices, WidthsAreKeptAt96DpiAndComeBackAtTheViewersOwn) {
    EXPECT_EQ(KeptWidthsAt({135, 120, 400}, 144), (std::vector<int>{203, 180, 600})) << "96 -> 144";
    EXPECT_EQ(WidthsToKeep({203, 180, 600}, 144), (std::vector<int>{135, 120, 400})) << "and back";
    EXPECT_EQ(WidthsToKeep({12, 5000}, 192), (std::vector<int>{10, 2500})) << "within the stored range";
}
