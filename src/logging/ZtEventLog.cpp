// Zt::ZtEventLog: registration of an event source and reports under it.
#include "logging/ZtEventLog.h"

#include "logging/EventSink.h"
#include "logging/EventSourceKey.h"
#include "logging/ProcessUser.h"
#include "logging/RegistryPath.h"
#include "win/UniqueHandle.h"

#include <shlwapi.h>

#include <cstdio>
#include <vector>

namespace Zt {
namespace {

constexpr std::size_t kReportChars = 1024;

std::wstring Text(const wchar_t* text) {
    return text ? std::wstring(text) : std::wstring();
}

// A relative name as the search order finds it (empty when nowhere); a full path as it is.
std::wstring ResolveMessageFile(const wchar_t* file) {
    if (!file || !*file)
        return {};
    if (!::PathIsRelativeW(file))
        return file;
    std::vector<wchar_t> found(MAX_PATH);
    for (;;) {
        const DWORD length =
            ::SearchPathW(nullptr, file, nullptr, static_cast<DWORD>(found.size()), found.data(), nullptr);
        if (length == 0)
            return {};
        if (length < found.size())
            return std::wstring(found.data(), length);
        found.resize(length + 1);
    }
}

// One value per open, as each may fail on its own without keeping the others from being tried.
void WriteSourceValue(const std::wstring& keyPath, const wchar_t* name, DWORD type, const void* data,
                      DWORD size) {
    win::UniqueRegKey key;
    if (::RegCreateKeyExW(HKEY_LOCAL_MACHINE, keyPath.c_str(), 0, nullptr, 0, KEY_WRITE, nullptr, key.put(),
                          nullptr) != ERROR_SUCCESS)
        return;
    ::RegSetValueExW(key.get(), name, 0, type, static_cast<const BYTE*>(data), size);
}

void WriteSourceString(const std::wstring& keyPath, const wchar_t* name, const std::wstring& text) {
    WriteSourceValue(keyPath, name, REG_SZ, text.c_str(),
                     static_cast<DWORD>((text.size() + 1) * sizeof(wchar_t)));
}

void WriteSourceNumber(const std::wstring& keyPath, const wchar_t* name, DWORD number) {
    WriteSourceValue(keyPath, name, REG_DWORD, &number, sizeof(number));
}

// The report's one string: the platform's wide formatting, cut to 1023 characters.
std::wstring FormatReportText(const wchar_t* format, va_list args) {
    if (!format)
        return {};
    wchar_t text[kReportChars] = {};
    va_list copy;
    va_copy(copy, args);
    const int length = ::_vsnwprintf(text, kReportChars - 1, format, copy);
    va_end(copy);
    text[kReportChars - 1] = L'\0';
    return std::wstring(text, length >= 0 ? static_cast<std::size_t>(length) : kReportChars - 1);
}

} // namespace

ZtEventLog::ZtEventLog(const wchar_t* sourceName, const wchar_t* logName) {
    SetSourceName(sourceName);
    SetLogName(logName);
}

ZtEventLog::~ZtEventLog() {
    CloseSource();
}

void ZtEventLog::SetSourceName(const wchar_t* name) {
    CloseSource();
    m_sourceName = Text(name);
}

void ZtEventLog::SetLogName(const wchar_t* name) {
    CloseSource();
    m_logName = Text(name);
}

const wchar_t* ZtEventLog::GetLogName() const {
    return m_logName.empty() ? L"Application" : m_logName.c_str();
}

void ZtEventLog::CloseSource() {
    if (!m_source)
        return;
    m_sourceSink->Deregister(m_source);
    m_source = nullptr;
    m_sourceSink = nullptr;
}

bool ZtEventLog::RegisterSource(const wchar_t* logName, const wchar_t* sourceName,
                                const wchar_t* eventMessageFile, const wchar_t* categoryMessageFile,
                                DWORD typesSupported, WORD categoryCount) {
    SetLogName(logName);
    const std::optional<std::wstring> keyPath = EventSourceKeyPath(GetLogName(), Text(sourceName));
    if (keyPath) {
        const std::wstring eventFile = ResolveMessageFile(eventMessageFile);
        const std::wstring categoryFile =
            categoryMessageFile ? ResolveMessageFile(categoryMessageFile) : eventFile;
        WriteSourceString(*keyPath, L"EventMessageFile", eventFile);
        WriteSourceString(*keyPath, L"CategoryMessageFile", categoryFile);
        WriteSourceNumber(*keyPath, L"TypesSupported", typesSupported);
        WriteSourceNumber(*keyPath, L"CategoryCount", categoryCount);
    }
    SetSourceName(sourceName);
    return keyPath.has_value();
}

bool ZtEventLog::RegisterSourceInLog(const wchar_t* sourceName, const wchar_t* eventMessageFile,
                                     const wchar_t* categoryMessageFile, DWORD typesSupported,
                                     WORD categoryCount) {
    const std::wstring logName = GetLogName();
    return RegisterSource(logName.c_str(), sourceName, eventMessageFile, categoryMessageFile, typesSupported,
                          categoryCount);
}

bool ZtEventLog::UnregisterSource(const wchar_t* logName, const wchar_t* sourceName) {
    const std::optional<std::wstring> keyPath = EventSourceKeyPath(Text(logName), Text(sourceName));
    return keyPath && ::SHDeleteKeyW(HKEY_LOCAL_MACHINE, keyPath->c_str()) == ERROR_SUCCESS;
}

bool ZtEventLog::UnregisterSourceInLog(const wchar_t* sourceName) {
    return UnregisterSource(GetLogName(), sourceName);
}

bool ZtEventLog::UnregisterKey(const wchar_t* name) {
    // Without a name this would remove every source of every log.
    if (!name || NormaliseKeyPath(name).empty())
        return false;
    const std::wstring keyPath = std::wstring(kEventLogKey) + name;
    return ::SHDeleteKeyW(HKEY_LOCAL_MACHINE, keyPath.c_str()) == ERROR_SUCCESS;
}

bool ZtEventLog::ReportData(WORD type, DWORD eventId, WORD category, const void* data, DWORD dataSize,
                            const wchar_t* format, va_list args) {
    if (!m_source) {
        EventSink& sink = ActiveEventSink();
        m_source = sink.Register(m_sourceName.c_str());
        if (!m_source)
            return false;
        m_sourceSink = &sink;
    }
    const std::wstring text = FormatReportText(format, args);
    std::vector<unsigned char> user = ProcessUserSid();
    const wchar_t* strings[] = {text.c_str()};
    return m_sourceSink->Report(m_source, type, category, eventId, user.empty() ? nullptr : user.data(), 1,
                                strings, data ? dataSize : 0, data);
}

bool ZtEventLog::ReportEx(WORD type, DWORD eventId, WORD category, const wchar_t* format, va_list args) {
    return ReportData(type, eventId, category, nullptr, 0, format, args);
}

bool ZtEventLog::Report(WORD type, const wchar_t* format, ...) {
    va_list args;
    va_start(args, format);
    const bool reported = ReportEx(type, m_defaultEventId, m_category, format, args);
    va_end(args);
    return reported;
}

} // namespace Zt
