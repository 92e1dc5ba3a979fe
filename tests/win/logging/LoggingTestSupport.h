// Helpers of the logging tests: registry keys of their own, file bytes, recorded events and
// child processes of the test program's helper.
#pragma once

#include <windows.h>

#include <string>
#include <vector>

#include "logging/EventSink.h"

namespace logging_test {

// A registry key for one test, created at construction and removed with everything below it at
// scope end.
class TestRegistryKey {
public:
    TestRegistryKey(HKEY root, std::wstring path);
    ~TestRegistryKey();
    TestRegistryKey(const TestRegistryKey&) = delete;
    TestRegistryKey& operator=(const TestRegistryKey&) = delete;
    HKEY Root() const { return m_root; }
    const std::wstring& Path() const { return m_path; }
    void SetString(const wchar_t* name, const std::wstring& text) const;
    void SetNumber(const wchar_t* name, DWORD value) const;
    void SetBinary(const wchar_t* name, const std::vector<BYTE>& bytes) const;

private:
    HKEY m_root;
    std::wstring m_path;
};

// Removes a key with everything below it, if it exists.
void RemoveKey(HKEY root, const std::wstring& path);

// A string value or a DWORD value as stored now; empty text / false when absent.
bool ReadString(HKEY root, const std::wstring& path, const wchar_t* name, std::wstring& text);
bool ReadNumber(HKEY root, const std::wstring& path, const wchar_t* name, DWORD& number);

bool FileExists(const std::wstring& path);
std::vector<BYTE> ReadBytes(const std::wstring& path);
// The file as UTF-16LE text.
std::wstring ReadText(const std::wstring& path);
void WriteBytes(const std::wstring& path, const std::vector<BYTE>& bytes);

// The host executable's file name and directory (with backslash).
std::wstring ProgramName();

// Splits UTF-16 text at CR LF; a last part without CR LF is returned as well.
std::vector<std::wstring> Lines(const std::wstring& text);

// One report as the event log would have received it.
struct RecordedEvent {
    std::wstring source;
    WORD type = 0;
    WORD category = 0;
    DWORD eventId = 0;
    bool hasUser = false;
    std::vector<std::wstring> strings;
    std::vector<BYTE> data;
};

// Records reports in place of the system's event log while it lives.
class EventRecorder final : public Zt::EventSink {
public:
    EventRecorder() : m_scope(*this) {}
    HANDLE Register(const wchar_t* sourceName) override;
    bool Report(HANDLE source, WORD type, WORD category, DWORD eventId, PSID user, WORD stringCount,
                const wchar_t** strings, DWORD dataSize, const void* data) override;
    void Deregister(HANDLE source) override;

    const std::vector<RecordedEvent>& Events() const { return m_events; }
    int OpenSources() const { return m_open; }
    bool refuseSources = false; // Register gives no handle

private:
    Zt::ScopedEventSink m_scope;
    std::vector<std::wstring> m_sources; // handle n is m_sources[n - 1]
    std::vector<RecordedEvent> m_events;
    int m_open = 0;
};

// Runs the helper program (a copy at `program` when given, else the one in bin/) with
// `arguments` in `directory`, waits at most `timeoutMs`, and answers its exit code (-1 when it
// did not start or end).
DWORD RunHelper(const std::wstring& arguments, const std::wstring& directory = {},
                const std::wstring& program = {}, DWORD timeoutMs = 120000);

// Starts helpers with these argument lines at once, waits for all, answers their exit codes.
std::vector<DWORD> RunHelpersTogether(const std::vector<std::wstring>& argumentLines,
                                      DWORD timeoutMs = 300000);

std::wstring HelperPath();

} // namespace logging_test
