// Where the viewer's and the details dialog's controls go for a client size.
#include "viewer/ViewerLayout.h"

#include <algorithm>

namespace viewer {

ViewerLayout ComputeViewerLayout(int cx, int cy, const ViewerButtons& buttons) {
    const int aw = buttons.groupByComputer.width, ah = buttons.groupByComputer.height;
    // Computed in double precision and truncated toward zero, as the band widths always were.
    const int w1 = static_cast<int>(cx / 3.0 - 15.0);
    const int w2 = static_cast<int>((2 * cx) / 3.0 - 15.0);

    ViewerLayout layout;
    layout.caption = {0, 0, cx, 50};
    layout.groupByComputer = {10, 60, aw, ah};
    layout.groupByType = {aw + 20, 60, 0, 0};
    layout.tree = {10, ah + 70, w1, cy - 130 - ah - 10};
    // The list stands beside the tree, under the grouping buttons like it: beside them, its
    // header would lie under the second button, whose right edge (2 aw + 20) always reaches
    // past the list's left edge (cx / 3 + 5) at the sizes the buttons have.
    layout.list = {w1 + 20, ah + 70, w2, cy - 130 - ah - 10};
    layout.cancel = {cx - buttons.cancel.width - 10, cy - buttons.cancel.height - 10, buttons.cancel.width,
                     buttons.cancel.height};
    layout.ok = {cx - buttons.cancel.width - 10 - buttons.ok.width - 10, cy - buttons.ok.height - 10,
                 buttons.ok.width, buttons.ok.height};
    return layout;
}

DetailsLayout ComputeDetailsLayout(int cx, int cy, const DetailsButtons& buttons, int columns) {
    DetailsLayout layout;
    layout.ok = {cx - 10 - buttons.ok.width, cy - buttons.ok.height - 10, buttons.ok.width,
                 buttons.ok.height};
    layout.previous = {10, cy - buttons.previous.height - 10, buttons.previous.width,
                       buttons.previous.height};
    layout.next = {buttons.previous.width + 20, cy - buttons.next.height - 10, buttons.next.width,
                   buttons.next.height};
    layout.list = {10, 10, cx - 20, cy - 30 - buttons.ok.height};
    layout.columnWidth = columns > 0 ? (cx - 20) / columns - 2 : 0;
    return layout;
}

Box PlaceBesideViewer(const Box& viewer, const Box& list, Size window, const Box& workArea,
                      const Side (&sides)[4]) {
    const int areaRight = workArea.x + workArea.width, areaBottom = workArea.y + workArea.height;
    auto clamp = [](int value, int low, int high) { return value < low ? low : value > high ? high : value; };
    // Along the side it touches, the window starts where the viewer does, shifted into the area.
    const int alongX = clamp(viewer.x, workArea.x, areaRight - window.width);
    const int alongY = clamp(viewer.y, workArea.y, areaBottom - window.height);
    for (Side side : sides) {
        switch (side) {
        case Side::Right:
            if (viewer.x + viewer.width + window.width <= areaRight)
                return {viewer.x + viewer.width, alongY, window.width, window.height};
            break;
        case Side::Left:
            if (viewer.x - window.width >= workArea.x)
                return {viewer.x - window.width, alongY, window.width, window.height};
            break;
        case Side::Below:
            if (viewer.y + viewer.height + window.height <= areaBottom)
                return {alongX, viewer.y + viewer.height, window.width, window.height};
            break;
        case Side::Above:
            if (viewer.y - window.height >= workArea.y)
                return {alongX, viewer.y - window.height, window.width, window.height};
            break;
        }
    }
    const bool listLeft = list.x + list.width / 2 < workArea.x + workArea.width / 2;
    const bool listHigh = list.y + list.height / 2 < workArea.y + workArea.height / 2;
    return {listLeft ? std::max(workArea.x, areaRight - window.width) : workArea.x,
            listHigh ? std::max(workArea.y, areaBottom - window.height) : workArea.y, window.width,
            window.height};
}

} // namespace viewer

namespace viewer {
namespace {
int Scaled(int pixels, int dpi) {
    return (pixels * (dpi > 0 ? dpi : 96) + 48) / 96;
}
} // namespace

int FittingColumnWidth(int textWidth, int dpi) {
    // The list insets a cell's text by six pixels on either side at 96 DPI; two more keep the
    // last digit clear of the column's divider.
    return textWidth + Scaled(14, dpi);
}

std::vector<int> DefaultRecordColumns(int dateWidth, int listWidth, int dpi) {
    const int process = Scaled(120, dpi);
    return {dateWidth, process, FillingColumnWidth(dateWidth + process, listWidth, dpi)};
}

int FillingColumnWidth(int othersWidth, int clientWidth, int dpi) {
    return std::max(clientWidth - othersWidth, Scaled(100, dpi));
}

} // namespace viewer
