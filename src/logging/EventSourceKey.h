// Where the registry keeps an event source: the rule of its key path, free of any platform call.
#pragma once

#include <optional>
#include <string>
#include <string_view>

namespace Zt {

// Under HKEY_LOCAL_MACHINE, the key of every event log.
constexpr std::wstring_view kEventLogKey = L"SYSTEM\\CurrentControlSet\\Services\\Eventlog\\";

// kEventLogKey + log name ("Application" when empty) + one backslash (none added when the log
// name ends in one) + source name. None when the source name is empty or holds a backslash:
// such a name names the log's own key, or a key that is no source, and registering or removing
// it would write onto or delete more than one source.
std::optional<std::wstring> EventSourceKeyPath(std::wstring_view logName, std::wstring_view sourceName);

} // namespace Zt
