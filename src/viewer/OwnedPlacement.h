// Where a window the viewer owns stands: beside the viewer when it first opens, and where the
// operator left it when it opens again, in this viewer or (kept by the viewer) a later one; a
// place no monitor shows any more counts as none.
#pragma once

#include "viewer/ViewerChoices.h"
#include "viewer/ViewerLayout.h"

#include <windows.h>
#include <optional>

class OwnedPlacement {
public:
    explicit OwnedPlacement(const viewer::Side (&sides)[4]);
    // Places `window` for the viewer `viewer` and its record list `list`.
    void Place(HWND window, HWND viewer, HWND list) const;
    // Called as `window` goes: its place is kept for the next time.
    void Remember(HWND window);
    // A place an earlier viewer kept, taken as one the operator gave.
    void Keep(const viewer::ScreenRect& place);
    // Where `window` stands when it is open and neither minimised nor maximised, else where it
    // stood last; nothing when it never stood anywhere.
    std::optional<viewer::ScreenRect> Current(HWND window) const;

private:
    viewer::Side m_sides[4];
    RECT m_last{};
    bool m_kept = false;
};
