// Helpers of the Windows tests.
#include "TestSupport.h"

#include "win/ResourceModule.h"

#include <tlhelp32.h>

#include <filesystem>
#include <map>

namespace testing_support {

std::wstring BinDirectory() {
    return win::ModuleDirectory(nullptr);
}

TempDirectory::TempDirectory() {
    wchar_t base[MAX_PATH] = {}, name[MAX_PATH] = {};
    ::GetTempPathW(MAX_PATH, base);
    ::GetTempFileNameW(base, L"zt", 0, name); // a name nobody holds, taken as a file
    ::DeleteFileW(name);
    ::CreateDirectoryW(name, nullptr);
    m_path = std::wstring(name) + L"\\";
}

TempDirectory::~TempDirectory() {
    std::error_code ignored;
    std::filesystem::remove_all(m_path, ignored);
}

bool CopyFixture(const std::wstring& name, const std::wstring& directory, const std::wstring& targetName) {
    const std::wstring target = directory + (targetName.empty() ? name : targetName);
    return ::CopyFileW((BinDirectory() + L"fixtures\\" + name).c_str(), target.c_str(), FALSE) != FALSE;
}

static std::map<UINT_PTR, std::function<void()>>& PendingActions() {
    static std::map<UINT_PTR, std::function<void()>> actions;
    return actions;
}

static void CALLBACK RunPendingAction(HWND, UINT, UINT_PTR id, DWORD) {
    ::KillTimer(nullptr, id);
    auto found = PendingActions().find(id);
    if (found == PendingActions().end())
        return;
    auto action = std::move(found->second);
    PendingActions().erase(found);
    action();
}

void AfterDelay(UINT delayMs, std::function<void()> action) {
    PendingActions()[::SetTimer(nullptr, 0, delayMs, RunPendingAction)] = std::move(action);
}

HWND FindThreadDialog() {
    for (HWND window = nullptr; (window = ::FindWindowExW(nullptr, window, L"#32770", nullptr)) != nullptr;)
        if (::GetWindowThreadProcessId(window, nullptr) == ::GetCurrentThreadId() &&
            ::IsWindowVisible(window))
            return window;
    return nullptr;
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

bool PumpUntil(const std::function<bool()>& done, DWORD ms) {
    for (DWORD waited = 0; waited < ms; waited += 50) {
        if (done())
            return true;
        PumpMessages(50);
    }
    return done();
}

void WhenTrue(std::function<bool()> done, DWORD ms, std::function<void()> then) {
    if (done() || ms < 20)
        return then();
    AfterDelay(20, [=] { WhenTrue(done, ms - 20, then); });
}

size_t ProcessThreadCount() {
    size_t count = 0;
    HANDLE snapshot = ::CreateToolhelp32Snapshot(TH32CS_SNAPTHREAD, 0);
    THREADENTRY32 entry{};
    entry.dwSize = sizeof entry;
    for (BOOL more = ::Thread32First(snapshot, &entry); more; more = ::Thread32Next(snapshot, &entry))
        count += entry.th32OwnerProcessID == ::GetCurrentProcessId();
    ::CloseHandle(snapshot);
    return count;
}

void PumpMessages(DWORD ms) {
    const DWORD end = ::GetTickCount() + ms;
    for (LONG left = static_cast<LONG>(ms);; left = static_cast<LONG>(end - ::GetTickCount())) {
        MSG message;
        while (::PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) {
            ::TranslateMessage(&message);
            ::DispatchMessageW(&message);
        }
        if (left <= 0)
            break;
        ::MsgWaitForMultipleObjects(0, nullptr, FALSE, static_cast<DWORD>(left), QS_ALLINPUT);
    }
}

Pixels CaptureClient(HWND window) {
    ::RedrawWindow(window, nullptr, nullptr, RDW_INVALIDATE | RDW_UPDATENOW | RDW_ALLCHILDREN);
    PumpMessages(50);
    RECT client{};
    ::GetClientRect(window, &client);
    Pixels pixels{client.right, client.bottom, std::vector<uint32_t>(size_t(client.right) * client.bottom)};
    HDC windowDc = ::GetDC(window);
    HDC memory = ::CreateCompatibleDC(windowDc);
    HBITMAP bitmap = ::CreateCompatibleBitmap(windowDc, pixels.width, pixels.height);
    HGDIOBJ old = ::SelectObject(memory, bitmap);
    ::BitBlt(memory, 0, 0, pixels.width, pixels.height, windowDc, 0, 0, SRCCOPY);
    ::SelectObject(memory, old);
    // The negative height asks for the rows top-down.
    BITMAPINFO info{{sizeof(BITMAPINFOHEADER), pixels.width, -pixels.height, 1, 32, BI_RGB, 0, 0, 0, 0, 0},
                    {}};
    ::GetDIBits(memory, bitmap, 0, pixels.height, pixels.data.data(), &info, DIB_RGB_COLORS);
    for (auto& pixel : pixels.data)
        pixel &= 0x00FFFFFF;
    ::DeleteObject(bitmap);
    ::DeleteDC(memory);
    ::ReleaseDC(window, windowDc);
    return pixels;
}

void PostKey(HWND target, UINT virtualKey) {
    const UINT scan = ::MapVirtualKeyW(virtualKey, MAPVK_VK_TO_VSC);
    ::PostMessageW(target, WM_KEYDOWN, virtualKey, 1 | (scan << 16));
    ::PostMessageW(target, WM_KEYUP, virtualKey, 1 | (scan << 16) | (1u << 30) | (1u << 31));
}

std::wstring ClipboardText() {
    std::wstring text;
    if (!::OpenClipboard(nullptr))
        return text;
    if (HANDLE data = ::GetClipboardData(CF_UNICODETEXT)) {
        text.assign(static_cast<const wchar_t*>(::GlobalLock(data)), ::GlobalSize(data) / sizeof(wchar_t));
        ::GlobalUnlock(data);
    }
    ::CloseClipboard();
    return text;
}

void SendFindNext(HWND window, std::wstring what, DWORD flags) {
    FINDREPLACEW request{};
    request.lStructSize = sizeof request;
    request.lpstrFindWhat = what.data();
    request.Flags = FR_FINDNEXT | flags;
    ::SendMessageW(window, ::RegisterWindowMessageW(FINDMSGSTRINGW), 0, reinterpret_cast<LPARAM>(&request));
}

std::wstring WindowText(HWND window) {
    wchar_t text[1024] = {};
    ::GetWindowTextW(window, text, 1024);
    return text;
}

std::wstring ChildText(HWND window, int id) {
    return WindowText(::GetDlgItem(window, id));
}

} // namespace testing_support
