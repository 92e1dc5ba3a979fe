// Conversions of the 8-bit texts that callers hand to the exports.
#include "win/TextConversion.h"

#include "win/ResourceModule.h"

#include <windows.h>
#include <cstring>

namespace win {

std::wstring AnsiToWide(const char* text) {
    if (!text || !*text)
        return {};
    const size_t length = std::strlen(text);
    if (length > static_cast<size_t>(INT_MAX))
        return {};
    int count = ::MultiByteToWideChar(CP_ACP, 0, text, static_cast<int>(length), nullptr, 0);
    if (count <= 0)
        return {};
    std::wstring wide(static_cast<size_t>(count), L'\0');
    ::MultiByteToWideChar(CP_ACP, 0, text, static_cast<int>(length), wide.data(), count);
    return wide;
}

std::wstring CallerText(const char* text) {
    const auto value = reinterpret_cast<uintptr_t>(text);
    if (value != 0 && value < 0x10000)
        return LoadResString(static_cast<UINT>(value));
    return AnsiToWide(text);
}

} // namespace win
