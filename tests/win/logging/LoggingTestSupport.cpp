// Helpers of the logging tests.
#include "LoggingTestSupport.h"

#include "TestSupport.h"
#include "win/UniqueHandle.h"

#include <shlwapi.h>

namespace logging_test {

TestRegistryKey::TestRegistryKey(HKEY root, std::wstring path) : m_root(root), m_path(std::move(path)) {
    RemoveKey(m_root, m_path);
    win::UniqueRegKey key;
    ::RegCreateKeyExW(m_root, m_path.c_str(), 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, key.put(), nullptr);
}

TestRegistryKey::~TestRegistryKey() {
    RemoveKey(m_root, m_path);
}

void TestRegistryKey::SetString(const wchar_t* name, const std::wstring& text) const {
    ::RegSetKeyValueW(m_root, m_path.c_str(), name, REG_SZ, text.c_str(),
                      static_cast<DWORD>((text.size() + 1) * sizeof(wchar_t)));
}

void TestRegistryKey::SetNumber(const wchar_t* name, DWORD value) const {
    ::RegSetKeyValueW(m_root, m_path.c_str(), name, REG_DWORD, &value, sizeof(value));
}

void TestRegistryKey::SetBinary(const wchar_t* name, const std::vector<BYTE>& bytes) const {
    ::RegSetKeyValueW(m_root, m_path.c_str(), name, REG_BINARY, bytes.data(),
                      static_cast<DWORD>(bytes.size()));
}

void RemoveKey(HKEY root, const std::wstring& path) {
    ::SHDeleteKeyW(root, path.c_str());
}

bool ReadString(HKEY root, const std::wstring& path, const wchar_t* name, std::wstring& text) {
    wchar_t buffer[1024] = {};
    DWORD size = sizeof(buffer) - sizeof(wchar_t);
    if (::RegGetValueW(root, path.c_str(), name, RRF_RT_REG_SZ, nullptr, buffer, &size) != ERROR_SUCCESS)
        return false;
    text = buffer;
    return true;
}

bool ReadNumber(HKEY root, const std::wstring& path, const wchar_t* name, DWORD& number) {
    DWORD size = sizeof(number);
    return ::RegGetValueW(root, path.c_str(), name, RRF_RT_REG_DWORD, nullptr, &number, &size) ==
           ERROR_SUCCESS;
}

bool FileExists(const std::wstring& path) {
    return ::GetFileAttributesW(path.c_str()) != INVALID_FILE_ATTRIBUTES;
}

std::vector<BYTE> ReadBytes(const std::wstring& path) {
    win::UniqueFile file(::CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE,
                                       nullptr, OPEN_EXISTING, 0, nullptr));
    if (!file)
        return {};
    std::vector<BYTE> bytes(::GetFileSize(file.get(), nullptr));
    DWORD read = 0;
    ::ReadFile(file.get(), bytes.data(), static_cast<DWORD>(bytes.size()), &read, nullptr);
    bytes.resize(read);
    return bytes;
}

std::wstring ReadText(const std::wstring& path) {
    const std::vector<BYTE> bytes = ReadBytes(path);
    return std::wstring(reinterpret_cast<const wchar_t*>(bytes.data()), bytes.size() / 2);
}

void WriteBytes(const std::wstring& path, const std::vector<BYTE>& bytes) {
    win::UniqueFile file(::CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr));
    DWORD written = 0;
    ::WriteFile(file.get(), bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr);
}

std::wstring ProgramName() {
    wchar_t path[MAX_PATH] = {};
    ::GetModuleFileNameW(nullptr, path, MAX_PATH);
    return ::PathFindFileNameW(path);
}

std::vector<std::wstring> Lines(const std::wstring& text) {
    std::vector<std::wstring> lines;
    std::size_t start = 0;
    for (;;) {
        const std::size_t end = text.find(L"\r\n", start);
        if (end == std::wstring::npos) {
            if (start < text.size())
                lines.push_back(text.substr(start));
            return lines;
        }
        lines.push_back(text.substr(start, end - start));
        start = end + 2;
    }
}

HANDLE EventRecorder::Register(const wchar_t* sourceName) {
    if (refuseSources)
        return nullptr;
    m_sources.push_back(sourceName);
    ++m_open;
    return reinterpret_cast<HANDLE>(m_sources.size());
}

bool EventRecorder::Report(HANDLE source, WORD type, WORD category, DWORD eventId, PSID user,
                           WORD stringCount, const wchar_t** strings, DWORD dataSize, const void* data) {
    RecordedEvent event;
    const std::size_t index = reinterpret_cast<std::size_t>(source);
    event.source = index >= 1 && index <= m_sources.size() ? m_sources[index - 1] : L"?";
    event.type = type;
    event.category = category;
    event.eventId = eventId;
    event.hasUser = user != nullptr && ::IsValidSid(user);
    for (WORD i = 0; i < stringCount; ++i)
        event.strings.push_back(strings[i]);
    if (data)
        event.data.assign(static_cast<const BYTE*>(data), static_cast<const BYTE*>(data) + dataSize);
    m_events.push_back(event);
    return true;
}

void EventRecorder::Deregister(HANDLE) {
    --m_open;
}

std::wstring HelperPath() {
    return testing_support::BinDirectory() + L"zt_logging_helper.exe";
}

namespace {
win::UniqueKernelHandle StartHelper(const std::wstring& arguments, const std::wstring& directory,
                                    const std::wstring& program) {
    const std::wstring exe = program.empty() ? HelperPath() : program;
    std::wstring commandLine = L"\"" + exe + L"\" " + arguments;
    STARTUPINFOW startup = {};
    startup.cb = sizeof(startup);
    PROCESS_INFORMATION process = {};
    if (!::CreateProcessW(exe.c_str(), commandLine.data(), nullptr, nullptr, FALSE, 0, nullptr,
                          directory.empty() ? nullptr : directory.c_str(), &startup, &process))
        return {};
    ::CloseHandle(process.hThread);
    return win::UniqueKernelHandle(process.hProcess);
}

DWORD Finish(const win::UniqueKernelHandle& process, DWORD timeoutMs) {
    if (!process || ::WaitForSingleObject(process.get(), timeoutMs) != WAIT_OBJECT_0)
        return static_cast<DWORD>(-1);
    DWORD code = static_cast<DWORD>(-1);
    ::GetExitCodeProcess(process.get(), &code);
    return code;
}
} // namespace

DWORD RunHelper(const std::wstring& arguments, const std::wstring& directory, const std::wstring& program,
                DWORD timeoutMs) {
    return Finish(StartHelper(arguments, directory, program), timeoutMs);
}

std::vector<DWORD> RunHelpersTogether(const std::vector<std::wstring>& argumentLines, DWORD timeoutMs) {
    std::vector<win::UniqueKernelHandle> processes;
    for (const std::wstring& arguments : argumentLines)
        processes.push_back(StartHelper(arguments, {}, {}));
    std::vector<DWORD> codes;
    for (const auto& process : processes)
        codes.push_back(Finish(process, timeoutMs));
    return codes;
}

} // namespace logging_test
