// Placing the viewer's owned windows.
#include "viewer/OwnedPlacement.h"

#include "viewer/ViewerSettings.h"

#include <algorithm>
#include <iterator>

namespace {
viewer::Box BoxOf(const RECT& rect) {
    return {rect.left, rect.top, rect.right - rect.left, rect.bottom - rect.top};
}
RECT RectOf(HWND window) {
    RECT rect{};
    ::GetWindowRect(window, &rect);
    return rect;
}
} // namespace

OwnedPlacement::OwnedPlacement(const viewer::Side (&sides)[4]) {
    std::copy(std::begin(sides), std::end(sides), std::begin(m_sides));
}

void OwnedPlacement::Place(HWND window, HWND viewer, HWND list) const {
    if (m_kept && viewer::ShownOnMonitors(viewer::ToScreenRect(m_last), viewer::MonitorWorkAreas())) {
        ::SetWindowPos(window, nullptr, m_last.left, m_last.top, m_last.right - m_last.left,
                       m_last.bottom - m_last.top, SWP_NOZORDER | SWP_NOACTIVATE);
        return;
    }
    MONITORINFO monitor{};
    monitor.cbSize = sizeof monitor;
    if (!::GetMonitorInfoW(::MonitorFromWindow(viewer, MONITOR_DEFAULTTONEAREST), &monitor))
        return;
    const viewer::Box mine = BoxOf(RectOf(window));
    const viewer::Box at =
        viewer::PlaceBesideViewer(BoxOf(RectOf(viewer)), BoxOf(RectOf(list)), {mine.width, mine.height},
                                  BoxOf(monitor.rcWork), m_sides);
    ::SetWindowPos(window, nullptr, at.x, at.y, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
}

void OwnedPlacement::Keep(const viewer::ScreenRect& place) {
    m_last = viewer::ToRect(place);
    m_kept = true;
}

std::optional<viewer::ScreenRect> OwnedPlacement::Current(HWND window) const {
    if (window && ::IsWindow(window) && !::IsIconic(window) && !::IsZoomed(window))
        return viewer::ToScreenRect(RectOf(window));
    return m_kept ? std::optional<viewer::ScreenRect>(viewer::ToScreenRect(m_last)) : std::nullopt;
}

void OwnedPlacement::Remember(HWND window) {
    // Not while it is minimised or maximised: that is no place the operator gave it.
    if (::IsIconic(window) || ::IsZoomed(window))
        return;
    m_last = RectOf(window);
    m_kept = true;
}
