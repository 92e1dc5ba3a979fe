// Putting Unicode text on the clipboard.
#pragma once

#include <windows.h>
#include <string>

namespace win {

// Replaces the clipboard's contents with `text` (its terminating NUL included by the caller),
// on behalf of `owner`. False when the clipboard could not be opened or the memory not had;
// the clipboard then keeps what it held.
bool PutClipboardText(HWND owner, const std::wstring& text);

} // namespace win
