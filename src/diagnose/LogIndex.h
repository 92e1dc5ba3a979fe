// The index of one log file through a file layer: open, load, follow, and what became of the
// file (Look). No platform headers and no windows: the viewer's CDiagnoseIndex gives it the
// platform's layer and texts, tests a layer of their own, and a reading thread may own it.
#pragma once

#include "diagnose/LogFile.h"
#include "diagnose/RecordStore.h"

#include <atomic>
#include <memory>
#include <mutex>
#include <optional>
#include <string>

namespace diagnose {

class LogIndex : public RecordStore {
public:
    // `layer` outlives the index. `eightBit` reads 8-bit text without a mark.
    LogIndex(FileLayer& layer, TextDecoder eightBit, size_t maxLineBytes = kMaxLineBytes);
    virtual ~LogIndex();

    // Stores the path and loads it; another path starts from an empty index.
    void SetFile(const std::wstring& path);
    // Stores the path only, for a load that comes later (on another thread); false when memory
    // ran out (ReadError says so).
    bool SetPath(const std::wstring& path);
    // A load overtaken by a writer that cut the log starts over by itself (true), or ends and
    // says so, for an owner whose reading thread may not empty the index on its own.
    void SetLoadStartsOver(bool startsOver) { m_startsOver = startsOver; }
    const std::wstring& GetFile() const { return m_path; }
    // Whether the last load found the log and holds it open; a missing log is no read error.
    bool HasFile() const { return m_file != nullptr; }
    // Where the running (or last) load reads to: the file's size when it began.
    uint64_t LoadTarget() const { return m_loadTarget.load(); }

    // Reads the lines of the file not read yet: all of them the first time, the last one with
    // or without a line end. A file that cannot be opened or read further ends the load with
    // the lines read so far; ReadError tells why.
    ReadResult Load();
    // Reads the complete lines that were appended since the last read.
    ReadResult ReadAppended();
    // Empties the index and lets go of the file. A later start that a read found the log to
    // need (NeedsLaterStart) is kept for the next load.
    void Clear();
    // Whether the log did not fit: a read stopped at the index's budget, at the records a list
    // can count, or where memory ran out. The next load begins later in the file, where its
    // newest lines fit, and it is read again from there. A load that starts over by itself does
    // so at once.
    bool NeedsLaterStart() const { return m_laterStart > TextStart(); }

    // The platform's code of why the file could not be read in full; 0 when it was read, or
    // does not exist, or no path is set.
    uint32_t ReadError() const { return m_readError.load(); }

    // What a look at the file found since the last read.
    enum class FileState { Unchanged, Grown, Replaced, Unreachable };
    // Replaced: it was cut to its newest part, rewritten, deleted, or replaced by another file;
    // the lines indexed no longer stand where they were. Unreachable: neither it nor its name
    // can be looked at now (a share that went away); the index stays, and LookError says why.
    FileState Look();
    uint32_t LookError() const { return m_lookError.load(); }
    // Whether a line read again did not match what was indexed: the file is Replaced.
    bool IsStale() const { return m_stale.load(); }

    // A record's line read again; false when it could not be, or no longer matches (IsStale).
    bool ReadLineText(RecordId id, std::wstring& text) const;
    // Each thread reads the log through a handle of its own, so that none waits for another's
    // read. The viewer's thread's (line texts, copies; time texts read again):
    ByteSource& Source() const;
    // The reading thread's, which loads, looks and reads on through its own, for its tasks:
    ByteSource& ReadingSource() const;
    // Another for another thread (a save), of its own: null, with the platform's code, when it
    // cannot be had. Its owner's thread, holding the index still, asks for it.
    std::unique_ptr<ByteSource> OpenSource(uint32_t& error) const;
    // Another thread's, stopping the reading thread: ends its read, open or look at the name that
    // waits (a share that went away) and fails those after it, until ResumeReads, once that
    // thread has stopped.
    void CancelReads();
    void ResumeReads();

protected:
    // The text computers and processes file under when a line has none; asked once.
    virtual std::wstring UnknownText() const { return L"Unbekannt"; }
    const std::wstring& Unknown();
    ByteSource& ReadBackSource(ByteSource& read) override;

private:
    void Open();
    ReadResult LoadOnce();
    // After a read up to `to` that ended as `result`: where the next load is to begin.
    void PlanLaterStart(const ReadResult& result, uint64_t to);

    FileLayer& m_layer;
    TextDecoder m_eightBit;
    std::wstring m_path;
    std::unique_ptr<LogFile> m_file;     // the reading thread's
    std::unique_ptr<LogFile> m_viewFile; // the viewer's thread's: Source()
    // The reading thread's file that a stop cancels the reads of, from the stopping thread; the
    // one being opened too, before it is m_file.
    std::mutex m_cancelMutex;
    LogFile* m_cancellable = nullptr;
    bool m_cancelled = false;
    void Cancellable(LogFile* file);
    std::optional<std::wstring> m_unknown;
    mutable MemorySource m_noFile; // the source of an index of added lines only
    // Written by the reading thread, read by the viewer's, and the other way round for m_stale.
    std::atomic<uint32_t> m_readError{0};
    std::atomic<uint32_t> m_lookError{0};
    mutable std::atomic<bool> m_stale{false};
    bool m_startsOver = true;
    uint64_t m_laterStart = 0; // where the next load begins, when later than the text's start
    std::atomic<uint64_t> m_loadTarget{0};
};

// The platform's code for how a read ended: 0 when it was read whole.
uint32_t ErrorOf(const ReadResult& result);

} // namespace diagnose
