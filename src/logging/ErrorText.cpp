// Texts of the log file's error lines.
#include "logging/ErrorText.h"

#include <cwchar>

namespace Zt {

std::int32_t HResultFromWin32Code(std::int32_t code) {
    if (code <= 0)
        return code;
    return static_cast<std::int32_t>((static_cast<std::uint32_t>(code) & 0xFFFFu) | 0x80070000u);
}

std::wstring TrimSystemMessage(std::wstring text) {
    if (text.size() > 1 && text.back() == L'\n') {
        text.pop_back();
        if (!text.empty() && text.back() == L'\r')
            text.pop_back();
    }
    return text;
}

std::wstring FallbackErrorText(std::int32_t hresult) {
    const std::uint32_t value = static_cast<std::uint32_t>(hresult);
    wchar_t text[32] = {};
    if (value >= 0x80040200u && value <= 0x8004FFFFu)
        std::swprintf(text, 32, L"IDispatch error #%u", value - 0x80040200u);
    else
        std::swprintf(text, 32, L"Unknown error 0x%X", value);
    return text;
}

} // namespace Zt
