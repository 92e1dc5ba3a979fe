// Helpers of the logging tests.
#include "LoggingTestSupport.h"

namespace logging_test {

TestRegistryKey::TestRegistryKey(HKEY root, std::wstring path) : m_root(root), m_path(std::move(path)) {
    ::SHDeleteKeyW(m_root, m_path.c_str());
    win::UniqueRegKey key;
    ::RegCreateKeyExW(m_root, m_path.c_str(), 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, key.put(), nullptr);
}

std::wstring ReadValue(HKEY root, const std::wstring& path, const wchar_t* name) {
    std::wstring value(512, L'\0');
    DWORD size = 1022, type = REG_NONE;
    if (::RegGetValueW(root, path.c_str(), name, RRF_RT_ANY, &type, value.data(), &size) != ERROR_SUCCESS)
        return L"<none>";
    return type == REG_DWORD ? std::to_wstring(value[0] | DWORD{value[1]} << 16) : value.c_str();
}

std::wstring ReadText(const std::wstring& path) {
    win::UniqueFile file(::CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE,
                                       nullptr, OPEN_EXISTING, 0, nullptr));
    std::wstring text(file ? ::GetFileSize(file.get(), nullptr) / 2 : 0, L'\0');
    DWORD read = 0;
    ::ReadFile(file.get(), text.data(), static_cast<DWORD>(text.size() * 2), &read, nullptr);
    return text.substr(0, read / 2);
}

void WriteText(const std::wstring& path, const std::wstring& text, std::uint64_t at) {
    win::UniqueFile file(::CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr));
    LARGE_INTEGER position;
    position.QuadPart = static_cast<LONGLONG>(at);
    DWORD written = 0;
    ::SetFilePointerEx(file.get(), position, nullptr, FILE_BEGIN);
    ::WriteFile(file.get(), text.data(), static_cast<DWORD>(text.size() * 2), &written, nullptr);
}

std::vector<std::wstring> Lines(const std::wstring& text) {
    std::vector<std::wstring> lines;
    for (std::size_t start = 0, end; start < text.size(); start = end + 2) {
        end = std::min(text.find(L"\r\n", start), text.size());
        lines.push_back(text.substr(start, end - start));
    }
    return lines;
}

HANDLE EventRecorder::Register(const wchar_t* sourceName) {
    if (refuseSources)
        return nullptr;
    m_sources.push_back(sourceName);
    return reinterpret_cast<HANDLE>(m_sources.size());
}

bool EventRecorder::Report(HANDLE source, WORD type, WORD category, DWORD eventId, PSID user,
                           WORD stringCount, const wchar_t** strings, DWORD dataSize, const void* data) {
    const auto* bytes = static_cast<const BYTE*>(data);
    events.push_back({m_sources.at(reinterpret_cast<std::size_t>(source) - 1), type, category, eventId,
                      user && ::IsValidSid(user), std::vector<std::wstring>(strings, strings + stringCount),
                      bytes ? std::vector<BYTE>(bytes, bytes + dataSize) : std::vector<BYTE>()});
    return true;
}

InstalledSuite::InstalledSuite() {
    ::CreateDirectoryW(Install().c_str(), nullptr);
    m_setup.SetString(L"Inst_Path", Install());
}

InstalledSuite::~InstalledSuite() {
    ::DeleteFileW(EventsLog().c_str());
    ::RemoveDirectoryW((Install() + L"\\Diagnose").c_str());
    ::RemoveDirectoryW(Install().c_str());
    ::DeleteFileW(DefaultLog().c_str());
    ::SHDeleteKeyW(HKEY_LOCAL_MACHINE,
                   (kApplicationLog + std::wstring(L"\\Ostrana Vistral Service")).c_str());
}

std::vector<std::wstring> InstalledSuite::Bodies(const std::wstring& path) {
    std::vector<std::wstring> bodies;
    for (const std::wstring& line : Lines(ReadText(path))) {
        const std::size_t program = line.find(L" : ");
        const std::size_t time = program == std::wstring::npos ? program : line.find(L" : ", program + 3);
        bodies.push_back(time == std::wstring::npos ? L"<short>" + line : line.substr(time + 3));
    }
    return bodies;
}

} // namespace logging_test
