// Filing: lines become records, interned into names, dates and lists, a batch at a time, with
// the rollback that takes a batch (or a provisional last line) back whole.
#include "diagnose/BatchReader.h"
#include "diagnose/LineScan.h"
#include "diagnose/RecordStore.h"

#include <algorithm>
#include <atomic>
#include <chrono>

namespace diagnose {
namespace {

constexpr uint32_t kMaxRecords = 0x7FFFFFFF; // what a list view can count
constexpr uint32_t kBlockRecords = 64;
constexpr uint64_t kBlockBytes = 32 << 10;  // a line's start within its block fits 15 bits
constexpr uint64_t kDetectBytes = 64 << 10; // what the encoding is detected from
// What a first read looks at before it tells whether the whole log fits its budget.
constexpr uint64_t kProjectAfterBytes = 64
                                        << 20; // past the index's first blocks, which are most of it at first
// An upper bound of what a record takes as it is filed, and of what a text or a list new in a
// batch takes, with room for the blocks the arrays grow by.
constexpr size_t kRecordBytesBound = 40;
constexpr size_t kNewTextBytesBound = 96;
constexpr size_t kGrowthSlack = 2 << 20;

std::atomic<RecordStore::FaultHook> g_faultHook{nullptr};

} // namespace

void RecordStore::MayFail(const char* where) {
    if (FaultHook hook = g_faultHook.load())
        hook(where);
}

RecordStore::RecordStore(size_t maxLineBytes) : m_maxLineBytes(maxLineBytes), m_lineLimit(maxLineBytes) {}
RecordStore::~RecordStore() = default;

void RecordStore::SetFaultHook(FaultHook hook) {
    g_faultHook = hook;
}

void RecordStore::Begin(TextDecoder decoder, uint64_t start) {
    GatedStep step(m_gate);
    Clear();
    m_decoder = std::move(decoder);
    m_completeEnd = m_textStart = start;
}

// Clear keeps the text form.
void RecordStore::StartAt(uint64_t start) {
    GatedStep step(m_gate);
    Clear();
    m_completeEnd = m_textStart = start;
    m_detect = false; // the form is known: detected from the text's start
    m_startsLate = true;
}

// A line of a quarter of the budget is read in part: its bytes are held whole while it is read.
// The limit changes while the index is empty only: its clipped records are read back to it.
void RecordStore::SetMemoryBudget(size_t bytes) {
    m_budget = bytes;
    if (RecordCount() == 0 && !m_tail)
        m_maxLineBytes = bytes ? std::min(m_lineLimit, std::max<size_t>(bytes / 4, 64 << 10)) : m_lineLimit;
}

// OverBudget when filing the `parts` of [at, end) would take the index past its budget, or, on a
// first read (`project`) that has seen enough of the log, when the whole of it would; TooLarge
// likewise for the records a list view can count. What the refused batch would have made the
// index is kept for NewestStart.
ReadResult::Status RecordStore::Overflow(const std::vector<PartScan>& parts, uint64_t at, uint64_t end,
                                         uint64_t to, bool project) {
    size_t lines = 0, texts = 0;
    for (const PartScan& part : parts) {
        lines += part.lines.size();
        texts += part.names.size() + part.dates.size() + part.triples.size();
    }
    const uint64_t read = m_completeEnd - m_textStart;
    const size_t held = MemoryBytes();
    if (project && m_sample.bytes == 0 && read >= kProjectAfterBytes / 4)
        m_sample = {read, RecordCount(), held};
    // The rest of the log as the part read since the sample: the index's first blocks, which
    // are most of what it holds at first, are not counted again.
    const bool projected = project && read >= kProjectAfterBytes && to > m_completeEnd &&
                           read > m_sample.bytes && held >= m_sample.memory;
    const double rest = projected ? double(to - m_completeEnd) / double(read - m_sample.bytes) : 0;
    // A record takes about what those before it took; the first ones are bounded from above.
    const size_t perRecord =
        RecordCount() >= 65536 ? MemoryBytes() / RecordCount() * 5 / 4 : kRecordBytesBound;
    const size_t growth = lines * perRecord + texts * kNewTextBytesBound;
    ReadResult::Status status = ReadResult::Complete;
    if (RecordCount() + lines > kMaxRecords ||
        (projected && RecordCount() + double(RecordCount() - m_sample.records) * rest > kMaxRecords))
        status = ReadResult::TooLarge;
    else if (m_budget && (held + growth + Slack() > m_budget ||
                          (projected && held + double(held - m_sample.memory) * rest > double(m_budget))))
        status = ReadResult::OverBudget;
    if (status != ReadResult::Complete)
        m_refused = {read + (end - at), RecordCount() + lines, held + growth};
    return status;
}

size_t RecordStore::Slack() const {
    return std::min(kGrowthSlack, m_budget / 8);
}

// The newest lines that fit, by what the lines read so far took (and the batch refused): three
// quarters of the budget leaves room to follow the log a while before it is read from a later
// start again. A read that stopped short never gets the same start again.
uint64_t RecordStore::NewestStart(ByteSource& source, uint64_t to) const {
    Refused seen =
        m_refused.bytes ? m_refused : Refused{m_completeEnd - m_textStart, RecordCount(), MemoryBytes()};
    if (m_sample.bytes && seen.bytes > m_sample.bytes && seen.records > m_sample.records &&
        seen.memory > m_sample.memory) // what the records since the sample took, as in Overflow
        seen = {seen.bytes - m_sample.bytes, seen.records - m_sample.records, seen.memory - m_sample.memory};
    if (seen.bytes == 0 || seen.records == 0 || to <= m_textStart)
        return m_textStart;
    double window = 0.75 * kMaxRecords * double(seen.bytes) / double(seen.records);
    if (m_budget)
        window = std::min(window, 0.75 * double(m_budget - Slack()) * double(seen.bytes) /
                                      double(std::max<size_t>(seen.memory, 1)));
    if (m_refused.bytes)
        window = std::min(window, 0.75 * double(to - m_textStart));
    if (window >= double(to - m_textStart))
        return m_textStart;
    const uint64_t unit = UnitBytes(m_decoder.form);
    uint64_t at = to - static_cast<uint64_t>(window);
    at -= (at - m_textStart) % unit;
    // The line that begins after `at`: what follows its first LF.
    std::string bytes(64 << 10, '\0');
    while (at < to) {
        size_t got = 0;
        uint32_t error = 0;
        const size_t want = static_cast<size_t>(std::min<uint64_t>(bytes.size(), to - at));
        if (!source.Read(at, bytes.data(), want, got, error) || got < unit)
            return m_textStart;
        got -= got % unit;
        if (const size_t lineFeed = FindLineFeed(bytes.data(), 0, got, static_cast<size_t>(unit));
            lineFeed < got)
            return at + lineFeed + unit;
        at += got;
    }
    return m_textStart;
}

namespace {
TextDecoder DecoderOf(const DetectedEncoding& detected, const TextDecoder& eightBit) {
    if (detected.form == TextForm::Ansi8)
        return eightBit;
    TextDecoder decoder;
    decoder.form = detected.form;
    return decoder;
}
} // namespace

void RecordStore::BeginDetected(const char* head, size_t size, const TextDecoder& eightBit) {
    const DetectedEncoding detected = DetectEncoding(reinterpret_cast<const unsigned char*>(head), size);
    GatedStep step(m_gate);
    Begin(DecoderOf(detected, eightBit), detected.bomLength);
    m_eightBit = eightBit;
    m_detect = true;
}

// An empty log, or one holding no complete line yet, says little of its encoding: the suite's
// writer makes the file before it writes a line. Until a line is complete it is asked again.
void RecordStore::DetectAgain(ByteSource& source, uint64_t to) {
    std::string head(static_cast<size_t>(std::min<uint64_t>(to, kDetectBytes)), '\0');
    size_t got = 0;
    uint32_t error = 0;
    if (!source.Read(0, head.data(), head.size(), got, error))
        return;
    const DetectedEncoding detected =
        DetectEncoding(reinterpret_cast<const unsigned char*>(head.data()), got);
    GatedStep step(m_gate);
    m_decoder = DecoderOf(detected, m_eightBit);
    m_completeEnd = m_textStart = detected.bomLength;
}

uint64_t RecordStore::End() const {
    return m_tail ? m_tail->end : m_completeEnd;
}

// Memory that runs out anywhere in a read ends it with what was filed whole before: no exception
// leaves it.
ReadResult RecordStore::Read(ByteSource& source, uint64_t to, bool fileTail, const std::wstring& unknown) {
    try {
        return ReadOn(source, to, fileTail, unknown);
    } catch (const std::bad_alloc&) {
        ReadResult result;
        result.status = ReadResult::OutOfMemory;
        result.firstNew = RecordCount();
        return result;
    } catch (const WriteStopped&) {
        ReadResult result;
        result.status = ReadResult::Stopped;
        result.firstNew = RecordCount();
        return result;
    }
}

ReadResult RecordStore::ReadOn(ByteSource& source, uint64_t to, bool fileTail, const std::wstring& unknown) {
    ReadResult nothing;
    nothing.firstNew = RecordCount();
    if (m_tail && to <= m_tail->end)
        return nothing;
    // A last line without its end is not read again for every byte it grows by: only what came
    // after is looked at for a line feed, and the line waits for it as it stands.
    if ((m_tail || !fileTail) && m_noLineFeed.from == m_completeEnd && m_noLineFeed.until > m_completeEnd &&
        to > m_noLineFeed.until) {
        const uint64_t until = to - (to - m_completeEnd) % UnitBytes(m_decoder.form);
        bool found = false;
        if (!LineFeedAfter(source, m_noLineFeed.until, until, found, nothing))
            return nothing;
        if (!found) {
            m_noLineFeed.until = until;
            return nothing;
        }
    }
    bool replacedTail = false;
    std::vector<std::u16string> laterLines;
    if (m_tail) {
        // The provisional last line has ended: it is filed again with what followed it.
        replacedTail = m_tail->filed;
        laterLines = TakeBackTail();
        fileTail = true;
    }
    if (m_detect && m_completeEnd == m_textStart)
        DetectAgain(source, to);
    const RecordId firstNew = RecordCount();
    {
        GatedStep step(m_gate);
        m_readBack = &ReadBackSource(source);
    }
    ReadResult result = ReadLines(source, to, fileTail, unknown);
    result.firstNew = firstNew;
    result.replacedTail = replacedTail;
    for (const std::u16string& line : laterLines)
        AddLine(line, unknown);
    if (replacedTail)
        LeaveEmptyListsOut();
    // A writer that cut the log in place under the read changed its first or its last lines.
    if (result.ok() && (RecordCount() != firstNew || replacedTail) && SettleEdges(source) == Recheck::Changed)
        result.overtaken = true;
    return result;
}

// Takes back the provisional last line; the lines added from memory after it are given back,
// to be filed again after what takes its place.
std::vector<std::u16string> RecordStore::TakeBackTail() {
    std::vector<std::u16string> later;
    for (size_t i = m_tail->before.memoryLines; i < m_memoryLines.size(); ++i)
        later.push_back(m_memoryLines[i]);
    GatedStep step(m_gate);
    // What the reading thread may hold stays: the lists and texts the line brought.
    m_tailLists = m_tail->before.leaves;
    Rollback(m_tail->before, true);
    m_tail.reset();
    ++m_tailsTakenBack;
    return later;
}

// After a provisional last line was filed again: a list it alone filled and that no record
// took up again leaves the groupings (the list itself stays for whoever still holds it).
void RecordStore::LeaveEmptyListsOut() {
    GatedStep step(m_gate);
    for (size_t leaf = m_tailLists; leaf < m_leaves.size(); ++leaf)
        if (m_leaves[leaf].list.records.size() == 0)
            Ungroup(m_leaves[leaf]);
    m_tailLists = m_leaves.size();
}

ReadResult RecordStore::ReadLines(ByteSource& source, uint64_t to, bool fileTail,
                                  const std::wstring& unknown) {
    const uint64_t wanted = to;
    if (to > m_completeEnd)
        to -= (to - m_completeEnd) % UnitBytes(m_decoder.form); // half a unit at the end is no text yet
    const auto began = std::chrono::steady_clock::now();
    m_stages = {};
    m_refused = m_sample = {};
    struct Account { // however the read ends
        double& seconds;
        std::chrono::steady_clock::time_point start;
        ~Account() {
            seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
        }
    } account{m_stages.total, began};
    BatchReader reader(source, m_decoder, m_maxLineBytes, m_stages);
    BatchReader::Filer filer;
    const bool firstRead = RecordCount() == 0 && fileTail;
    filer.batch = [&](std::vector<PartScan>& parts, uint64_t at, uint64_t end) {
        if (const ReadResult::Status overflow = Overflow(parts, at, end, to, firstRead);
            overflow != ReadResult::Complete)
            return ReadResult{overflow, 0};
        GatedStep step(m_gate);
        if (!File(parts, at, false, unknown))
            return ReadResult{ReadResult::OutOfMemory, 0};
        m_completeEnd = end;
        return ReadResult{};
    };
    filer.busy = [this] { return m_gate && m_gate->Busy(); };
    filer.stop = m_gate ? m_gate->StopFlag() : nullptr;
    filer.longLine = [&](const char* prefix, size_t size, uint64_t start, uint64_t end) {
        std::vector<PartScan> parts = ScanLine(prefix, size, start, end);
        if (const ReadResult::Status overflow = Overflow(parts, start, end, to, firstRead);
            overflow != ReadResult::Complete)
            return ReadResult{overflow, 0};
        GatedStep step(m_gate);
        if (!File(parts, start, false, unknown, end)) // its end as it is: a line may pass 4 GiB
            return ReadResult{ReadResult::OutOfMemory, 0};
        m_completeEnd = end;
        return ReadResult{};
    };
    ReadResult result = reader.ReadLines(m_completeEnd, to, filer);
    result.overtaken = reader.SourceEnd() < to;
    if (result.ok() && m_completeEnd < reader.SourceEnd())
        m_noLineFeed = {m_completeEnd, reader.SourceEnd()};
    if (!result.ok() || !fileTail || m_completeEnd >= wanted)
        return result;
    // The text after the last LF: a provisional record, taken back when more arrives.
    std::string bytes;
    if (!reader.ReadRest(bytes, m_maxLineBytes, result))
        return result;
    std::vector<PartScan> parts;
    if (!bytes.empty())
        parts = ScanLine(bytes.data(), bytes.size(), m_completeEnd, reader.SourceEnd());
    if (const ReadResult::Status overflow = Overflow(parts, m_completeEnd, reader.SourceEnd(), to, false);
        overflow != ReadResult::Complete)
        return {overflow, 0};
    // Half a unit after the last line is held too, so that it is not read again.
    const uint64_t end = reader.SourceEnd() == to ? wanted : reader.SourceEnd();
    GatedStep step(m_gate);
    const Checkpoint before = Mark();
    try {
        if (!parts.empty() && !File(parts, m_completeEnd, false, unknown, reader.SourceEnd()))
            return {ReadResult::OutOfMemory, 0};
        m_tail = std::make_unique<Tail>(Tail{before, end, !parts.empty()});
    } catch (const std::bad_alloc&) {
        Rollback(before);
        return {ReadResult::OutOfMemory, 0};
    }
    return result;
}

// One line at [start, end) whose first `size` bytes are at `prefix`, scanned for filing: the
// whole line, or, when it is longer than the limit, the part that stands for it.
std::vector<PartScan> RecordStore::ScanLine(const char* prefix, size_t size, uint64_t start,
                                            uint64_t end) const {
    std::vector<PartScan> parts(1);
    ScanPart(prefix, 0, size, m_decoder, parts[0]);
    parts[0].lines.resize(1);
    parts[0].clipped = size < end - start;
    return parts;
}

void RecordStore::AddLine(std::u16string_view line, const std::wstring& unknown) {
    if (RecordCount() >= kMaxRecords)
        return;
    GatedStep step(m_gate);
    std::vector<PartScan> parts(1);
    PartScan& part = parts[0];
    const Checkpoint before = Mark();
    try {
        ScanMemoryLine(line, part);
        m_memoryLines.emplace_back(line);
    } catch (const std::bad_alloc&) {
        return; // nothing was filed yet
    }
    part.lines[0].start = 0;
    part.lines[0].end = 1;
    if (!File(parts, m_memoryLines.size() - 1, true, unknown))
        Rollback(before);
}

// Files the scanned lines of a batch at `base`: all of them, or, when memory runs out, none.
bool RecordStore::File(std::vector<PartScan>& parts, uint64_t base, bool memory, const std::wstring& unknown,
                       uint64_t lineEnd) {
    const Checkpoint before = Mark();
    try {
        const uint32_t unknownId = NameId(unknown);
        for (PartScan& part : parts) {
            std::vector<uint32_t> names(part.names.size()), dates(part.dates.size()),
                kinds(part.triples.size());
            for (size_t i = 0; i < names.size(); ++i)
                names[i] = NameId(part.names[i]);
            for (size_t i = 0; i < dates.size(); ++i)
                dates[i] = DateId(part.dates[i]);
            for (size_t i = 0; i < kinds.size(); ++i) {
                const PartScan::Triple& t = part.triples[i];
                const uint32_t leaf = LeafId(t.host == kAbsent ? unknownId : names[t.host], t.traceClass);
                kinds[i] = m_kinds.Intern(leaf, t.process == kAbsent ? unknownId : names[t.process]);
            }
            for (size_t i = 0; i < part.lines.size(); ++i) {
                const PartScan::Line& line = part.lines[i];
                AppendRecord(base + line.start, lineEnd ? lineEnd : base + line.end, line.hash, memory,
                             part.clipped, kinds[line.triple], dates[line.date], line.time);
            }
            MayFail("filed");
        }
    } catch (const std::bad_alloc&) {
        Rollback(before);
        return false;
    }
    return true;
}

bool RecordStore::Lane::Takes(uint32_t date, uint64_t time) const {
    if (!used || this->date != date || time < this->time)
        return false;
    const uint64_t later = time - this->time;
    return (later & ((uint64_t(1) << timeShift) - 1)) == 0 && (later >> timeShift) <= 0xFFFF;
}

RecordStore::Lane RecordStore::Lane::From(uint32_t date, uint64_t time) {
    Lane lane;
    lane.time = time;
    lane.date = date;
    lane.timeShift = (time & ((uint64_t(1) << kSecondsShift) - 1)) == 0 ? kSecondsShift : 0;
    lane.used = true;
    return lane;
}

int RecordStore::LaneInLastBlock(uint64_t start, bool memory, bool clipped, uint32_t kind, uint32_t date,
                                 uint64_t time) {
    if (m_blocks.empty())
        return -1;
    Block& block = m_blocks.back();
    if (block.memory != memory || block.count >= kBlockRecords || block.end != start ||
        start - block.base >= kBlockBytes || clipped || block.clipped ||
        int64_t(kind) - int64_t(block.kind) != int16_t(kind - block.kind))
        return -1;
    for (int lane = 0; lane < 2; ++lane)
        if (block.lanes[lane].Takes(date, time))
            return lane;
    if (block.lanes[1].used)
        return -1;
    block.lanes[1] = Lane::From(date, time);
    return 1;
}

void RecordStore::AppendRecord(uint64_t start, uint64_t end, uint32_t hash, bool memory, bool clipped,
                               uint32_t kind, uint32_t date, uint64_t time) {
    const RecordId id = RecordCount();
    RecordList& list = m_leaves[m_kinds[kind].leaf].list.records;
    const size_t listBytes = list.MemoryBytes();
    list.push_back(id); // first: the one step here that allocates most
    CountListBytes(list, listBytes);
    bool opened = false, paged = false;
    try {
        int lane = LaneInLastBlock(start, memory, clipped, kind, date, time);
        if (lane < 0) {
            Block fresh;
            fresh.first = id;
            fresh.base = fresh.end = start;
            fresh.lanes[0] = Lane::From(date, time);
            fresh.kind = kind;
            fresh.memory = memory;
            fresh.clipped = clipped;
            m_blocks.push_back(fresh);
            opened = true;
            lane = 0;
        }
        if ((id & ((RecordId(1) << kPageBits) - 1)) == 0) {
            m_pageBlocks.push_back(static_cast<uint32_t>(m_blocks.size() - 1));
            paged = true;
        }
        const Block& block = m_blocks.back();
        const Lane& taken = block.lanes[lane];
        m_entries.push_back(Entry{static_cast<uint16_t>((start - block.base) | (lane ? Entry::kLaneBit : 0)),
                                  static_cast<int16_t>(kind - block.kind),
                                  static_cast<uint16_t>((time - taken.time) >> taken.timeShift)});
    } catch (...) {
        const size_t grown = list.MemoryBytes();
        list.pop_back();
        CountListBytes(list, grown);
        if (paged)
            m_pageBlocks.truncate(m_pageBlocks.size() - 1);
        if (opened)
            m_blocks.truncate(m_blocks.size() - 1);
        throw;
    }
    Block& block = m_blocks.back();
    m_clippedLines += clipped;
    ++block.count;
    block.end = end;
    block.hash = CombineHash(block.hash, hash);
}

void RecordStore::CountListBytes(const RecordList& list, size_t before) {
    m_listBytes = m_listBytes + list.MemoryBytes() - before;
}

RecordStore::Checkpoint RecordStore::Mark() const {
    Checkpoint mark;
    mark.records = RecordCount();
    mark.blocks = m_blocks.size();
    if (!m_blocks.empty())
        mark.lastBlock = m_blocks[m_blocks.size() - 1];
    mark.names = m_names.size();
    mark.dates = m_dates.size();
    mark.leaves = m_leaves.size();
    mark.kinds = m_kinds.size();
    mark.memoryLines = m_memoryLines.size();
    mark.completeEnd = m_completeEnd;
    mark.clippedLines = m_clippedLines;
    return mark;
}

// Takes back everything filed since `mark`. Nothing here allocates.
void RecordStore::Rollback(const Checkpoint& mark, bool keepInterned) {
    for (RecordId id = RecordCount(); id-- > mark.records;) {
        RecordList& list = m_leaves[KindOf(id).leaf].list.records;
        const size_t listBytes = list.MemoryBytes();
        list.pop_back();
        CountListBytes(list, listBytes);
    }
    m_entries.truncate(mark.records);
    m_pageBlocks.truncate((size_t(mark.records) + (size_t(1) << kPageBits) - 1) >> kPageBits);
    m_blocks.truncate(mark.blocks);
    if (mark.blocks > 0)
        m_blocks.back() = mark.lastBlock;
    if (!keepInterned) {
        m_kinds.Truncate(mark.kinds);
        for (; m_leaves.size() > mark.leaves; m_leaves.pop_back()) {
            Ungroup(m_leaves.back());
            m_listBytes -= m_leaves.back().list.records.MemoryBytes();
        }
        m_names.Truncate(mark.names);
        m_dates.Truncate(mark.dates);
    }
    m_memoryLines.resize(mark.memoryLines);
    m_completeEnd = mark.completeEnd;
    m_clippedLines = mark.clippedLines;
    if (mark.records == 0)
        m_headProbe = {};
}

// Takes a list out of the grouping by computer, and the computer with it when it has no other.
void RecordStore::Ungroup(const Leaf& leaf) {
    const std::wstring_view host = m_names[leaf.host];
    auto classes = m_byHost.find(host);
    if (classes == m_byHost.end())
        return;
    if (auto list = classes->second.find(leaf.list.traceClass);
        list == classes->second.end() || &LeafOf(list->second) != &leaf)
        return;
    classes->second.Erase(leaf.list.traceClass);
    if (classes->second.empty()) {
        m_byHost.erase(classes);
        if (leaf.host < m_hostEntries.size())
            m_hostEntries[leaf.host] = m_byHost.end();
    }
}

uint32_t RecordStore::NameId(const std::wstring& name) {
    return m_names.Intern(name);
}

uint32_t RecordStore::DateId(const std::wstring& date) {
    return m_dates.Intern(date);
}

// The list of (host, trace class), made and entered into the grouping by computer on first use:
// found through the computer's entry, which is looked up by its name once and found by number
// after. A failure once the leaf is made leaves it to the caller's rollback, which takes it out
// of the grouping again, and the computer's entry with it when that is left empty.
uint32_t RecordStore::LeafId(uint32_t host, uint16_t traceClass) {
    if (m_hostEntries.size() <= host)
        m_hostEntries.resize(m_names.size(), m_byHost.end());
    if (m_hostEntries[host] != m_byHost.end()) {
        const ClassLists& classes = m_hostEntries[host]->second;
        if (auto found = classes.find(traceClass); found != classes.end())
            return LeafOf(found->second).id;
    }
    const auto id = static_cast<uint32_t>(m_leaves.size());
    m_leaves.emplace_back(host, traceClass, id);
    if (m_hostEntries[host] == m_byHost.end())
        m_hostEntries[host] = m_byHost.try_emplace(m_names[host]).first;
    m_hostEntries[host]->second.Add(m_leaves.back().list);
    return id;
}

ByTraceClass RecordStore::GetByTraceClass() const {
    ByTraceClass byTraceClass;
    // The computers come in order: each goes in at the end of its trace class's map.
    for (const auto& [host, classes] : m_byHost)
        for (const auto& [traceClass, list] : classes) {
            auto& hosts = byTraceClass[traceClass];
            hosts.emplace_hint(hosts.end(), host, list);
        }
    return byTraceClass;
}

void RecordStore::Clear() {
    GatedStep step(m_gate);
    m_byHost.clear();
    m_hostNodes.Clear();
    m_leaves.clear();
    std::vector<ByHost::iterator>().swap(m_hostEntries);
    m_entries.clear();
    m_pageBlocks.clear();
    m_kinds.Clear();
    m_blocks.clear();
    m_names.Clear();
    m_dates.Clear();
    std::vector<std::u16string>().swap(m_memoryLines);
    m_tail.reset();
    m_completeEnd = m_textStart = 0;
    m_startsLate = false;
    m_listBytes = 0;
    m_refused = m_sample = {};
    m_clippedLines = 0;
    m_readBack = nullptr;
    m_noLineFeed = {};
    m_headProbe = m_tailProbe = {};
    m_tailLists = 0;
}

size_t RecordStore::MemoryBytes() const {
    size_t bytes =
        m_entries.MemoryBytes() + m_blocks.MemoryBytes() + m_pageBlocks.MemoryBytes() + m_kinds.MemoryBytes();
    bytes += m_listBytes + m_leaves.size() * sizeof(Leaf);
    bytes += m_hostNodes.MemoryBytes() + m_hostEntries.capacity() * sizeof(ByHost::iterator);
    bytes += m_names.MemoryBytes() + m_dates.MemoryBytes();
    return bytes;
}

} // namespace diagnose
