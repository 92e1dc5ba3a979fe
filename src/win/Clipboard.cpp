// Putting Unicode text on the clipboard.
#include "win/Clipboard.h"

#include <algorithm>
#include <cstring>

namespace win {

bool ClipboardText::Reserve(size_t bytes) {
    if (bytes <= m_capacity)
        return true;
    // Grows by half again: a large copy moves its text a few times, never holds it twice over.
    const size_t capacity = std::max(bytes, m_capacity + m_capacity / 2 + 4096);
    HGLOBAL grown = m_memory ? ::GlobalReAlloc(m_memory.get(), capacity, GMEM_MOVEABLE)
                             : ::GlobalAlloc(GMEM_MOVEABLE | GMEM_SHARE, capacity);
    if (!grown)
        return false;
    m_memory.release();
    m_memory.reset(grown);
    m_capacity = capacity;
    return true;
}

bool ClipboardText::Append(const std::wstring& text) {
    const size_t bytes = text.size() * sizeof(wchar_t);
    if (m_failed || m_used + bytes + sizeof(wchar_t) > m_limit) {
        m_tooLarge = !m_failed;
        m_failed = true;
        return false;
    }
    if (!Reserve(m_used + bytes + sizeof(wchar_t))) {
        m_failed = true;
        return false;
    }
    auto* block = static_cast<char*>(::GlobalLock(m_memory.get()));
    if (!block) {
        m_failed = true;
        return false;
    }
    std::memcpy(block + m_used, text.data(), bytes);
    ::GlobalUnlock(m_memory.get());
    m_used += bytes;
    return true;
}

DWORD ClipboardText::Put(HWND owner) {
    if (m_failed || !Reserve(m_used + sizeof(wchar_t)))
        return ERROR_NOT_ENOUGH_MEMORY;
    auto* block = static_cast<char*>(::GlobalLock(m_memory.get()));
    if (!block)
        return ERROR_NOT_ENOUGH_MEMORY;
    std::memset(block + m_used, 0, sizeof(wchar_t));
    ::GlobalUnlock(m_memory.get());
    // Readers take the block's size for the text's: no room is left over after the NUL.
    if (HGLOBAL exact = ::GlobalReAlloc(m_memory.get(), m_used + sizeof(wchar_t), GMEM_MOVEABLE)) {
        m_memory.release();
        m_memory.reset(exact);
    }
    if (!::OpenClipboard(owner)) {
        const DWORD error = ::GetLastError();
        return error ? error : ERROR_ACCESS_DENIED;
    }
    ::EmptyClipboard();
    DWORD error = 0;
    if (::SetClipboardData(CF_UNICODETEXT, m_memory.get()))
        m_memory.release(); // the clipboard owns it now
    else
        error = ::GetLastError() ? ::GetLastError() : ERROR_NOT_ENOUGH_MEMORY;
    ::CloseClipboard();
    return error;
}

DWORD PutClipboardText(HWND owner, const std::wstring& text) {
    ClipboardText clipboard(text.size() * sizeof(wchar_t) + sizeof(wchar_t));
    // The caller's text may end in its NUL already; Put adds none twice where it is there.
    const bool ended = !text.empty() && text.back() == L'\0';
    clipboard.Append(ended ? text.substr(0, text.size() - 1) : text); // a failure is Put's answer
    return clipboard.Put(owner);
}

} // namespace win
