// Where the viewer's and the details dialog's controls go for a client size.
#include "viewer/ViewerLayout.h"

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
    const int message = listWidth - dateWidth - process;
    return {dateWidth, process, message > Scaled(120, dpi) ? message : Scaled(120, dpi)};
}

} // namespace viewer
