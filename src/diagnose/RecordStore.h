// The diagnose model without the platform: the log's text kept once, one compact record per
// line, both groupings, the row texts and the record fields found on demand.
#pragma once

#include "diagnose/TextEncoding.h"

#include <cstdint>
#include <map>
#include <memory>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

namespace diagnose {

// A record's number: its position in file order.
using RecordId = uint32_t;
// Records of one group, in file order.
using RecordList = std::vector<RecordId>;

using ByTraceClass = std::map<uint16_t, std::map<std::wstring, RecordList>>;
using ByHost = std::map<std::wstring, std::map<uint16_t, RecordList>>;

// Everything one line says, as the details of a record show it. Names are case-sensitive; a
// later pair replaces an earlier one of the same name.
struct LineFields {
    std::wstring date;
    std::wstring time;
    std::map<std::wstring, std::wstring> attributes;
};

LineFields ParseLine(const wchar_t* line, size_t length);
inline LineFields ParseLine(const std::wstring& line) {
    return ParseLine(line.data(), line.size());
}

// The trace class a record files under: the leading decimal number of the value cut to 16
// bits, 65535 when there is no value.
constexpr uint16_t kNoTraceClass = 0xFFFF;

// Holds the records of a log. Host and process are resolved when a line is added (`unknown`
// stands for an absent one); date, time and attributes are found again from the line when
// asked for. Offsets are 32-bit: a store takes at most 4 Gi text units.
class RecordStore {
public:
    RecordStore() = default;
    RecordStore(const RecordStore&) = delete;
    RecordStore& operator=(const RecordStore&) = delete;

    // Adds one record per line of the text (lines end at LF, a CR before the end of a line is
    // dropped, the last line needs no LF); the store keeps the buffer. Ansi8 text is widened
    // through `ansiTable` (256 entries, copied). Text beyond the store's limit is left out.
    void AddText(std::string bytes, TextForm form, const char16_t* ansiTable, const std::wstring& unknown);
    void AddText(std::u16string units, const std::wstring& unknown);
    // A file's bytes: the encoding is detected (DetectEncoding), a byte-order mark dropped.
    void AddFileBytes(std::string bytes, const char16_t* ansiTable, const std::wstring& unknown);
    // Adds one record for `line`, whatever it holds (line breaks included).
    void AddLine(std::u16string_view line, const std::wstring& unknown);
    void Clear();

    uint32_t RecordCount() const { return static_cast<uint32_t>(m_records.size()); }
    bool IsRecord(RecordId id) const { return id < m_records.size(); }

    const ByTraceClass& GetByTraceClass() const { return m_byTraceClass; }
    const ByHost& GetByHost() const { return m_byHost; }

    // The fields of a record; empty texts (and kNoTraceClass) for an id that is not one.
    const std::wstring& GetHost(RecordId id) const;
    const std::wstring& GetProcess(RecordId id) const;
    uint16_t GetTraceClass(RecordId id) const;
    std::wstring GetDate(RecordId id) const;
    std::wstring GetTime(RecordId id) const;
    std::wstring LineText(RecordId id) const;
    LineFields Fields(RecordId id) const;

    // The text a record's row shows: column 0 date, a blank and time; column 1 the process;
    // other columns empty.
    std::wstring RowText(RecordId id, int column) const;
    // Compares the row texts of two records by UTF-16 code unit (negative, 0, positive); a
    // header found once is remembered, so sorting does not scan lines again.
    int CompareRowText(RecordId a, RecordId b, int column) const;

    // Bytes held for the text and the records (for the benchmark's account).
    size_t TextUnits() const;

private:
    struct Chunk {
        TextForm form = TextForm::Ansi8;
        uint32_t base = 0;
        std::string bytes;    // Ansi8, Utf8
        std::u16string units; // Utf16
        std::u16string table; // Ansi8: the code page's 256 units
        size_t Size() const { return form == TextForm::Utf16 ? units.size() : bytes.size(); }
    };
    struct Record {
        uint32_t start;
        uint32_t length;
        uint32_t group; // host, process and trace class, interned
    };
    struct Group {
        uint32_t host;
        uint32_t process;
        uint16_t traceClass;
    };
    struct CachedHeader {
        uint32_t dateBegin, dateEnd, timeBegin, timeEnd; // relative to the line; ~0u: not yet
    };

    template <typename Unit, bool Utf8>
    void IndexChunk(Chunk& chunk, const Unit* text, size_t size, const std::wstring& unknown);
    template <typename Unit, bool Utf8>
    void ScanRecord(const Unit* line, size_t length, uint32_t start, const std::wstring& unknown);
    void FileRecords(size_t firstNew);
    uint32_t NameId(std::wstring name);
    uint32_t GroupId(uint32_t host, uint32_t process, uint16_t traceClass);
    const Chunk& ChunkOf(uint32_t offset) const;
    void AppendUnits(std::wstring& out, uint32_t start, uint32_t length) const;
    const CachedHeader& HeaderOf(RecordId id) const;

    std::vector<std::unique_ptr<Chunk>> m_chunks;
    std::vector<Record> m_records;
    std::vector<Group> m_groups;
    std::unordered_map<uint64_t, uint32_t> m_groupIds;
    std::vector<std::wstring> m_names;
    std::unordered_map<std::wstring, uint32_t> m_nameIds;
    ByTraceClass m_byTraceClass;
    ByHost m_byHost;
    mutable std::vector<CachedHeader> m_headers;
};

} // namespace diagnose

// Orders `rows` by the row text of `column` (UTF-16 code-unit order), keeping rows with equal
// texts in their current relative order; descending reverses the comparison, not the result.
void SortRecordRows(const diagnose::RecordStore& store, std::vector<diagnose::RecordId>& rows, int column,
                    bool ascending);
