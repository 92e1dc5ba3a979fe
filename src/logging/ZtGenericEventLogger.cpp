// Zt::ZtGenericEventLogger: the suite's event source with its generic message file.
#include "logging/EventKinds.h"
#include "logging/LogPath.h"
#include "logging/ZtEventLog.h"

#include <vector>

namespace Zt {
namespace {

constexpr wchar_t kMessageFileName[] = L"ZtGenericEventLogx.dll";

std::wstring Search(const wchar_t* directory) {
    std::vector<wchar_t> found(MAX_PATH);
    for (;;) {
        const DWORD length = ::SearchPathW(directory, kMessageFileName, nullptr,
                                           static_cast<DWORD>(found.size()), found.data(), nullptr);
        if (length == 0)
            return {};
        if (length < found.size())
            return std::wstring(found.data(), length);
        found.resize(length + 1);
    }
}

std::wstring HostDirectory() {
    std::vector<wchar_t> path(MAX_PATH);
    for (;;) {
        const DWORD length = ::GetModuleFileNameW(nullptr, path.data(), static_cast<DWORD>(path.size()));
        if (length == 0)
            return {};
        if (length < path.size()) {
            const std::wstring full(path.data(), length);
            return full.substr(0, FileNameOffset(full));
        }
        path.resize(path.size() * 2);
    }
}

} // namespace

ZtGenericEventLogger::ZtGenericEventLogger(const wchar_t* sourceName, const wchar_t* logName,
                                           DWORD typesSupported, WORD categoryCount)
    : ZtEventLog(sourceName, nullptr) {
    if (sourceName)
        RegisterGeneric(logName, sourceName, typesSupported, categoryCount);
}

std::wstring ZtGenericEventLogger::FindMessageFile() {
    std::wstring found = Search(nullptr);
    if (found.empty()) {
        const std::wstring host = HostDirectory();
        if (!host.empty())
            found = Search(host.c_str());
    }
    return found;
}

bool ZtGenericEventLogger::RegisterGeneric(const wchar_t* logName, const wchar_t* sourceName,
                                           DWORD typesSupported, WORD categoryCount) {
    const std::wstring messageFile = FindMessageFile();
    // The source name may be our own buffer, which registration replaces.
    const std::wstring source = sourceName ? sourceName : L"";
    const std::wstring log = logName ? logName : L"";
    const bool registered = RegisterSource(log.c_str(), source.c_str(), messageFile.c_str(),
                                           messageFile.c_str(), typesSupported, categoryCount);
    SetSourceName(source.c_str());
    return registered;
}

bool ZtGenericEventLogger::Refresh() {
    return RegisterGeneric(GetLogName(), GetSourceName(), 7, 1);
}

bool ZtGenericEventLogger::Info(const wchar_t* format, ...) {
    va_list args;
    va_start(args, format);
    const bool reported = InfoV(format, args);
    va_end(args);
    return reported;
}

bool ZtGenericEventLogger::Warning(const wchar_t* format, ...) {
    va_list args;
    va_start(args, format);
    const bool reported = WarningV(format, args);
    va_end(args);
    return reported;
}

bool ZtGenericEventLogger::Error(const wchar_t* format, ...) {
    va_list args;
    va_start(args, format);
    const bool reported = ErrorV(format, args);
    va_end(args);
    return reported;
}

bool ZtGenericEventLogger::InfoData(const void* data, DWORD size, const wchar_t* format, ...) {
    va_list args;
    va_start(args, format);
    const bool reported = InfoDataV(data, size, format, args);
    va_end(args);
    return reported;
}

bool ZtGenericEventLogger::WarningData(const void* data, DWORD size, const wchar_t* format, ...) {
    va_list args;
    va_start(args, format);
    const bool reported = WarningDataV(data, size, format, args);
    va_end(args);
    return reported;
}

bool ZtGenericEventLogger::ErrorData(const void* data, DWORD size, const wchar_t* format, ...) {
    va_list args;
    va_start(args, format);
    const bool reported = ErrorDataV(data, size, format, args);
    va_end(args);
    return reported;
}

namespace {
bool ReportLevel(ZtGenericEventLogger& logger, WORD category, DiagnoseLevel level, const void* data,
                 DWORD size, bool withData, const wchar_t* format, va_list args) {
    logger.Refresh();
    const EventKind kind = EventKindFor(level, withData);
    return logger.ReportData(kind.type, kind.id, category, data, size, format, args);
}
} // namespace

bool ZtGenericEventLogger::InfoV(const wchar_t* format, va_list args) {
    return ReportLevel(*this, Category(), DiagnoseLevel::Info, nullptr, 0, false, format, args);
}
bool ZtGenericEventLogger::WarningV(const wchar_t* format, va_list args) {
    return ReportLevel(*this, Category(), DiagnoseLevel::Warning, nullptr, 0, false, format, args);
}
bool ZtGenericEventLogger::ErrorV(const wchar_t* format, va_list args) {
    return ReportLevel(*this, Category(), DiagnoseLevel::Error, nullptr, 0, false, format, args);
}
bool ZtGenericEventLogger::InfoDataV(const void* data, DWORD size, const wchar_t* format, va_list args) {
    return ReportLevel(*this, Category(), DiagnoseLevel::Info, data, size, true, format, args);
}
bool ZtGenericEventLogger::WarningDataV(const void* data, DWORD size, const wchar_t* format, va_list args) {
    return ReportLevel(*this, Category(), DiagnoseLevel::Warning, data, size, true, format, args);
}
bool ZtGenericEventLogger::ErrorDataV(const void* data, DWORD size, const wchar_t* format, va_list args) {
    return ReportLevel(*this, Category(), DiagnoseLevel::Error, data, size, true, format, args);
}

} // namespace Zt
