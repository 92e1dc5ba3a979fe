// CVistralLog: the diagnose event log writer.
#include "logging/VistralLog.h"

#include "logging/LogPath.h"
#include "logging/ZtRegistry.h"

#include <string>

namespace {

constexpr wchar_t kSetupKey[] = L"Software\\Morvane\\Vistral\\Setup";
// The suite's readers of Events.log work with paths of the classic length.
constexpr std::size_t kMaxEventsLogPath = MAX_PATH - 1;

bool IsDirectory(const wchar_t* path) {
    const DWORD attributes = ::GetFileAttributesW(path);
    return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY);
}

// <Inst_Path>\Diagnose\Events.log, or empty when the installation directory is not usable.
std::wstring EventsLogPath() {
    Zt::ZtRegistry setup(HKEY_LOCAL_MACHINE, kSetupKey, false, KEY_READ);
    if (!setup.IsOpen())
        return {};
    // One character more than offered keeps a value stored without its null terminated.
    wchar_t directory[MAX_PATH + 1] = {};
    DWORD size = MAX_PATH * sizeof(wchar_t);
    if (!setup.QueryString(L"Inst_Path", directory, &size) || !IsDirectory(directory))
        return {};
    return Zt::ComposeEventsLogPath(directory, kMaxEventsLogPath).value_or(std::wstring());
}

} // namespace

CVistralLog::CVistralLog(const wchar_t* source) : m_logFile(false), m_eventLogger(source, nullptr, 7, 1) {
    const std::wstring path = EventsLogPath();
    if (!path.empty()) {
        // Created from the UTF-16 path, so that any installation directory name works.
        const std::wstring diagnose = path.substr(0, Zt::FileNameOffset(path));
        ::CreateDirectoryW(diagnose.c_str(), nullptr);
        m_logFile.SetPath(path.c_str());
    }
    m_logFile.ModifyFlags(Zt::LogHeader | Zt::LogAppendLineEnd, 0);
    m_logFile.SetEnabled(true);
}

bool CVistralLog::WriteEntry(Zt::DiagnoseLevel level, const std::uint8_t* data, DWORD size, bool withData,
                             const wchar_t* format, va_list args) {
    va_list forEvent;
    va_copy(forEvent, args);
    bool reported = false;
    switch (level) {
    case Zt::DiagnoseLevel::Info:
        reported = withData ? m_eventLogger.InfoDataV(data, size, format, forEvent)
                            : m_eventLogger.InfoV(format, forEvent);
        break;
    case Zt::DiagnoseLevel::Warning:
        reported = withData ? m_eventLogger.WarningDataV(data, size, format, forEvent)
                            : m_eventLogger.WarningV(format, forEvent);
        break;
    case Zt::DiagnoseLevel::Error:
        reported = withData ? m_eventLogger.ErrorDataV(data, size, format, forEvent)
                            : m_eventLogger.ErrorV(format, forEvent);
        break;
    }
    va_end(forEvent);

    // The whole entry in one piece, so that another writer's entry can never come in between.
    std::wstring entry = Zt::EntryHead(m_eventLogger.GetSourceName(), level);
    va_list forFile;
    va_copy(forFile, args);
    entry += m_logFile.FormatV(format, forFile);
    va_end(forFile);
    entry += L"\r\n";
    if (data) {
        entry += Zt::HexDump(data, size);
        entry += L"\r\n";
    }
    m_logFile.WriteText(entry);
    return reported;
}

bool CVistralLog::Info(const wchar_t* format, ...) {
    va_list args;
    va_start(args, format);
    const bool reported = WriteEntry(Zt::DiagnoseLevel::Info, nullptr, 0, false, format, args);
    va_end(args);
    return reported;
}

bool CVistralLog::Warning(const wchar_t* format, ...) {
    va_list args;
    va_start(args, format);
    const bool reported = WriteEntry(Zt::DiagnoseLevel::Warning, nullptr, 0, false, format, args);
    va_end(args);
    return reported;
}

bool CVistralLog::Error(const wchar_t* format, ...) {
    va_list args;
    va_start(args, format);
    const bool reported = WriteEntry(Zt::DiagnoseLevel::Error, nullptr, 0, false, format, args);
    va_end(args);
    return reported;
}

bool CVistralLog::InfoData(const std::uint8_t* data, DWORD size, const wchar_t* format, ...) {
    va_list args;
    va_start(args, format);
    const bool reported = WriteEntry(Zt::DiagnoseLevel::Info, data, size, true, format, args);
    va_end(args);
    return reported;
}

bool CVistralLog::WarningData(const std::uint8_t* data, DWORD size, const wchar_t* format, ...) {
    va_list args;
    va_start(args, format);
    const bool reported = WriteEntry(Zt::DiagnoseLevel::Warning, data, size, true, format, args);
    va_end(args);
    return reported;
}

bool CVistralLog::ErrorData(const std::uint8_t* data, DWORD size, const wchar_t* format, ...) {
    va_list args;
    va_start(args, format);
    const bool reported = WriteEntry(Zt::DiagnoseLevel::Error, data, size, true, format, args);
    va_end(args);
    return reported;
}
