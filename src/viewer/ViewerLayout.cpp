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

DetailsLayout ComputeDetailsLayout(int cx, int cy, const DetailsParts& parts, int columns) {
    DetailsLayout layout;
    layout.ok = {cx - 10 - parts.ok.width, cy - parts.ok.height - 10, parts.ok.width, parts.ok.height};
    layout.previous = {10, cy - parts.previous.height - 10, parts.previous.width, parts.previous.height};
    layout.next = {parts.previous.width + 20, cy - parts.next.height - 10, parts.next.width,
                   parts.next.height};
    const int fieldX = 10 + parts.label.width + 6;
    int y = 10;
    for (int row = 0; row < 4; ++row) {
        layout.labels[row] = {10, y + (parts.fieldHeight - parts.label.height) / 2, parts.label.width,
                              parts.label.height};
        layout.fields[row] = {fieldX, y, cx - 10 - fieldX, parts.fieldHeight};
        y += parts.fieldHeight + 4;
    }
    y += 4;
    const int bottom = cy - 20 - parts.ok.height;
    const int captions = 2 * (6 + parts.label.height + 2);
    const int shared = bottom - y - captions > 0 ? bottom - y - captions : 0;
    auto next = [&](Box& box, int height) {
        box = {10, y, cx - 20, height > 0 ? height : 0};
        y += box.height;
    };
    next(layout.list, shared * 2 / 5);
    y += 6;
    next(layout.messageLabel, parts.label.height);
    y += 2;
    next(layout.message, shared / 3);
    y += 6;
    next(layout.lineLabel, parts.label.height);
    y += 2;
    next(layout.line, bottom - y);
    layout.columnWidth = columns > 0 ? (cx - 20) / columns - 2 : 0;
    return layout;
}

Box CentreOver(const Box& owner, Size window, const Box& workArea) {
    auto place = [](int centred, int size, int low, int extent) {
        const int high = low + extent - size; // the last place that keeps it inside
        return centred > high ? (high > low ? high : low) : centred < low ? low : centred;
    };
    return {place(owner.x + (owner.width - window.width) / 2, window.width, workArea.x, workArea.width),
            place(owner.y + (owner.height - window.height) / 2, window.height, workArea.y, workArea.height),
            window.width, window.height};
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
