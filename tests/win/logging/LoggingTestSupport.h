// Helpers of the logging tests: registry keys of their own, file texts, recorded events, the
// installed-suite fixture.
#pragma once

#include <windows.h>

#include <gtest/gtest.h>
#include <shlwapi.h>

#include "TestSupport.h"
#include "logging/EventSink.h"
#include "win/UniqueHandle.h"

namespace logging_test {

// A registry key for one test, created at construction and removed with everything below it at
// scope end.
class TestRegistryKey {
public:
    TestRegistryKey(HKEY root, std::wstring path);
    ~TestRegistryKey() { ::SHDeleteKeyW(m_root, m_path.c_str()); }
    TestRegistryKey(const TestRegistryKey&) = delete;
    TestRegistryKey& operator=(const TestRegistryKey&) = delete;
    const std::wstring& Path() const { return m_path; }
    void Set(const wchar_t* name, DWORD type, const void* data, std::size_t size) const {
        ::RegSetKeyValueW(m_root, m_path.c_str(), name, type, data, static_cast<DWORD>(size));
    }
    void SetString(const wchar_t* name, const std::wstring& text) const {
        Set(name, REG_SZ, text.c_str(), (text.size() + 1) * sizeof(wchar_t));
    }
    void SetNumber(const wchar_t* name, DWORD value) const { Set(name, REG_DWORD, &value, sizeof(value)); }

private:
    HKEY m_root;
    std::wstring m_path;
};

// A value as stored now: its text, or its number in decimal; "<none>" when it is missing.
std::wstring ReadValue(HKEY root, const std::wstring& path, const wchar_t* name);

inline bool FileExists(const std::wstring& path) {
    return ::GetFileAttributesW(path.c_str()) != INVALID_FILE_ATTRIBUTES;
}
// A file's bytes as UTF-16LE text (a byte-order mark would show as U+FEFF), and back: a new file
// that holds `text` at byte `at`, with nothing before it.
std::wstring ReadText(const std::wstring& path);
void WriteText(const std::wstring& path, const std::wstring& text, std::uint64_t at = 0);
// Splits text at CR LF; a last part without CR LF is returned as well.
std::vector<std::wstring> Lines(const std::wstring& text);

// One report as the event log would have received it.
struct RecordedEvent {
    std::wstring source;
    WORD type, category;
    DWORD eventId;
    bool hasUser;
    std::vector<std::wstring> strings;
    std::vector<BYTE> data;
};

// Records reports in place of the system's event log while it lives.
class EventRecorder final : public Zt::EventSink {
public:
    HANDLE Register(const wchar_t* sourceName) override;
    bool Report(HANDLE source, WORD type, WORD category, DWORD eventId, PSID user, WORD stringCount,
                const wchar_t** strings, DWORD dataSize, const void* data) override;
    void Deregister(HANDLE) override {}

    std::vector<RecordedEvent> events;
    bool refuseSources = false; // Register gives no handle

private:
    Zt::ScopedEventSink m_scope{*this};
    std::vector<std::wstring> m_sources; // handle n is m_sources[n - 1]
};

constexpr wchar_t kSetupKey[] = L"Software\\Morvane\\Vistral\\Setup";
constexpr wchar_t kApplicationLog[] = L"SYSTEM\\CurrentControlSet\\Services\\Eventlog\\Application";
// The head of a service entry after the prefix.
constexpr wchar_t kErrorHead[] = L"Ostrana Vistral Service: Error  :\t";

// The suite installed in a directory of a temporary one ("Inst_Path"), with reports recorded; the
// installation, the default log and the service's event source go at the end. The installation's
// name lies beyond any ANSI code page, so that its path must stay UTF-16 throughout.
class InstalledSuite : public ::testing::Test {
protected:
    InstalledSuite();
    ~InstalledSuite() override;
    std::wstring Install() const { return m_temp.Path() + L"Vistral \u03a9\u4e2d"; }
    std::wstring EventsLog() const { return Install() + L"\\Diagnose\\Events.log"; }
    // Beside the host executable, named after it with the extension "Log".
    static std::wstring DefaultLog() { return testing_support::BinDirectory() + L"zt_logging_tests.Log"; }
    // The part of each line of `path` after "<program> : <date> <time> : "; lines without that
    // prefix (dump lines) are marked "<short>".
    static std::vector<std::wstring> Bodies(const std::wstring& path);

    TestRegistryKey m_setup{HKEY_LOCAL_MACHINE, kSetupKey};
    testing_support::TempDirectory m_temp;
    EventRecorder m_recorder;
};

} // namespace logging_test
