// The viewer's and the details dialog's layout arithmetic, one row of positions per client size,
// worked out by hand from the rule (w1 = cx / 3 - 15 and w2 = 2 cx / 3 - 15, both truncated
// toward zero; tree and list start 10 pixels under the grouping buttons).
#include "viewer/ViewerLayout.h"

#include <gtest/gtest.h>

#include <vector>

using namespace viewer;
using Row = std::vector<int>;

// Caption size, the two grouping buttons' positions, tree and list boxes, Cancel's and OK's positions.
static Row Viewer(int cx, int cy, const ViewerButtons& buttons) {
    const ViewerLayout l = ComputeViewerLayout(cx, cy, buttons);
    Row row{l.caption.width, l.caption.height, l.groupByComputer.x, l.groupByComputer.y, l.groupByType.x};
    row.insert(row.end(), {l.groupByType.y, l.tree.x, l.tree.y, l.tree.width, l.tree.height, l.list.x});
    row.insert(row.end(), {l.list.y, l.list.width, l.list.height, l.cancel.x, l.cancel.y, l.ok.x, l.ok.y});
    return row;
}

// With OK 75 x 23, Previous 80 x 25, Next 70 x 21, labels 90 x 13 and fields 20 high in a client
// 300 high: OK's, Previous's and Next's positions, the list's box, the width of every column, the
// first label's y, the first field's box, the last field's y, the message's and the line's boxes.
static Row Details(int cx, int columns) {
    const DetailsLayout l =
        ComputeDetailsLayout(cx, 300, {{75, 23}, {80, 25}, {70, 21}, {90, 13}, 20}, columns);
    Row row{l.ok.x, l.ok.y, l.previous.x, l.previous.y, l.next.x, l.next.y, l.list.x, l.list.y};
    for (const Box& box : {l.fields[0], l.message, l.line})
        row.insert(row.end(), {box.x, box.y, box.width, box.height});
    row.insert(row.end(), {l.list.width, l.list.height, l.columnWidth, l.labels[0].y, l.fields[3].y});
    return row;
}

TEST(ViewerLayout, ThirdsTruncatedTowardZeroTenPixelMarginsButtonsInTheCorner) {
    // Grouping button 102 x 23, Cancel 75 x 26, OK 80 x 24; missing buttons count as 0 x 0.
    EXPECT_EQ(Viewer(901, 600, {{102, 23}, {75, 26}, {80, 24}}),
              (Row{901, 50, 10, 60, 122, 60, 10, 93, 285, 437, 305, 93, 585, 437, 816, 564, 726, 566}));
    EXPECT_EQ(Viewer(10, 10, {}),
              (Row{10, 50, 10, 60, 20, 60, 10, 70, -11, -130, 9, 70, -8, -130, 0, 0, -10, 0}));
    // The list's header never lies under the grouping buttons, at the template's sizes either.
    const ViewerLayout small = ComputeViewerLayout(700, 275, {{120, 23}, {75, 23}, {75, 23}});
    EXPECT_GE(small.list.y, small.groupByType.y + 23 + 10);
}

TEST(ViewerLayout, TheLastColumnTakesTheRestOfTheListButAtLeast100PixelsAt96Dpi) {
    // Beside columns 255 pixels wide together, at 96 DPI: the rest, the least, less room (the
    // list scrolls); the same at 144 DPI.
    const int cases[][4] = {{255, 1078, 96, 823},
                            {255, 355, 96, 100},
                            {255, 300, 96, 100},
                            {383, 1617, 144, 1234},
                            {383, 500, 144, 150}};
    for (const auto& c : cases)
        EXPECT_EQ(FillingColumnWidth(c[0], c[1], c[2]), c[3]) << c[0] << " of " << c[1];
}

TEST(DetailsLayout, FieldsOnTopListMessageAndLineShareTheHeightAboveTheButtons) {
    EXPECT_EQ(Details(420, 2), (Row{335, 267, 10, 265, 100, 269, 10, 110, 106, 10,  304, 20, 10,
                                    173, 400, 35, 10,  229, 400, 28, 400, 42,  198, 13,  82}));
    EXPECT_EQ(Details(421, 3)[22], 131);
    EXPECT_EQ(Details(420, 0)[22], 0) << "no columns, no width";
    const DetailsLayout tiny = ComputeDetailsLayout(100, 60, {{75, 23}, {80, 25}, {70, 21}, {90, 13}, 20}, 2);
    EXPECT_EQ(tiny.list.height + tiny.message.height + tiny.line.height, 0);
    // Centred over the owner, and into the work area where that would stand out of it.
    EXPECT_EQ(CentreOver({100, 100, 800, 600}, {400, 300}, {0, 0, 1280, 1000}).x, 300);
    EXPECT_EQ(CentreOver({900, -50, 800, 200}, {400, 300}, {0, 0, 1280, 1000}).y, 0);
    EXPECT_EQ(CentreOver({900, 100, 800, 600}, {400, 300}, {0, 0, 1280, 1000}).x, 880);
}

TEST(ViewerLayout, OwnedWindowsOpenOnTheFirstSideWithRoomElseInTheCornerAwayFromTheList) {
    using viewer::Side;
    const viewer::Box area{0, 0, 1280, 1000}, list{400, 300, 300, 300};
    const Side beside[4] = {Side::Right, Side::Left, Side::Below, Side::Above};
    const Side under[4] = {Side::Below, Side::Above, Side::Right, Side::Left};
    const struct {
        viewer::Box viewer;
        const Side (&sides)[4];
        int x, y;
    } cases[] = {
        {{200, 300, 500, 400}, beside, 700, 300}, // right, level with the viewer
        {{700, 300, 500, 400}, beside, 300, 300}, // no room on the right: left
        {{200, 300, 500, 400}, under, 200, 700},  // below, where the viewer starts
        {{900, 50, 500, 900}, under, 500, 50},    // the first side in its order with room
        {{0, 0, 1280, 1000}, beside, 880, 700},   // no side has room: the corner away from the list
    };
    for (const auto& c : cases) {
        const viewer::Box at = viewer::PlaceBesideViewer(c.viewer, list, {400, 300}, area, c.sides);
        EXPECT_EQ(std::make_pair(at.x, at.y), std::make_pair(c.x, c.y)) << c.viewer.x << "," << c.viewer.y;
    }
}
