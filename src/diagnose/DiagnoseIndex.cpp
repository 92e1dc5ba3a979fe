// Reading the log file into the record store.
#include "diagnose/DiagnoseIndex.h"

#include "resource.h"
#include "win/ResourceModule.h"
#include "win/UniqueHandle.h"

#include <algorithm>
#include <cstring>
#include <new>

namespace {

// Reads up to `size` bytes into `target`; answers how many arrived before the end of the file
// or the first failure.
size_t ReadInto(HANDLE file, char* target, size_t size) {
    size_t done = 0;
    while (done < size) {
        const DWORD want = static_cast<DWORD>(std::min<size_t>(size - done, 16u << 20));
        DWORD got = 0;
        if (!::ReadFile(file, target + done, want, &got, nullptr) || got == 0)
            break;
        done += got;
    }
    return done;
}

// The ANSI code page as a table, when it is a single-byte page; empty otherwise.
std::u16string SingleByteAnsiTable() {
    CPINFO info{};
    if (!::GetCPInfo(CP_ACP, &info) || info.MaxCharSize != 1)
        return {};
    std::u16string table(256, u'\0');
    for (int i = 0; i < 256; ++i) {
        const char byte = static_cast<char>(i);
        wchar_t unit = 0;
        if (::MultiByteToWideChar(CP_ACP, 0, &byte, 1, &unit, 1) == 1)
            table[static_cast<size_t>(i)] = static_cast<char16_t>(unit);
    }
    return table;
}

} // namespace

void CDiagnoseIndex::SetFile(const std::wstring& path) {
    m_path = path;
    Load();
}

void CDiagnoseIndex::Load() {
    if (m_path.empty())
        return;
    win::UniqueFile file(::CreateFileW(m_path.c_str(), GENERIC_READ,
                                       FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                                       OPEN_EXISTING, FILE_FLAG_SEQUENTIAL_SCAN, nullptr));
    if (!file)
        return;
    LARGE_INTEGER fileSize{};
    if (!::GetFileSizeEx(file.get(), &fileSize) || fileSize.QuadPart <= 0)
        return;
    // The store addresses at most 4 Gi units; lines appended after this point are not read.
    const size_t size = static_cast<size_t>(std::min<ULONGLONG>(
        static_cast<ULONGLONG>(fileSize.QuadPart), std::min<ULONGLONG>(0xFFFFFFFFull, SIZE_MAX / 2)));
    const std::wstring unknown = win::LoadResString(IDS_UNKNOWN);
    try {
        char probe[65536];
        const size_t probed = ReadInto(file.get(), probe, std::min(size, sizeof probe));
        const diagnose::DetectedEncoding encoding =
            diagnose::DetectEncoding(reinterpret_cast<const unsigned char*>(probe), probed);
        const size_t bom = std::min(encoding.bomLength, probed);
        if (encoding.form == diagnose::TextForm::Utf16) {
            std::u16string units((size - bom) / 2, u'\0');
            char* target = reinterpret_cast<char*>(units.data());
            const size_t fromProbe = std::min(probed - bom, units.size() * 2);
            std::memcpy(target, probe + bom, fromProbe);
            size_t got = fromProbe;
            if (probed == sizeof probe)
                got += ReadInto(file.get(), target + fromProbe, units.size() * 2 - fromProbe);
            units.resize(got / 2);
            AddText(std::move(units), unknown);
            return;
        }
        std::string bytes(size - bom, '\0');
        std::memcpy(bytes.data(), probe + bom, probed - bom);
        size_t got = probed - bom;
        if (probed == sizeof probe)
            got += ReadInto(file.get(), bytes.data() + got, bytes.size() - got);
        bytes.resize(got);
        file.reset();
        if (encoding.form == diagnose::TextForm::Utf8) {
            AddText(std::move(bytes), diagnose::TextForm::Utf8, nullptr, unknown);
            return;
        }
        const std::u16string table = SingleByteAnsiTable();
        if (!table.empty()) {
            AddText(std::move(bytes), diagnose::TextForm::Ansi8, table.data(), unknown);
            return;
        }
        // A multi-byte code page: trail bytes may look like ASCII, so the text is widened first.
        std::u16string units;
        if (!bytes.empty()) {
            const int length =
                ::MultiByteToWideChar(CP_ACP, 0, bytes.data(), static_cast<int>(bytes.size()), nullptr, 0);
            units.resize(static_cast<size_t>(std::max(length, 0)));
            ::MultiByteToWideChar(CP_ACP, 0, bytes.data(), static_cast<int>(bytes.size()),
                                  reinterpret_cast<wchar_t*>(units.data()), length);
        }
        std::string().swap(bytes);
        AddText(std::move(units), unknown);
    } catch (const std::bad_alloc&) {
        // A file too large for the address space leaves the index as it was.
    }
}

void CDiagnoseIndex::AddLine(const std::wstring& line) {
    RecordStore::AddLine(std::u16string_view(reinterpret_cast<const char16_t*>(line.data()), line.size()),
                         win::LoadResString(IDS_UNKNOWN));
}

std::unique_ptr<CDiagnoseData> CDiagnoseIndex::MakeRecord(RecordId id) const {
    if (!IsRecord(id))
        return nullptr;
    return std::make_unique<CDiagnoseData>(LineText(id));
}
