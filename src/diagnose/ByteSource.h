// Where the bytes of a log come from when the index reads them: the file on Windows, memory in
// tests and benchmarks. No platform headers.
#pragma once

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <string>

namespace diagnose {

class ByteSource {
public:
    virtual ~ByteSource() = default;
    // Reads up to `size` bytes at `offset`; `got` is how many arrived, fewer only at the end.
    // False, with the platform's error code, when the read failed.
    virtual bool Read(uint64_t offset, void* buffer, size_t size, size_t& got, uint32_t& error) = 0;
};

// Bytes held in memory; tests change them to stand for a file that changes.
class MemorySource : public ByteSource {
public:
    explicit MemorySource(std::string bytes = {}) : bytes(std::move(bytes)) {}
    bool Read(uint64_t offset, void* buffer, size_t size, size_t& got, uint32_t& error) override {
        error = 0;
        got =
            offset < bytes.size() ? static_cast<size_t>(std::min<uint64_t>(size, bytes.size() - offset)) : 0;
        if (got)
            std::memcpy(buffer, bytes.data() + offset, got);
        return true;
    }
    std::string bytes;
};

} // namespace diagnose
