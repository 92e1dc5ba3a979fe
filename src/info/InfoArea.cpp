// The painted upper part of the information dialog.
#include "info/InfoArea.h"

#include "info/InfoAreaGeometry.h"
#include "info/ResourceImage.h"
#include "info/TextFitting.h"
#include "info/VistralInfoDlg.h"
#include "resource.h"

#include <gdiplus.h>

namespace {

constexpr Gdiplus::ARGB kBackground = 0xFF000000;
constexpr Gdiplus::ARGB kUpperTop = 0xFFFFA500;    // orange
constexpr Gdiplus::ARGB kUpperBottom = 0xFFA52A2A; // brown
constexpr Gdiplus::ARGB kWhite = 0xFFFFFFFF;
constexpr Gdiplus::ARGB kBlack = 0xFF000000;

Gdiplus::RectF ToGdiplus(const info::RectF& r) {
    return Gdiplus::RectF(r.x, r.y, r.width, r.height);
}

void DrawSymbol(Gdiplus::Graphics& graphics, UINT id, const info::PointF& at) {
    if (auto image = info::ResourceImage::Load(id, L"PNG"))
        graphics.DrawImage(image->Bitmap(), at.x, at.y, float(info::kSymbolSize), float(info::kSymbolSize));
}

// Draws `text` wrapped into `rect` and clipped to it. A text that needs more lines than the
// rectangle holds is shortened to end in "…" first: GDI+ would centre all of it over the
// neighbouring band, and not every GDI+ draws its own trimming.
void DrawFitted(Gdiplus::Graphics& graphics, const std::wstring& text, const Gdiplus::Font& font,
                const Gdiplus::RectF& rect, const Gdiplus::StringFormat& format,
                const Gdiplus::Brush& brush) {
    const auto fits = [&](const std::wstring& candidate) {
        // A layout as tall as any text needs, so that the height measured is the whole text's.
        const Gdiplus::RectF unbounded(rect.X, rect.Y, rect.Width, 1e6f);
        Gdiplus::RectF bounds;
        graphics.MeasureString(candidate.c_str(), static_cast<INT>(candidate.size()), &font, unbounded,
                               &format, &bounds);
        return bounds.Height <= rect.Height;
    };
    const std::wstring shown = info::FitWithEllipsis(text, fits);
    const Gdiplus::GraphicsState unclipped = graphics.Save();
    graphics.SetClip(rect);
    graphics.DrawString(shown.c_str(), static_cast<INT>(shown.size()), &font, rect, &format, &brush);
    graphics.Restore(unclipped);
}

} // namespace

LRESULT CInfoArea::WindowProc(UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_ERASEBKGND)
        return TRUE; // DrawItem covers every pixel
    return DefaultProc(message, wParam, lParam);
}

void CInfoArea::DrawItem(const DRAWITEMSTRUCT& item) {
    if (!m_dialog)
        return;
    Gdiplus::Graphics graphics(item.hDC);
    graphics.SetSmoothingMode(Gdiplus::SmoothingModeAntiAlias);

    const RECT client = ClientRect();
    const info::InfoAreaGeometry g =
        info::ComputeInfoAreaGeometry(client.left, client.top, client.right, client.bottom);

    graphics.Clear(Gdiplus::Color(kBackground));
    Gdiplus::LinearGradientBrush upper(ToGdiplus(g.upperBand), Gdiplus::Color(kUpperTop),
                                       Gdiplus::Color(kUpperBottom), Gdiplus::LinearGradientModeVertical);
    graphics.FillRectangle(&upper, ToGdiplus(g.upperBand));
    Gdiplus::SolidBrush white{Gdiplus::Color(kWhite)};
    Gdiplus::SolidBrush black{Gdiplus::Color(kBlack)};
    graphics.FillRectangle(&white, ToGdiplus(g.lowerBand));

    Gdiplus::StringFormat format(0, 0);
    format.SetAlignment(Gdiplus::StringAlignmentNear);
    format.SetLineAlignment(Gdiplus::StringAlignmentCenter);
    format.SetTrimming(Gdiplus::StringTrimmingEllipsisCharacter);

    LOGFONTW logFont{};
    ::SystemParametersInfoW(SPI_GETICONTITLELOGFONT, sizeof(logFont), &logFont, 0);
    Gdiplus::Font messageFont(item.hDC, &logFont);
    logFont.lfHeight = info::CaptionFontHeight(logFont.lfHeight);
    Gdiplus::Font captionFont(item.hDC, &logFont);

    DrawSymbol(graphics, IDB_WARNING_SYMBOL, g.upperSymbol);
    DrawSymbol(graphics, IDB_DOCUMENT_SYMBOL, g.lowerSymbol);

    const std::wstring& caption = m_dialog->CaptionText();
    const std::wstring& message = m_dialog->MessageText();
    graphics.DrawString(caption.c_str(), static_cast<INT>(caption.size()), &captionFont,
                        ToGdiplus(g.captionText), &format, &white);
    DrawFitted(graphics, message, messageFont, ToGdiplus(g.messageText), format, black);
}
