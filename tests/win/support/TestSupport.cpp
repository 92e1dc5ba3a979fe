// Helpers of the Windows tests.
#include "TestSupport.h"

#include <map>

namespace testing_support {

std::wstring BinDirectory() {
    wchar_t path[MAX_PATH] = {};
    ::GetModuleFileNameW(nullptr, path, MAX_PATH);
    std::wstring full = path;
    return full.substr(0, full.find_last_of(L'\\') + 1);
}

TempDirectory::TempDirectory() {
    wchar_t base[MAX_PATH] = {};
    ::GetTempPathW(MAX_PATH, base);
    static unsigned counter = 0;
    for (;;) {
        m_path = std::wstring(base) + L"zttest-" + std::to_wstring(::GetCurrentProcessId()) + L"-" +
                 std::to_wstring(++counter) + L"\\";
        if (::CreateDirectoryW(m_path.c_str(), nullptr))
            break;
    }
}

TempDirectory::~TempDirectory() {
    WIN32_FIND_DATAW found;
    HANDLE search = ::FindFirstFileW((m_path + L"*").c_str(), &found);
    if (search != INVALID_HANDLE_VALUE) {
        do {
            if (!(found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY))
                ::DeleteFileW((m_path + found.cFileName).c_str());
        } while (::FindNextFileW(search, &found));
        ::FindClose(search);
    }
    ::RemoveDirectoryW(m_path.c_str());
}

bool CopyFixture(const std::wstring& name, const std::wstring& directory, const std::wstring& targetName) {
    const std::wstring source = BinDirectory() + L"fixtures\\" + name;
    const std::wstring target = directory + (targetName.empty() ? name : targetName);
    return ::CopyFileW(source.c_str(), target.c_str(), FALSE) != FALSE;
}

namespace {
std::map<UINT_PTR, std::function<void()>>& PendingActions() {
    static std::map<UINT_PTR, std::function<void()>> actions;
    return actions;
}

void CALLBACK RunPendingAction(HWND, UINT, UINT_PTR id, DWORD) {
    ::KillTimer(nullptr, id);
    auto found = PendingActions().find(id);
    if (found == PendingActions().end())
        return;
    auto action = std::move(found->second);
    PendingActions().erase(found);
    action();
}

BOOL CALLBACK FindVisibleDialog(HWND window, LPARAM found) {
    wchar_t className[16] = {};
    ::GetClassNameW(window, className, 16);
    if (::IsWindowVisible(window) && std::wstring(className) == L"#32770") {
        *reinterpret_cast<HWND*>(found) = window;
        return FALSE;
    }
    return TRUE;
}
} // namespace

void AfterDelay(UINT delayMs, std::function<void()> action) {
    UINT_PTR id = ::SetTimer(nullptr, 0, delayMs, RunPendingAction);
    PendingActions()[id] = std::move(action);
}

HWND FindThreadDialog() {
    HWND found = nullptr;
    ::EnumThreadWindows(::GetCurrentThreadId(), FindVisibleDialog, reinterpret_cast<LPARAM>(&found));
    return found;
}

void ReadAndCloseNextMessageBox(SeenMessageBox& seen, UINT delayMs) {
    AfterDelay(delayMs, [&seen] {
        HWND box = FindThreadDialog();
        if (!box)
            return;
        seen.shown = true;
        seen.title = WindowText(box);
        seen.text = ChildText(box, 0xFFFF);
        seen.hasYes = ::GetDlgItem(box, IDYES) != nullptr;
        seen.hasNo = ::GetDlgItem(box, IDNO) != nullptr;
        ::PostMessageW(box, WM_COMMAND, seen.hasNo ? IDNO : IDOK, 0);
    });
}

void PumpMessages(DWORD ms) {
    const DWORD end = ::GetTickCount() + ms;
    for (;;) {
        MSG message;
        while (::PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) {
            ::TranslateMessage(&message);
            ::DispatchMessageW(&message);
        }
        const DWORD now = ::GetTickCount();
        if (static_cast<LONG>(end - now) <= 0)
            break;
        ::MsgWaitForMultipleObjects(0, nullptr, FALSE, end - now, QS_ALLINPUT);
    }
}

Pixels CaptureClient(HWND window) {
    ::RedrawWindow(window, nullptr, nullptr, RDW_INVALIDATE | RDW_UPDATENOW | RDW_ALLCHILDREN);
    PumpMessages(50);
    RECT client{};
    ::GetClientRect(window, &client);
    Pixels pixels;
    pixels.width = client.right;
    pixels.height = client.bottom;
    if (pixels.width <= 0 || pixels.height <= 0)
        return pixels;
    BITMAPINFO info{};
    info.bmiHeader.biSize = sizeof(info.bmiHeader);
    info.bmiHeader.biWidth = pixels.width;
    info.bmiHeader.biHeight = -pixels.height; // top-down
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = 32;
    void* bits = nullptr;
    HDC windowDc = ::GetDC(window);
    HDC memory = ::CreateCompatibleDC(windowDc);
    HBITMAP section = ::CreateDIBSection(windowDc, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
    HGDIOBJ old = ::SelectObject(memory, section);
    ::BitBlt(memory, 0, 0, pixels.width, pixels.height, windowDc, 0, 0, SRCCOPY);
    ::GdiFlush();
    const auto* source = static_cast<const uint32_t*>(bits);
    pixels.data.assign(source, source + static_cast<size_t>(pixels.width) * pixels.height);
    for (auto& pixel : pixels.data)
        pixel &= 0x00FFFFFF;
    ::SelectObject(memory, old);
    ::DeleteObject(section);
    ::DeleteDC(memory);
    ::ReleaseDC(window, windowDc);
    return pixels;
}

void PostKey(HWND target, UINT virtualKey) {
    const UINT scan = ::MapVirtualKeyW(virtualKey, MAPVK_VK_TO_VSC);
    ::PostMessageW(target, WM_KEYDOWN, virtualKey, 1 | (scan << 16));
    ::PostMessageW(target, WM_KEYUP, virtualKey, 1 | (scan << 16) | (1u << 30) | (1u << 31));
}

std::wstring WindowText(HWND window) {
    wchar_t text[1024] = {};
    ::GetWindowTextW(window, text, 1024);
    return text;
}

std::wstring ChildText(HWND window, int id) { return WindowText(::GetDlgItem(window, id)); }

} // namespace testing_support
