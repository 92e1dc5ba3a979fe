// A file written under a temporary name beside its target and moved over the target only when
// it is complete: the chosen name holds the old file or the whole new one, never half of one.
#pragma once

#include "win/UniqueHandle.h"

#include <windows.h>
#include <string>

namespace win {

// Write may run on another thread than the one that made the object; Commit and Abandon run
// once that thread no longer writes. What is not committed is removed, the destructor included.
class ReplacingFile {
public:
    ReplacingFile() = default;
    ~ReplacingFile() { Abandon(); }
    ReplacingFile(const ReplacingFile&) = delete;
    ReplacingFile& operator=(const ReplacingFile&) = delete;

    // Makes a new temporary file in the target's folder; 0 or the platform's code.
    DWORD Create(const std::wstring& target);
    // 0 or the platform's code.
    DWORD Write(const void* data, size_t size);
    // Closes the temporary file and moves it over the target, replacing a file there; 0 or the
    // platform's code, and then the target is as it was and the temporary file gone.
    DWORD Commit();
    // Closes and removes the temporary file; the target is left alone.
    void Abandon();

    const std::wstring& TemporaryPath() const { return m_temporary; }

private:
    std::wstring m_target;
    std::wstring m_temporary;
    UniqueFile m_file;
};

} // namespace win
