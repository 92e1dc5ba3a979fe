// Where the viewer's and the details dialog's controls go for a client size: pure arithmetic,
// so that it can be checked without windows; the dialogs only apply it.
#pragma once

#include <vector>

namespace viewer {

struct Size {
    int width = 0;
    int height = 0;
};

struct Box {
    int x = 0, y = 0, width = 0, height = 0;
};

// The sizes of the viewer's controls that keep their size; a missing control counts as 0 x 0.
struct ViewerButtons {
    Size groupByComputer; // 1004, its size also places 1005 and the tree
    Size cancel;          // 2
    Size ok;              // 1
};

struct ViewerLayout {
    Box caption;
    Box groupByComputer; // position only
    Box groupByType;     // position only
    Box tree;
    Box list;
    Box cancel; // position only
    Box ok;     // position only
};

// The viewer's layout for client size cx x cy with 10-pixel margins: the caption band across
// the top, the grouping buttons under it, under them the tree in the left third and the list in
// the right two thirds, Cancel and OK in the bottom right corner.
ViewerLayout ComputeViewerLayout(int cx, int cy, const ViewerButtons& buttons);

// A list column wide enough to show text `textWidth` pixels wide whole: the cell's margins on
// both sides added, at `dpi` dots per inch.
int FittingColumnWidth(int textWidth, int dpi);

// The record list's column widths when the operator has chosen none: date and time whole
// (`dateWidth`), the process 120 pixels at 96 DPI, the message the rest of the list's client
// width `listWidth` (FillingColumnWidth).
std::vector<int> DefaultRecordColumns(int dateWidth, int listWidth, int dpi);

// The width of a list's last column, which takes the rest of the list's client width
// `clientWidth` beside the other columns (`othersWidth` together), so that no room is left
// empty and none scrolls; but at least 100 pixels at `dpi`: with less room it stays readable,
// and the list scrolls instead.
int FillingColumnWidth(int othersWidth, int clientWidth, int dpi);

// The smallest track size of the viewer, in pixels.
constexpr Size kViewerMinimumSize{700, 275};

struct DetailsParts {
    Size ok;       // 1
    Size previous; // 1007
    Size next;     // 1008
    Size label;    // the widest of the fields' labels, and a label's height
    int fieldHeight = 0;
};

struct DetailsLayout {
    Box ok;       // position only
    Box previous; // position only
    Box next;     // position only
    Box labels[4];
    Box fields[4]; // date and time, computer, diagnose type, process
    Box list;
    Box messageLabel, message;
    Box lineLabel, line;
    int columnWidth = 0; // every column of the list, when it has any
};

// The details dialog's layout for client size cx x cy and a list of `columns` columns, with
// 10-pixel margins: the four fields in rows at the top, each after its label; under them the
// list, the message and the line (each of the two under its label) share the height down to the
// buttons, two fifths, one third and the rest; all are as wide as the dialog, all columns of
// the list equally wide. No box is less than 0 high.
DetailsLayout ComputeDetailsLayout(int cx, int cy, const DetailsParts& parts, int columns);

// A window of size `window` centred over `owner`, moved into `workArea` where it would stand out.
Box CentreOver(const Box& owner, Size window, const Box& workArea);

// Where a window of the viewer's opens, in screen pixels: in the work area of the viewer's
// monitor, touching the viewer and off it, on the first side that has room, in the order
// `sides` gives (the timeline beside it, right then left, then below and above; the wide match
// window below it first). Where no side has room it goes to the work area's corner farthest
// from the viewer's list, kept inside the work area.
enum class Side : unsigned char { Right, Left, Below, Above };
Box PlaceBesideViewer(const Box& viewer, const Box& list, Size window, const Box& workArea,
                      const Side (&sides)[4]);

} // namespace viewer
