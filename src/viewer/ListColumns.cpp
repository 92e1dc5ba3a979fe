// Column widths from the list's font and DPI; the header's sort mark.
#include "viewer/ListColumns.h"

#include "viewer/ViewerLayout.h"

#include <algorithm>
#include <string>

int DateColumnWidth(const win::ListView& list) {
    int widest = 0;
    wchar_t digit = L'0';
    for (wchar_t d = L'0'; d <= L'9'; ++d) {
        const wchar_t text[2] = {d, 0};
        const int width = static_cast<int>(list.Send(LVM_GETSTRINGWIDTHW, 0, reinterpret_cast<LPARAM>(text)));
        if (width > widest)
            widest = width, digit = d;
    }
    std::wstring sample = L"00.00.0000 00:00:00";
    std::replace(sample.begin(), sample.end(), L'0', digit);
    const int text =
        static_cast<int>(list.Send(LVM_GETSTRINGWIDTHW, 0, reinterpret_cast<LPARAM>(sample.c_str())));
    return viewer::FittingColumnWidth(text, DotsPerInch(list.Handle()));
}

int DotsPerInch(HWND window) {
    HDC dc = ::GetDC(window);
    const int dpi = dc ? ::GetDeviceCaps(dc, LOGPIXELSX) : 96;
    if (dc)
        ::ReleaseDC(window, dc);
    return dpi;
}

void FillLastColumn(win::ListView& list) {
    const int columns = list.GetColumnCount();
    if (columns <= 0)
        return;
    int others = 0;
    for (int column = 0; column + 1 < columns; ++column)
        others += list.GetColumnWidth(column);
    const int width = viewer::FillingColumnWidth(others, list.ClientRect().right, DotsPerInch(list.Handle()));
    if (width != list.GetColumnWidth(columns - 1))
        list.SetColumnWidth(columns - 1, width);
}

void MarkSortedColumn(const win::ListView& list, int column, bool ascending) {
    HWND header = list.GetHeader();
    const int columns = list.GetColumnCount();
    for (int at = 0; at < columns; ++at) {
        HDITEMW item{};
        item.mask = HDI_FORMAT;
        if (!::SendMessageW(header, HDM_GETITEMW, static_cast<WPARAM>(at), reinterpret_cast<LPARAM>(&item)))
            continue;
        const int format = (item.fmt & ~(HDF_SORTUP | HDF_SORTDOWN)) |
                           (at == column ? (ascending ? HDF_SORTUP : HDF_SORTDOWN) : 0);
        if (format == item.fmt)
            continue;
        item.fmt = format;
        ::SendMessageW(header, HDM_SETITEMW, static_cast<WPARAM>(at), reinterpret_cast<LPARAM>(&item));
    }
}
