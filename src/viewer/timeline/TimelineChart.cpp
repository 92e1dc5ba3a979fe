// Painting the timeline, its tooltip and its clicks.
#include "viewer/timeline/TimelineChart.h"

#include "viewer/timeline/LogTime.h"
#include "viewer/timeline/TimelineAxis.h"
#include "win/ResourceModule.h"

#include <commctrl.h>
#include <gdiplus.h>

#include <algorithm>
#include <cmath>

namespace {

// Bottom to top of a bar, in the order of viewer::TraceKind: red, amber, blue, grey.
constexpr Gdiplus::ARGB kKindColours[viewer::kTraceKinds] = {0xFFD32F2F, 0xFFFFB300, 0xFF1E88E5, 0xFF9E9E9E};
constexpr Gdiplus::ARGB kBackground = 0xFFFFFFFF;
constexpr Gdiplus::ARGB kAxis = 0xFF808080;
constexpr Gdiplus::ARGB kGrid = 0xFFE0E0E0;
constexpr Gdiplus::ARGB kHover = 0xFFE3ECF7;
constexpr Gdiplus::ARGB kText = 0xFF202020;

// Pixels around the plot: the legend above it, the count labels left of it (at least this
// much), the time labels (two lines, as high as the font makes them) under it.
constexpr int kLegendHeight = 24;
constexpr int kLeftMargin = 44;
constexpr int kRightMargin = 12;
constexpr UINT_PTR kToolId = 1;

// The window's own device context, released when it goes.
class WindowDC {
public:
    explicit WindowDC(HWND window) : m_window(window), m_dc(::GetDC(window)) {}
    ~WindowDC() {
        if (m_dc)
            ::ReleaseDC(m_window, m_dc);
    }
    WindowDC(const WindowDC&) = delete;
    WindowDC& operator=(const WindowDC&) = delete;
    HDC get() const { return m_dc; }

private:
    HWND m_window;
    HDC m_dc;
};

// The font the chart draws with: its dialog's.
HFONT ChartFont(HWND chart) {
    auto font = reinterpret_cast<HFONT>(::SendMessageW(::GetParent(chart), WM_GETFONT, 0, 0));
    return font ? font : static_cast<HFONT>(::GetStockObject(DEFAULT_GUI_FONT));
}

Gdiplus::RectF MeasureText(Gdiplus::Graphics& graphics, const std::wstring& text, const Gdiplus::Font& font) {
    Gdiplus::RectF bounds;
    graphics.MeasureString(text.c_str(), static_cast<INT>(text.size()), &font, Gdiplus::PointF(0, 0),
                           &bounds);
    return bounds;
}

void DrawLabel(Gdiplus::Graphics& graphics, const std::wstring& text, const Gdiplus::Font& font,
               const Gdiplus::RectF& box, Gdiplus::StringAlignment horizontal) {
    Gdiplus::SolidBrush brush{Gdiplus::Color(kText)};
    Gdiplus::StringFormat format;
    format.SetAlignment(horizontal);
    format.SetLineAlignment(Gdiplus::StringAlignmentNear);
    format.SetFormatFlags(Gdiplus::StringFormatFlagsNoWrap);
    graphics.DrawString(text.c_str(), static_cast<INT>(text.size()), &font, box, &format, &brush);
}

} // namespace

struct TimelineChart::Geometry {
    float left = 0, top = 0, right = 0, bottom = 0;
    float slotWidth = 0;
    size_t slots = 0;
};

void TimelineChart::Show(const viewer::TimelineBins* bins, Texts texts) {
    m_bins = bins;
    m_texts = std::move(texts);
    if (m_focus != SIZE_MAX) {
        // The slot that holds the focused time now, or the nearest end.
        const size_t count = m_bins ? m_bins->Slots().size() : 0;
        const int64_t length = count ? m_bins->SlotSeconds() : 1;
        const int64_t index = count ? (m_focusStart - m_bins->SlotStart(0)) / length : 0;
        m_focus = count ? static_cast<size_t>(std::clamp<int64_t>(index, 0, int64_t(count) - 1)) : SIZE_MAX;
        MoveFocus(m_focus);
    }
    const size_t hover = m_hover;
    m_hover = SIZE_MAX;
    if (hover != SIZE_MAX)
        Hover(hover); // the counts under the pointer may have changed
    Invalidate(false);
}

// With the font the labels are drawn with, in the window's DC: at 144 DPI a date is half as
// wide again as at 96, and a room measured at 96 DPI cut its year off.
TimelineChart::AxisMetrics TimelineChart::MeasureAxis() const {
    const WindowDC dc(m_hwnd);
    if (!dc.get())
        return {};
    Gdiplus::Graphics graphics(dc.get());
    graphics.SetTextRenderingHint(Gdiplus::TextRenderingHintClearTypeGridFit);
    const Gdiplus::Font font(dc.get(), ChartFont(m_hwnd));
    if (font.GetLastStatus() != Gdiplus::Ok)
        return {};
    const Gdiplus::RectF date = MeasureText(graphics, L"00.00.0000", font);
    const Gdiplus::RectF count = MeasureText(graphics, L"0000000", font);
    if (date.Width <= 0 || date.Height <= 0)
        return {};
    return {std::ceil(date.Width), std::ceil(date.Height), std::ceil(count.Width)};
}

TimelineChart::Geometry TimelineChart::Measure() const {
    const RECT client = ClientRect();
    Geometry g;
    g.left = std::max(float(kLeftMargin), m_axis.countWidth + 6);
    g.top = float(kLegendHeight + 8);
    g.right = std::max(float(client.right - kRightMargin), g.left + 1);
    // Two lines of labels under a mark of 4 pixels, and 2 to spare.
    g.bottom = std::max(float(client.bottom) - (6 + 2 * m_axis.lineHeight), float(kLegendHeight + 9));
    g.slots = m_bins ? m_bins->Slots().size() : 0;
    g.slotWidth = g.slots ? (g.right - g.left) / float(g.slots) : 0;
    return g;
}

bool TimelineChart::SlotAt(POINT point, size_t& slot) const {
    const Geometry g = Measure();
    if (!g.slots || point.x < g.left || point.x >= g.right || point.y < g.top || point.y >= g.bottom)
        return false;
    slot = std::min(g.slots - 1, static_cast<size_t>((float(point.x) - g.left) / g.slotWidth));
    return true;
}

std::wstring TimelineChart::SlotText(size_t slot) const {
    if (!m_bins || slot >= m_bins->Slots().size())
        return {};
    std::wstring text = viewer::FormatLogSlot(m_bins->SlotStart(slot), m_bins->SlotSeconds());
    for (int kind = 0; kind < viewer::kTraceKinds; ++kind)
        text += L"\r\n" + m_texts.kinds[kind] + L": " + std::to_wstring(m_bins->Slots()[slot].counts[kind]);
    return text;
}

RECT TimelineChart::SlotBox(size_t slot) const {
    const Geometry g = Measure();
    if (slot >= g.slots)
        return {};
    const float left = g.left + float(slot) * g.slotWidth;
    return {static_cast<LONG>(left), static_cast<LONG>(g.top),
            static_cast<LONG>(std::ceil(left + g.slotWidth)), static_cast<LONG>(g.bottom)};
}

std::wstring TimelineChart::FocusText() const {
    std::wstring text = SlotText(m_focus);
    const wchar_t* separator = L": "; // after the time; between the counts ", "
    for (size_t at = 0; (at = text.find(L"\r\n", at)) != std::wstring::npos; separator = L", ")
        text.replace(at, 2, separator);
    return text;
}

void TimelineChart::MoveFocus(size_t slot) {
    const size_t count = m_bins ? m_bins->Slots().size() : 0;
    m_focus = count ? std::min(slot, count - 1) : SIZE_MAX;
    if (m_focus != SIZE_MAX)
        m_focusStart = m_bins->SlotStart(m_focus);
    // Screen readers read a static control's text as its name.
    ::SetWindowTextW(m_hwnd, FocusText().c_str());
    Invalidate(false);
    if (onFocusMoved)
        onFocusMoved();
}

bool TimelineChart::OnKey(WPARAM key) {
    const size_t count = m_bins ? m_bins->Slots().size() : 0;
    if (!count)
        return false;
    const size_t at = m_focus == SIZE_MAX ? 0 : m_focus, page = std::max<size_t>(count / 10, 1);
    switch (key) {
    case VK_LEFT:
    case VK_UP:
        MoveFocus(at ? at - 1 : 0);
        return true;
    case VK_RIGHT:
    case VK_DOWN:
        MoveFocus(at + 1);
        return true;
    case VK_HOME:
        MoveFocus(0);
        return true;
    case VK_END:
        MoveFocus(count - 1);
        return true;
    case VK_PRIOR:
        MoveFocus(at > page ? at - page : 0);
        return true;
    case VK_NEXT:
        MoveFocus(at + page);
        return true;
    case VK_RETURN:
        if (m_focus != SIZE_MAX && m_bins->Slots()[m_focus].first != viewer::kNoRecord && onSlotClicked)
            onSlotClicked(m_focus);
        return true;
    default:
        return false;
    }
}

void TimelineChart::PreSubclassWindow() {
    m_axis = MeasureAxis();
    // Tab reaches the chart whatever template the language library holds.
    ::SetWindowLongW(m_hwnd, GWL_STYLE, ::GetWindowLongW(m_hwnd, GWL_STYLE) | WS_TABSTOP);
    // Made by the timeline window (its owner) while the module's controls context is active.
    m_tip =
        ::CreateWindowExW(WS_EX_TOPMOST, TOOLTIPS_CLASSW, nullptr, WS_POPUP | TTS_NOPREFIX | TTS_ALWAYSTIP,
                          CW_USEDEFAULT, CW_USEDEFAULT, CW_USEDEFAULT, CW_USEDEFAULT, ::GetParent(m_hwnd),
                          nullptr, win::ThisModule(), nullptr);
    if (!m_tip)
        return;
    TTTOOLINFOW tool{};
    tool.cbSize = TTTOOLINFOW_V2_SIZE;
    tool.uFlags = TTF_TRACK | TTF_ABSOLUTE;
    tool.hwnd = m_hwnd;
    tool.uId = kToolId;
    tool.lpszText = const_cast<wchar_t*>(L"");
    ::SendMessageW(m_tip, TTM_ADDTOOLW, 0, reinterpret_cast<LPARAM>(&tool));
    ::SendMessageW(m_tip, TTM_SETMAXTIPWIDTH, 0, 400);
}

LRESULT TimelineChart::WindowProc(UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
    case WM_PAINT:
        Paint();
        return 0;
    case WM_ERASEBKGND:
        return TRUE; // the paint covers every pixel
    case WM_SIZE:
        m_axis = MeasureAxis();
        Invalidate(false);
        return DefaultProc(message, wParam, lParam);
    case WM_NCHITTEST:
        return HTCLIENT; // a static answers "transparent" and would pass the mouse to the dialog
    case WM_MOUSEMOVE:
        OnMouseMove({static_cast<short>(LOWORD(lParam)), static_cast<short>(HIWORD(lParam))});
        return 0;
    case WM_MOUSELEAVE:
        m_trackingLeave = false;
        Hover(SIZE_MAX);
        return 0;
    case WM_LBUTTONDBLCLK:
        // The second click of a double-click, at the place of the first: that one selected its
        // slot's record, and the chart may have been counted anew for the record's entry since,
        // so that another slot stands under the pointer now.
        return 0;
    case WM_LBUTTONDOWN: {
        size_t slot = 0;
        if (!SlotAt({static_cast<short>(LOWORD(lParam)), static_cast<short>(HIWORD(lParam))}, slot))
            return 0;
        MoveFocus(slot);
        if (m_bins->Slots()[slot].first != viewer::kNoRecord && onSlotClicked)
            onSlotClicked(slot);
        return 0;
    }
    case WM_GETDLGCODE: {
        // The arrows move the focus over the slots and Enter selects; Tab and Escape stay the dialog's.
        const auto* key = reinterpret_cast<const MSG*>(lParam);
        return DLGC_WANTARROWS |
               (key && key->message == WM_KEYDOWN && key->wParam == VK_RETURN ? DLGC_WANTMESSAGE : 0);
    }
    case WM_KEYDOWN:
        return OnKey(wParam) ? 0 : DefaultProc(message, wParam, lParam);
    case WM_SETFOCUS:
        if (m_focus == SIZE_MAX)
            MoveFocus(0);
        Invalidate(false);
        return DefaultProc(message, wParam, lParam);
    case WM_KILLFOCUS:
        Invalidate(false);
        return DefaultProc(message, wParam, lParam);
    default:
        return DefaultProc(message, wParam, lParam);
    }
}

void TimelineChart::OnWindowGone() {
    m_tip = nullptr; // its owner destroys it
    m_hover = SIZE_MAX;
    m_trackingLeave = false;
    m_focus = SIZE_MAX;
}

void TimelineChart::OnMouseMove(POINT point) {
    if (!m_trackingLeave) {
        TRACKMOUSEEVENT track{sizeof(track), TME_LEAVE, m_hwnd, 0};
        m_trackingLeave = ::TrackMouseEvent(&track) != FALSE;
    }
    size_t slot = SIZE_MAX;
    if (!SlotAt(point, slot) || !m_bins->Slots()[slot].Total())
        slot = SIZE_MAX;
    Hover(slot);
}

// Shows the tooltip of `slot` beside the pointer, or hides it for SIZE_MAX.
void TimelineChart::Hover(size_t slot) {
    if (slot == m_hover)
        return;
    m_hover = slot;
    if (m_tip) {
        TTTOOLINFOW tool{};
        tool.cbSize = TTTOOLINFOW_V2_SIZE;
        tool.hwnd = m_hwnd;
        tool.uId = kToolId;
        if (slot == SIZE_MAX) {
            ::SendMessageW(m_tip, TTM_TRACKACTIVATE, FALSE, reinterpret_cast<LPARAM>(&tool));
        } else {
            std::wstring text = SlotText(slot);
            tool.lpszText = text.data();
            ::SendMessageW(m_tip, TTM_UPDATETIPTEXTW, 0, reinterpret_cast<LPARAM>(&tool));
            POINT at{};
            ::GetCursorPos(&at);
            ::SendMessageW(m_tip, TTM_TRACKPOSITION, 0, MAKELPARAM(at.x + 16, at.y + 16));
            ::SendMessageW(m_tip, TTM_TRACKACTIVATE, TRUE, reinterpret_cast<LPARAM>(&tool));
        }
    }
    Invalidate(false);
}

// Paints into an off-screen bitmap and copies it in one step, so the chart never flickers.
void TimelineChart::Paint() {
    PAINTSTRUCT paint;
    HDC dc = ::BeginPaint(m_hwnd, &paint);
    const RECT client = ClientRect();
    if (client.right <= 0 || client.bottom <= 0) {
        ::EndPaint(m_hwnd, &paint);
        return;
    }
    Gdiplus::Bitmap offscreen(client.right, client.bottom, PixelFormat32bppPARGB);
    Gdiplus::Graphics graphics(&offscreen);
    graphics.SetTextRenderingHint(Gdiplus::TextRenderingHintClearTypeGridFit);
    graphics.Clear(Gdiplus::Color(kBackground));
    Gdiplus::Font text(dc, ChartFont(m_hwnd));
    const Geometry g = Measure();

    // The legend, with the count of each type in the picture.
    float x = g.left;
    for (int kind = 0; kind < viewer::kTraceKinds; ++kind) {
        Gdiplus::SolidBrush swatch{Gdiplus::Color(kKindColours[kind])};
        graphics.FillRectangle(&swatch, x, 8.0f, 10.0f, 10.0f);
        const std::wstring label = m_texts.kinds[kind] + L" (" +
                                   std::to_wstring(m_bins ? m_bins->Total(viewer::TraceKind(kind)) : 0) +
                                   L")";
        const Gdiplus::RectF size = MeasureText(graphics, label, text);
        DrawLabel(graphics, label, text, {x + 14, 6.0f, size.Width + 2, size.Height},
                  Gdiplus::StringAlignmentNear);
        x += 14 + size.Width + 16;
    }

    Gdiplus::Pen axis{Gdiplus::Color(kAxis)};
    Gdiplus::Pen grid{Gdiplus::Color(kGrid)};
    const uint32_t tallest = m_bins ? m_bins->Tallest() : 0;
    if (!g.slots || !tallest) {
        DrawLabel(graphics, m_texts.empty, text, {g.left, (g.top + g.bottom) / 2 - 8, g.right - g.left, 20},
                  Gdiplus::StringAlignmentCenter);
    } else {
        const float height = g.bottom - g.top;
        graphics.DrawLine(&grid, g.left, g.top, g.right, g.top);
        graphics.DrawLine(&grid, g.left, (g.top + g.bottom) / 2, g.right, (g.top + g.bottom) / 2);
        const float line = m_axis.lineHeight;
        DrawLabel(graphics, std::to_wstring(tallest), text, {0, g.top - line / 2, g.left - 6, line},
                  Gdiplus::StringAlignmentFar);
        DrawLabel(graphics, L"0", text, {0, g.bottom - line / 2, g.left - 6, line},
                  Gdiplus::StringAlignmentFar);
        if (m_hover < g.slots) {
            Gdiplus::SolidBrush hover{Gdiplus::Color(kHover)};
            graphics.FillRectangle(&hover, g.left + float(m_hover) * g.slotWidth, g.top, g.slotWidth, height);
        }
        const float barWidth = g.slotWidth > 3 ? g.slotWidth - 1 : g.slotWidth;
        for (size_t i = 0; i < g.slots; ++i) {
            const viewer::TimeSlot& slot = m_bins->Slots()[i];
            uint32_t below = 0;
            for (int kind = 0; kind < viewer::kTraceKinds; ++kind) {
                if (!slot.counts[kind])
                    continue;
                // Edges from the running sum, so that stacked parts meet without gaps.
                const float lower = g.bottom - height * float(below) / float(tallest);
                below += slot.counts[kind];
                const float upper = g.bottom - height * float(below) / float(tallest);
                Gdiplus::SolidBrush brush{Gdiplus::Color(kKindColours[kind])};
                graphics.FillRectangle(&brush, g.left + float(i) * g.slotWidth, upper, barWidth,
                                       std::max(lower - upper, 1.0f));
            }
        }

        if (m_focus < g.slots && ::GetFocus() == m_hwnd) {
            Gdiplus::Pen focus{Gdiplus::Color(kText)};
            focus.SetDashStyle(Gdiplus::DashStyleDot);
            graphics.DrawRectangle(&focus, g.left + float(m_focus) * g.slotWidth, g.top,
                                   std::max(g.slotWidth - 1, 1.0f), height - 1);
        }

        // Time labels at whole multiples of a step, in the log's own form; the date under the
        // clock where it changes.
        const int64_t length = m_bins->SlotSeconds();
        const bool withClock = length < viewer::kSecondsPerDay;
        const int64_t step = viewer::ChooseLabelStep(length, g.slotWidth, m_axis.dateWidth);
        const float spacing = viewer::LabelSpacing(m_axis.dateWidth);
        std::wstring lastDate;
        for (size_t i = 0; i < g.slots; ++i) {
            const int64_t start = m_bins->SlotStart(i);
            if (viewer::FloorToStep(start, step) != start)
                continue;
            const float at = g.left + float(i) * g.slotWidth;
            graphics.DrawLine(&axis, at, g.bottom, at, g.bottom + 3);
            const std::wstring date = viewer::FormatLogDate(start);
            const Gdiplus::RectF line1{at - spacing / 2, g.bottom + 4, spacing, line};
            DrawLabel(graphics, withClock ? viewer::FormatLogClock(start) : date, text, line1,
                      Gdiplus::StringAlignmentCenter);
            if (withClock && date != lastDate) {
                DrawLabel(graphics, date, text, {line1.X, line1.Y + line, line1.Width, line1.Height},
                          Gdiplus::StringAlignmentCenter);
                lastDate = date;
            }
        }
    }
    graphics.DrawLine(&axis, g.left, g.bottom, g.right, g.bottom);
    graphics.DrawLine(&axis, g.left, g.top, g.left, g.bottom);

    Gdiplus::Graphics screen(dc);
    screen.DrawImage(&offscreen, 0, 0);
    ::EndPaint(m_hwnd, &paint);
}
