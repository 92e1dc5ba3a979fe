// The caption band of the dialogs.
#include "info/StaticCaption.h"

#include "info/TextFitting.h"
#include "win/ResourceModule.h"

#include <commctrl.h>
#include <gdiplus.h>

#include <memory>

namespace {

constexpr Gdiplus::ARGB kGradientTop = 0xFF008000;
constexpr Gdiplus::ARGB kTextColour = 0xFFFFFFFF;
constexpr LONG kTextHeight = -20;

Gdiplus::Color OpaqueSystemColour(int index) {
    const COLORREF colour = ::GetSysColor(index);
    return Gdiplus::Color(255, GetRValue(colour), GetGValue(colour), GetBValue(colour));
}

} // namespace

void CStaticCaption::PreSubclassWindow() {
    m_text = GetText();
}

void CStaticCaption::SetText(const std::wstring& text) {
    m_text = text;
    Invalidate(false);
}

void CStaticCaption::SetTip(const std::wstring& tip) {
    m_tipText = tip;
    TTTOOLINFOW tool{};
    tool.cbSize = TTTOOLINFOW_V2_SIZE;
    tool.hwnd = ::GetParent(m_hwnd);
    tool.uId = reinterpret_cast<UINT_PTR>(m_hwnd);
    tool.lpszText = m_tipText.data();
    if (m_tip) {
        ::SendMessageW(m_tip, TTM_UPDATETIPTEXTW, 0, reinterpret_cast<LPARAM>(&tool));
        return;
    }
    m_tip = ::CreateWindowExW(WS_EX_TOPMOST, TOOLTIPS_CLASSW, nullptr,
                              WS_POPUP | TTS_NOPREFIX | TTS_ALWAYSTIP, CW_USEDEFAULT, CW_USEDEFAULT,
                              CW_USEDEFAULT, CW_USEDEFAULT, tool.hwnd, nullptr, win::ThisModule(), nullptr);
    if (!m_tip)
        return;
    // A static lets the mouse through to its parent unless it notifies; the band relays it.
    ::SetWindowLongW(m_hwnd, GWL_STYLE, ::GetWindowLongW(m_hwnd, GWL_STYLE) | SS_NOTIFY);
    tool.uFlags = TTF_IDISHWND;
    ::SendMessageW(m_tip, TTM_ADDTOOLW, 0, reinterpret_cast<LPARAM>(&tool));
    ::SendMessageW(m_tip, TTM_SETMAXTIPWIDTH, 0, 600);
}

LRESULT CStaticCaption::WindowProc(UINT message, WPARAM wParam, LPARAM lParam) {
    if (m_tip && message >= WM_MOUSEFIRST && message <= WM_MOUSELAST) {
        MSG relayed{m_hwnd, message, wParam, lParam, 0, {}};
        ::SendMessageW(m_tip, TTM_RELAYEVENT, 0, reinterpret_cast<LPARAM>(&relayed));
    }
    switch (message) {
    case WM_PAINT:
        Paint();
        return 0;
    case WM_ERASEBKGND:
        return TRUE; // the paint covers every pixel
    case WM_SIZE: {
        LRESULT result = DefaultProc(message, wParam, lParam);
        Invalidate(false);
        return result;
    }
    default:
        return DefaultProc(message, wParam, lParam);
    }
}

// Paints into an off-screen bitmap and copies it in one step, so the band never flickers.
void CStaticCaption::Paint() {
    PAINTSTRUCT paint;
    HDC dc = ::BeginPaint(m_hwnd, &paint);
    const RECT client = ClientRect();
    const int width = client.right - client.left;
    const int height = client.bottom - client.top;
    if (width > 0 && height > 0) {
        Gdiplus::Graphics screen(dc);
        Gdiplus::Bitmap offscreen(width, height, PixelFormat32bppARGB);
        Gdiplus::Graphics graphics(&offscreen);
        graphics.SetTextRenderingHint(Gdiplus::TextRenderingHintAntiAlias);

        const Gdiplus::RectF band(float(client.left), float(client.top), float(width), float(height));
        Gdiplus::LinearGradientBrush gradient(band, Gdiplus::Color(kGradientTop),
                                              OpaqueSystemColour(COLOR_3DFACE),
                                              Gdiplus::LinearGradientModeVertical);
        graphics.FillRectangle(&gradient, band);

        Gdiplus::SolidBrush white{Gdiplus::Color(kTextColour)};
        // One line: a long computer name ends in "…" rather than wrapping into clipped lines.
        Gdiplus::StringFormat format(Gdiplus::StringFormatFlagsNoWrap, 0);
        format.SetAlignment(Gdiplus::StringAlignmentCenter);
        format.SetLineAlignment(Gdiplus::StringAlignmentCenter);
        // A text too long for the band is set smaller, down to half the size, before it is cut:
        // the viewer says there which part of a log it shows.
        const LONG fullSize = -::MulDiv(kTextHeight, ::GetDeviceCaps(dc, LOGPIXELSY), 96);
        const float margin = static_cast<float>(::MulDiv(8, ::GetDeviceCaps(dc, LOGPIXELSX), 96));
        std::unique_ptr<Gdiplus::Font> font;
        const auto setSize = [&](LONG size) {
            LOGFONTW logFont{};
            logFont.lfHeight = -size;
            font = std::make_unique<Gdiplus::Font>(dc, &logFont);
        };
        const auto fits = [&](const std::wstring& candidate) {
            Gdiplus::RectF bounds;
            graphics.MeasureString(candidate.c_str(), static_cast<INT>(candidate.size()), font.get(),
                                   Gdiplus::PointF(0, 0), &format, &bounds);
            return bounds.Width <= band.Width - 2.0f * margin;
        };
        setSize(fullSize);
        for (LONG size = fullSize * 9 / 10; size >= fullSize / 2 && !fits(m_text); size = size * 9 / 10)
            setSize(size);
        const std::wstring shown = info::FitWithEllipsis(m_text, fits);
        graphics.DrawString(shown.c_str(), static_cast<INT>(shown.size()), font.get(), band, &format, &white);

        screen.DrawImage(&offscreen, 0, 0);
    }
    ::EndPaint(m_hwnd, &paint);
}
