// Composition of a log line's prefix and line end.
#include "logging/LogLine.h"

#include "logging/LogFlags.h"

namespace Zt {

std::wstring ComposeLogPrefix(std::uint32_t flags, const LogPrefixParts& parts) {
    std::wstring prefix;
    if (flags & LogProcessName) {
        prefix += (flags & LogProcessPath) ? parts.processPath : parts.processName;
        prefix += kLogSeparator;
    }
    if (flags & LogDateTime) {
        prefix += parts.date;
        prefix += L' ';
        prefix += parts.time;
        prefix += kLogSeparator;
    }
    if ((flags & LogContext) && parts.context) {
        prefix += parts.context;
        prefix += kLogSeparator;
    }
    if (prefix.size() > kMaxPrefixChars)
        prefix.resize(kMaxPrefixChars);
    return prefix;
}

bool NeedsLineEnd(std::wstring_view text) {
    return text.size() > 1 && text.back() != L'\n' && text.back() != L'\r';
}

} // namespace Zt
