// Path rules of the log file and of Events.log, free of any platform call. Paths are kept whole:
// nothing here cuts a path to a fixed length.
#pragma once

#include <optional>
#include <string>
#include <string_view>

namespace Zt {

// Where the file-name part of `path` starts, as the shell's path functions see it: after the
// last separator ('\\', '/' or ':') that is followed by more than a separator; 0 when there is
// none.
std::size_t FileNameOffset(std::wstring_view path);

// Appends a backslash unless `path` is empty or already ends in one.
void AddBackslash(std::wstring& path);

// The default log file path for an executable: its extension replaced by "Log" (svc.exe gives
// svc.Log), "Log" appended directly when its name has no dot; "Default.log" when there is no executable path.
std::wstring DefaultLogPath(std::wstring_view executablePath);

// installation directory + '\\' (if missing) + "Diagnose\\Events.log"; none when the result
// would not fit in `maxChars` characters.
std::optional<std::wstring> ComposeEventsLogPath(std::wstring_view installDirectory, std::size_t maxChars);

} // namespace Zt
