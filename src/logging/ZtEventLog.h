// Zt::ZtEventLog and Zt::ZtGenericEventLogger: an event source of the Windows event log.
#pragma once

#include <windows.h>

#include <cstdarg>
#include <string>

namespace Zt {

class EventSink;

// Registers an event source under HKLM\SYSTEM\CurrentControlSet\Services\Eventlog\<log>\<source>
// and reports events under it. Every event carries one insertion string, the formatted text (cut
// to 1023 characters), and the SID of the process's user when it can be had. The source handle
// is opened at the first report after any change and kept until the next change. Registry
// writes that fail are ignored: the report is attempted all the same.
class ZtEventLog {
public:
    ZtEventLog() = default;
    ZtEventLog(const wchar_t* sourceName, const wchar_t* logName);
    virtual ~ZtEventLog();
    ZtEventLog(const ZtEventLog&) = delete;
    ZtEventLog& operator=(const ZtEventLog&) = delete;

    void SetSourceName(const wchar_t* name);
    void SetLogName(const wchar_t* name);
    const wchar_t* GetSourceName() const { return m_sourceName.c_str(); }
    // "Application" while no log name is set.
    const wchar_t* GetLogName() const;
    void CloseSource();

    // Writes EventMessageFile, CategoryMessageFile (the event message file when null),
    // TypesSupported and CategoryCount; relative file names are searched for. True unless the
    // source name is refused (empty, or holding a backslash): then nothing is written.
    bool RegisterSource(const wchar_t* logName, const wchar_t* sourceName, const wchar_t* eventMessageFile,
                        const wchar_t* categoryMessageFile, DWORD typesSupported, WORD categoryCount);
    bool RegisterSourceInLog(const wchar_t* sourceName, const wchar_t* eventMessageFile,
                             const wchar_t* categoryMessageFile, DWORD typesSupported, WORD categoryCount);
    // Remove the source's key (or the named key under Eventlog) with everything below it. A
    // source name that would not name one source, or a key name of backslashes only, is
    // refused: false, and nothing is removed.
    bool UnregisterSource(const wchar_t* logName, const wchar_t* sourceName);
    bool UnregisterSourceInLog(const wchar_t* sourceName);
    bool UnregisterKey(const wchar_t* name);

    // True when the event was written.
    bool ReportData(WORD type, DWORD eventId, WORD category, const void* data, DWORD dataSize,
                    const wchar_t* format, va_list args);
    bool ReportEx(WORD type, DWORD eventId, WORD category, const wchar_t* format, va_list args);
    bool Report(WORD type, const wchar_t* format, ...);

protected:
    WORD Category() const { return m_category; }

private:
    std::wstring m_logName;
    std::wstring m_sourceName;
    DWORD m_defaultEventId = 0;
    WORD m_category = 0;
    HANDLE m_source = nullptr;
    EventSink* m_sourceSink = nullptr; // the sink that gave m_source, which takes it back
};

// The suite's ready-made logger: registers the source with the suite's message file
// ZtGenericEventLogx.dll (searched on the path, then beside the host executable; empty values
// when found nowhere) and reports one event per call at a level. Each report registers anew.
class ZtGenericEventLogger : public ZtEventLog {
public:
    // Registers the source when a name is given.
    ZtGenericEventLogger(const wchar_t* sourceName, const wchar_t* logName = nullptr,
                         DWORD typesSupported = 7, WORD categoryCount = 1);

    // The result of RegisterSource: false only for a refused source name.
    bool RegisterGeneric(const wchar_t* logName, const wchar_t* sourceName, DWORD typesSupported,
                         WORD categoryCount);
    bool Refresh();

    bool Info(const wchar_t* format, ...);
    bool Warning(const wchar_t* format, ...);
    bool Error(const wchar_t* format, ...);
    bool InfoV(const wchar_t* format, va_list args);
    bool WarningV(const wchar_t* format, va_list args);
    bool ErrorV(const wchar_t* format, va_list args);

    // With raw data bytes; every level reports the information event ID.
    bool InfoData(const void* data, DWORD size, const wchar_t* format, ...);
    bool WarningData(const void* data, DWORD size, const wchar_t* format, ...);
    bool ErrorData(const void* data, DWORD size, const wchar_t* format, ...);
    bool InfoDataV(const void* data, DWORD size, const wchar_t* format, va_list args);
    bool WarningDataV(const void* data, DWORD size, const wchar_t* format, va_list args);
    bool ErrorDataV(const void* data, DWORD size, const wchar_t* format, va_list args);

    // Where the message file is found now; empty when nowhere.
    static std::wstring FindMessageFile();
};

} // namespace Zt
