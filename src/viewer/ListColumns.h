// Column widths a list of the viewer's takes from its font and DPI.
#pragma once

#include "win/ListView.h"

// Wide enough for a date and time ("dd.mm.yyyy hh:mm:ss", every digit the widest one) at the
// list's font and the screen's DPI, the cell's margins included.
int DateColumnWidth(const win::ListView& list);

// The screen's dots per inch where `window` is shown.
int DotsPerInch(HWND window);
