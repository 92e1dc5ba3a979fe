// The viewer's kept choices: what is read back from what was written, what counts as damaged,
// and where a kept window may come back.
#include "viewer/ViewerChoices.h"

#include <gtest/gtest.h>

using namespace viewer;

namespace {
StoredValue Bytes(uint32_t type, std::vector<uint8_t> bytes) {
    return {type, std::move(bytes)};
}
bool Same(const ScreenRect& a, const ScreenRect& b) {
    return a.left == b.left && a.top == b.top && a.right == b.right && a.bottom == b.bottom;
}
} // namespace

TEST(ViewerChoices, WhatWasWrittenIsReadBackAndEveryDamagedValueCountsAsNeverChosen) {
    EXPECT_EQ(DecodeFlag(EncodeFlag(true)), true);
    EXPECT_EQ(DecodeFlag(EncodeFlag(false)), false);
    const WindowPlace place{{-1200, -20, -300, 600}, true}; // a monitor left of the primary one
    const auto placeBack = DecodePlace(EncodePlace(place), 700, 275);
    ASSERT_TRUE(placeBack);
    EXPECT_TRUE(Same(placeBack->rect, place.rect) && placeBack->maximized);
    EXPECT_EQ(DecodeWidths(EncodeWidths({135, 120, 400}), 3), (std::vector<int>{135, 120, 400}));
    EXPECT_EQ(DecodeText(EncodeText(L"Speicher knapp"), 255), L"Speicher knapp");
    EXPECT_TRUE(Same(*DecodeRect(EncodeRect({10, 20, 510, 320}), 200, 100), {10, 20, 510, 320}));

    const std::vector<uint8_t> two{2, 0, 0, 0};
    EXPECT_FALSE(DecodeFlag(Bytes(StoredValue::Number, two))) << "neither 0 nor 1";
    EXPECT_FALSE(DecodeFlag(Bytes(StoredValue::Binary, {1, 0, 0, 0}))) << "another type";
    EXPECT_FALSE(DecodeFlag(Bytes(StoredValue::Number, {1, 0}))) << "another size";
    EXPECT_FALSE(DecodeFlag({})) << "missing";
    EXPECT_FALSE(DecodePlace(EncodePlace({{0, 0, 699, 400}, false}), 700, 275)) << "below the smallest size";
    EXPECT_FALSE(DecodePlace(EncodePlace({{0, 0, 40000, 400}, false}), 700, 275)) << "beyond any screen";
    EXPECT_FALSE(DecodePlace(EncodePlace({{400, 0, 0, 400}, false}), 0, 0)) << "turned inside out";
    StoredValue maximized = EncodePlace(place);
    maximized.bytes[16] = 2;
    EXPECT_FALSE(DecodePlace(maximized, 700, 275));
    EXPECT_FALSE(DecodePlace(EncodeRect(place.rect), 700, 275)) << "a rectangle is no place";
    EXPECT_FALSE(DecodeWidths(EncodeWidths({135, 120}), 3)) << "a column short";
    EXPECT_FALSE(DecodeWidths(EncodeWidths({135, 0, 400}), 3)) << "a column of no width";
    EXPECT_FALSE(DecodeWidths(EncodeWidths({135, 120, 90000}), 3));
    EXPECT_FALSE(DecodeText(EncodeText(std::wstring(256, L'x')), 255)) << "longer than the Find dialog takes";
    EXPECT_FALSE(DecodeText(EncodeText(L""), 255));
    EXPECT_FALSE(DecodeText(Bytes(StoredValue::String, {'a', 0, 'b'}), 255)) << "half a unit";
    EXPECT_EQ(DecodeText(Bytes(StoredValue::String, {'a', 0, 'b', 0}), 255), L"ab") << "no terminator";
}

TEST(ViewerChoices, AKeptWindowComesBackOnlyWhereAMonitorShowsItsCaption) {
    const std::vector<ScreenRect> monitors = {{0, 0, 1280, 994}, {1280, 0, 2560, 1024}};
    const struct {
        ScreenRect window;
        bool shown;
    } cases[] = {
        {{100, 100, 800, 500}, true},
        {{2000, 900, 2700, 1300}, true}, // on the second monitor, its lower part beyond it
        {{1250, 100, 1950, 500}, true},  // across both
        {{-690, 100, 70, 500}, true},    // 70 pixels of its caption on the first
        {{-700, 100, 50, 500}, false},   // 50 pixels: too little to take hold of
        {{100, 980, 800, 1300}, false},  // its caption below the first monitor's work area
        {{3000, 100, 3700, 500}, false}, // on a monitor that is gone
        {{100, -300, 800, -5}, false},
    };
    for (const auto& c : cases)
        EXPECT_EQ(ShownOnMonitors(c.window, monitors), c.shown) << c.window.left << "," << c.window.top;
    EXPECT_FALSE(ShownOnMonitors({100, 100, 800, 500}, {})) << "no monitor at all";
}
