// A file layer in memory whose files tests change and make fail, as writers and shares do.
#pragma once

#include "diagnose/LogIndex.h"

#include <condition_variable>
#include <cstring>
#include <functional>
#include <map>
#include <memory>

namespace record_store_test {

struct FakeFile {
    std::string bytes;
    diagnose::FileId id;
    uint32_t sizeError = 0;                          // not 0: Size fails with it
    std::function<void(uint64_t offset)> beforeRead; // a writer at work between the reader's reads
    std::atomic<uint64_t> bytesRead{0};              // what all reads asked for
    // The next read waits (false again then), holding its handle as a synchronous one does, until
    // the handle's reads are cancelled: a share that went away. A guard ends the wait after
    // seconds (`guardEnded`), so that a test of a stop that cancels nothing fails, not hangs.
    std::atomic<bool> holdNext{false}, guardEnded{false};
};

class FakeFiles : public diagnose::FileLayer {
public:
    FakeFile& Make(const std::wstring& path, std::string bytes) {
        // Made in place: it holds atomics.
        names[path].reset(new FakeFile{std::move(bytes), {0, ++m_made}, 0, {}, {}, {}, {}});
        return *names[path];
    }
    std::unique_ptr<diagnose::LogFile> Open(const std::wstring& path, uint32_t& error) override {
        // The next open waits (`opening` meanwhile) as one of a share that went away does, until
        // the opens are cancelled; a guard ends the wait after seconds, as the reads' does.
        std::unique_lock<std::mutex> lock(m_opens);
        if (holdOpen.exchange(false)) {
            opening = true;
            if (!m_opensCancelled.wait_for(lock, std::chrono::seconds(5), [&] { return m_cancelOpens; }))
                guardEnded = true;
        }
        if (m_cancelOpens)
            return (error = diagnose::kReadCancelled, nullptr);
        auto file = Find(path, error);
        return file ? std::make_unique<Handle>(file) : nullptr;
    }
    void CancelOpens() override {
        const std::lock_guard<std::mutex> lock(m_opens);
        m_cancelOpens = true;
        m_opensCancelled.notify_all();
    }
    void ResumeOpens() override {
        const std::lock_guard<std::mutex> lock(m_opens);
        m_cancelOpens = false;
    }
    std::atomic<bool> holdOpen{false}, opening{false}, guardEnded{false};
    bool Identify(const std::wstring& path, diagnose::FileId& id, uint32_t& error) override {
        auto file = Find(path, error);
        return file && (id = file->id, true);
    }
    std::map<std::wstring, std::shared_ptr<FakeFile>> names;
    uint32_t nameError = 0; // not 0: no name resolves (a share that went away)

private:
    std::shared_ptr<FakeFile> Find(const std::wstring& path, uint32_t& error) {
        const auto found = names.find(path);
        error = nameError ? nameError : found == names.end() ? diagnose::error_code::kFileNotFound : 0;
        return error ? nullptr : found->second;
    }
    struct Handle : diagnose::LogFile {
        explicit Handle(std::shared_ptr<FakeFile> file) : file(std::move(file)) {}
        bool Read(uint64_t offset, void* buffer, size_t size, size_t& got, uint32_t& error) override {
            const std::lock_guard<std::mutex> oneAtATime(reading);
            std::unique_lock<std::mutex> lock(cancelling);
            if (file->holdNext.exchange(false) &&
                !cancelled.wait_for(lock, std::chrono::seconds(5), [&] { return cancel.load(); }))
                file->guardEnded = true;
            if (cancel)
                return (error = diagnose::kReadCancelled, false);
            if (file->beforeRead)
                file->beforeRead(offset);
            file->bytesRead += size;
            const uint64_t at = std::min<uint64_t>(offset, file->bytes.size());
            got = static_cast<size_t>(std::min<uint64_t>(size, file->bytes.size() - at));
            std::memcpy(buffer, file->bytes.data() + at, got);
            return !(error = 0);
        }
        bool Size(uint64_t& size, uint32_t& error) override {
            size = file->bytes.size();
            return !(error = file->sizeError);
        }
        bool DeletePending() override { return false; }
        diagnose::FileId Id() const override { return file->id; }
        std::unique_ptr<LogFile> Reopen(uint32_t&) override { return std::make_unique<Handle>(file); }
        void CancelReads() override {
            const std::lock_guard<std::mutex> lock(cancelling);
            cancel = true;
            cancelled.notify_all();
        }
        void ResumeReads() override { cancel = false; }
        std::shared_ptr<FakeFile> file;
        std::mutex reading, cancelling;
        std::condition_variable cancelled;
        std::atomic<bool> cancel{false};
    };
    uint64_t m_made = 0;
    std::mutex m_opens;
    std::condition_variable m_opensCancelled;
    bool m_cancelOpens = false;
};

// The suite's writer at its size limit: the newest `keep` bytes copied to the start in pieces of
// 4 KiB, then the end of the file set.
inline void CutInPlace(std::string& bytes, size_t keep) {
    for (size_t at = 0, from = bytes.size() - keep; at < keep; at += 4096)
        bytes.replace(at, std::min<size_t>(4096, keep - at), bytes, from + at,
                      std::min<size_t>(4096, keep - at));
    bytes.resize(keep);
}

} // namespace record_store_test
