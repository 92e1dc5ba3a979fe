// Zt::ZtLogFile: the suite's UTF-16 text log, and Zt::ZtMethodTrace.
#include "logging/ZtLogFile.h"

#include "logging/ErrorText.h"
#include "logging/LogFileIo.h"
#include "logging/LogLine.h"
#include "logging/LogPath.h"
#include "logging/ZtRegistry.h"

#include <cstdio>
#include <memory>

namespace Zt {
namespace {

constexpr wchar_t kHeaderRule[] = L"-------------------------------------------------";

std::wstring ModulePath(HMODULE module) {
    std::wstring path(MAX_PATH, L'\0');
    for (;;) {
        const DWORD length = ::GetModuleFileNameW(module, path.data(), static_cast<DWORD>(path.size()));
        if (length == 0)
            return {};
        if (length < path.size()) {
            path.resize(length);
            return path;
        }
        path.resize(path.size() * 2);
    }
}

std::wstring Text(const wchar_t* text) {
    return text ? std::wstring(text) : std::wstring();
}

struct LocalFreer {
    void operator()(wchar_t* text) const { ::LocalFree(text); }
};

// The system's message for an HRESULT, or the fallback text when it has none.
std::wstring SystemErrorText(HRESULT hr) {
    wchar_t* raw = nullptr;
    const DWORD length = ::FormatMessageW(
        FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS, nullptr,
        static_cast<DWORD>(hr), MAKELANGID(LANG_NEUTRAL, SUBLANG_DEFAULT), reinterpret_cast<wchar_t*>(&raw),
        0, nullptr);
    std::unique_ptr<wchar_t, LocalFreer> owned(raw);
    if (length == 0 || !raw)
        return FallbackErrorText(hr);
    return TrimSystemMessage(std::wstring(raw, length));
}

} // namespace

ZtLogFile::ZtLogFile(bool enabled) {
    Initialise(enabled, LogDefaultFlags);
    SetDefaultPath(nullptr);
}

ZtLogFile::ZtLogFile(const wchar_t* path, bool enabled, DWORD flags) {
    Initialise(enabled, flags);
    if (path)
        SetPath(path);
    else
        SetDefaultPath(nullptr);
}

ZtLogFile::~ZtLogFile() {
    if (m_flags & LogHeader)
        WriteText(L"Log " + m_fullPath + L" stopped.");
    Close();
}

void ZtLogFile::Initialise(bool enabled, DWORD flags) {
    m_enabled = enabled;
    m_headerPending = true;
    SetSizeLimit(0xFFFFFFFF, 0xFFFFFFFF);
    m_processPath = ModulePath(nullptr);
    m_processName = m_processPath.substr(FileNameOffset(m_processPath));
    SetFlags(flags);
    m_context = nullptr;
}

bool ZtLogFile::Rename() {
    m_headerPending = true;
    const bool open = OpenStep(true);
    EndOperation();
    return open && m_enabled;
}

bool ZtLogFile::SetPath(const wchar_t* path) {
    m_fullPath = Text(path);
    const std::size_t name = FileNameOffset(m_fullPath);
    if (name > 0) {
        m_fileName = m_fullPath.substr(name);
        m_directory = m_fullPath.substr(0, name);
    } else {
        m_directory = m_fullPath;
    }
    AddBackslash(m_directory);
    return Rename();
}

bool ZtLogFile::SetDefaultPath(HMODULE module) {
    return SetPath(DefaultLogPath(ModulePath(module)).c_str());
}

bool ZtLogFile::SetDirectory(const wchar_t* directory) {
    m_directory = Text(directory);
    RebuildFullPath();
    return Rename();
}

bool ZtLogFile::SetFileName(const wchar_t* fileName) {
    m_fileName = Text(fileName);
    RebuildFullPath();
    return Rename();
}

bool ZtLogFile::Reopen() {
    return Rename();
}

void ZtLogFile::RebuildFullPath() {
    AddBackslash(m_directory);
    m_fullPath = m_directory + m_fileName;
}

void ZtLogFile::SetFlags(DWORD flags) {
    const bool recreateSwitchedOn = (flags & LogRecreate) && !(m_flags & LogRecreate);
    m_flags = flags;
    if (recreateSwitchedOn) {
        Close();
        OpenStep(true);
        EndOperation();
    }
}

void ZtLogFile::SetEnabled(bool on) {
    m_enabled = on;
    if (on) {
        OpenStep(true);
        EndOperation();
    } else {
        Close();
    }
}

void ZtLogFile::EnableFromRegistry(HKEY root, const wchar_t* keyPath, const wchar_t* valueName) {
    ZtRegistry key(root, keyPath, false, KEY_READ);
    bool on = false;
    if (key.IsOpen() && key.QueryBool(valueName, &on))
        SetEnabled(on);
}

void ZtLogFile::DisableFromRegistry(HKEY root, const wchar_t* keyPath, const wchar_t* valueName) {
    ZtRegistry key(root, keyPath, false, KEY_READ);
    bool off = false;
    if (key.IsOpen() && key.QueryBool(valueName, &off))
        SetEnabled(!off);
}

void ZtLogFile::SetSizeLimit(DWORD keepSize, DWORD sizeLimit) {
    m_keepSize = keepSize;
    m_sizeLimit = sizeLimit;
    if (keepSize != 0xFFFFFFFF && sizeLimit != 0xFFFFFFFF) {
        OpenStep(true);
        EndOperation();
    }
}

void ZtLogFile::Close() {
    CloseLog(m_file, m_fullPath);
}

bool ZtLogFile::OpenStep(bool withLimit) {
    if (!m_enabled)
        return true;
    Close();
    if (m_fullPath.empty())
        return false;
    DWORD disposition = OPEN_ALWAYS;
    if (withLimit && (m_flags & LogRecreate)) {
        disposition = CREATE_NEW;
        ::DeleteFileW(m_fullPath.c_str());
    }
    m_file = OpenLogForWriting(m_fullPath, disposition);
    if (!m_file)
        return false;
    if (withLimit)
        CutToSizeLimit(m_file.get(), m_fullPath, m_sizeLimit, m_keepSize);
    else
        MoveToEnd(m_file.get());
    return true;
}

void ZtLogFile::EndOperation() {
    if (!(m_flags & LogKeepOpen))
        Close();
}

bool ZtLogFile::Write(const wchar_t* format, ...) {
    va_list args;
    va_start(args, format);
    WriteV(format, args);
    va_end(args);
    return true;
}

bool ZtLogFile::WriteV(const wchar_t* format, va_list args) {
    if (!m_enabled || !format)
        return true;
    WriteText(FormatV(format, args));
    return true;
}

std::wstring ZtLogFile::FormatV(const wchar_t* format, va_list args) {
    if (!format)
        return {};
    for (;;) {
        const std::size_t size = m_formatBudget.Size();
        if (m_formatBuffer.size() != size)
            m_formatBuffer.assign(size, L'\0');
        va_list attempt;
        va_copy(attempt, args);
        const int length = ::_vsnwprintf(m_formatBuffer.data(), size - 1, format, attempt);
        va_end(attempt);
        if (length >= 0)
            return std::wstring(m_formatBuffer.data(), static_cast<std::size_t>(length));
        if (!m_formatBudget.CanGrow())
            return std::wstring(m_formatBuffer.data(), size - 1);
        m_formatBuffer.clear();
        m_formatBuffer.shrink_to_fit();
        m_formatBudget.Grow();
    }
}

bool ZtLogFile::WriteText(std::wstring_view text) {
    if (!m_enabled)
        return true;
    if (!OpenStep(false))
        return false;
    if (m_headerPending && (m_flags & LogHeader)) {
        WritePiece(kHeaderRule);
        WritePiece(L"Log " + m_fullPath + L" started.");
    }
    m_headerPending = false;
    WritePiece(text);
    EndOperation();
    return true;
}

void ZtLogFile::WritePiece(std::wstring_view text) {
    if (!m_enabled || !m_file)
        return;
    LogPrefixParts parts;
    parts.processName = m_processName;
    parts.processPath = m_processPath;
    parts.context = m_context;
    wchar_t date[64] = {};
    wchar_t time[64] = {};
    if (m_flags & LogDateTime) {
        SYSTEMTIME now;
        ::GetLocalTime(&now);
        ::GetDateFormatW(LOCALE_USER_DEFAULT, DATE_SHORTDATE, &now, nullptr, date, 64);
        ::GetTimeFormatW(LOCALE_USER_DEFAULT, 0, &now, nullptr, time, 64);
        parts.date = date;
        parts.time = time;
    }
    // One buffer and one write: what another process reads never holds half a piece.
    std::wstring piece = ComposeLogPrefix(m_flags, parts);
    piece += text;
    if ((m_flags & LogAppendLineEnd) && NeedsLineEnd(text))
        piece += kLineEnd;
    const BYTE* bytes = reinterpret_cast<const BYTE*>(piece.data());
    std::size_t left = piece.size() * sizeof(wchar_t);
    while (left > 0) {
        const DWORD chunk = left > 0x40000000u ? 0x40000000u : static_cast<DWORD>(left);
        DWORD written = 0;
        if (!::WriteFile(m_file.get(), bytes, chunk, &written, nullptr) || written == 0)
            break;
        bytes += written;
        left -= written;
    }
    ::FlushFileBuffers(m_file.get());
}

bool ZtLogFile::WriteLastError() {
    return WriteLastError(static_cast<LONG>(::GetLastError()));
}

bool ZtLogFile::WriteLastError(LONG code) {
    const std::wstring text = SystemErrorText(HResultFromWin32Code(code));
    WriteText(L"LastError: " + text + L" (" + std::to_wstring(code) + L")");
    return true;
}

bool ZtLogFile::WriteHResult(HRESULT hr) {
    wchar_t number[16] = {};
    std::swprintf(number, 16, L"0x%lX", static_cast<unsigned long>(hr));
    WriteText(L"LastError: " + SystemErrorText(hr) + L" (" + number + L")");
    return true;
}

ZtMethodTrace::ZtMethodTrace(ZtLogFile& log, const wchar_t* context, bool trace)
    : m_log(log), m_trace(trace) {
    m_log.SetContext(context);
    if (m_trace)
        m_log.WriteText(L"Method begin");
}

ZtMethodTrace::~ZtMethodTrace() {
    if (m_trace)
        m_log.WriteText(L"Method end");
    m_log.SetContext(nullptr);
}

} // namespace Zt
