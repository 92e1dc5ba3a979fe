// Where the registry keeps an event source.
#include "logging/EventSourceKey.h"

#include "logging/LogPath.h"

namespace Zt {

std::optional<std::wstring> EventSourceKeyPath(std::wstring_view logName, std::wstring_view sourceName) {
    if (sourceName.empty() || sourceName.find(L'\\') != std::wstring_view::npos)
        return std::nullopt;
    std::wstring path(kEventLogKey);
    path += logName.empty() ? std::wstring_view(L"Application") : logName;
    AddBackslash(path);
    path += sourceName;
    return path;
}

} // namespace Zt
