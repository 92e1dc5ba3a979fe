// Composition of a log line's prefix and line end, free of any platform call.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

namespace Zt {

constexpr std::wstring_view kLogSeparator = L" : ";
constexpr std::wstring_view kLineEnd = L"\r\n";
constexpr std::size_t kMaxPrefixChars = 999;

// What the prefix may carry; the flags decide which items are written.
struct LogPrefixParts {
    std::wstring_view processName;
    std::wstring_view processPath;
    std::wstring_view date; // already formatted for the user's locale
    std::wstring_view time;
    const wchar_t* context = nullptr; // none while no context is set
};

// Process item, date and time, context, each followed by " : ", in that order; items whose flag
// is off are left out with their separator. Longer prefixes are cut to kMaxPrefixChars.
std::wstring ComposeLogPrefix(std::uint32_t flags, const LogPrefixParts& parts);

// Whether LogAppendLineEnd adds CR LF to `text`: longer than one character and not already
// ending in a line feed or carriage return.
bool NeedsLineEnd(std::wstring_view text);

} // namespace Zt
