// The viewer's choices in the registry.
#include "viewer/ViewerSettings.h"

#include "viewer/ViewerLayout.h"
#include "win/UniqueHandle.h"

namespace viewer {
namespace {

constexpr wchar_t kGroupByComputer[] = L"GroupByComputer";
constexpr wchar_t kPlacement[] = L"Placement";
constexpr wchar_t kColumnWidths[] = L"ColumnWidths";
constexpr wchar_t kSearchText[] = L"SearchText";
constexpr wchar_t kMatchesPlacement[] = L"MatchesPlacement";
constexpr wchar_t kTimelinePlacement[] = L"TimelinePlacement";
constexpr wchar_t kSaveFolder[] = L"SaveFolder";
constexpr wchar_t kRecordsPlacement[] = L"RecordsPlacement";
constexpr wchar_t kRecordsFilter[] = L"RecordsFilter";
// The longest kept filter, in units: a few hundred names.
constexpr size_t kMaxRecordsFilter = 2000;
constexpr size_t kMaxFolder = 1024;

// The longest search text the Find dialog takes, in units.
constexpr size_t kMaxSearchText = 255;
// The smallest size a kept matches or timeline window may have; smaller is no choice of the
// operator's (the windows refuse to shrink further).
constexpr int kMinOwnedWidth = 200, kMinOwnedHeight = 100;

StoredValue Query(HKEY key, const wchar_t* name) {
    StoredValue value;
    DWORD type = 0;
    DWORD size = 0;
    if (::RegQueryValueExW(key, name, nullptr, &type, nullptr, &size) != ERROR_SUCCESS || size > 4096)
        return value; // missing, or larger than anything the viewer writes: damaged
    value.bytes.resize(size);
    if (::RegQueryValueExW(key, name, nullptr, &type, value.bytes.data(), &size) != ERROR_SUCCESS)
        return {};
    value.bytes.resize(size);
    value.type = type;
    return value;
}

bool Set(HKEY key, const wchar_t* name, const StoredValue& value) {
    return ::RegSetValueExW(key, name, 0, value.type, value.bytes.data(),
                            static_cast<DWORD>(value.bytes.size())) == ERROR_SUCCESS;
}

} // namespace

ViewerChoices LoadChoices(size_t columns) {
    ViewerChoices choices;
    win::UniqueRegKey key;
    if (::RegOpenKeyExW(HKEY_CURRENT_USER, kChoicesKey, 0, KEY_QUERY_VALUE, key.put()) != ERROR_SUCCESS)
        return choices;
    if (const auto flag = DecodeFlag(Query(key.get(), kGroupByComputer)))
        choices.groupByComputer = *flag;
    choices.viewer =
        DecodePlace(Query(key.get(), kPlacement), kViewerMinimumSize.width, kViewerMinimumSize.height);
    if (auto widths = DecodeWidths(Query(key.get(), kColumnWidths), columns))
        choices.columnWidths = std::move(*widths);
    if (auto text = DecodeText(Query(key.get(), kSearchText), kMaxSearchText))
        choices.searchText = std::move(*text);
    choices.matches = DecodeRect(Query(key.get(), kMatchesPlacement), kMinOwnedWidth, kMinOwnedHeight);
    choices.timeline = DecodeRect(Query(key.get(), kTimelinePlacement), kMinOwnedWidth, kMinOwnedHeight);
    choices.records = DecodeRect(Query(key.get(), kRecordsPlacement), kMinOwnedWidth, kMinOwnedHeight);
    if (auto filter = DecodeText(Query(key.get(), kRecordsFilter), kMaxRecordsFilter))
        choices.recordsFilter = std::move(*filter);
    if (auto folder = DecodeText(Query(key.get(), kSaveFolder), kMaxFolder))
        choices.saveFolder = std::move(*folder);
    return choices;
}

bool SaveChoices(const ViewerChoices& choices) {
    win::UniqueRegKey key;
    if (::RegCreateKeyExW(HKEY_CURRENT_USER, kChoicesKey, 0, nullptr, 0, KEY_SET_VALUE, nullptr, key.put(),
                          nullptr) != ERROR_SUCCESS)
        return false;
    bool saved = Set(key.get(), kGroupByComputer, EncodeFlag(choices.groupByComputer));
    if (choices.viewer)
        saved &= Set(key.get(), kPlacement, EncodePlace(*choices.viewer));
    if (!choices.columnWidths.empty())
        saved &= Set(key.get(), kColumnWidths, EncodeWidths(choices.columnWidths));
    if (!choices.searchText.empty() && choices.searchText.size() <= kMaxSearchText)
        saved &= Set(key.get(), kSearchText, EncodeText(choices.searchText));
    if (choices.matches)
        saved &= Set(key.get(), kMatchesPlacement, EncodeRect(*choices.matches));
    if (choices.timeline)
        saved &= Set(key.get(), kTimelinePlacement, EncodeRect(*choices.timeline));
    if (choices.records)
        saved &= Set(key.get(), kRecordsPlacement, EncodeRect(*choices.records));
    if (!choices.recordsFilter.empty() && choices.recordsFilter.size() <= kMaxRecordsFilter)
        saved &= Set(key.get(), kRecordsFilter, EncodeText(choices.recordsFilter));
    if (!choices.saveFolder.empty() && choices.saveFolder.size() <= kMaxFolder)
        saved &= Set(key.get(), kSaveFolder, EncodeText(choices.saveFolder));
    return saved;
}

namespace {
// The platform gives a restored place in workspace coordinates: from the primary monitor's
// work area, which starts beside a taskbar on the left or at the top.
POINT WorkspaceOffset() {
    MONITORINFO info{};
    info.cbSize = sizeof info;
    if (!::GetMonitorInfoW(::MonitorFromPoint({0, 0}, MONITOR_DEFAULTTOPRIMARY), &info))
        return {0, 0};
    return {info.rcWork.left - info.rcMonitor.left, info.rcWork.top - info.rcMonitor.top};
}
} // namespace

WindowPlace PlaceOf(HWND window) {
    WINDOWPLACEMENT placement{};
    placement.length = sizeof placement;
    ::GetWindowPlacement(window, &placement);
    RECT rect = placement.rcNormalPosition;
    const POINT offset = WorkspaceOffset();
    ::OffsetRect(&rect, offset.x, offset.y);
    const bool maximized =
        placement.showCmd == SW_SHOWMAXIMIZED ||
        (placement.showCmd == SW_SHOWMINIMIZED && (placement.flags & WPF_RESTORETOMAXIMIZED));
    return {ToScreenRect(rect), maximized};
}

bool PutPlace(HWND window, const WindowPlace& place) {
    if (!ShownOnMonitors(place.rect, MonitorWorkAreas()))
        return false;
    WINDOWPLACEMENT placement{};
    placement.length = sizeof placement;
    ::GetWindowPlacement(window, &placement);
    RECT rect = ToRect(place.rect);
    const POINT offset = WorkspaceOffset();
    ::OffsetRect(&rect, -offset.x, -offset.y);
    placement.rcNormalPosition = rect;
    placement.flags = 0;
    const bool visible = ::IsWindowVisible(window) != FALSE;
    placement.showCmd = place.maximized ? SW_SHOWMAXIMIZED : visible ? SW_SHOWNORMAL : SW_HIDE;
    return ::SetWindowPlacement(window, &placement) != FALSE;
}

namespace {
BOOL CALLBACK AddWorkArea(HMONITOR monitor, HDC, LPRECT, LPARAM areas) {
    MONITORINFO info{};
    info.cbSize = sizeof info;
    if (::GetMonitorInfoW(monitor, &info))
        reinterpret_cast<std::vector<ScreenRect>*>(areas)->push_back(ToScreenRect(info.rcWork));
    return TRUE;
}
} // namespace

std::vector<ScreenRect> MonitorWorkAreas() {
    std::vector<ScreenRect> areas;
    ::EnumDisplayMonitors(nullptr, nullptr, &AddWorkArea, reinterpret_cast<LPARAM>(&areas));
    return areas;
}

} // namespace viewer
