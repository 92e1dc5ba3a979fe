// Writing records to a file on a thread of its own: the lines as they stand in the log, or CSV
// rows, in batches, with how far it has come published and a stop asked between lines. No
// platform headers.
#pragma once

#include "diagnose/RecordStore.h"
#include "viewer/MessageKeys.h"
#include "viewer/save/RecordsFile.h"

#include <atomic>
#include <cstdint>
#include <functional>
#include <map>
#include <string>
#include <thread>
#include <vector>

namespace viewer {

// Where the bytes go; called from the job's thread only.
class ByteSink {
public:
    virtual ~ByteSink() = default;
    // False, with the platform's code, when the bytes could not be written.
    virtual bool Write(const char* data, size_t size, uint32_t& error) = 0;
};

// What a file says of a record besides its line; everything the job's thread needs, so that it
// reads no language resources of its own.
struct SaveContent {
    SaveFormat format = SaveFormat::Text;
    std::wstring separator;                     // CSV
    std::vector<std::wstring> headings;         // CSV: its first row
    std::map<uint16_t, std::wstring> typeNames; // by trace class
    std::wstring otherType;                     // any class not in typeNames
    MessageOfLine messageOf;                    // called on the job's thread
};

// One save. Its thread reads only the records below the store's count when it starts, and never
// a window; `source` is its own (a stop cancels its reads for good). The store and the source must stay as
// they are until the job has ended: their owner lets nothing file or read again meanwhile (a read changes the
// last block of line starts and may take back the last record, which the job may be reading). Destroying the
// job stops it first.
class SaveJob {
public:
    enum class State { Running, Done, Cancelled, LogChanged, ReadFailed, WriteFailed, OutOfMemory };

    // Starts at once. `told` runs on the job's thread after each batch and once after the end,
    // when State() is no longer Running; it must not block (its owner posts to a window).
    SaveJob(const diagnose::RecordStore& store, diagnose::ByteSource& source,
            std::vector<diagnose::RecordId> records, ByteSink& sink, SaveContent content,
            std::function<void()> told);
    ~SaveJob();
    SaveJob(const SaveJob&) = delete;
    SaveJob& operator=(const SaveJob&) = delete;

    // Asks the job to stop and waits until its thread has ended: within one line's work or one
    // step's read of the log, and at once from a read that waits.
    void Stop();
    // Asks the job to stop and returns at once.
    void RequestStop();
    // Waits until the job has ended by itself.
    void Wait();
    State GetState() const { return m_state.load(); }
    // The sink's code when the state is WriteFailed.
    uint32_t WriteError() const { return m_writeError; }
    size_t Written() const { return m_written.load(); }
    size_t Total() const { return m_records.size(); }

private:
    void Run();
    State WriteAll();
    bool Put(const std::wstring& text);
    void AppendRecord(std::wstring& out, diagnose::RecordId id, const std::wstring& line) const;

    const diagnose::RecordStore& m_store;
    diagnose::ByteSource& m_source;
    const std::vector<diagnose::RecordId> m_records;
    ByteSink& m_sink;
    const SaveContent m_content;
    const std::function<void()> m_told;
    std::atomic<bool> m_stop{false};
    std::atomic<State> m_state{State::Running};
    std::atomic<size_t> m_written{0};
    uint32_t m_writeError = 0; // written by the thread before the state leaves Running
    std::string m_bytes;
    std::thread m_thread; // last: it starts when everything above is made
};

} // namespace viewer
