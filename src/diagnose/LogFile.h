// The file layer under the index: a log opened beside its writers, and what its name leads to.
// The platform's layer is in DiagnoseIndex.cpp; tests put in one of their own that fails where
// they want (size, open, read, a name that stops resolving). No platform headers, no windows.
#pragma once

#include "diagnose/ByteSource.h"

#include <cstdint>
#include <memory>
#include <string>

namespace diagnose {

// The platform's codes the index names itself (Win32 numbers).
namespace error_code {
constexpr uint32_t kFileNotFound = 2;
constexpr uint32_t kPathNotFound = 3;
constexpr uint32_t kNotEnoughMemory = 8;
constexpr uint32_t kReadFault = 30;
constexpr uint32_t kInvalidName = 123;
constexpr uint32_t kFileTooLarge = 223;
} // namespace error_code

// Which file a name or handle stands for: the same numbers for the same file.
struct FileId {
    uint64_t volume = 0, index = 0;
    bool operator==(const FileId& other) const { return volume == other.volume && index == other.index; }
};

// A log held open for reading, with read, write and delete sharing.
class LogFile : public ByteSource {
public:
    // Its size now; false with the platform's code when it cannot be had (a share that went away).
    virtual bool Size(uint64_t& size, uint32_t& error) = 0;
    // It was deleted while held: the name goes when the last handle does.
    virtual bool DeletePending() = 0;
    virtual FileId Id() const = 0;
    // A handle of its own to the same file (not found again by its name, which may lead to
    // another file by now), for another thread: reads through one never wait for the other's.
    virtual std::unique_ptr<LogFile> Reopen(uint32_t& error) = 0;
};

class FileLayer {
public:
    virtual ~FileLayer() = default;
    // Opens `path`; null with the platform's code when it cannot be (kFileNotFound or
    // kPathNotFound for a log that is not there).
    virtual std::unique_ptr<LogFile> Open(const std::wstring& path, uint32_t& error) = 0;
    // Which file the name leads to now; false with the code when that cannot be told.
    virtual bool Identify(const std::wstring& path, FileId& id, uint32_t& error) = 0;
    // From another thread: ends an Open or Identify that waits (a share that went away), and
    // fails those after it with kReadCancelled, until ResumeOpens.
    virtual void CancelOpens() {}
    virtual void ResumeOpens() {}
};

// A log that is not there: an empty log, not a failure.
inline bool IsMissing(uint32_t error) {
    return error == error_code::kFileNotFound || error == error_code::kPathNotFound ||
           error == error_code::kInvalidName;
}

} // namespace diagnose
