// Where the bytes of a log come from when the index reads them: the file on Windows, memory in
// tests and benchmarks. No platform headers.
#pragma once

#include <algorithm>
#include <atomic>
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
    // Another thread's: ends the read that waits now (a share that went away) and fails every
    // read after it with kReadCancelled, until ResumeReads. A source of one thread's reads only.
    virtual void CancelReads() {}
    virtual void ResumeReads() {}
};

// The platform's code of a read that CancelReads ended (ERROR_OPERATION_ABORTED).
constexpr uint32_t kReadCancelled = 995;

// The most one read asks for: a stop is looked at between two reads, so that it is seen within
// one of them (some ten milliseconds from a disk) however much the caller reads in all. Each
// read costs three calls to the server under Wine besides its bytes, a few hundred microseconds
// while the scan keeps the processors busy: four megabytes, half a batch of a large log, make
// them a small part of it.
constexpr size_t kReadStepBytes = size_t(4) << 20;

enum class SpanRead { Whole, Short, Failed, Stopped };
// Reads [offset, offset + size) into `buffer` in steps, looking at `stop` (when given) before
// each: `done` bytes arrived. Short: the source ended first. Failed, with the source's code in
// `error`. Stopped: a stop was asked, before a step or while one waited (and was cancelled).
inline SpanRead ReadInSteps(ByteSource& source, uint64_t offset, char* buffer, size_t size, size_t& done,
                            uint32_t& error, const std::atomic<bool>* stop) {
    for (done = 0; done < size;) {
        if (stop && *stop)
            return SpanRead::Stopped;
        size_t got = 0;
        error = 0;
        if (!source.Read(offset + done, buffer + done, std::min(size - done, kReadStepBytes), got, error))
            return stop && *stop ? SpanRead::Stopped : SpanRead::Failed;
        if (got == 0)
            return SpanRead::Short;
        done += got;
    }
    return SpanRead::Whole;
}

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
