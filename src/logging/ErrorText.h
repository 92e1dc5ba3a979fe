// Texts of the log file's error lines, apart from the system's own message texts.
#pragma once

#include <cstdint>
#include <string>

namespace Zt {

// The HRESULT of a Win32 code: (code AND 0xFFFF) OR 0x80070000 above 0; 0 and below unchanged.
std::int32_t HResultFromWin32Code(std::int32_t code);

// A system message without its trailing line end (LF, or CR LF), when it is longer than one
// character.
std::wstring TrimSystemMessage(std::wstring text);

// The text when the system has none: "IDispatch error #n" for 0x80040200..0x8004FFFF (n counted
// from 0x80040200), else "Unknown error 0x..." in upper-case hexadecimal.
std::wstring FallbackErrorText(std::int32_t hresult);

} // namespace Zt
