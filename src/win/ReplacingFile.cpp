// A file that replaces its target only when complete.
#include "win/ReplacingFile.h"

namespace win {

DWORD ReplacingFile::Create(const std::wstring& target) {
    Abandon();
    const size_t slash = target.find_last_of(L"\\/");
    const std::wstring folder =
        slash == std::wstring::npos ? std::wstring(L".") : target.substr(0, slash + 1);
    // A name the platform makes unique, so that no file the operator did not name is touched.
    wchar_t temporary[MAX_PATH + 16] = {};
    if (target.empty())
        return ERROR_INVALID_NAME;
    if (folder.size() > MAX_PATH - 14) // the platform's limit for the folder of a temporary name
        return ERROR_FILENAME_EXCED_RANGE;
    if (!::GetTempFileNameW(folder.c_str(), L"zts", 0, temporary)) {
        const DWORD error = ::GetLastError();
        return error ? error : ERROR_PATH_NOT_FOUND;
    }
    m_temporary = temporary;
    m_file.reset(::CreateFileW(temporary, GENERIC_WRITE, 0, nullptr, TRUNCATE_EXISTING, FILE_ATTRIBUTE_NORMAL,
                               nullptr));
    if (!m_file) {
        const DWORD error = ::GetLastError();
        Abandon();
        return error ? error : ERROR_WRITE_FAULT;
    }
    m_target = target;
    return 0;
}

DWORD ReplacingFile::Write(const void* data, size_t size) {
    const auto* bytes = static_cast<const char*>(data);
    while (size > 0) {
        DWORD written = 0;
        const DWORD chunk = static_cast<DWORD>(size < (1u << 30) ? size : (1u << 30));
        if (!m_file || !::WriteFile(m_file.get(), bytes, chunk, &written, nullptr))
            return m_file ? ::GetLastError() : ERROR_INVALID_HANDLE;
        if (written == 0)
            return ERROR_WRITE_FAULT;
        bytes += written;
        size -= written;
    }
    return 0;
}

DWORD ReplacingFile::Commit() {
    if (!m_file)
        return ERROR_INVALID_HANDLE;
    const bool flushed = ::FlushFileBuffers(m_file.get()) != FALSE;
    DWORD error = flushed ? 0 : ::GetLastError();
    m_file.reset();
    if (!error && !::MoveFileExW(m_temporary.c_str(), m_target.c_str(),
                                 MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH))
        error = ::GetLastError();
    if (error) {
        Abandon();
        return error;
    }
    m_temporary.clear();
    m_target.clear();
    return 0;
}

void ReplacingFile::Abandon() {
    m_file.reset();
    if (!m_temporary.empty())
        ::DeleteFileW(m_temporary.c_str());
    m_temporary.clear();
    m_target.clear();
}

} // namespace win
