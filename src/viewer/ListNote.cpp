// The note on an empty record list.
#include "viewer/ListNote.h"

void ListNote::SetText(const std::wstring& text) {
    if (text == m_text)
        return;
    m_text = text;
    if (m_list)
        ::InvalidateRect(m_list, nullptr, TRUE);
}

LRESULT ListNote::OnCustomDraw(const NMCUSTOMDRAW& draw) const {
    if (m_text.empty() || ListView_GetItemCount(m_list) > 0)
        return 0;
    if (draw.dwDrawStage == CDDS_PREPAINT)
        return CDRF_NOTIFYPOSTPAINT;
    if (draw.dwDrawStage != CDDS_POSTPAINT)
        return 0;
    RECT area{};
    ::GetClientRect(m_list, &area);
    RECT header{};
    if (HWND headerControl = ListView_GetHeader(m_list);
        headerControl && ::GetWindowRect(headerControl, &header))
        area.top += header.bottom - header.top;
    const int margin = ::MulDiv(8, ::GetDeviceCaps(draw.hdc, LOGPIXELSY), 96);
    ::InflateRect(&area, -margin, -margin);
    HGDIOBJ font =
        ::SelectObject(draw.hdc, reinterpret_cast<HFONT>(::SendMessageW(m_list, WM_GETFONT, 0, 0)));
    const int mode = ::SetBkMode(draw.hdc, TRANSPARENT);
    const COLORREF colour = ::SetTextColor(draw.hdc, ::GetSysColor(COLOR_GRAYTEXT));
    ::DrawTextW(draw.hdc, m_text.c_str(), static_cast<int>(m_text.size()), &area,
                DT_CENTER | DT_WORDBREAK | DT_EDITCONTROL | DT_NOPREFIX);
    ::SetTextColor(draw.hdc, colour);
    ::SetBkMode(draw.hdc, mode);
    ::SelectObject(draw.hdc, font);
    return 0;
}
