// CVistralLog: the diagnose event log writer, one entry at a time to the event log and to
// <installation>\Diagnose\Events.log.
#pragma once

#include <windows.h>

#include <cstdarg>
#include <cstdint>

#include "logging/DiagnoseEntry.h"
#include "logging/ZtEventLog.h"
#include "logging/ZtLogFile.h"

// Registers the event source named at construction and finds Events.log under the installation
// directory ("Inst_Path" under HKLM\Software\Morvane\Vistral\Setup), creating its Diagnose
// directory; without a usable installation directory the entries go to the log file's default
// path beside the host executable. Each entry is reported as an event of its level, then written
// to the file as one piece: process name, date and time, "<source>: <level word>:", a tab, the
// message, CR LF, and for the data forms a hex dump of the bytes and CR LF. The result of an
// entry is the event report's; a lost file write does not show in it.
class CVistralLog {
public:
    explicit CVistralLog(const wchar_t* source);
    virtual ~CVistralLog() = default;
    CVistralLog(const CVistralLog&) = delete;
    CVistralLog& operator=(const CVistralLog&) = delete;

    bool Info(const wchar_t* format, ...);
    bool Warning(const wchar_t* format, ...);
    bool Error(const wchar_t* format, ...);
    // A null `data` means no dump, whatever `size` says.
    bool InfoData(const std::uint8_t* data, DWORD size, const wchar_t* format, ...);
    bool WarningData(const std::uint8_t* data, DWORD size, const wchar_t* format, ...);
    bool ErrorData(const std::uint8_t* data, DWORD size, const wchar_t* format, ...);

    // Where the entries go.
    const wchar_t* GetPath() const { return m_logFile.GetPath(); }

private:
    bool WriteEntry(Zt::DiagnoseLevel level, const std::uint8_t* data, DWORD size, bool withData,
                    const wchar_t* format, va_list args);

    Zt::ZtLogFile m_logFile;
    Zt::ZtGenericEventLogger m_eventLogger;
};
