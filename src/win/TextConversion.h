// Conversions of the 8-bit texts that callers hand to the exports.
#pragma once

#include <string>

namespace win {

// ANSI code page to UTF-16; null is empty text.
std::wstring AnsiToWide(const char* text);

// A caller's 8-bit text argument as the framework's string class reads it: null is empty
// text, a non-null pointer value below 0x10000 names a string-table row of the current
// resource source, anything else is ANSI text.
std::wstring CallerText(const char* text);

} // namespace win
