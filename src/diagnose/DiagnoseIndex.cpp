// The index on the platform's files.
#include "diagnose/DiagnoseIndex.h"

#include "resource.h"
#include "win/ResourceModule.h"
#include "win/UniqueHandle.h"

#include <algorithm>
#include <atomic>

namespace {

constexpr DWORD kShareAll = FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE;

bool IdOf(HANDLE file, diagnose::FileId& id) {
    BY_HANDLE_FILE_INFORMATION info{};
    if (!::GetFileInformationByHandle(file, &info))
        return false;
    id = {info.dwVolumeSerialNumber, uint64_t(info.nFileIndexHigh) << 32 | info.nFileIndexLow};
    return true;
}

void WidenAnsiLine(const char* text, size_t length, std::u16string& out) {
    out.clear();
    const int size = static_cast<int>(std::min<size_t>(length, INT_MAX));
    const int units = ::MultiByteToWideChar(CP_ACP, 0, text, size, nullptr, 0);
    if (units <= 0)
        return;
    out.resize(static_cast<size_t>(units));
    ::MultiByteToWideChar(CP_ACP, 0, text, size, reinterpret_cast<wchar_t*>(out.data()), units);
}

// The open log file as the index reads it, through a handle of one thread's. Opened for
// overlapped reads: reads through other handles to the file never wait for this one's, and a
// read that does not return (a share that went away) is cancelled by another thread.
class PlatformLogFile : public diagnose::LogFile {
public:
    PlatformLogFile(win::UniqueFile file, win::UniqueKernelHandle cancel, win::UniqueKernelHandle done,
                    diagnose::FileId id)
        : m_file(std::move(file)), m_cancel(std::move(cancel)), m_done(std::move(done)), m_id(id) {}

    // A handle, the event CancelReads sets and the one its reads end with.
    static std::unique_ptr<PlatformLogFile> Make(win::UniqueFile file, diagnose::FileId id, uint32_t& error) {
        win::UniqueKernelHandle cancel(::CreateEventW(nullptr, TRUE, FALSE, nullptr));
        win::UniqueKernelHandle done(::CreateEventW(nullptr, TRUE, FALSE, nullptr));
        if (!file || !cancel || !done) {
            error = ::GetLastError();
            return nullptr;
        }
        return std::make_unique<PlatformLogFile>(std::move(file), std::move(cancel), std::move(done), id);
    }

    // It waits for the read or for CancelReads, and a cancelled read is waited for to its end:
    // the buffer is written until then. The read's event is the file's own (ReadFile resets it
    // as the read begins), and a cancel is seen in memory before it starts: each call to the
    // system is one to the server under Wine, which waits for a processor while the scan
    // keeps them busy, and a large log is read in thousands of steps.
    bool Read(uint64_t offset, void* buffer, size_t size, size_t& got, uint32_t& error) override {
        got = 0;
        error = 0;
        if (m_cancelled.load()) {
            error = diagnose::kReadCancelled;
            return false;
        }
        OVERLAPPED at{};
        at.Offset = static_cast<DWORD>(offset);
        at.OffsetHigh = static_cast<DWORD>(offset >> 32);
        at.hEvent = m_done.get();
        const DWORD asked = static_cast<DWORD>(std::min<size_t>(size, 1u << 30));
        if (!::ReadFile(m_file.get(), buffer, asked, nullptr, &at)) {
            error = ::GetLastError();
            if (error == ERROR_HANDLE_EOF)
                return !(error = 0);
            if (error != ERROR_IO_PENDING)
                return false;
            const HANDLE ends[] = {m_done.get(), m_cancel.get()};
            if (::WaitForMultipleObjects(2, ends, FALSE, INFINITE) != WAIT_OBJECT_0)
                ::CancelIoEx(m_file.get(), &at); // ERROR_NOT_FOUND when it ended meanwhile
        }
        DWORD read = 0;
        if (!::GetOverlappedResult(m_file.get(), &at, &read, TRUE)) {
            error = ::GetLastError();      // ERROR_OPERATION_ABORTED for a cancelled read
            if (error != ERROR_HANDLE_EOF) // at and past the end (Wine answers it here)
                return false;
            error = 0;
        }
        got = read;
        return true;
    }
    void CancelReads() override {
        m_cancelled.store(true);
        ::SetEvent(m_cancel.get());
    }
    void ResumeReads() override {
        ::ResetEvent(m_cancel.get());
        m_cancelled.store(false);
    }
    bool Size(uint64_t& size, uint32_t& error) override {
        LARGE_INTEGER value{};
        if (!::GetFileSizeEx(m_file.get(), &value)) {
            error = ::GetLastError();
            return false;
        }
        size = static_cast<uint64_t>(value.QuadPart);
        return true;
    }
    bool DeletePending() override {
        FILE_STANDARD_INFO info{};
        return ::GetFileInformationByHandleEx(m_file.get(), FileStandardInfo, &info, sizeof info) &&
               info.DeletePending;
    }
    diagnose::FileId Id() const override { return m_id; }
    std::unique_ptr<diagnose::LogFile> Reopen(uint32_t& error) override {
        return Make(
            win::UniqueFile(::ReOpenFile(m_file.get(), GENERIC_READ, kShareAll, FILE_FLAG_OVERLAPPED)), m_id,
            error);
    }

private:
    win::UniqueFile m_file;
    win::UniqueKernelHandle m_cancel;     // set: reads fail at once, and the one that waits ends
    std::atomic<bool> m_cancelled{false}; // as m_cancel is
    win::UniqueKernelHandle m_done;       // the read's
    diagnose::FileId m_id;
};

} // namespace

// The calling thread stands registered while it opens, so that CancelOpens can end its wait; an
// open asked after a cancel fails at once.
class PlatformFileLayer::Waiting {
public:
    explicit Waiting(PlatformFileLayer& layer) : m_layer(layer) {
        const std::lock_guard<std::mutex> lock(m_layer.m_mutex);
        m_cancelled = m_layer.m_cancelled;
        m_thread = m_cancelled ? nullptr : ::OpenThread(THREAD_TERMINATE, FALSE, ::GetCurrentThreadId());
        if (m_thread)
            m_layer.m_waiting.push_back(m_thread);
    }
    ~Waiting() {
        if (!m_thread)
            return;
        const std::lock_guard<std::mutex> lock(m_layer.m_mutex);
        m_layer.m_waiting.erase(std::find(m_layer.m_waiting.begin(), m_layer.m_waiting.end(), m_thread));
        ::CloseHandle(m_thread);
    }
    Waiting(const Waiting&) = delete;
    Waiting& operator=(const Waiting&) = delete;
    bool Cancelled() const { return m_cancelled; }

private:
    PlatformFileLayer& m_layer;
    HANDLE m_thread = nullptr;
    bool m_cancelled = false;
};

PlatformFileLayer::PlatformFileLayer() = default;
PlatformFileLayer::~PlatformFileLayer() = default;

// Synchronous opens of a share that went away can be cancelled (SMB); a local open ends by itself.
void PlatformFileLayer::CancelOpens() {
    const std::lock_guard<std::mutex> lock(m_mutex);
    m_cancelled = true;
    for (HANDLE thread : m_waiting)
        ::CancelSynchronousIo(thread); // ERROR_NOT_FOUND when it is not inside a call that waits
}

void PlatformFileLayer::ResumeOpens() {
    const std::lock_guard<std::mutex> lock(m_mutex);
    m_cancelled = false;
}

std::unique_ptr<diagnose::LogFile> PlatformFileLayer::Open(const std::wstring& path, uint32_t& error) {
    const Waiting waiting(*this);
    if (waiting.Cancelled()) {
        error = diagnose::kReadCancelled;
        return nullptr;
    }
    win::UniqueFile file(::CreateFileW(path.c_str(), GENERIC_READ, kShareAll, nullptr, OPEN_EXISTING,
                                       FILE_ATTRIBUTE_NORMAL | FILE_FLAG_OVERLAPPED, nullptr));
    diagnose::FileId id;
    if (!file || !IdOf(file.get(), id)) {
        error = ::GetLastError();
        return nullptr;
    }
    return PlatformLogFile::Make(std::move(file), id, error);
}

bool PlatformFileLayer::Identify(const std::wstring& path, diagnose::FileId& id, uint32_t& error) {
    const Waiting waiting(*this);
    if (waiting.Cancelled()) {
        error = diagnose::kReadCancelled;
        return false;
    }
    win::UniqueFile current(
        ::CreateFileW(path.c_str(), FILE_READ_ATTRIBUTES, kShareAll, nullptr, OPEN_EXISTING, 0, nullptr));
    if (!current || !IdOf(current.get(), id)) {
        error = ::GetLastError();
        return false;
    }
    return true;
}

// How 8-bit text without a mark is read: the ANSI code page, through a table when it is a
// single-byte page, line by line through the platform when it is a multi-byte one.
diagnose::TextDecoder AnsiDecoder() {
    diagnose::TextDecoder decoder;
    CPINFO info{};
    if (::GetCPInfo(CP_ACP, &info) && info.MaxCharSize != 1) {
        decoder.form = diagnose::TextForm::AnsiMultiByte;
        decoder.widen = &WidenAnsiLine;
        return decoder;
    }
    decoder.ansiTable.assign(256, u'\0');
    for (int i = 0; i < 256; ++i) {
        const char byte = static_cast<char>(i);
        wchar_t unit = 0;
        if (::MultiByteToWideChar(CP_ACP, 0, &byte, 1, &unit, 1) == 1)
            decoder.ansiTable[static_cast<size_t>(i)] = static_cast<char16_t>(unit);
    }
    return decoder;
}

CDiagnoseIndex::CDiagnoseIndex(diagnose::FileLayer* layer)
    : LogIndex(layer ? *layer : files, AnsiDecoder()) {}
CDiagnoseIndex::~CDiagnoseIndex() = default;

std::wstring CDiagnoseIndex::UnknownText() const {
    return win::LoadResString(IDS_UNKNOWN);
}

void CDiagnoseIndex::AddLine(const std::wstring& line) {
    RecordStore::AddLine(std::u16string_view(reinterpret_cast<const char16_t*>(line.data()), line.size()),
                         Unknown());
}

std::unique_ptr<CDiagnoseData> CDiagnoseIndex::MakeRecord(RecordId id) const {
    std::wstring line;
    if (!ReadLineText(id, line))
        return nullptr;
    return std::make_unique<CDiagnoseData>(line);
}
