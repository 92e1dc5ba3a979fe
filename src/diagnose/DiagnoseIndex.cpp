// Reading the log file into the record index.
#include "diagnose/DiagnoseIndex.h"

#include "resource.h"
#include "win/ResourceModule.h"

#include <algorithm>

namespace {

struct FileIdentity {
    DWORD volume = 0, high = 0, low = 0;
    bool operator==(const FileIdentity& other) const {
        return volume == other.volume && high == other.high && low == other.low;
    }
};

bool IdentityOf(HANDLE file, FileIdentity& identity) {
    BY_HANDLE_FILE_INFORMATION info{};
    if (!::GetFileInformationByHandle(file, &info))
        return false;
    identity = {info.dwVolumeSerialNumber, info.nFileIndexHigh, info.nFileIndexLow};
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

DWORD ErrorOf(const diagnose::ReadResult& result) {
    switch (result.status) {
    case diagnose::ReadResult::ReadFailed:
        return result.error ? result.error : ERROR_READ_FAULT;
    case diagnose::ReadResult::OutOfMemory:
        return ERROR_NOT_ENOUGH_MEMORY;
    case diagnose::ReadResult::TooLarge:
        return ERROR_FILE_TOO_LARGE;
    default:
        return 0;
    }
}

} // namespace

// The open log file as the index reads it.
class CDiagnoseIndex::FileSource : public diagnose::ByteSource {
public:
    FileSource(win::UniqueFile file, FileIdentity identity) : m_file(std::move(file)), m_identity(identity) {}

    bool Read(uint64_t offset, void* buffer, size_t size, size_t& got, uint32_t& error) override {
        got = 0;
        error = 0;
        OVERLAPPED at{};
        at.Offset = static_cast<DWORD>(offset);
        at.OffsetHigh = static_cast<DWORD>(offset >> 32);
        DWORD read = 0;
        if (!::ReadFile(m_file.get(), buffer, static_cast<DWORD>(std::min<size_t>(size, 1u << 30)), &read,
                        &at)) {
            error = ::GetLastError();
            if (error != ERROR_HANDLE_EOF)
                return false;
            error = 0;
        }
        got = read;
        return true;
    }
    bool Size(uint64_t& size) const {
        LARGE_INTEGER value{};
        if (!::GetFileSizeEx(m_file.get(), &value))
            return false;
        size = static_cast<uint64_t>(value.QuadPart);
        return true;
    }
    const FileIdentity& Identity() const { return m_identity; }
    bool DeletePending() const {
        FILE_STANDARD_INFO info{};
        return ::GetFileInformationByHandleEx(m_file.get(), FileStandardInfo, &info, sizeof info) &&
               info.DeletePending;
    }

private:
    win::UniqueFile m_file;
    FileIdentity m_identity;
};

CDiagnoseIndex::CDiagnoseIndex() = default;
CDiagnoseIndex::~CDiagnoseIndex() = default;

void CDiagnoseIndex::SetFile(const std::wstring& path) {
    if (path != m_path)
        Clear(); // another file starts from empty, not from where the one held was read to
    m_path = path;
    Load();
}

void CDiagnoseIndex::Open() {
    constexpr DWORD kShareAll = FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE;
    win::UniqueFile file(::CreateFileW(m_path.c_str(), GENERIC_READ, kShareAll, nullptr, OPEN_EXISTING,
                                       FILE_ATTRIBUTE_NORMAL, nullptr));
    FileIdentity identity;
    if (!file || !IdentityOf(file.get(), identity)) {
        const DWORD error = ::GetLastError();
        // A log that does not exist (yet) is an empty log, not a failure.
        const bool missing = error == ERROR_FILE_NOT_FOUND || error == ERROR_PATH_NOT_FOUND ||
                             error == ERROR_INVALID_NAME || error == ERROR_BAD_NETPATH;
        m_readError = missing ? 0 : error;
        return;
    }
    m_file = std::make_unique<FileSource>(std::move(file), identity);
    char head[65536];
    size_t got = 0;
    uint32_t error = 0;
    if (!m_file->Read(0, head, sizeof head, got, error)) {
        m_readError = error;
        m_file.reset();
        return;
    }
    BeginDetected(head, got, AnsiDecoder());
}

diagnose::ReadResult CDiagnoseIndex::Load() {
    diagnose::ReadResult result;
    result.firstNew = RecordCount();
    if (m_path.empty())
        return result;
    if (!m_file) {
        Open();
        if (!m_file)
            return result;
    }
    uint64_t size = 0;
    if (!m_file->Size(size)) {
        m_readError = ::GetLastError();
        return result;
    }
    result = Read(*m_file, std::max(size, End()), true, Unknown());
    m_readError = ErrorOf(result);
    return result;
}

diagnose::ReadResult CDiagnoseIndex::ReadAppended() {
    diagnose::ReadResult result;
    result.firstNew = RecordCount();
    uint64_t size = 0;
    if (!m_file || !m_file->Size(size) || size <= End())
        return result;
    result = Read(*m_file, size, false, Unknown());
    m_readError = ErrorOf(result);
    return result;
}

void CDiagnoseIndex::AddLine(const std::wstring& line) {
    RecordStore::AddLine(std::u16string_view(reinterpret_cast<const char16_t*>(line.data()), line.size()),
                         Unknown());
}

// Taken once: a later read may run in another language (another viewer's call, a message box's
// loop delivering the follow timer), and its lines would file under a second computer.
const std::wstring& CDiagnoseIndex::Unknown() {
    if (!m_unknown)
        m_unknown = win::LoadResString(IDS_UNKNOWN);
    return *m_unknown;
}

void CDiagnoseIndex::Clear() {
    RecordStore::Clear();
    m_file.reset();
    m_readError = 0;
    m_stale = false;
}

CDiagnoseIndex::FileState CDiagnoseIndex::Look() {
    if (m_stale)
        return FileState::Replaced;
    if (!m_file) {
        // A log that was missing (or could not be opened) may be there now.
        const DWORD attributes =
            m_path.empty() ? INVALID_FILE_ATTRIBUTES : ::GetFileAttributesW(m_path.c_str());
        return attributes != INVALID_FILE_ATTRIBUTES && !(attributes & FILE_ATTRIBUTE_DIRECTORY)
                   ? FileState::Replaced
                   : FileState::Unchanged;
    }
    // Deleted: the name goes when the last handle does, so this one must go for the file to be
    // made anew. Deleted and made again: the name leads to another file than the one held.
    if (m_file->DeletePending())
        return FileState::Replaced;
    win::UniqueFile current(::CreateFileW(m_path.c_str(), FILE_READ_ATTRIBUTES,
                                          FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                                          OPEN_EXISTING, 0, nullptr));
    FileIdentity identity;
    if (!current || !IdentityOf(current.get(), identity) || !(identity == m_file->Identity()))
        return FileState::Replaced;
    uint64_t size = 0;
    if (!m_file->Size(size))
        return FileState::Unchanged;
    if (size < End() || CheckEnd(*m_file) == diagnose::Recheck::Changed)
        return FileState::Replaced;
    return size > End() ? FileState::Grown : FileState::Unchanged;
}

diagnose::ByteSource& CDiagnoseIndex::Source() const {
    return m_file ? static_cast<diagnose::ByteSource&>(*m_file) : m_noFile;
}

bool CDiagnoseIndex::ReadLineText(RecordId id, std::wstring& text) const {
    const diagnose::Recheck check = ReadLine(Source(), id, text);
    if (check == diagnose::Recheck::Changed)
        m_stale = true;
    return check == diagnose::Recheck::Same;
}

std::unique_ptr<CDiagnoseData> CDiagnoseIndex::MakeRecord(RecordId id) const {
    std::wstring line;
    if (!ReadLineText(id, line))
        return nullptr;
    return std::make_unique<CDiagnoseData>(line);
}
