// The viewer's kept choices: stored form and use.
#include "viewer/ViewerChoices.h"

#include <algorithm>

namespace viewer {
namespace {

// The platform's window coordinates are 16-bit at heart: a larger size is no real window.
constexpr int kMaxExtent = 32767;

uint32_t ReadUnsigned(const std::vector<uint8_t>& bytes, size_t at) {
    return static_cast<uint32_t>(bytes[at]) | static_cast<uint32_t>(bytes[at + 1]) << 8 |
           static_cast<uint32_t>(bytes[at + 2]) << 16 | static_cast<uint32_t>(bytes[at + 3]) << 24;
}

int ReadInt(const std::vector<uint8_t>& bytes, size_t at) {
    const uint32_t value = ReadUnsigned(bytes, at);
    return value <= 0x7FFFFFFFu ? static_cast<int>(value) : -static_cast<int>(~value) - 1;
}

void AppendInt(std::vector<uint8_t>& bytes, int64_t value) {
    const auto bits = static_cast<uint32_t>(value);
    for (int shift = 0; shift < 32; shift += 8)
        bytes.push_back(static_cast<uint8_t>(bits >> shift));
}

std::optional<ScreenRect> RectAt(const std::vector<uint8_t>& bytes, int minWidth, int minHeight) {
    const ScreenRect rect{ReadInt(bytes, 0), ReadInt(bytes, 4), ReadInt(bytes, 8), ReadInt(bytes, 12)};
    // Far outside any screen the arithmetic below would overflow; no window stands there.
    const auto sane = [](int v) { return v > -4 * kMaxExtent && v < 4 * kMaxExtent; };
    if (!sane(rect.left) || !sane(rect.top) || !sane(rect.right) || !sane(rect.bottom))
        return std::nullopt;
    if (rect.Width() < minWidth || rect.Height() < minHeight || rect.Width() > kMaxExtent ||
        rect.Height() > kMaxExtent)
        return std::nullopt;
    return rect;
}

} // namespace

std::optional<bool> DecodeFlag(const StoredValue& value) {
    if (value.type != StoredValue::Number || value.bytes.size() != 4)
        return std::nullopt;
    const uint32_t number = ReadUnsigned(value.bytes, 0);
    if (number > 1)
        return std::nullopt;
    return number == 1;
}

std::optional<ScreenRect> DecodeRect(const StoredValue& value, int minWidth, int minHeight) {
    if (value.type != StoredValue::Binary || value.bytes.size() != 16)
        return std::nullopt;
    return RectAt(value.bytes, minWidth, minHeight);
}

std::optional<WindowPlace> DecodePlace(const StoredValue& value, int minWidth, int minHeight) {
    if (value.type != StoredValue::Binary || value.bytes.size() != 20)
        return std::nullopt;
    const std::optional<ScreenRect> rect = RectAt(value.bytes, minWidth, minHeight);
    const uint32_t maximized = ReadUnsigned(value.bytes, 16);
    if (!rect || maximized > 1)
        return std::nullopt;
    return WindowPlace{*rect, maximized == 1};
}

std::optional<std::vector<int>> DecodeWidths(const StoredValue& value, size_t columns) {
    if (value.type != StoredValue::Binary || value.bytes.size() != 4 * columns)
        return std::nullopt;
    std::vector<int> widths;
    for (size_t i = 0; i < columns; ++i) {
        const int width = ReadInt(value.bytes, 4 * i);
        if (width < kMinColumnWidth || width > kMaxColumnWidth)
            return std::nullopt;
        widths.push_back(width);
    }
    return widths;
}

std::optional<std::wstring> DecodeText(const StoredValue& value, size_t maxUnits) {
    if (value.type != StoredValue::String || value.bytes.size() % 2 != 0)
        return std::nullopt;
    std::wstring text;
    for (size_t at = 0; at < value.bytes.size(); at += 2) {
        const auto unit = static_cast<wchar_t>(value.bytes[at] | value.bytes[at + 1] << 8);
        if (unit == L'\0')
            break; // the terminator, and whatever a writer left after it
        text += unit;
    }
    if (text.empty() || text.size() > maxUnits)
        return std::nullopt;
    return text;
}

StoredValue EncodeFlag(bool flag) {
    StoredValue value{StoredValue::Number, {}};
    AppendInt(value.bytes, flag ? 1 : 0);
    return value;
}

StoredValue EncodeRect(const ScreenRect& rect) {
    StoredValue value{StoredValue::Binary, {}};
    for (int part : {rect.left, rect.top, rect.right, rect.bottom})
        AppendInt(value.bytes, part);
    return value;
}

StoredValue EncodePlace(const WindowPlace& place) {
    StoredValue value = EncodeRect(place.rect);
    AppendInt(value.bytes, place.maximized ? 1 : 0);
    return value;
}

StoredValue EncodeWidths(const std::vector<int>& widths) {
    StoredValue value{StoredValue::Binary, {}};
    for (int width : widths)
        AppendInt(value.bytes, width);
    return value;
}

StoredValue EncodeText(const std::wstring& text) {
    StoredValue value{StoredValue::String, {}};
    for (wchar_t unit : text) {
        value.bytes.push_back(static_cast<uint8_t>(unit & 0xFF));
        value.bytes.push_back(static_cast<uint8_t>((unit >> 8) & 0xFF));
    }
    value.bytes.push_back(0);
    value.bytes.push_back(0);
    return value;
}

namespace {
// `value` * `to` / `from`, rounded to the nearest; a DPI the platform could not tell is 96.
int Rescaled(int value, int from, int to) {
    from = from > 0 ? from : 96;
    to = to > 0 ? to : 96;
    return static_cast<int>((int64_t(value) * to + from / 2) / from);
}
} // namespace

std::vector<int> WidthsToKeep(const std::vector<int>& pixels, int dpi) {
    std::vector<int> kept;
    for (int width : pixels)
        kept.push_back(std::clamp(Rescaled(width, dpi, 96), kMinColumnWidth, kMaxColumnWidth));
    return kept;
}

std::vector<int> KeptWidthsAt(const std::vector<int>& kept, int dpi) {
    std::vector<int> pixels;
    for (int width : kept)
        pixels.push_back(Rescaled(width, 96, dpi));
    return pixels;
}

bool ShownOnMonitors(const ScreenRect& rect, const std::vector<ScreenRect>& workAreas) {
    const ScreenRect grip{rect.left, rect.top, rect.right, rect.top + kGripHeight};
    return std::any_of(workAreas.begin(), workAreas.end(), [&](const ScreenRect& area) {
        const int width = std::min(grip.right, area.right) - std::max(grip.left, area.left);
        const int height = std::min(grip.bottom, area.bottom) - std::max(grip.top, area.top);
        return width >= kGripWidth && height >= kGripHeight;
    });
}

} // namespace viewer
