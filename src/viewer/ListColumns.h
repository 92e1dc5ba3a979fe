// Column widths a list of the viewer's takes from its font and DPI, the last column filling the
// list, and the mark of the column the rows are sorted by.
#pragma once

#include "win/ListView.h"

// Wide enough for a date and time ("dd.mm.yyyy hh:mm:ss", every digit the widest one) at the
// list's font and the screen's DPI, the cell's margins included.
int DateColumnWidth(const win::ListView& list);

// The screen's dots per inch where `window` is shown.
int DotsPerInch(HWND window);

// Gives the list's last column the rest of its client width beside the other columns, as
// FillingColumnWidth says; the other columns keep their widths.
void FillLastColumn(win::ListView& list);

// The platform's sort arrow on the header of `column` (up when ascending) and on no other; -1
// marks none, for rows in file order.
void MarkSortedColumn(const win::ListView& list, int column, bool ascending);
