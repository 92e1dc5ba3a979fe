// Helpers of the Windows tests: directories, fixture files, and acting inside modal loops.
#pragma once

#include <windows.h>
#include <functional>
#include <cstdint>
#include <string>
#include <vector>

namespace testing_support {

// The directory of the test program (bin/), ending in a backslash.
std::wstring BinDirectory();

// The export `name` of `module` as a function of type Fn (null when there is none).
template <typename Fn> Fn Export(HMODULE module, const char* name) {
    return reinterpret_cast<Fn>(reinterpret_cast<void*>(::GetProcAddress(module, name)));
}

// A fresh directory under the temporary path, removed with its files at scope end.
class TempDirectory {
public:
    TempDirectory();
    ~TempDirectory();
    TempDirectory(const TempDirectory&) = delete;
    TempDirectory& operator=(const TempDirectory&) = delete;
    // The path, ending in a backslash.
    const std::wstring& Path() const { return m_path; }

private:
    std::wstring m_path;
};

// Copies bin/fixtures/<name> into `directory` under `targetName` (the same name when empty).
bool CopyFixture(const std::wstring& name, const std::wstring& directory,
                 const std::wstring& targetName = {});

// Runs `action` once on this thread after `delayMs`, from whatever message loop is running
// then (a modal dialog's, a message box's): the way to act on a window that a blocking call
// shows.
void AfterDelay(UINT delayMs, std::function<void()> action);

// The visible dialog or message box of this thread, or null.
HWND FindThreadDialog();

// What a message box showed, read from inside its own loop.
struct SeenMessageBox {
    bool shown = false;
    std::wstring title, text;
    bool hasYes = false, hasNo = false;
};
// Arranges for the message box this thread shows next to be read into `seen` and closed (with
// No when it has that button, else OK) after `delayMs`; `seen` must outlive the box.
void ReadAndCloseNextMessageBox(SeenMessageBox& seen, UINT delayMs = 150);

// Runs `then` from whatever message loop is running once `done` holds, checking every 20 ms,
// or once `ms` have passed without it: to act on a modal loop's work without pumping past it.
void WhenTrue(std::function<bool()> done, DWORD ms, std::function<void()> then);

// The threads of this process.
size_t ProcessThreadCount();

// Pumps this thread's messages for `ms` milliseconds.
void PumpMessages(DWORD ms);
// Pumps until `done` holds, at most `ms`.
bool PumpUntil(const std::function<bool()>& done, DWORD ms);

// What a window shows on the screen, as 0x00RRGGBB pixels of its client area.
struct Pixels {
    int width = 0, height = 0;
    std::vector<uint32_t> data;
    uint32_t At(int x, int y) const { return data[static_cast<size_t>(y) * width + x]; }
};
Pixels CaptureClient(HWND window);
inline int Red(uint32_t pixel) {
    return (pixel >> 16) & 0xFF;
}
inline int Green(uint32_t pixel) {
    return (pixel >> 8) & 0xFF;
}
inline int Blue(uint32_t pixel) {
    return pixel & 0xFF;
}

// Presses and releases a key as the keyboard would, through this thread's message queue, so
// that it passes whatever message loop is running (a modal dialog's filter included).
void PostKey(HWND target, UINT virtualKey);

// The Unicode text on the clipboard, its terminating NUL included; empty when there is none.
std::wstring ClipboardText();

// The Find dialog's "Find next" for `what`, as the window that opened the dialog gets it.
void SendFindNext(HWND window, std::wstring what, DWORD flags = FR_DOWN);

// The text of a window's child with the given identifier (for message boxes: 0xFFFF is the text).
std::wstring ChildText(HWND window, int id);
std::wstring WindowText(HWND window);

} // namespace testing_support
