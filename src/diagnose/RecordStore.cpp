// The compact record store: one pass per line at load, fields found again on demand.
#include "diagnose/RecordStore.h"

#include "diagnose/LineScanner.h"

#include <algorithm>
#include <cstring>
#include <exception>
#include <numeric>
#include <thread>
#include <type_traits>

namespace diagnose {
namespace {

constexpr uint32_t kMaxUnits = 0xFFFFFFFFu;
constexpr uint32_t kNotScanned = 0xFFFFFFFFu;

template <typename Unit> bool SpanIs(const Unit* s, size_t begin, size_t end, const char* literal) {
    const size_t n = std::strlen(literal);
    if (end - begin != n)
        return false;
    for (size_t i = 0; i < n; ++i)
        if (UnitClasses<Unit>::Code(s[begin + i]) != static_cast<unsigned char>(literal[i]))
            return false;
    return true;
}

template <typename Unit> const Unit* FindLineFeed(const Unit* from, const Unit* end) {
    if constexpr (sizeof(Unit) == 1) {
        const void* found = std::memchr(from, '\n', static_cast<size_t>(end - from));
        return found ? static_cast<const Unit*>(found) : end;
    } else {
        return std::find(from, end, Unit('\n'));
    }
}

// Raw name spans of one text, interned without building a string per line: most lines of a
// log repeat a handful of hosts and processes.
template <typename Unit> class SpanInterner {
public:
    explicit SpanInterner(const Unit* text) : m_text(text), m_slots(64) {}

    template <typename MakeId> uint32_t Intern(size_t begin, size_t end, MakeId&& makeId) {
        uint32_t hash = 2166136261u;
        for (size_t i = begin; i < end; ++i)
            hash = (hash ^ UnitClasses<Unit>::Code(m_text[i])) * 16777619u;
        size_t mask = m_slots.size() - 1;
        for (size_t at = hash & mask;; at = (at + 1) & mask) {
            Slot& slot = m_slots[at];
            if (slot.id == kNotScanned) {
                slot = Slot{static_cast<uint32_t>(begin), static_cast<uint32_t>(end - begin), hash, makeId()};
                if (++m_used * 2 > m_slots.size())
                    Grow();
                return m_slots[Find(hash, begin, end)].id;
            }
            if (slot.hash == hash && slot.length == end - begin &&
                std::equal(m_text + begin, m_text + end, m_text + slot.begin))
                return slot.id;
        }
    }

private:
    struct Slot {
        uint32_t begin = 0, length = 0, hash = 0, id = kNotScanned;
    };
    size_t Find(uint32_t hash, size_t begin, size_t end) const {
        const size_t mask = m_slots.size() - 1;
        for (size_t at = hash & mask;; at = (at + 1) & mask) {
            const Slot& slot = m_slots[at];
            if (slot.hash == hash && slot.length == end - begin &&
                std::equal(m_text + begin, m_text + end, m_text + slot.begin))
                return at;
        }
    }
    void Grow() {
        std::vector<Slot> old(m_slots.size() * 2);
        old.swap(m_slots);
        const size_t mask = m_slots.size() - 1;
        for (const Slot& slot : old) {
            if (slot.id == kNotScanned)
                continue;
            size_t at = slot.hash & mask;
            while (m_slots[at].id != kNotScanned)
                at = (at + 1) & mask;
            m_slots[at] = slot;
        }
    }

    const Unit* m_text;
    std::vector<Slot> m_slots;
    size_t m_used = 0;
};

template <typename Unit>
void AppendSpan(std::wstring& out, const Unit* s, size_t n, TextForm form, const char16_t* table) {
    if constexpr (sizeof(Unit) == 1) {
        if (form == TextForm::Utf8)
            AppendUtf8(out, s, n);
        else
            AppendAnsi(out, s, n, table);
    } else {
        (void)form, (void)table;
        AppendUtf16(out, s, n);
    }
}

int Sign(int value) {
    return (value > 0) - (value < 0);
}

} // namespace

LineFields ParseLine(const wchar_t* line, size_t length) {
    LineFields fields;
    const HeaderSpans header = ScanHeader<wchar_t>(line, length);
    if (header.found) {
        fields.date.assign(line + header.dateBegin, line + header.dateEnd);
        fields.time.assign(line + header.timeBegin, line + header.timeEnd);
    }
    ScanAttributes(line, length, header.end, [&](const AttributeSpans& a) {
        fields.attributes[std::wstring(line + a.nameBegin, line + a.nameEnd)] =
            std::wstring(line + a.valueBegin, line + a.valueEnd);
    });
    return fields;
}

// Loading

void RecordStore::AddFileBytes(std::string bytes, const char16_t* ansiTable, const std::wstring& unknown) {
    const DetectedEncoding encoding =
        DetectEncoding(reinterpret_cast<const unsigned char*>(bytes.data()), bytes.size());
    if (encoding.form == TextForm::Utf16) {
        std::u16string units((bytes.size() - encoding.bomLength) / 2, u'\0');
        for (size_t i = 0; i < units.size(); ++i) {
            const size_t at = encoding.bomLength + 2 * i;
            units[i] = static_cast<char16_t>(static_cast<unsigned char>(bytes[at]) |
                                             (static_cast<unsigned char>(bytes[at + 1]) << 8));
        }
        std::string().swap(bytes);
        AddText(std::move(units), unknown);
        return;
    }
    bytes.erase(0, encoding.bomLength);
    AddText(std::move(bytes), encoding.form, ansiTable, unknown);
}

void RecordStore::AddText(std::string bytes, TextForm form, const char16_t* ansiTable,
                          const std::wstring& unknown) {
    auto chunk = std::make_unique<Chunk>();
    chunk->form = form == TextForm::Utf8 ? TextForm::Utf8 : TextForm::Ansi8;
    chunk->base = static_cast<uint32_t>(TextUnits());
    const size_t room = kMaxUnits - chunk->base;
    if (bytes.size() > room)
        bytes.resize(room);
    chunk->bytes = std::move(bytes);
    if (chunk->form == TextForm::Ansi8)
        chunk->table.assign(ansiTable ? ansiTable : Latin1Table(), 256);
    Chunk& kept = *chunk;
    m_chunks.push_back(std::move(chunk));
    if (kept.form == TextForm::Utf8)
        IndexChunk<char, true>(kept, kept.bytes.data(), kept.bytes.size(), unknown);
    else
        IndexChunk<char, false>(kept, kept.bytes.data(), kept.bytes.size(), unknown);
}

void RecordStore::AddText(std::u16string units, const std::wstring& unknown) {
    auto chunk = std::make_unique<Chunk>();
    chunk->form = TextForm::Utf16;
    chunk->base = static_cast<uint32_t>(TextUnits());
    const size_t room = kMaxUnits - chunk->base;
    if (units.size() > room)
        units.resize(room);
    chunk->units = std::move(units);
    Chunk& kept = *chunk;
    m_chunks.push_back(std::move(chunk));
    IndexChunk<char16_t, false>(kept, kept.units.data(), kept.units.size(), unknown);
}

void RecordStore::AddLine(std::u16string_view line, const std::wstring& unknown) {
    // Single lines gather in one growing UTF-16 chunk at the end.
    if (m_chunks.empty() || m_chunks.back()->form != TextForm::Utf16) {
        auto chunk = std::make_unique<Chunk>();
        chunk->form = TextForm::Utf16;
        chunk->base = static_cast<uint32_t>(TextUnits());
        m_chunks.push_back(std::move(chunk));
    }
    Chunk& chunk = *m_chunks.back();
    if (line.size() > kMaxUnits - chunk.base - chunk.units.size())
        return;
    const size_t local = chunk.units.size();
    chunk.units.append(line);
    const size_t firstNew = m_records.size();
    ScanRecord<char16_t, false>(chunk.units.data() + local, line.size(),
                                static_cast<uint32_t>(chunk.base + local), unknown);
    FileRecords(firstNew);
}

namespace {

constexpr uint32_t kAbsentName = 0xFFFFFFFFu;

// What one worker found in its part of the text: the distinct raw names (as spans into the
// text) and the distinct (host, process, trace class) triples, numbered locally.
template <typename Unit> struct PartScan {
    std::vector<std::pair<size_t, size_t>> names;
    struct Triple {
        uint32_t host, process;
        uint16_t traceClass;
    };
    std::vector<Triple> triples;
    std::exception_ptr failure;
};

// The line starts that split [0, size) into `parts` pieces of about equal size.
template <typename Unit> std::vector<size_t> SplitAtLines(const Unit* text, size_t size, unsigned parts) {
    std::vector<size_t> bounds{0};
    for (unsigned k = 1; k < parts; ++k) {
        size_t at = std::max(bounds.back(), size / parts * k);
        at = static_cast<size_t>(FindLineFeed(text + at, text + size) - text);
        bounds.push_back(at < size ? at + 1 : size);
    }
    bounds.push_back(size);
    return bounds;
}

template <typename Unit> size_t CountLines(const Unit* text, size_t begin, size_t end) {
    size_t lines = 0;
    for (const Unit* at = text + begin; (at = FindLineFeed(at, text + end)) != text + end; ++at)
        ++lines;
    return lines + (end > begin && text[end - 1] != Unit('\n'));
}

} // namespace

// Large texts are scanned by two or more workers, each over whole lines of its own part and
// into its own range of records; names and triples are numbered per part and mapped to the
// store's numbers afterwards, on this thread. The workers end before this returns.
template <typename Unit, bool Utf8>
void RecordStore::IndexChunk(Chunk& chunk, const Unit* text, size_t size, const std::wstring& unknown) {
    const unsigned cores = std::max(1u, std::thread::hardware_concurrency());
    const unsigned parts = size < (4u << 20) ? 1u : std::min(cores, 4u);
    const std::vector<size_t> bounds = SplitAtLines(text, size, parts);
    std::vector<size_t> firstRecord(parts + 1, m_records.size());
    for (unsigned k = 0; k < parts; ++k)
        firstRecord[k + 1] = firstRecord[k] + CountLines(text, bounds[k], bounds[k + 1]);
    const size_t firstNew = m_records.size();
    m_records.resize(firstRecord[parts]);
    const uint32_t base = chunk.base;
    Record* records = m_records.data();

    std::vector<PartScan<Unit>> scans(parts);
    auto scanPart = [&](unsigned k) {
        PartScan<Unit>& scan = scans[k];
        try {
            SpanInterner<Unit> names(text);
            std::unordered_map<uint64_t, uint32_t> tripleIds;
            uint64_t lastKey = ~uint64_t(0);
            uint32_t lastTriple = 0;
            Record* out = records + firstRecord[k];
            for (size_t begin = bounds[k]; begin < bounds[k + 1];) {
                const size_t end =
                    static_cast<size_t>(FindLineFeed(text + begin, text + bounds[k + 1]) - text);
                size_t length = end - begin;
                if (length > 0 && text[begin + length - 1] == Unit('\r'))
                    --length;
                const Unit* line = text + begin;

                const HeaderSpans header = ScanHeader<Unit, Utf8>(line, length, false);
                size_t host[2] = {}, process[2] = {}, traceClass[2] = {};
                bool hasHost = false, hasProcess = false, hasTraceClass = false;
                ScanAttributes(line, length, header.end, [&](const AttributeSpans& a) {
                    if (SpanIs(line, a.nameBegin, a.nameEnd, "Host"))
                        hasHost = true, host[0] = a.valueBegin, host[1] = a.valueEnd;
                    else if (SpanIs(line, a.nameBegin, a.nameEnd, "Process"))
                        hasProcess = true, process[0] = a.valueBegin, process[1] = a.valueEnd;
                    else if (SpanIs(line, a.nameBegin, a.nameEnd, "Traceclass"))
                        hasTraceClass = true, traceClass[0] = a.valueBegin, traceClass[1] = a.valueEnd;
                });
                auto nameOf = [&](const size_t* span) {
                    return names.Intern(begin + span[0], begin + span[1], [&] {
                        scan.names.emplace_back(begin + span[0], begin + span[1]);
                        return static_cast<uint32_t>(scan.names.size() - 1);
                    });
                };
                const uint32_t hostId = hasHost ? nameOf(host) : kAbsentName;
                const uint32_t processId = hasProcess ? nameOf(process) : kAbsentName;
                const uint16_t cls = hasTraceClass ? static_cast<uint16_t>(ReadDecimal(
                                                         line + traceClass[0], traceClass[1] - traceClass[0]))
                                                   : kNoTraceClass;
                // Local name numbers stay far below 2^24 (a part holds fewer distinct names).
                const uint64_t key =
                    (uint64_t(hostId & 0xFFFFFF) << 40) | (uint64_t(processId & 0xFFFFFF) << 16) | cls;
                if (key != lastKey || hostId >= 0xFFFFFF || processId >= 0xFFFFFF) {
                    auto found = tripleIds.find(key);
                    if (found != tripleIds.end() && scan.triples[found->second].host == hostId &&
                        scan.triples[found->second].process == processId) {
                        lastTriple = found->second;
                    } else {
                        scan.triples.push_back({hostId, processId, cls});
                        lastTriple = static_cast<uint32_t>(scan.triples.size() - 1);
                        tripleIds[key] = lastTriple;
                    }
                    lastKey = key;
                }
                *out++ =
                    Record{static_cast<uint32_t>(base + begin), static_cast<uint32_t>(length), lastTriple};
                begin = end + 1;
            }
        } catch (...) {
            scan.failure = std::current_exception();
        }
    };
    std::vector<std::thread> workers;
    try {
        for (unsigned k = 1; k < parts; ++k)
            workers.emplace_back(scanPart, k);
    } catch (...) {
        // No thread to be had: this thread scans those parts too.
    }
    scanPart(0);
    for (unsigned k = static_cast<unsigned>(workers.size()) + 1; k < parts; ++k)
        scanPart(k);
    for (std::thread& worker : workers)
        worker.join();
    for (const PartScan<Unit>& scan : scans) {
        if (scan.failure) {
            m_records.resize(firstNew);
            std::rethrow_exception(scan.failure);
        }
    }

    const char16_t* table = chunk.table.empty() ? nullptr : chunk.table.data();
    const uint32_t unknownId = NameId(unknown);
    for (unsigned k = 0; k < parts; ++k) {
        const PartScan<Unit>& scan = scans[k];
        std::vector<uint32_t> nameIds(scan.names.size());
        for (size_t i = 0; i < scan.names.size(); ++i) {
            std::wstring name;
            AppendSpan(name, text + scan.names[i].first, scan.names[i].second - scan.names[i].first,
                       chunk.form, table);
            nameIds[i] = NameId(std::move(name));
        }
        std::vector<uint32_t> groupIds(scan.triples.size());
        for (size_t i = 0; i < scan.triples.size(); ++i) {
            const auto& t = scan.triples[i];
            groupIds[i] = GroupId(t.host == kAbsentName ? unknownId : nameIds[t.host],
                                  t.process == kAbsentName ? unknownId : nameIds[t.process], t.traceClass);
        }
        for (size_t r = firstRecord[k]; r < firstRecord[k + 1]; ++r)
            m_records[r].group = groupIds[m_records[r].group];
    }
    FileRecords(firstNew);
}

template <typename Unit, bool Utf8>
void RecordStore::ScanRecord(const Unit* line, size_t length, uint32_t start, const std::wstring& unknown) {
    const HeaderSpans header = ScanHeader<Unit, Utf8>(line, length);
    std::wstring host, process;
    bool hasHost = false, hasProcess = false, hasTraceClass = false;
    uint16_t cls = kNoTraceClass;
    ScanAttributes(line, length, header.end, [&](const AttributeSpans& a) {
        auto value = [&](std::wstring& out) {
            out.clear();
            AppendSpan(out, line + a.valueBegin, a.valueEnd - a.valueBegin, TextForm::Utf16, nullptr);
        };
        if (SpanIs(line, a.nameBegin, a.nameEnd, "Host"))
            hasHost = true, value(host);
        else if (SpanIs(line, a.nameBegin, a.nameEnd, "Process"))
            hasProcess = true, value(process);
        else if (SpanIs(line, a.nameBegin, a.nameEnd, "Traceclass"))
            hasTraceClass = true,
            cls = static_cast<uint16_t>(ReadDecimal(line + a.valueBegin, a.valueEnd - a.valueBegin));
    });
    const uint32_t hostId = NameId(hasHost ? host : unknown);
    const uint32_t processId = NameId(hasProcess ? process : unknown);
    m_records.push_back(Record{start, static_cast<uint32_t>(length),
                               GroupId(hostId, processId, hasTraceClass ? cls : kNoTraceClass)});
}

uint32_t RecordStore::NameId(std::wstring name) {
    auto found = m_nameIds.find(name);
    if (found != m_nameIds.end())
        return found->second;
    const uint32_t id = static_cast<uint32_t>(m_names.size());
    m_names.push_back(name);
    m_nameIds.emplace(std::move(name), id);
    return id;
}

uint32_t RecordStore::GroupId(uint32_t host, uint32_t process, uint16_t traceClass) {
    // Host and process ids stay far below 2^24 in any file a 32-bit host can hold; beyond that
    // the key still separates them, only the hash table works harder.
    const uint64_t key =
        (static_cast<uint64_t>(host) << 40) ^ (static_cast<uint64_t>(process) << 16) ^ traceClass;
    auto found = m_groupIds.find(key);
    if (found != m_groupIds.end()) {
        const Group& g = m_groups[found->second];
        if (g.host == host && g.process == process && g.traceClass == traceClass)
            return found->second;
        // A key collision of huge ids: look for the exact group the slow way.
        for (uint32_t i = 0; i < m_groups.size(); ++i)
            if (m_groups[i].host == host && m_groups[i].process == process &&
                m_groups[i].traceClass == traceClass)
                return i;
        m_groups.push_back(Group{host, process, traceClass});
        return static_cast<uint32_t>(m_groups.size() - 1);
    }
    const uint32_t id = static_cast<uint32_t>(m_groups.size());
    m_groups.push_back(Group{host, process, traceClass});
    m_groupIds.emplace(key, id);
    return id;
}

// Files the records from `firstNew` on in both groupings; lists of a bulk load are sized once.
void RecordStore::FileRecords(size_t firstNew) {
    std::vector<uint32_t> perGroup(m_groups.size(), 0);
    for (size_t i = firstNew; i < m_records.size(); ++i)
        ++perGroup[m_records[i].group];
    std::vector<std::pair<RecordList*, RecordList*>> targets(m_groups.size(), {nullptr, nullptr});
    std::unordered_map<RecordList*, size_t> needed;
    for (size_t g = 0; g < m_groups.size(); ++g) {
        if (perGroup[g] == 0)
            continue;
        const std::wstring& host = m_names[m_groups[g].host];
        const uint16_t cls = m_groups[g].traceClass;
        targets[g] = {&m_byTraceClass[cls][host], &m_byHost[host][cls]};
        needed[targets[g].first] += perGroup[g];
        needed[targets[g].second] += perGroup[g];
    }
    for (auto& [list, count] : needed)
        if (list->capacity() < list->size() + count)
            list->reserve(std::max(list->size() + count, list->size() * 2));
    for (size_t i = firstNew; i < m_records.size(); ++i) {
        const auto& target = targets[m_records[i].group];
        target.first->push_back(static_cast<RecordId>(i));
        target.second->push_back(static_cast<RecordId>(i));
    }
}

void RecordStore::Clear() {
    m_byTraceClass.clear();
    m_byHost.clear();
    std::vector<Record>().swap(m_records);
    std::vector<Group>().swap(m_groups);
    m_groupIds.clear();
    m_names.clear();
    m_nameIds.clear();
    m_chunks.clear();
    std::vector<CachedHeader>().swap(m_headers);
}

size_t RecordStore::TextUnits() const {
    return m_chunks.empty() ? 0 : m_chunks.back()->base + m_chunks.back()->Size();
}

// Reading

const RecordStore::Chunk& RecordStore::ChunkOf(uint32_t offset) const {
    auto after = std::upper_bound(m_chunks.begin(), m_chunks.end(), offset,
                                  [](uint32_t at, const std::unique_ptr<Chunk>& c) { return at < c->base; });
    return **(after - 1);
}

void RecordStore::AppendUnits(std::wstring& out, uint32_t start, uint32_t length) const {
    if (length == 0)
        return;
    const Chunk& chunk = ChunkOf(start);
    const size_t local = start - chunk.base;
    if (chunk.form == TextForm::Utf16)
        AppendUtf16(out, chunk.units.data() + local, length);
    else
        AppendSpan(out, chunk.bytes.data() + local, length, chunk.form, chunk.table.data());
}

const RecordStore::CachedHeader& RecordStore::HeaderOf(RecordId id) const {
    if (m_headers.size() < m_records.size())
        m_headers.resize(m_records.size(), CachedHeader{kNotScanned, 0, 0, 0});
    CachedHeader& cached = m_headers[id];
    if (cached.dateBegin != kNotScanned)
        return cached;
    const Record& r = m_records[id];
    const Chunk& chunk = ChunkOf(r.start);
    const size_t local = r.start - chunk.base;
    HeaderSpans h;
    if (chunk.form == TextForm::Utf16)
        h = ScanHeader<char16_t, false>(chunk.units.data() + local, r.length);
    else if (chunk.form == TextForm::Utf8)
        h = ScanHeader<char, true>(chunk.bytes.data() + local, r.length);
    else
        h = ScanHeader<char, false>(chunk.bytes.data() + local, r.length);
    cached = CachedHeader{static_cast<uint32_t>(h.dateBegin), static_cast<uint32_t>(h.dateEnd),
                          static_cast<uint32_t>(h.timeBegin), static_cast<uint32_t>(h.timeEnd)};
    return cached;
}

namespace {
const std::wstring& EmptyText() {
    static const std::wstring empty;
    return empty;
}
} // namespace

const std::wstring& RecordStore::GetHost(RecordId id) const {
    return IsRecord(id) ? m_names[m_groups[m_records[id].group].host] : EmptyText();
}

const std::wstring& RecordStore::GetProcess(RecordId id) const {
    return IsRecord(id) ? m_names[m_groups[m_records[id].group].process] : EmptyText();
}

uint16_t RecordStore::GetTraceClass(RecordId id) const {
    return IsRecord(id) ? m_groups[m_records[id].group].traceClass : kNoTraceClass;
}

std::wstring RecordStore::GetDate(RecordId id) const {
    std::wstring text;
    if (IsRecord(id)) {
        const CachedHeader& h = HeaderOf(id);
        AppendUnits(text, m_records[id].start + h.dateBegin, h.dateEnd - h.dateBegin);
    }
    return text;
}

std::wstring RecordStore::GetTime(RecordId id) const {
    std::wstring text;
    if (IsRecord(id)) {
        const CachedHeader& h = HeaderOf(id);
        AppendUnits(text, m_records[id].start + h.timeBegin, h.timeEnd - h.timeBegin);
    }
    return text;
}

std::wstring RecordStore::LineText(RecordId id) const {
    std::wstring text;
    if (IsRecord(id))
        AppendUnits(text, m_records[id].start, m_records[id].length);
    return text;
}

LineFields RecordStore::Fields(RecordId id) const {
    return ParseLine(LineText(id));
}

std::wstring RecordStore::RowText(RecordId id, int column) const {
    if (!IsRecord(id))
        return {};
    if (column == 1)
        return GetProcess(id);
    if (column != 0)
        return {};
    const CachedHeader& h = HeaderOf(id);
    std::wstring text;
    text.reserve(h.dateEnd - h.dateBegin + h.timeEnd - h.timeBegin + 1);
    AppendUnits(text, m_records[id].start + h.dateBegin, h.dateEnd - h.dateBegin);
    text.push_back(L' ');
    AppendUnits(text, m_records[id].start + h.timeBegin, h.timeEnd - h.timeBegin);
    return text;
}

int RecordStore::CompareRowText(RecordId a, RecordId b, int column) const {
    if (column == 1)
        return Sign(GetProcess(a).compare(GetProcess(b)));
    return Sign(RowText(a, column).compare(RowText(b, column)));
}

} // namespace diagnose

void SortRecordRows(const diagnose::RecordStore& store, std::vector<diagnose::RecordId>& rows, int column,
                    bool ascending) {
    if (column != 0 && column != 1)
        return; // every text is empty: all rows compare equal and keep their order
    std::vector<std::wstring> keys;
    std::vector<const std::wstring*> names;
    if (column == 0) {
        keys.reserve(rows.size());
        for (diagnose::RecordId id : rows)
            keys.push_back(store.RowText(id, 0));
    } else {
        names.reserve(rows.size());
        for (diagnose::RecordId id : rows)
            names.push_back(&store.GetProcess(id));
    }
    auto key = [&](size_t i) -> const std::wstring& { return column == 0 ? keys[i] : *names[i]; };
    std::vector<size_t> order(rows.size());
    std::iota(order.begin(), order.end(), size_t(0));
    std::stable_sort(order.begin(), order.end(), [&](size_t a, size_t b) {
        return ascending ? key(a).compare(key(b)) < 0 : key(b).compare(key(a)) < 0;
    });
    std::vector<diagnose::RecordId> sorted(rows.size());
    for (size_t i = 0; i < order.size(); ++i)
        sorted[i] = rows[order[i]];
    rows.swap(sorted);
}
