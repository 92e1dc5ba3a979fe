// The file operations of Zt::ZtLogFile.
#include "logging/LogFileIo.h"

#include "logging/SizeLimit.h"

#include <vector>

namespace Zt {
namespace {

// A temporary file that is deleted when the scope ends.
class TemporaryCopy {
public:
    explicit TemporaryCopy(const std::wstring& source) {
        wchar_t directory[MAX_PATH + 1] = {};
        const DWORD length = ::GetTempPathW(MAX_PATH + 1, directory);
        if (length == 0 || length > MAX_PATH)
            return;
        wchar_t name[MAX_PATH] = {};
        if (::GetTempFileNameW(directory, L"CLF", 0, name) == 0)
            return;
        m_path = name;
        if (!::CopyFileW(source.c_str(), m_path.c_str(), FALSE))
            return;
        m_copied = true;
    }
    ~TemporaryCopy() {
        if (!m_path.empty())
            ::DeleteFileW(m_path.c_str());
    }
    TemporaryCopy(const TemporaryCopy&) = delete;
    TemporaryCopy& operator=(const TemporaryCopy&) = delete;

    bool Copied() const { return m_copied; }
    const std::wstring& Path() const { return m_path; }

private:
    std::wstring m_path;
    bool m_copied = false;
};

void MoveToEnd(HANDLE file) {
    ::SetFilePointer(file, 0, nullptr, FILE_END);
}

} // namespace

win::UniqueFile OpenLogForWriting(const std::wstring& path, DWORD disposition) {
    const ULONGLONG deadline = ::GetTickCount64() + kSharingRetryMs;
    for (;;) {
        win::UniqueFile file(
            ::CreateFileW(path.c_str(), GENERIC_WRITE, FILE_SHARE_READ, nullptr, disposition, 0, nullptr));
        if (file || ::GetLastError() != ERROR_SHARING_VIOLATION || ::GetTickCount64() >= deadline)
            return file;
        ::Sleep(1);
    }
}

void CutToSizeLimit(HANDLE file, const std::wstring& path, DWORD sizeLimit, DWORD keepSize) {
    const DWORD size = ::GetFileSize(file, nullptr);
    if (size == INVALID_FILE_SIZE || !ShouldCut(size, sizeLimit, keepSize)) {
        MoveToEnd(file);
        return;
    }
    TemporaryCopy copy(path);
    win::UniqueFile source;
    if (copy.Copied())
        source.reset(::CreateFileW(copy.Path().c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING, 0, nullptr));
    if (!source) {
        MoveToEnd(file);
        return;
    }
    const KeptTail tail = TailToKeep(size, keepSize);
    ::SetFilePointer(file, 0, nullptr, FILE_BEGIN);
    ::SetFilePointer(source.get(), static_cast<LONG>(tail.offset), nullptr, FILE_BEGIN);
    std::vector<BYTE> chunk(4096);
    DWORD left = tail.length;
    while (left > 0) {
        DWORD read = 0;
        const DWORD wanted = left < chunk.size() ? left : static_cast<DWORD>(chunk.size());
        if (!::ReadFile(source.get(), chunk.data(), wanted, &read, nullptr) || read == 0)
            break;
        DWORD written = 0;
        if (!::WriteFile(file, chunk.data(), read, &written, nullptr) || written != read)
            break;
        left -= read;
    }
    source.reset();
    ::FlushFileBuffers(file);
    ::SetEndOfFile(file);
    MoveToEnd(file);
}

void CloseLog(win::UniqueFile& file, const std::wstring& path) {
    if (!file)
        return;
    ::FlushFileBuffers(file.get());
    ::SetLastError(ERROR_SUCCESS);
    const DWORD size = ::GetFileSize(file.get(), nullptr);
    const bool sizeKnown = ::GetLastError() == ERROR_SUCCESS;
    file.reset();
    if (!sizeKnown || size != 0)
        return;
    // Removing by name after the close could remove what another writer wrote in between: look
    // again with the file to ourselves, and let it go with that handle.
    win::UniqueFile own(
        ::CreateFileW(path.c_str(), GENERIC_READ | DELETE, 0, nullptr, OPEN_EXISTING, 0, nullptr));
    if (!own || ::GetFileSize(own.get(), nullptr) != 0)
        return;
    FILE_DISPOSITION_INFO dispose = {TRUE};
    ::SetFileInformationByHandle(own.get(), FileDispositionInfo, &dispose, sizeof(dispose));
}

} // namespace Zt
