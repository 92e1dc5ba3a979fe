// Putting Unicode text on the clipboard.
#pragma once

#include "win/UniqueHandle.h"

#include <string>

namespace win {

// Clipboard text made piece by piece straight into the memory block the clipboard takes over:
// a copy of many lines is held once, not as lines, then as one string, then as the block. A
// text that would pass `limitBytes` is refused.
class ClipboardText {
public:
    explicit ClipboardText(size_t limitBytes) : m_limit(limitBytes) {}
    // False when the text would pass the limit (TooLarge) or memory ran out; nothing more is
    // taken then.
    bool Append(const std::wstring& text);
    bool TooLarge() const { return m_tooLarge; }
    // Ends the text with a NUL and gives it to the clipboard on behalf of `owner`, replacing
    // what it held: 0, or the platform's code of why not (the clipboard then keeps what it held).
    DWORD Put(HWND owner);

private:
    bool Reserve(size_t bytes);

    UniqueGlobal m_memory;
    size_t m_used = 0, m_capacity = 0, m_limit;
    bool m_failed = false, m_tooLarge = false;
};

// The whole of `text` (its terminating NUL included by the caller or not) on the clipboard: 0, or
// the platform's code of why not (the clipboard held by another program, no memory).
DWORD PutClipboardText(HWND owner, const std::wstring& text);

} // namespace win
