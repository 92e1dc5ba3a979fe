// Where the viewer keeps the operator's choices: per user, under one key of the registry and
// nowhere else; and the monitors a kept place is checked against.
#pragma once

#include "viewer/ViewerChoices.h"

#include <windows.h>
#include <vector>

namespace viewer {

// Under HKEY_CURRENT_USER.
constexpr wchar_t kChoicesKey[] = L"Software\\Morvane\\Vistral\\ZtServiceMsg\\Viewer";

// The kept choices; a missing key or value, or a damaged one, gives that choice's default.
// `columns` is the number of the record list's columns.
ViewerChoices LoadChoices(size_t columns);
// Writes every choice under the key (made when missing); false when the key cannot be written.
bool SaveChoices(const ViewerChoices& choices);

// The work areas of the monitors attached now.
std::vector<ScreenRect> MonitorWorkAreas();

// Where a window stands when restored, in screen coordinates, and whether it is maximised.
WindowPlace PlaceOf(HWND window);
// Puts a window there (maximised when the place says so) and answers true, when a monitor
// shows it; otherwise leaves it where it is and answers false.
bool PutPlace(HWND window, const WindowPlace& place);

inline ScreenRect ToScreenRect(const RECT& rect) {
    return {rect.left, rect.top, rect.right, rect.bottom};
}
inline RECT ToRect(const ScreenRect& rect) {
    return {rect.left, rect.top, rect.right, rect.bottom};
}

} // namespace viewer
