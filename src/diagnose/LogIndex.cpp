// The index of one log file through a file layer.
#include "diagnose/LogIndex.h"

#include "diagnose/MemoryBudget.h"

#include <algorithm>
#include <utility>

namespace diagnose {

uint32_t ErrorOf(const ReadResult& result) {
    switch (result.status) {
    case ReadResult::ReadFailed:
        return result.error ? result.error : error_code::kReadFault;
    case ReadResult::OutOfMemory:
        return error_code::kNotEnoughMemory;
    case ReadResult::TooLarge:
        return error_code::kFileTooLarge;
    case ReadResult::OverBudget:
        return error_code::kNotEnoughMemory;
    default:
        return 0;
    }
}

LogIndex::LogIndex(FileLayer& layer, TextDecoder eightBit, size_t maxLineBytes)
    : RecordStore(maxLineBytes), m_layer(layer), m_eightBit(std::move(eightBit)) {}

LogIndex::~LogIndex() = default;

void LogIndex::SetFile(const std::wstring& path) {
    if (SetPath(path))
        Load();
}

bool LogIndex::SetPath(const std::wstring& path) {
    if (path != m_path) {
        Clear(); // another file starts from empty, not from where the one held was read to
        m_laterStart = 0;
    }
    try {
        m_path = path;
        Unknown(); // now, in the language of the call that set the file, even when it is missing
        return true;
    } catch (const std::bad_alloc&) {
        m_readError = error_code::kNotEnoughMemory;
        return false;
    }
}

void LogIndex::Cancellable(LogFile* file) {
    std::lock_guard<std::mutex> lock(m_cancelMutex);
    m_cancellable = file;
    if (file && m_cancelled)
        file->CancelReads();
}

void LogIndex::CancelReads() {
    std::lock_guard<std::mutex> lock(m_cancelMutex);
    m_cancelled = true;
    m_layer.CancelOpens(); // an open of the log or a look at its name that waits, too
    if (m_cancellable)
        m_cancellable->CancelReads();
}

void LogIndex::ResumeReads() {
    std::lock_guard<std::mutex> lock(m_cancelMutex);
    m_cancelled = false;
    m_layer.ResumeOpens();
    if (m_cancellable)
        m_cancellable->ResumeReads();
}

void LogIndex::Open() {
    uint32_t error = 0;
    std::unique_ptr<LogFile> file = m_layer.Open(m_path, error);
    if (!file) {
        m_readError = IsMissing(error) ? 0 : error;
        return;
    }
    Cancellable(file.get());
    struct Abandon { // a file that is not kept is no longer cancelled
        LogIndex& index;
        std::unique_ptr<LogFile>& file;
        ~Abandon() {
            if (file)
                index.Cancellable(index.m_file.get());
        }
    } abandon{*this, file};
    char head[65536];
    size_t got = 0;
    if (!file->Read(0, head, sizeof head, got, error)) {
        if (StopAsked()) // cancelled for it: no failure of the file's
            throw WriteStopped{};
        m_readError = error;
        return;
    }
    std::unique_ptr<LogFile> view = file->Reopen(error);
    if (!view) {
        m_readError = error;
        return;
    }
    GatedStep step(Gate());
    m_viewFile = std::move(view);
    m_file = std::move(file);
    BeginDetected(head, got, m_eightBit);
    // Taken once: a log read again for another reason (replaced, F5) is measured again.
    uint64_t size = 0;
    if (const uint64_t later = std::exchange(m_laterStart, 0);
        later > TextStart() && m_file->Size(size, error) && later < size)
        StartAt(later);
}

void LogIndex::PlanLaterStart(const ReadResult& result, uint64_t to) {
    if (result.status == ReadResult::OutOfMemory) {
        // The host could give no more: the index takes less from now on, though never less than
        // any viewer gets.
        const size_t held = std::max(MemoryBytes() / 4 * 3, IndexBudget(kLeastBudget));
        SetMemoryBudget(MemoryBudget() ? std::min(MemoryBudget(), held) : held);
    } else if (result.status != ReadResult::OverBudget && result.status != ReadResult::TooLarge) {
        return;
    }
    const uint64_t later = NewestStart(ReadingSource(), to);
    if (later > TextStart())
        m_laterStart = later;
}

// A read overtaken by a writer that cut the log in place starts over, from a file opened anew;
// one overtaken every time leaves the index stale, and the next look reads it again.
ReadResult LogIndex::Load() {
    try {
        return LoadOnce();
    } catch (const std::bad_alloc&) { // opening the file, or the text it files under
        m_readError = error_code::kNotEnoughMemory;
        ReadResult result;
        result.status = ReadResult::OutOfMemory;
        result.firstNew = RecordCount();
        return result;
    }
}

ReadResult LogIndex::LoadOnce() {
    constexpr int kAttempts = 3;
    ReadResult result;
    result.firstNew = RecordCount();
    for (int attempt = 1; !m_path.empty(); ++attempt) {
        if (!m_file) {
            Open();
            if (!m_file)
                return result;
        }
        uint64_t size = 0;
        uint32_t error = 0;
        if (!m_file->Size(size, error)) {
            m_readError = error;
            return result;
        }
        m_loadTarget = std::max(size, End());
        result = Read(*m_file, m_loadTarget, true, Unknown());
        m_readError = ErrorOf(result);
        PlanLaterStart(result, m_loadTarget);
        if (NeedsLaterStart() && m_startsOver) {
            Clear();
            attempt = 0; // each start is later than the one before: this ends
            continue;
        }
        if (!result.overtaken)
            break;
        if (attempt == kAttempts || !m_startsOver) {
            m_stale = true;
            break;
        }
        Clear();
    }
    return result;
}

ReadResult LogIndex::ReadAppended() {
    ReadResult result;
    result.firstNew = RecordCount();
    uint64_t size = 0;
    uint32_t error = 0;
    if (!m_file || !m_file->Size(size, error) || size <= End())
        return result;
    result = Read(*m_file, size, false, Unknown());
    m_readError = ErrorOf(result);
    PlanLaterStart(result, size);
    if (result.overtaken)
        m_stale = true;
    return result;
}

// Taken once: a later read may run in another language (another viewer's call, a message box's
// loop delivering the follow timer), and its lines would file under a second computer.
const std::wstring& LogIndex::Unknown() {
    if (!m_unknown)
        m_unknown = UnknownText();
    return *m_unknown;
}

void LogIndex::Clear() {
    GatedStep step(Gate());
    RecordStore::Clear();
    Cancellable(nullptr);
    m_file.reset();
    m_viewFile.reset();
    m_readError = 0;
    m_stale = false;
}

// A name that cannot be looked up (other than a missing one), a size that cannot be had, or
// edges that cannot be read are a passing failure: Unreachable, and the index stays.
LogIndex::FileState LogIndex::Look() {
    RecordStore::MayFail("look"); // a look needs memory too (the name, the file's identity)
    if (m_stale)
        return FileState::Replaced;
    FileId id;
    uint32_t error = 0;
    auto unreachable = [&] {
        m_lookError = error ? error : error_code::kReadFault;
        return FileState::Unreachable;
    };
    m_lookError = 0;
    if (!m_file) {
        // A log that was missing (or could not be opened) may be there now.
        if (m_path.empty())
            return FileState::Unchanged;
        if (m_layer.Identify(m_path, id, error))
            return FileState::Replaced;
        return IsMissing(error) ? FileState::Unchanged : unreachable();
    }
    // Deleted: the name goes when the last handle does, so this one must go for the file to be
    // made anew. Deleted and made again: the name leads to another file than the one held.
    if (m_file->DeletePending())
        return FileState::Replaced;
    if (!m_layer.Identify(m_path, id, error))
        return IsMissing(error) ? FileState::Replaced : unreachable();
    if (!(id == m_file->Id()))
        return FileState::Replaced;
    uint64_t size = 0;
    if (!m_file->Size(size, error))
        return unreachable();
    if (size < End())
        return FileState::Replaced;
    switch (CheckEdges(*m_file, &error)) {
    case Recheck::Changed:
        return FileState::Replaced;
    case Recheck::Failed:
        return unreachable();
    case Recheck::Same:
        break;
    }
    return size > End() ? FileState::Grown : FileState::Unchanged;
}

ByteSource& LogIndex::Source() const {
    return m_viewFile ? static_cast<ByteSource&>(*m_viewFile) : m_noFile;
}

ByteSource& LogIndex::ReadingSource() const {
    return m_file ? static_cast<ByteSource&>(*m_file) : m_noFile;
}

std::unique_ptr<ByteSource> LogIndex::OpenSource(uint32_t& error) const {
    error = 0;
    if (!m_viewFile)
        return std::make_unique<MemorySource>(); // lines added from memory only: nothing is read
    return m_viewFile->Reopen(error);
}

// Time texts are read again on the viewer's thread.
ByteSource& LogIndex::ReadBackSource(ByteSource& read) {
    return &read == m_file.get() && m_viewFile ? *m_viewFile : read;
}

bool LogIndex::ReadLineText(RecordId id, std::wstring& text) const {
    const Recheck check = ReadLine(Source(), id, text);
    if (check == Recheck::Changed)
        m_stale = true;
    return check == Recheck::Same;
}

} // namespace diagnose
