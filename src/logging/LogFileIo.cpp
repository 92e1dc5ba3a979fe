// The file operations of Zt::ZtLogFile.
#include "logging/LogFileIo.h"

#include "logging/OpenRetry.h"
#include "logging/SizeLimit.h"

#include <optional>
#include <vector>

namespace Zt {
namespace {

using NtStatusReader = LONG(WINAPI*)();

// Reads the status behind the calling thread's last error; looked up before the calls whose
// status it is to read, as the look-up itself may change it.
NtStatusReader LastNtStatusReader() {
    return reinterpret_cast<NtStatusReader>(
        reinterpret_cast<void*>(::GetProcAddress(::GetModuleHandleW(L"ntdll.dll"), "RtlGetLastNtStatus")));
}

std::optional<std::uint64_t> FileSize(HANDLE file) {
    LARGE_INTEGER size = {};
    if (!::GetFileSizeEx(file, &size))
        return std::nullopt;
    return static_cast<std::uint64_t>(size.QuadPart);
}

bool Seek(HANDLE file, std::uint64_t offset) {
    LARGE_INTEGER position = {};
    position.QuadPart = static_cast<LONGLONG>(offset);
    return ::SetFilePointerEx(file, position, nullptr, FILE_BEGIN) != FALSE;
}

// `length` bytes from `from` to `to`, each at its position, in chunks of 4096; true only when
// every byte arrived.
bool CopyBytes(HANDLE from, HANDLE to, std::uint32_t length) {
    std::vector<BYTE> chunk(4096);
    while (length > 0) {
        const DWORD wanted = length < chunk.size() ? length : static_cast<DWORD>(chunk.size());
        DWORD read = 0;
        if (!::ReadFile(from, chunk.data(), wanted, &read, nullptr) || read == 0)
            return false;
        DWORD written = 0;
        if (!::WriteFile(to, chunk.data(), read, &written, nullptr) || written != read)
            return false;
        length -= read;
    }
    return true;
}

// A new "CLF" file in the temporary directory, gone when its handle closes.
win::UniqueFile CreateTemporary() {
    wchar_t directory[MAX_PATH + 1] = {};
    const DWORD length = ::GetTempPathW(MAX_PATH + 1, directory);
    if (length == 0 || length > MAX_PATH)
        return {};
    wchar_t name[MAX_PATH] = {};
    if (::GetTempFileNameW(directory, L"CLF", 0, name) == 0)
        return {};
    win::UniqueFile file(::CreateFileW(name, GENERIC_READ | GENERIC_WRITE, 0, nullptr, OPEN_EXISTING,
                                       FILE_ATTRIBUTE_TEMPORARY | FILE_FLAG_DELETE_ON_CLOSE, nullptr));
    if (!file)
        ::DeleteFileW(name);
    return file;
}

// The kept tail of the log at `path` in a temporary file, positioned at its start; none unless
// every byte of it could be read and stored.
win::UniqueFile CopyTail(const std::wstring& path, const KeptTail& tail) {
    // Our writing handle lets others read; a reader that lets others write is compatible with
    // it, so the copy does not depend on how some other API would open the file.
    const win::UniqueFile log(::CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE,
                                            nullptr, OPEN_EXISTING, 0, nullptr));
    win::UniqueFile copy = CreateTemporary();
    if (!log || !copy || !Seek(log.get(), tail.offset) || !CopyBytes(log.get(), copy.get(), tail.length) ||
        !Seek(copy.get(), 0))
        return {};
    return copy;
}

} // namespace

win::UniqueFile OpenLogForWriting(const std::wstring& path, DWORD disposition) {
    const NtStatusReader status = LastNtStatusReader();
    const ULONGLONG deadline = ::GetTickCount64() + kSharingRetryMs;
    for (;;) {
        win::UniqueFile file(
            ::CreateFileW(path.c_str(), GENERIC_WRITE, FILE_SHARE_READ, nullptr, disposition, 0, nullptr));
        if (file)
            return file;
        const DWORD error = ::GetLastError();
        const auto ntStatus = static_cast<std::uint32_t>(status ? status() : 0);
        if (!IsPassingOpenFailure(error, ntStatus) || ::GetTickCount64() >= deadline)
            return file;
        ::Sleep(1);
    }
}

void CutToSizeLimit(HANDLE file, const std::wstring& path, DWORD sizeLimit, DWORD keepSize) {
    const std::optional<std::uint64_t> size = FileSize(file);
    if (size && ShouldCut(*size, sizeLimit, keepSize)) {
        const KeptTail tail = TailToKeep(*size, keepSize);
        const win::UniqueFile copy = CopyTail(path, tail);
        // Cut only behind a complete move. A move that fails (the copy is whole, so only the
        // disk can fail it) leaves the log at its full length.
        if (copy && Seek(file, 0) && CopyBytes(copy.get(), file, tail.length)) {
            ::FlushFileBuffers(file);
            ::SetEndOfFile(file);
        }
    }
    MoveToEnd(file);
}

void MoveToEnd(HANDLE file) {
    const LARGE_INTEGER none = {};
    ::SetFilePointerEx(file, none, nullptr, FILE_END);
}

void CloseLog(win::UniqueFile& file, const std::wstring& path) {
    if (!file)
        return;
    ::FlushFileBuffers(file.get());
    const std::optional<std::uint64_t> size = FileSize(file.get());
    file.reset();
    if (size != std::uint64_t{0})
        return;
    // Removing by name after the close could remove what another writer wrote in between: look
    // again with the file to ourselves, and let it go with that handle.
    win::UniqueFile own(
        ::CreateFileW(path.c_str(), GENERIC_READ | DELETE, 0, nullptr, OPEN_EXISTING, 0, nullptr));
    if (!own || FileSize(own.get()) != std::uint64_t{0})
        return;
    FILE_DISPOSITION_INFO dispose = {TRUE};
    ::SetFileInformationByHandle(own.get(), FileDispositionInfo, &dispose, sizeof(dispose));
}

} // namespace Zt
