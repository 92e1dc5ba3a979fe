// Where a window the viewer owns stands: beside the viewer when it first opens, and where the
// operator left it when it opens again while the viewer lives.
#pragma once

#include "viewer/ViewerLayout.h"

#include <windows.h>

class OwnedPlacement {
public:
    explicit OwnedPlacement(const viewer::Side (&sides)[4]);
    // Places `window` for the viewer `viewer` and its record list `list`.
    void Place(HWND window, HWND viewer, HWND list) const;
    // Called as `window` goes: its place is kept for the next time.
    void Remember(HWND window);

private:
    viewer::Side m_sides[4];
    RECT m_last{};
    bool m_kept = false;
};
