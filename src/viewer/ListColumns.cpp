// Column widths from the list's font and DPI.
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
