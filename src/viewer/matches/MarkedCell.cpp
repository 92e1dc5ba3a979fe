// Drawing a cell with its found parts marked.
#include "viewer/matches/MarkedCell.h"

#include <algorithm>
#include <utility>
#include <vector>

namespace viewer {

namespace {
constexpr COLORREF kMarker = RGB(255, 228, 120);
constexpr int kTextMargin = 6; // where the list puts a cell's text
} // namespace

HFONT MarkedCell::BoldOf(HFONT font) {
    if (!m_bold || font != m_boldOf) {
        LOGFONTW face{};
        if (!::GetObjectW(font ? font : ::GetStockObject(DEFAULT_GUI_FONT), sizeof(face), &face))
            return font;
        face.lfWeight = FW_BOLD;
        m_bold.reset(::CreateFontIndirectW(&face));
        m_boldOf = font;
    }
    return m_bold ? m_bold.get() : font;
}

bool MarkedCell::Draw(HWND list, const NMLVCUSTOMDRAW& draw, const std::wstring& text,
                      const TextMatcher& matcher) {
    std::vector<std::pair<size_t, size_t>> found; // [begin, end), ascending, apart
    for (size_t at = matcher.Find(text); at != std::wstring::npos && found.size() < 64;
         at = matcher.Find(text, at + matcher.Length()))
        found.emplace_back(at, at + matcher.Length());
    const int row = static_cast<int>(draw.nmcd.dwItemSpec);
    RECT cell{};
    cell.top = draw.iSubItem;
    cell.left = LVIR_BOUNDS;
    if (found.empty() || !::SendMessageW(list, LVM_GETSUBITEMRECT, row, reinterpret_cast<LPARAM>(&cell)))
        return false;
    cell.right -= 1; // the grid lines stay
    cell.bottom -= 1;
    const bool selected = (::SendMessageW(list, LVM_GETITEMSTATE, row, LVIS_SELECTED) & LVIS_SELECTED) != 0;
    const bool focused = ::GetFocus() == list;
    const COLORREF back = ::GetSysColor(!selected ? COLOR_WINDOW : focused ? COLOR_HIGHLIGHT : COLOR_BTNFACE);
    const COLORREF fore = ::GetSysColor(selected && focused ? COLOR_HIGHLIGHTTEXT : COLOR_WINDOWTEXT);
    HDC dc = draw.nmcd.hdc;
    const int saved = ::SaveDC(dc);
    const HFONT font = reinterpret_cast<HFONT>(::SendMessageW(list, WM_GETFONT, 0, 0));
    ::SetBkColor(dc, back);
    ::ExtTextOutW(dc, 0, 0, ETO_OPAQUE, &cell, L"", 0, nullptr);
    TEXTMETRICW metrics{};
    ::SelectObject(dc, font ? font : ::GetStockObject(DEFAULT_GUI_FONT));
    ::GetTextMetricsW(dc, &metrics);
    const int y = (cell.top + cell.bottom - metrics.tmHeight) / 2;
    RECT clip = cell;
    clip.right -= kTextMargin;
    int x = cell.left + kTextMargin;
    // Plain and found parts in turn, each from where the one before ended, until the cell is full.
    size_t from = 0;
    for (size_t part = 0; from < text.size() && x < clip.right; ++part) {
        const bool marked = part % 2 == 1;
        const size_t end = marked                    ? found[part / 2].second
                           : part / 2 < found.size() ? found[part / 2].first
                                                     : text.size();
        const int length = static_cast<int>(end - from);
        ::SelectObject(dc, marked ? BoldOf(font) : (font ? font : ::GetStockObject(DEFAULT_GUI_FONT)));
        ::SetBkColor(dc, marked ? kMarker : back);
        ::SetTextColor(dc, marked ? RGB(0, 0, 0) : fore);
        SIZE size{};
        ::GetTextExtentPoint32W(dc, text.c_str() + from, length, &size);
        RECT area{x, cell.top, std::min<LONG>(x + size.cx, clip.right), cell.bottom};
        ::ExtTextOutW(dc, x, y, ETO_CLIPPED | (marked ? ETO_OPAQUE : 0), &area, text.c_str() + from,
                      static_cast<UINT>(length), nullptr);
        x += size.cx;
        from = end;
    }
    ::RestoreDC(dc, saved);
    return true;
}

} // namespace viewer
