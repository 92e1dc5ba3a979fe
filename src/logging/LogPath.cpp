// Path rules of the log file and of Events.log.
#include "logging/LogPath.h"

namespace Zt {
namespace {
bool IsSeparator(wchar_t c) {
    return c == L'\\' || c == L'/' || c == L':';
}
} // namespace

std::size_t FileNameOffset(std::wstring_view path) {
    std::size_t offset = 0;
    for (std::size_t i = 0; i + 1 < path.size(); ++i) {
        // A trailing separator does not start a name: "C:\dir\" names "dir\".
        if (IsSeparator(path[i]) && path[i + 1] != L'\\' && path[i + 1] != L'/')
            offset = i + 1;
    }
    return offset;
}

void AddBackslash(std::wstring& path) {
    if (!path.empty() && path.back() != L'\\')
        path += L'\\';
}

std::wstring DefaultLogPath(std::wstring_view executablePath) {
    if (executablePath.empty())
        return L"Default.log";
    std::wstring path(executablePath);
    const std::size_t name = FileNameOffset(path);
    const std::size_t dot = path.find_last_of(L'.');
    // Only a dot of the file name counts: "C:\my.dir\svc" must not give a log in "C:\".
    if (dot != std::wstring::npos && dot >= name)
        path.resize(dot + 1);
    return path + L"Log";
}

std::optional<std::wstring> ComposeEventsLogPath(std::wstring_view installDirectory, std::size_t maxChars) {
    std::wstring path(installDirectory);
    AddBackslash(path);
    path += L"Diagnose\\Events.log";
    if (path.size() > maxChars)
        return std::nullopt;
    return path;
}

} // namespace Zt
