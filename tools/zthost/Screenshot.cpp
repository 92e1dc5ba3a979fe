// Saves what a window shows on the screen as a PNG file, through GDI+.
#include "Screenshot.h"

#include <gdiplus.h>

namespace {

const CLSID kPngEncoder = {0x557cf406, 0x1a04, 0x11d3, {0x9a, 0x73, 0x00, 0x00, 0xf8, 0x1e, 0xf3, 0x2e}};

} // namespace

bool SaveWindowPng(HWND window, const std::wstring& path) {
    RECT rect{};
    if (!::GetWindowRect(window, &rect))
        return false;
    ::RedrawWindow(window, nullptr, nullptr, RDW_INVALIDATE | RDW_ALLCHILDREN | RDW_UPDATENOW | RDW_FRAME);
    ::GdiFlush();
    // What a window paints reaches the screen later: Wine keeps it in a surface of the process
    // and hands it to the X server when the thread next waits. A short wait, with no message
    // taken, lets it arrive before the screen is copied.
    ::MsgWaitForMultipleObjects(0, nullptr, FALSE, 200, 0);
    const int width = rect.right - rect.left;
    const int height = rect.bottom - rect.top;
    if (width <= 0 || height <= 0)
        return false;

    HDC screen = ::GetDC(nullptr);
    HDC memory = ::CreateCompatibleDC(screen);
    HBITMAP bitmap = ::CreateCompatibleBitmap(screen, width, height);
    HGDIOBJ old = ::SelectObject(memory, bitmap);
    ::BitBlt(memory, 0, 0, width, height, screen, rect.left, rect.top, SRCCOPY);
    ::SelectObject(memory, old);
    ::DeleteDC(memory);
    ::ReleaseDC(nullptr, screen);

    bool saved = false;
    {
        Gdiplus::Bitmap image(bitmap, nullptr);
        saved = image.GetLastStatus() == Gdiplus::Ok &&
                image.Save(path.c_str(), &kPngEncoder, nullptr) == Gdiplus::Ok;
    }
    ::DeleteObject(bitmap);
    return saved;
}
