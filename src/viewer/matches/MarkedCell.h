// A list cell whose text holds what the search found: the found parts drawn bold on a marker
// colour, the rest as the list draws it, for the rows the list paints (those on screen).
#pragma once

#include "viewer/find/TextMatcher.h"
#include "win/UniqueHandle.h"

#include <windows.h>
#include <commctrl.h>
#include <string>

namespace viewer {

class MarkedCell {
public:
    // Draws subitem `draw.iSubItem` of row `draw.nmcd.dwItemSpec` with `text`, in the list's
    // colours for a selected or unselected row; false, having drawn nothing, when the text
    // holds no match: the list draws the cell then.
    bool Draw(HWND list, const NMLVCUSTOMDRAW& draw, const std::wstring& text, const TextMatcher& matcher);

private:
    HFONT BoldOf(HFONT font);

    win::UniqueFont m_bold;
    HFONT m_boldOf = nullptr; // the list's font the bold one was made from
};

} // namespace viewer
