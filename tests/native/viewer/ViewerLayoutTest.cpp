// The viewer's and the details dialog's layout arithmetic.
#include "viewer/ViewerLayout.h"

#include <gtest/gtest.h>

using namespace viewer;

TEST(ViewerLayout, ThirdsWithTenPixelMarginsAndButtonsInTheCorner) {
    const ViewerButtons buttons{{102, 23}, {75, 26}, {75, 26}};
    const ViewerLayout l = ComputeViewerLayout(900, 600, buttons);
    EXPECT_EQ(l.caption.width, 900);
    EXPECT_EQ(l.caption.height, 50);
    EXPECT_EQ(l.groupByComputer.x, 10);
    EXPECT_EQ(l.groupByComputer.y, 60);
    EXPECT_EQ(l.groupByType.x, 122);
    EXPECT_EQ(l.tree.y, 93);
    EXPECT_EQ(l.tree.width, 285);  // 900 / 3 - 15
    EXPECT_EQ(l.tree.height, 437); // 600 - 130 - 23 - 10
    EXPECT_EQ(l.list.x, 305);
    EXPECT_EQ(l.list.width, 585); // 1800 / 3 - 15
    EXPECT_EQ(l.list.height, 470);
    EXPECT_EQ(l.cancel.x, 815);
    EXPECT_EQ(l.cancel.y, 564);
    EXPECT_EQ(l.ok.x, 730);
    EXPECT_EQ(l.ok.y, 564);
}

TEST(ViewerLayout, WidthsAreTruncatedTowardZero) {
    const ViewerLayout l = ComputeViewerLayout(701, 275, {});
    EXPECT_EQ(l.tree.width, 218); // 233.67 - 15
    EXPECT_EQ(l.list.width, 452); // 467.33 - 15
    const ViewerLayout tiny = ComputeViewerLayout(10, 10, {});
    EXPECT_EQ(tiny.tree.width, -11); // -11.67 truncates to -11, not -12
    EXPECT_EQ(tiny.list.width, -8);
}

TEST(ViewerLayout, MissingButtonsCountAsNothing) {
    const ViewerLayout l = ComputeViewerLayout(700, 300, {});
    EXPECT_EQ(l.groupByType.x, 20);
    EXPECT_EQ(l.tree.y, 70);
    EXPECT_EQ(l.ok.x, 680);
}

TEST(DetailsLayout, ColumnsShareTheWidthEqually) {
    const DetailsButtons buttons{{75, 23}, {75, 23}, {75, 23}};
    const DetailsLayout l = ComputeDetailsLayout(420, 300, buttons, 2);
    EXPECT_EQ(l.columnWidth, 198); // (420 - 20) / 2 - 2
    EXPECT_EQ(l.list.width, 400);
    EXPECT_EQ(l.list.height, 247);
    EXPECT_EQ(l.ok.x, 335);
    EXPECT_EQ(l.ok.y, 267);
    EXPECT_EQ(l.previous.x, 10);
    EXPECT_EQ(l.next.x, 95);
    EXPECT_EQ(ComputeDetailsLayout(421, 300, buttons, 3).columnWidth, 131);
    EXPECT_EQ(ComputeDetailsLayout(420, 300, buttons, 0).columnWidth, 0);
}
