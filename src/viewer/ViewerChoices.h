// The operator's choices the viewer keeps from one run to the next (grouping, where its windows
// stand, the list's column widths, the last search text), their stored form, and the rules that
// decide whether a kept value can be used. No platform headers.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace viewer {

struct ScreenRect {
    int left = 0, top = 0, right = 0, bottom = 0;
    int Width() const { return right - left; }
    int Height() const { return bottom - top; }
};

// A window's place: its rectangle when restored, and whether it was maximised.
struct WindowPlace {
    ScreenRect rect;
    bool maximized = false;
};

struct ViewerChoices {
    bool groupByComputer = false;
    std::optional<WindowPlace> viewer;
    std::vector<int> columnWidths; // the record list's; empty: its own defaults
    std::wstring searchText;
    std::optional<ScreenRect> matches;
    std::optional<ScreenRect> timeline;
    std::optional<ScreenRect> records;
    std::wstring recordsFilter; // the records window's last filter, in its kept form
    std::wstring saveFolder; // where the last save went; empty: the user's documents
};

// A value as the registry holds it.
struct StoredValue {
    enum Type : uint32_t { None = 0, String = 1, Binary = 3, Number = 4 }; // REG_SZ, REG_BINARY, REG_DWORD
    uint32_t type = None;
    std::vector<uint8_t> bytes;
};

// Each answers nothing for a value that is missing or not what its writer wrote: another type
// or size, a number out of its range. Such a value counts as never chosen.
std::optional<bool> DecodeFlag(const StoredValue& value);
// Not smaller than `minWidth` x `minHeight`, nor larger than the platform's coordinates reach.
std::optional<ScreenRect> DecodeRect(const StoredValue& value, int minWidth, int minHeight);
std::optional<WindowPlace> DecodePlace(const StoredValue& value, int minWidth, int minHeight);
// Exactly `columns` widths, each from kMinColumnWidth to kMaxColumnWidth.
std::optional<std::vector<int>> DecodeWidths(const StoredValue& value, size_t columns);
// Up to `maxUnits` units (the terminating NULs not counted); empty text is none.
std::optional<std::wstring> DecodeText(const StoredValue& value, size_t maxUnits);

StoredValue EncodeFlag(bool flag);
StoredValue EncodeRect(const ScreenRect& rect);
StoredValue EncodePlace(const WindowPlace& place);
StoredValue EncodeWidths(const std::vector<int>& widths);
StoredValue EncodeText(const std::wstring& text);

constexpr int kMinColumnWidth = 10;
constexpr int kMaxColumnWidth = 4000;

// Column widths are kept at 96 DPI, so that a viewer at another DPI shows the operator's
// columns at its own scale: the date and time whole at 144 DPI after a viewer at 96 DPI.
// The widths to keep for `pixels` shown at `dpi`, each within kMinColumnWidth..kMaxColumnWidth.
std::vector<int> WidthsToKeep(const std::vector<int>& pixels, int dpi);
// The pixels at `dpi` of widths kept. Widths kept before they were kept this way were pixels at
// whatever DPI the screen had then, and nothing tells which: they are read as 96-DPI values,
// right for the usual screen, and one kept at a larger DPI comes back that much wider, never
// cut.
std::vector<int> KeptWidthsAt(const std::vector<int>& kept, int dpi);

// Whether a window at `rect` can be seen and taken hold of on one of the monitors whose work
// areas are given: a piece of its caption, the top kGripHeight pixels, at least kGripWidth wide,
// lies on one of them. A window kept on a monitor that is gone comes back where it opens anew.
constexpr int kGripHeight = 20;
constexpr int kGripWidth = 60;
bool ShownOnMonitors(const ScreenRect& rect, const std::vector<ScreenRect>& workAreas);

} // namespace viewer
