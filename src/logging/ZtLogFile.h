// Zt::ZtLogFile: the suite's UTF-16 text log, and Zt::ZtMethodTrace, its scope trace.
#pragma once

#include <windows.h>

#include <cstdarg>
#include <string>
#include <string_view>
#include <vector>

#include "logging/FormatBudget.h"
#include "logging/LogFlags.h"
#include "win/UniqueHandle.h"

namespace Zt {

// Appends UTF-16LE text (no byte-order mark) to one file, each piece optionally preceded by a
// prefix (process name or path, local date and time, context name, each followed by " : ") and
// followed by CR LF (flags in LogFlags.h, default 0xB7). The file is opened for each write and
// closed again, so that others may read, copy or delete it between writes; another writer that
// holds it is waited for briefly. A file still empty when closed is removed. While logging is
// off nothing is created or written and the writes answer true. Paths are used whole, never cut.
class ZtLogFile {
public:
    // Logging on or off with the default flags and the default path (the host executable's
    // path with the extension "Log").
    explicit ZtLogFile(bool enabled = true);
    // A null path takes the default path.
    ZtLogFile(const wchar_t* path, bool enabled, DWORD flags);
    // Writes the footer when LogHeader is set, then closes.
    virtual ~ZtLogFile();
    ZtLogFile(const ZtLogFile&) = delete;
    ZtLogFile& operator=(const ZtLogFile&) = delete;

    // Naming: each brings the header again before the next line and opens the file with the
    // size-limit step; the result tells whether that open worked (false while logging is off).
    bool SetPath(const wchar_t* path);
    bool SetDefaultPath(HMODULE module = nullptr);
    bool SetDirectory(const wchar_t* directory);
    bool SetFileName(const wchar_t* fileName);
    bool Reopen();
    const wchar_t* GetPath() const { return m_fullPath.c_str(); }
    const wchar_t* GetFileName() const { return m_fileName.c_str(); }
    const wchar_t* GetDirectory() const { return m_directory.c_str(); }

    DWORD GetFlags() const { return m_flags; }
    bool HasFlags(DWORD mask) const { return (m_flags & mask) == mask; }
    // Switching LogRecreate on starts the file anew at once.
    void SetFlags(DWORD flags);
    void ModifyFlags(DWORD clear, DWORD set) { SetFlags((m_flags & ~clear) | set); }

    void SetEnabled(bool on);
    bool IsEnabled() const { return m_enabled; }
    // Switch logging by a registry number: 1 means on (off for DisableFromRegistry); a missing
    // key or value, or one that is not a number, changes nothing.
    void EnableFromRegistry(HKEY root, const wchar_t* keyPath, const wchar_t* valueName);
    void DisableFromRegistry(HKEY root, const wchar_t* keyPath, const wchar_t* valueName);

    // Once the file is larger than `sizeLimit` bytes, its newest `keepSize` bytes survive the next
    // open with the size-limit step. 0xFFFFFFFF for either means no limit.
    void SetSizeLimit(DWORD keepSize, DWORD sizeLimit);
    // Not copied: the caller keeps the text alive while it is set.
    void SetContext(const wchar_t* context) { m_context = context; }

    bool IsOpen() const { return static_cast<bool>(m_file); }
    void Close();

    // Formats like the platform's wide printf (a text that never fits the growing buffer is
    // written cut) and writes it as one piece. Always true: a lost line is not reported here.
    bool Write(const wchar_t* format, ...);
    bool WriteV(const wchar_t* format, va_list args);
    // Writes `text` as it is (no format directives), as one piece in one open. False when the
    // file could not be opened.
    bool WriteText(std::wstring_view text);
    // The text Write would write for these arguments.
    std::wstring FormatV(const wchar_t* format, va_list args);

    // "LastError: <system text> (<code>)", the text being the system's for the code as an HRESULT.
    bool WriteLastError();
    bool WriteLastError(LONG code);
    // "LastError: <system text> (0x<HRESULT>)".
    bool WriteHResult(HRESULT hr);

private:
    void Initialise(bool enabled, DWORD flags);
    bool Rename(); // header pending, open step with the limit step, close unless kept open
    bool OpenStep(bool withLimit);
    void EndOperation();
    void WritePiece(std::wstring_view text);
    void RebuildFullPath();

    bool m_headerPending = true;
    win::UniqueFile m_file;
    DWORD m_flags = 0;
    bool m_enabled = false;
    DWORD m_sizeLimit = 0xFFFFFFFF;
    DWORD m_keepSize = 0xFFFFFFFF;
    std::wstring m_directory;
    std::wstring m_fileName;
    std::wstring m_fullPath;
    std::wstring m_processName;
    std::wstring m_processPath;
    std::vector<wchar_t> m_formatBuffer;
    FormatBudget m_formatBudget;
    const wchar_t* m_context = nullptr;
};

// Sets the context name of a log for its scope; with `trace`, writes "Method begin" at the
// start and "Method end" at the end of the scope.
class ZtMethodTrace {
public:
    ZtMethodTrace(ZtLogFile& log, const wchar_t* context, bool trace = true);
    ~ZtMethodTrace();
    ZtMethodTrace(const ZtMethodTrace&) = delete;
    ZtMethodTrace& operator=(const ZtMethodTrace&) = delete;

private:
    ZtLogFile& m_log;
    bool m_trace;
};

} // namespace Zt
