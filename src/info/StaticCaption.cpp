// The caption band of the dialogs.
#include "info/StaticCaption.h"

#include <gdiplus.h>

namespace {

constexpr Gdiplus::ARGB kGradientTop = 0xFF008000;
constexpr Gdiplus::ARGB kTextColour = 0xFFFFFFFF;
constexpr LONG kTextHeight = -20;

Gdiplus::Color OpaqueSystemColour(int index) {
    const COLORREF colour = ::GetSysColor(index);
    return Gdiplus::Color(255, GetRValue(colour), GetGValue(colour), GetBValue(colour));
}

} // namespace

void CStaticCaption::PreSubclassWindow() { m_text = GetText(); }

void CStaticCaption::SetText(const std::wstring& text) {
    m_text = text;
    Invalidate(false);
}

LRESULT CStaticCaption::WindowProc(UINT message, WPARAM wParam, LPARAM lParam) {
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
        Gdiplus::LinearGradientBrush gradient(band, Gdiplus::Color(kGradientTop), OpaqueSystemColour(COLOR_3DFACE),
                                              Gdiplus::LinearGradientModeVertical);
        graphics.FillRectangle(&gradient, band);

        Gdiplus::SolidBrush white{Gdiplus::Color(kTextColour)};
        Gdiplus::StringFormat format(0, 0);
        format.SetAlignment(Gdiplus::StringAlignmentCenter);
        format.SetLineAlignment(Gdiplus::StringAlignmentCenter);
        LOGFONTW logFont{};
        logFont.lfHeight = kTextHeight;
        Gdiplus::Font font(dc, &logFont);
        graphics.DrawString(m_text.c_str(), static_cast<INT>(m_text.size()), &font, band, &format, &white);

        screen.DrawImage(&offscreen, 0, 0);
    }
    ::EndPaint(m_hwnd, &paint);
}
