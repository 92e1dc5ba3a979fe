// Putting Unicode text on the clipboard.
#include "win/Clipboard.h"

#include "win/UniqueHandle.h"

#include <cstring>

namespace win {

bool PutClipboardText(HWND owner, const std::wstring& text) {
    const size_t bytes = text.size() * sizeof(wchar_t);
    UniqueGlobal memory(
        ::GlobalAlloc(GMEM_MOVEABLE | GMEM_ZEROINIT | GMEM_SHARE, bytes ? bytes : sizeof(wchar_t)));
    if (!memory)
        return false;
    void* block = ::GlobalLock(memory.get());
    if (!block)
        return false;
    std::memcpy(block, text.data(), bytes);
    ::GlobalUnlock(memory.get());
    if (!::OpenClipboard(owner))
        return false;
    ::EmptyClipboard();
    const bool put = ::SetClipboardData(CF_UNICODETEXT, memory.get()) != nullptr;
    if (put)
        memory.release(); // the clipboard owns it now
    ::CloseClipboard();
    return put;
}

} // namespace win
