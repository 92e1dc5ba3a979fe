// The record index: lines read in batches, scanned in parallel, filed batch by batch.
#include "diagnose/RecordStore.h"

#include "diagnose/LineScanner.h"
#include "diagnose/ScanCrew.h"
#include "diagnose/TimeKey.h"

#include <algorithm>
#include <atomic>
#include <exception>
#include <numeric>
#include <optional>
#include <thread>

namespace diagnose {
namespace {

// A batch of a sixty-fourth of the read keeps what is read but not filed yet (two batches at a
// time) small beside the index; 16 MiB keeps the batches of a large log few. Every batch but a
// small last one is scanned in parallel.
constexpr size_t kMinBatchBytes = size_t(1) << 20;
constexpr size_t kMaxBatchBytes = size_t(16) << 20;
constexpr uint64_t kBatchShare = 64;
// The longest line the index reads; a longer one ends the read as too large for the index.
constexpr size_t kMaxLineBytes = sizeof(void*) == 4 ? size_t(256) << 20 : size_t(2) << 30;
constexpr size_t kParallelBytes = kMinBatchBytes / 2;
constexpr uint32_t kMaxRecords = 0x7FFFFFFF; // what a list view can count
constexpr uint32_t kBlockRecords = 64;
constexpr uint64_t kBlockBytes = 256 << 10;
constexpr uint32_t kAbsent = 0xFFFFFFFFu;

std::atomic<RecordStore::FaultHook> g_faultHook{nullptr};

void MayFail(const char* where) {
    if (RecordStore::FaultHook hook = g_faultHook.load())
        hook(where);
}

// A fast hash of a line's bytes; it only has to notice that a line is not what was indexed.
// Two independent lanes keep the multiplications from waiting on each other.
uint32_t HashBytes(const char* data, size_t size) {
    uint64_t a = 0x9E3779B97F4A7C15ull ^ size, b = 0xC2B2AE3D27D4EB4Full;
    size_t i = 0;
    for (; i + 16 <= size; i += 16) {
        uint64_t first, second;
        std::memcpy(&first, data + i, 8);
        std::memcpy(&second, data + i + 8, 8);
        a = (a ^ first) * 0xFF51AFD7ED558CCDull;
        b = (b ^ second) * 0xC4CEB9FE1A85EC53ull;
    }
    uint64_t rest[2] = {0, 0};
    std::memcpy(rest, data + i, size - i);
    a = (a ^ rest[0]) * 0xFF51AFD7ED558CCDull;
    b = (b ^ rest[1]) * 0xC4CEB9FE1A85EC53ull;
    uint64_t h = a ^ (b >> 31 | b << 33);
    h ^= h >> 29;
    h *= 0x94D049BB133111EBull;
    h ^= h >> 32;
    return static_cast<uint32_t>(h);
}

uint32_t Combine(uint32_t blockHash, uint32_t lineHash) {
    return blockHash * 0x01000193u ^ lineHash;
}

// Raw spans of one text interned without building a string per line: most lines of a log
// repeat a handful of hosts, processes and dates.
template <typename Unit> class SpanInterner {
public:
    explicit SpanInterner(const Unit* text) : m_text(text), m_slots(64) {}

    // The local number of the span [begin, end); `add` makes the number of a new one.
    template <typename Add> uint32_t Intern(size_t begin, size_t end, Add&& add) {
        uint32_t hash = 2166136261u;
        for (size_t i = begin; i < end; ++i)
            hash = (hash ^ UnitClasses<Unit>::Code(m_text[i])) * 16777619u;
        const size_t mask = m_slots.size() - 1;
        for (size_t at = hash & mask;; at = (at + 1) & mask) {
            Slot& slot = m_slots[at];
            if (slot.id == kAbsent) {
                const uint32_t id = add();
                slot = Slot{begin, end - begin, hash, id};
                if (++m_used * 2 > m_slots.size())
                    Grow();
                return id;
            }
            if (slot.hash == hash && slot.length == end - begin &&
                std::equal(m_text + begin, m_text + end, m_text + slot.begin))
                return slot.id;
        }
    }

private:
    struct Slot {
        size_t begin = 0, length = 0;
        uint32_t hash = 0, id = kAbsent;
    };
    void Grow() {
        std::vector<Slot> old(m_slots.size() * 2);
        old.swap(m_slots);
        const size_t mask = m_slots.size() - 1;
        for (const Slot& slot : old) {
            if (slot.id == kAbsent)
                continue;
            size_t at = slot.hash & mask;
            while (m_slots[at].id != kAbsent)
                at = (at + 1) & mask;
            m_slots[at] = slot;
        }
    }

    const Unit* m_text;
    std::vector<Slot> m_slots;
    size_t m_used = 0;
};

template <typename Unit, size_t N>
bool SpanIs(const Unit* s, size_t begin, size_t end, const char (&literal)[N]) {
    if (end - begin != N - 1)
        return false;
    for (size_t i = 0; i < N - 1; ++i)
        if (UnitClasses<Unit>::Code(s[begin + i]) != static_cast<unsigned char>(literal[i]))
            return false;
    return true;
}

// Appends the text of units as the decoder reads them.
void AppendUnits(std::wstring& out, const char* s, size_t n, const TextDecoder& decoder) {
    if (decoder.form == TextForm::Utf8)
        AppendUtf8(out, s, n);
    else
        AppendAnsi(out, s, n, decoder.ansiTable.empty() ? Latin1Table() : decoder.ansiTable.data());
}
void AppendUnits(std::wstring& out, const char16_t* s, size_t n, const TextDecoder&) {
    AppendUtf16(out, s, n);
}

size_t UnitBytes(TextForm form) {
    return form == TextForm::Utf16 ? 2 : 1;
}

// Where the unit-aligned line feeds of raw text are, for any form.
size_t FindLineFeed(const char* raw, size_t from, size_t size, size_t unit) {
    if (unit == 1) {
        const void* found = std::memchr(raw + from, '\n', size - from);
        return found ? static_cast<size_t>(static_cast<const char*>(found) - raw) : size;
    }
    for (size_t i = from; i + 1 < size; i += 2)
        if (raw[i] == '\n' && raw[i + 1] == 0)
            return i;
    return size;
}

size_t FindLastLineFeed(const char* raw, size_t size, size_t unit) {
    if (unit == 1) {
        for (size_t i = size; i-- > 0;)
            if (raw[i] == '\n')
                return i;
        return SIZE_MAX;
    }
    for (size_t i = size & ~size_t(1); i >= 2; i -= 2)
        if (raw[i - 2] == '\n' && raw[i - 1] == 0)
            return i - 2;
    return SIZE_MAX;
}

// One line of a part: raw bytes [rawBegin, rawEnd) with its terminator, and its text as units
// of the scanned text (the raw text itself, or the widened text of a multi-byte code page).
struct LineSpan {
    size_t rawBegin, rawEnd;
    size_t textBegin, textLength;
};

// The length of a line's text without its line end: the LF, and one CR before it; the last
// line of a text loses a CR at its very end, the cut-off half of a CR LF.
size_t TextUnits(const char* raw, size_t begin, size_t end, size_t unit) {
    size_t n = (end - begin) / unit;
    auto unitAt = [&](size_t i) {
        return unit == 1 ? static_cast<unsigned char>(raw[begin + i])
                         : static_cast<unsigned>(static_cast<unsigned char>(raw[begin + 2 * i]) |
                                                 static_cast<unsigned char>(raw[begin + 2 * i + 1]) << 8);
    };
    if (n > 0 && unitAt(n - 1) == '\n')
        --n;
    if (n > 0 && unitAt(n - 1) == '\r')
        --n;
    return n;
}

} // namespace

// What one worker found in its part of a batch: per line its place, hash, local triple, local
// date and time key; the distinct names and dates, decoded; the times that need their text.
struct RecordStore::PartScan {
    struct Line {
        size_t start; // raw, from the batch start
        size_t end;
        uint32_t hash;
        uint32_t triple;
        uint32_t date;
        uint64_t time;
    };
    struct Triple {
        uint32_t host, process;
        uint16_t traceClass;
    };
    std::vector<Line> lines;
    std::vector<std::wstring> names;
    std::vector<std::wstring> dates;
    std::vector<Triple> triples;
    std::vector<std::pair<size_t, std::wstring>> inexact; // line index, time text
    std::exception_ptr failure;
};

namespace {

// The distinct (host, process, trace class) triples of one part, numbered as they appear, in an
// open-addressing table: a part of a log with many computers holds hundreds of thousands.
class TripleTable {
public:
    template <typename Triple> uint32_t Intern(std::vector<Triple>& triples, const Triple& triple) {
        if ((triples.size() + 1) * 2 > m_slots.size())
            Grow(triples);
        const size_t mask = m_slots.size() - 1;
        for (size_t at = Hash(triple) & mask;; at = (at + 1) & mask) {
            if (m_slots[at] == 0) {
                triples.push_back(triple);
                m_slots[at] = static_cast<uint32_t>(triples.size());
                return m_slots[at] - 1;
            }
            const Triple& other = triples[m_slots[at] - 1];
            if (other.host == triple.host && other.process == triple.process &&
                other.traceClass == triple.traceClass)
                return m_slots[at] - 1;
        }
    }

private:
    template <typename Triple> static size_t Hash(const Triple& t) {
        return KeyHash()(uint64_t(t.host) << 32 ^ t.process ^ uint64_t(t.traceClass) << 47);
    }
    template <typename Triple> void Grow(const std::vector<Triple>& triples) {
        std::vector<uint32_t>(std::max<size_t>(64, m_slots.size() * 2)).swap(m_slots);
        const size_t mask = m_slots.size() - 1;
        for (uint32_t i = 0; i < triples.size(); ++i) {
            size_t at = Hash(triples[i]) & mask;
            while (m_slots[at] != 0)
                at = (at + 1) & mask;
            m_slots[at] = i + 1;
        }
    }
    std::vector<uint32_t> m_slots; // triple number + 1; 0 is free
};

// Scans the lines of one part: `text` holds the units the spans of `lines` index.
template <typename Unit, bool Utf8, typename Part>
void ScanLines(const Unit* text, const char* raw, const std::vector<LineSpan>& lines, bool mayHoldLineFeeds,
               const TextDecoder& decoder, Part& out) {
    SpanInterner<Unit> names(text), dates(text);
    TripleTable triples;
    uint32_t lastTriple = 0;
    std::pair<size_t, size_t> lastDate{0, 0}; // where in `text`, and how long
    uint32_t lastDateId = 0;
    bool haveDate = false;
    out.lines.reserve(lines.size());
    for (const LineSpan& span : lines) {
        const Unit* line = text + span.textBegin;
        const size_t length = span.textLength;
        const HeaderSpans header = ScanHeader<Unit, Utf8>(line, length, mayHoldLineFeeds);
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
        auto intern = [&](SpanInterner<Unit>& interner, std::vector<std::wstring>& decoded, size_t begin,
                          size_t end) {
            const size_t at = span.textBegin;
            return interner.Intern(at + begin, at + end, [&] {
                decoded.emplace_back();
                AppendUnits(decoded.back(), line + begin, end - begin, decoder);
                return static_cast<uint32_t>(decoded.size() - 1);
            });
        };
        const uint32_t hostId = hasHost ? intern(names, out.names, host[0], host[1]) : kAbsent;
        const uint32_t processId = hasProcess ? intern(names, out.names, process[0], process[1]) : kAbsent;
        const uint16_t cls =
            hasTraceClass
                ? static_cast<uint16_t>(ReadDecimal(line + traceClass[0], traceClass[1] - traceClass[0]))
                : kNoTraceClass;
        if (out.triples.empty() || hostId != out.triples[lastTriple].host ||
            processId != out.triples[lastTriple].process || cls != out.triples[lastTriple].traceClass)
            lastTriple = triples.Intern(out.triples, {hostId, processId, cls});
        // Neighbouring lines mostly share their date: the last one is tried before the table.
        const size_t dateLength = header.dateEnd - header.dateBegin;
        if (!(lastDate.second == dateLength && haveDate &&
              std::equal(line + header.dateBegin, line + header.dateEnd, text + lastDate.first))) {
            lastDateId = intern(dates, out.dates, header.dateBegin, header.dateEnd);
            lastDate = {span.textBegin + header.dateBegin, dateLength};
            haveDate = true;
        }
        const uint32_t date = lastDateId;
        const uint64_t time = PackTime(line + header.timeBegin, header.timeEnd - header.timeBegin);
        if (time == kInexactTime) {
            out.inexact.emplace_back(out.lines.size(), std::wstring());
            AppendUnits(out.inexact.back().second, line + header.timeBegin, header.timeEnd - header.timeBegin,
                        decoder);
        }
        out.lines.push_back({span.rawBegin, span.rawEnd,
                             HashBytes(raw + span.rawBegin, span.rawEnd - span.rawBegin), lastTriple, date,
                             time});
    }
}

// Splits raw text [begin, end) into lines and scans them in the decoder's form.
template <typename Part>
void ScanPart(const char* raw, size_t begin, size_t end, bool mayHoldLineFeeds, const TextDecoder& decoder,
              Part& out) {
    const size_t unit = UnitBytes(decoder.form);
    std::vector<LineSpan> lines;
    for (size_t at = begin; at < end;) {
        const size_t lineFeed = FindLineFeed(raw, at, end, unit);
        const size_t next = lineFeed < end ? lineFeed + unit : end;
        lines.push_back({at, next, at / unit, TextUnits(raw, at, next, unit)});
        at = next;
    }
    switch (decoder.form) {
    case TextForm::Utf16:
        ScanLines<char16_t, false>(reinterpret_cast<const char16_t*>(raw), raw, lines, mayHoldLineFeeds,
                                   decoder, out);
        break;
    case TextForm::Utf8:
        ScanLines<char, true>(raw, raw, lines, mayHoldLineFeeds, decoder, out);
        break;
    case TextForm::Ansi8:
        ScanLines<char, false>(raw, raw, lines, mayHoldLineFeeds, decoder, out);
        break;
    case TextForm::AnsiMultiByte: {
        // Trail bytes may look like ASCII: each line is widened before it is scanned.
        std::u16string text, line;
        for (LineSpan& span : lines) {
            line.clear();
            if (decoder.widen && span.textLength > 0)
                decoder.widen(raw + span.rawBegin, span.textLength, line);
            span.textBegin = text.size();
            span.textLength = line.size();
            text += line;
        }
        ScanLines<char16_t, false>(text.data(), raw, lines, mayHoldLineFeeds, decoder, out);
        break;
    }
    }
}

// Starts of parts of about equal size, each at the start of a line.
std::vector<size_t> SplitAtLines(const char* raw, size_t size, size_t unit, unsigned parts) {
    std::vector<size_t> bounds{0};
    for (unsigned k = 1; k < parts; ++k) {
        size_t at = std::max(bounds.back(), (size / parts * k) & ~(unit - 1));
        const size_t lineFeed = FindLineFeed(raw, at, size, unit);
        bounds.push_back(lineFeed < size ? lineFeed + unit : size);
    }
    bounds.push_back(size);
    return bounds;
}

const std::wstring& EmptyText() {
    static const std::wstring empty;
    return empty;
}

} // namespace

// Loading

RecordStore::RecordStore() = default;
RecordStore::~RecordStore() = default;

void RecordStore::SetFaultHook(FaultHook hook) {
    g_faultHook = hook;
}

void RecordStore::Begin(TextDecoder decoder, uint64_t start) {
    Clear();
    m_decoder = std::move(decoder);
    m_completeEnd = start;
}

void RecordStore::BeginDetected(const char* head, size_t size, const TextDecoder& eightBit) {
    const DetectedEncoding detected = DetectEncoding(reinterpret_cast<const unsigned char*>(head), size);
    TextDecoder decoder = eightBit;
    if (detected.form != TextForm::Ansi8) {
        decoder = TextDecoder{};
        decoder.form = detected.form;
    }
    Begin(std::move(decoder), detected.bomLength);
}

uint64_t RecordStore::End() const {
    return m_tail ? m_tail->end : m_completeEnd;
}

ReadResult RecordStore::Read(ByteSource& source, uint64_t to, bool fileTail, const std::wstring& unknown) {
    bool replacedTail = false;
    if (m_tail) {
        if (to <= m_tail->end) {
            ReadResult nothing;
            nothing.firstNew = RecordCount();
            return nothing;
        }
        // The provisional last line has grown: it is filed again with what followed it.
        Rollback(m_tail->before);
        m_tail.reset();
        fileTail = true;
        replacedTail = true;
    }
    const RecordId firstNew = RecordCount();
    ReadResult result = ReadLines(source, to, fileTail, unknown);
    result.firstNew = firstNew;
    result.replacedTail = replacedTail;
    return result;
}

ReadResult RecordStore::ReadLines(ByteSource& source, uint64_t to, bool fileTail,
                                  const std::wstring& unknown) {
    const size_t unit = UnitBytes(m_decoder.form);
    if (to > m_completeEnd)
        to -= (to - m_completeEnd) % unit; // half a unit at the end is no text yet
    ReadResult result;
    // Reads [at, at + size) into `bytes`; a source that ends sooner moves `to` back.
    auto readInto = [&](std::string& bytes, uint64_t at, size_t size) {
        bytes.resize(size);
        size_t done = 0;
        while (done < size) {
            size_t got = 0;
            uint32_t error = 0;
            if (!source.Read(at + done, bytes.data() + done, size - done, got, error)) {
                result = {ReadResult::ReadFailed, error};
                return false;
            }
            if (got == 0)
                break;
            done += got;
        }
        if (done < size) {
            // The source ended sooner than it said: what is there is all there is.
            to = at + done - done % unit;
            bytes.resize(static_cast<size_t>(to - at));
        }
        return true;
    };
    // A batch of whole lines: read, scanned by workers, then filed. A batch is scanned while
    // this thread files the one before and reads the one after, so that neither costs time of
    // its own. Parts are more than workers: this thread scans what is left once it is done.
    struct Batch {
        std::string bytes;
        uint64_t at = 0;
        size_t lines = 0;
        std::vector<size_t> bounds; // of the parts
        std::vector<PartScan> parts;
    };
    std::unique_ptr<Batch> scanned; // scanned, not filed yet
    std::unique_ptr<Batch> next;
    std::unique_ptr<Batch> spare; // filed; its buffer takes the next batch, without new pages
    // Declared after the batches, so that it ends, having run what it was given, before they go.
    std::optional<ScanCrew> crew;
    auto scanAsync = [&](Batch& batch) {
        const unsigned parallel = std::min(4u, std::max(1u, std::thread::hardware_concurrency()));
        if (!crew)
            crew.emplace(to - batch.at < kParallelBytes ? 1u : parallel);
        batch.bounds = SplitAtLines(batch.bytes.data(), batch.lines, unit,
                                    batch.lines < kParallelBytes ? 1u : parallel * 2);
        batch.parts.resize(batch.bounds.size() - 1);
        crew->Start(
            [this, &batch](size_t k) {
                try {
                    ScanPart(batch.bytes.data(), batch.bounds[k], batch.bounds[k + 1], false, m_decoder,
                             batch.parts[k]);
                } catch (...) {
                    batch.parts[k].failure = std::current_exception();
                }
            },
            batch.parts.size());
    };
    auto join = [&](Batch& batch) {
        crew->Wait();
        for (const PartScan& part : batch.parts)
            if (part.failure)
                std::rethrow_exception(part.failure);
        MayFail("scanned");
    };
    auto file = [&](std::unique_ptr<Batch>& batch) {
        if (!batch)
            return ReadResult{};
        const size_t lines = std::accumulate(batch->parts.begin(), batch->parts.end(), size_t(0),
                                             [](size_t n, const PartScan& p) { return n + p.lines.size(); });
        if (RecordCount() + lines > kMaxRecords)
            return ReadResult{ReadResult::TooLarge, 0};
        if (!File(batch->parts, batch->at, false, unknown))
            return ReadResult{ReadResult::OutOfMemory, 0};
        m_completeEnd = batch->at + batch->lines;
        batch->parts.clear();
        spare = std::move(batch);
        return ReadResult{};
    };

    const size_t batchBytes = static_cast<size_t>(
        std::clamp<uint64_t>((to - m_completeEnd) / kBatchShare, kMinBatchBytes, kMaxBatchBytes));
    // The bytes of the batch after the one being scanned, read meanwhile: reading is this
    // thread's, and the workers would otherwise wait for it. A read that fails here is left for
    // the loop to read again and answer.
    std::unique_ptr<Batch> ahead;
    auto readAhead = [&](uint64_t at) {
        if (at >= to || !spare)
            return;
        ahead = std::move(spare);
        const ReadResult before = result;
        if (readInto(ahead->bytes, at, static_cast<size_t>(std::min<uint64_t>(batchBytes, to - at)))) {
            ahead->at = at;
        } else {
            result = before;
            ahead->at = UINT64_MAX;
        }
    };

    try {
        uint64_t at = m_completeEnd;
        size_t want = batchBytes;
        while (at < to) {
            const size_t size = static_cast<size_t>(std::min<uint64_t>(want, to - at));
            if (!next)
                next = ahead ? std::move(ahead) : spare ? std::move(spare) : std::make_unique<Batch>();
            if (next->at != at || next->bytes.size() != size) { // not read ahead, or not as wanted
                if (!readInto(next->bytes, at, size)) {
                    const ReadResult filed = file(scanned); // what was read before the failure stays
                    return filed.ok() ? result : filed;
                }
                next->at = at;
            }
            const size_t lastLineFeed = FindLastLineFeed(next->bytes.data(), next->bytes.size(), unit);
            if (lastLineFeed == SIZE_MAX) {
                if (at + next->bytes.size() >= to)
                    break; // the rest is the last line, without LF
                if (want >= kMaxLineBytes) {
                    const ReadResult filed = file(scanned);
                    return filed.ok() ? ReadResult{ReadResult::TooLarge, 0} : filed;
                }
                want *= 2;
                continue;
            }
            next->lines = lastLineFeed + unit;
            scanAsync(*next);
            const ReadResult filed = file(scanned);
            readAhead(filed.ok() ? next->at + next->lines : to);
            join(*next);
            if (!filed.ok())
                return filed;
            at = next->at + next->lines;
            scanned = std::move(next);
            want = batchBytes;
        }
        if (const ReadResult filed = file(scanned); !filed.ok())
            return filed;
        if (fileTail && m_completeEnd < to) {
            std::string bytes;
            if (!readInto(bytes, m_completeEnd, static_cast<size_t>(to - m_completeEnd)) || bytes.empty())
                return result;
            const Checkpoint before = Mark();
            std::vector<PartScan> parts(1);
            ScanPart(bytes.data(), 0, bytes.size(), false, m_decoder, parts[0]);
            if (!File(parts, m_completeEnd, false, unknown))
                return {ReadResult::OutOfMemory, 0};
            m_tail = std::make_unique<Tail>(Tail{before, to});
        }
    } catch (const std::bad_alloc&) {
        return {ReadResult::OutOfMemory, 0};
    }
    return result;
}

void RecordStore::AddLine(std::u16string_view line, const std::wstring& unknown) {
    if (RecordCount() >= kMaxRecords)
        return;
    TextDecoder utf16;
    utf16.form = TextForm::Utf16;
    std::vector<PartScan> parts(1);
    PartScan& part = parts[0];
    const std::vector<LineSpan> spans{{0, line.size() * 2, 0, line.size()}};
    ScanLines<char16_t, false>(line.data(), reinterpret_cast<const char*>(line.data()), spans, true, utf16,
                               part);
    const Checkpoint before = Mark();
    try {
        m_memoryLines.emplace_back(line);
    } catch (const std::bad_alloc&) {
        return;
    }
    part.lines[0].start = 0;
    part.lines[0].end = 1;
    if (!File(parts, m_memoryLines.size() - 1, true, unknown))
        Rollback(before);
}

// Files the scanned lines of a batch at `base`: all of them, or, when memory runs out, none.
bool RecordStore::File(std::vector<PartScan>& parts, uint64_t base, bool memory,
                       const std::wstring& unknown) {
    const Checkpoint before = Mark();
    try {
        const uint32_t unknownId = NameId(unknown);
        for (PartScan& part : parts) {
            std::vector<uint32_t> names(part.names.size()), dates(part.dates.size()),
                groups(part.triples.size());
            for (size_t i = 0; i < names.size(); ++i)
                names[i] = NameId(part.names[i]);
            for (size_t i = 0; i < dates.size(); ++i)
                dates[i] = DateId(part.dates[i]);
            for (size_t i = 0; i < groups.size(); ++i) {
                const PartScan::Triple& t = part.triples[i];
                groups[i] = GroupId(t.host == kAbsent ? unknownId : names[t.host],
                                    t.process == kAbsent ? unknownId : names[t.process], t.traceClass);
            }
            const RecordId first = RecordCount();
            auto inexact = part.inexact.begin();
            for (size_t i = 0; i < part.lines.size(); ++i) {
                const PartScan::Line& line = part.lines[i];
                if (inexact != part.inexact.end() && inexact->first == i) {
                    m_inexactTimes.emplace_back(first + static_cast<RecordId>(i), std::move(inexact->second));
                    ++inexact;
                }
                AppendRecord(base + line.start, base + line.end, line.hash, memory, groups[line.triple],
                             dates[line.date], line.time);
            }
            MayFail("filed");
        }
    } catch (const std::bad_alloc&) {
        Rollback(before);
        return false;
    }
    return true;
}

void RecordStore::AppendRecord(uint64_t start, uint64_t end, uint32_t hash, bool memory, uint32_t group,
                               uint32_t date, uint64_t time) {
    const RecordId id = RecordCount();
    RecordList& list = m_leaves[m_groups[group].leaf].records;
    list.push_back(id); // first: the one step here that allocates most
    bool opened = false;
    try {
        if (m_blocks.empty() || m_blocks.back().memory != memory || m_blocks.back().count >= kBlockRecords ||
            m_blocks.back().end != start || start - m_blocks.back().base >= kBlockBytes) {
            m_blocks.push_back(Block{id, 0, start, start, 0, memory});
            opened = true;
        }
        m_times.push_back(time);
        m_entries.push_back(Entry{static_cast<uint32_t>(start - m_blocks.back().base), group, date});
    } catch (...) {
        list.pop_back();
        if (opened)
            m_blocks.truncate(m_blocks.size() - 1);
        m_times.truncate(id);
        throw;
    }
    Block& block = m_blocks.back();
    ++block.count;
    block.end = end;
    block.hash = Combine(block.hash, hash);
}

RecordStore::Checkpoint RecordStore::Mark() const {
    Checkpoint mark;
    mark.records = RecordCount();
    mark.blocks = m_blocks.size();
    if (!m_blocks.empty())
        mark.lastBlock = m_blocks[m_blocks.size() - 1];
    mark.inexact = m_inexactTimes.size();
    mark.names = m_names.size();
    mark.dates = m_dates.size();
    mark.groups = m_groups.size();
    mark.leaves = m_leaves.size();
    mark.memoryLines = m_memoryLines.size();
    mark.completeEnd = m_completeEnd;
    return mark;
}

// Takes back everything filed since `mark`. Nothing here allocates.
void RecordStore::Rollback(const Checkpoint& mark) {
    for (RecordId id = RecordCount(); id-- > mark.records;)
        m_leaves[m_groups[m_entries[id].group].leaf].records.pop_back();
    m_entries.truncate(mark.records);
    m_times.truncate(mark.records);
    m_blocks.truncate(mark.blocks);
    if (mark.blocks > 0)
        m_blocks.back() = mark.lastBlock;
    m_inexactTimes.resize(mark.inexact);
    while (m_leaves.size() > mark.leaves) {
        const Leaf& leaf = m_leaves.back();
        m_leafIds.erase(uint64_t(leaf.host) << 16 | leaf.traceClass);
        const std::wstring& host = m_names[leaf.host];
        if (auto classes = m_byHost.find(host); classes != m_byHost.end()) {
            classes->second.erase(leaf.traceClass);
            if (classes->second.empty()) {
                m_byHost.erase(classes);
                if (leaf.host < m_hostEntries.size())
                    m_hostEntries[leaf.host] = m_byHost.end();
            }
        }
        if (auto hosts = m_byTraceClass.find(leaf.traceClass); hosts != m_byTraceClass.end()) {
            hosts->second.erase(host);
            if (hosts->second.empty())
                m_byTraceClass.erase(hosts);
        }
        m_leaves.pop_back();
    }
    while (m_groups.size() > mark.groups) {
        const Group& g = m_groups.back();
        m_groupIds.erase(uint64_t(g.leaf) << 32 | g.process);
        m_groups.pop_back();
    }
    while (m_names.size() > mark.names) {
        m_nameIds.erase(m_names.back());
        m_names.pop_back();
    }
    while (m_dates.size() > mark.dates) {
        m_dateIds.erase(m_dates.back());
        m_dates.pop_back();
    }
    m_memoryLines.resize(mark.memoryLines);
    m_completeEnd = mark.completeEnd;
}

namespace {
// The number of `text` in a table of distinct texts, entered when it is new.
uint32_t Intern(std::vector<std::wstring>& texts, std::unordered_map<std::wstring, uint32_t>& ids,
                const std::wstring& text) {
    if (auto found = ids.find(text); found != ids.end())
        return found->second;
    const auto id = static_cast<uint32_t>(texts.size());
    texts.push_back(text);
    try {
        ids.emplace(text, id);
    } catch (...) {
        texts.pop_back();
        throw;
    }
    return id;
}
} // namespace

uint32_t RecordStore::NameId(const std::wstring& name) {
    return Intern(m_names, m_nameIds, name);
}

uint32_t RecordStore::DateId(const std::wstring& date) {
    return Intern(m_dates, m_dateIds, date);
}

// A group is a process within the list of one computer and one trace class.
uint32_t RecordStore::GroupId(uint32_t host, uint32_t process, uint16_t traceClass) {
    const uint32_t leaf = LeafId(host, traceClass);
    const uint64_t key = uint64_t(leaf) << 32 | process;
    if (auto found = m_groupIds.find(key); found != m_groupIds.end())
        return found->second;
    const auto id = static_cast<uint32_t>(m_groups.size());
    m_groups.push_back(Group{host, process, traceClass, leaf});
    try {
        m_groupIds.emplace(key, id);
    } catch (...) {
        m_groups.pop_back();
        throw;
    }
    return id;
}

// The list of (host, trace class), made and entered into both groupings on first use. A failure
// part-way leaves a leaf that the caller's rollback takes out of both.
uint32_t RecordStore::LeafId(uint32_t host, uint16_t traceClass) {
    const uint64_t key = uint64_t(host) << 16 | traceClass;
    if (auto found = m_leafIds.find(key); found != m_leafIds.end())
        return found->second;
    const auto id = static_cast<uint32_t>(m_leaves.size());
    m_leaves.push_back(Leaf{{}, host, traceClass});
    const RecordList* list = &m_leaves.back().records;
    const std::wstring& name = m_names[host];
    // A computer's entry is looked up by its name once; its later lists find it by number.
    if (m_hostEntries.size() <= host)
        m_hostEntries.resize(m_names.size(), m_byHost.end());
    if (m_hostEntries[host] == m_byHost.end())
        m_hostEntries[host] = m_byHost.try_emplace(name).first;
    m_hostEntries[host]->second[traceClass] = list;
    m_byTraceClass[traceClass][name] = list;
    m_leafIds.emplace(key, id);
    return id;
}

void RecordStore::Clear() {
    m_byTraceClass.clear();
    m_byHost.clear();
    m_leaves.clear();
    m_leafIds.clear();
    std::vector<ByHost::iterator>().swap(m_hostEntries);
    m_entries.clear();
    m_times.clear();
    m_blocks.clear();
    std::vector<std::pair<RecordId, std::wstring>>().swap(m_inexactTimes);
    std::vector<Group>().swap(m_groups);
    m_groupIds.clear();
    std::vector<std::wstring>().swap(m_names);
    m_nameIds.clear();
    std::vector<std::wstring>().swap(m_dates);
    m_dateIds.clear();
    std::vector<std::u16string>().swap(m_memoryLines);
    m_tail.reset();
    m_completeEnd = 0;
}

size_t RecordStore::MemoryBytes() const {
    size_t bytes = m_entries.MemoryBytes() + m_times.MemoryBytes() + m_blocks.MemoryBytes();
    for (const Leaf& leaf : m_leaves)
        bytes += leaf.records.capacity() * sizeof(RecordId) + sizeof(Leaf);
    bytes += m_groups.capacity() * sizeof(Group) + m_names.size() * 64 + m_dates.size() * 64;
    bytes += m_inexactTimes.size() * 64;
    return bytes;
}

// Reading

const RecordList* RecordStore::ListOf(RecordId id) const {
    return IsRecord(id) ? &m_leaves[m_groups[m_entries[id].group].leaf].records : nullptr;
}

const std::wstring& RecordStore::GetHost(RecordId id) const {
    return IsRecord(id) ? m_names[m_groups[m_entries[id].group].host] : EmptyText();
}

const std::wstring& RecordStore::GetProcess(RecordId id) const {
    return IsRecord(id) ? m_names[m_groups[m_entries[id].group].process] : EmptyText();
}

uint16_t RecordStore::GetTraceClass(RecordId id) const {
    return IsRecord(id) ? m_groups[m_entries[id].group].traceClass : kNoTraceClass;
}

uint64_t RecordStore::GetTimeKey(RecordId id) const {
    return IsRecord(id) ? m_times[id] : 0;
}

const std::wstring& RecordStore::GetDate(RecordId id) const {
    return IsRecord(id) ? m_dates[m_entries[id].date] : EmptyText();
}

std::wstring RecordStore::GetTime(RecordId id) const {
    std::wstring text;
    if (!IsRecord(id))
        return text;
    const uint64_t key = m_times[id];
    if (key != kInexactTime) {
        AppendTime(text, key);
        return text;
    }
    auto found = std::lower_bound(m_inexactTimes.begin(), m_inexactTimes.end(), id,
                                  [](const auto& entry, RecordId wanted) { return entry.first < wanted; });
    if (found != m_inexactTimes.end() && found->first == id)
        text = found->second;
    return text;
}

std::wstring RecordStore::RowText(RecordId id, int column) const {
    if (!IsRecord(id))
        return {};
    if (column == 1)
        return GetProcess(id);
    if (column != 0)
        return {};
    return GetDate(id) + L' ' + GetTime(id);
}

size_t RecordStore::BlockIndexOf(RecordId id) const {
    size_t lo = 0, hi = m_blocks.size();
    while (hi - lo > 1) {
        const size_t mid = (lo + hi) / 2;
        (m_blocks[mid].first <= id ? lo : hi) = mid;
    }
    return lo;
}

uint64_t RecordStore::StartOf(const Block& block, RecordId id) const {
    return block.base + m_entries[id].offset;
}

// Reads a block's bytes and checks them against its hash.
namespace {
// Reads [base, base + size) whole; Changed when the source is shorter now.
Recheck ReadSpan(ByteSource& source, uint64_t base, size_t size, std::string& bytes) {
    try {
        bytes.resize(size);
    } catch (const std::bad_alloc&) {
        return Recheck::Failed;
    }
    size_t done = 0;
    while (done < size) {
        size_t got = 0;
        uint32_t error = 0;
        if (!source.Read(base + done, bytes.data() + done, size - done, got, error))
            return Recheck::Failed;
        if (got == 0)
            return Recheck::Changed;
        done += got;
    }
    return Recheck::Same;
}
} // namespace

// Whether the bytes of a block, at `bytes`, are those that were indexed.
bool RecordStore::BlockMatches(const Block& block, const char* bytes) const {
    const size_t size = static_cast<size_t>(block.end - block.base);
    uint32_t hash = 0;
    for (RecordId id = block.first; id < block.first + block.count; ++id) {
        const size_t begin = m_entries[id].offset;
        const size_t end = id + 1 < block.first + block.count ? m_entries[id + 1].offset : size;
        hash = Combine(hash, HashBytes(bytes + begin, end - begin));
    }
    return hash == block.hash;
}

Recheck RecordStore::ReadBlock(ByteSource& source, const Block& block, std::string& bytes) const {
    const Recheck read = ReadSpan(source, block.base, static_cast<size_t>(block.end - block.base), bytes);
    if (read != Recheck::Same)
        return read;
    return BlockMatches(block, bytes.data()) ? Recheck::Same : Recheck::Changed;
}

void RecordStore::DecodeText(const char* bytes, size_t size, TextForm form, std::wstring& out) const {
    switch (form) {
    case TextForm::Utf16: {
        std::u16string text(size / 2, u'\0');
        std::memcpy(text.data(), bytes, text.size() * 2);
        AppendUtf16(out, text.data(), text.size());
        break;
    }
    case TextForm::AnsiMultiByte: {
        std::u16string text;
        if (m_decoder.widen && size > 0)
            m_decoder.widen(bytes, size, text);
        AppendUtf16(out, text.data(), text.size());
        break;
    }
    default:
        AppendUnits(out, bytes, size, m_decoder);
        break;
    }
}

// A line's bytes without its line end, in `blockBytes` of its block (for memory lines, its own).
RecordStore::LineBytes RecordStore::BytesOf(const Block& block, const char* blockBytes, RecordId id) const {
    if (block.memory) {
        const std::u16string& line = m_memoryLines[static_cast<size_t>(block.base) + m_entries[id].offset];
        return {reinterpret_cast<const char*>(line.data()), line.size() * 2, TextForm::Utf16};
    }
    const size_t unit = UnitBytes(m_decoder.form);
    const size_t begin = m_entries[id].offset;
    const size_t end = id + 1 < block.first + block.count ? m_entries[id + 1].offset
                                                          : static_cast<size_t>(block.end - block.base);
    return {blockBytes + begin, TextUnits(blockBytes, begin, end, unit) * unit, m_decoder.form};
}

Recheck RecordStore::ReadLine(ByteSource& source, RecordId id, std::wstring& text) const {
    text.clear();
    if (!IsRecord(id))
        return Recheck::Failed;
    const Block& block = m_blocks[BlockIndexOf(id)];
    std::string bytes;
    if (!block.memory) {
        const Recheck check = ReadBlock(source, block, bytes);
        if (check != Recheck::Same)
            return check;
    }
    const LineBytes line = BytesOf(block, bytes.data(), id);
    DecodeText(line.data, line.size, line.form, text);
    return Recheck::Same;
}

Recheck RecordStore::CheckEnd(ByteSource& source) const {
    // The last file block: the newest lines, which a cut or a replaced file changes first.
    for (size_t i = m_blocks.size(); i-- > 0;) {
        if (m_blocks[i].memory)
            continue;
        std::string bytes;
        return ReadBlock(source, m_blocks[i], bytes);
    }
    return Recheck::Same;
}

Recheck RecordStore::ForEachLineBytes(ByteSource& source, RecordId first, RecordId last,
                                      const LineBytesVisitor& visit) const {
    constexpr uint64_t kSpanBytes = 1 << 20; // neighbouring blocks are read together
    last = std::min(last, RecordCount());
    std::string bytes;
    for (RecordId id = first; id < last;) {
        const size_t firstBlock = BlockIndexOf(id);
        const Block& start = m_blocks[firstBlock];
        size_t lastBlock = firstBlock;
        if (!start.memory) {
            while (lastBlock + 1 < m_blocks.size() &&
                   m_blocks[lastBlock].first + m_blocks[lastBlock].count < last &&
                   !m_blocks[lastBlock + 1].memory &&
                   m_blocks[lastBlock + 1].base == m_blocks[lastBlock].end &&
                   m_blocks[lastBlock + 1].end - start.base <= kSpanBytes)
                ++lastBlock;
            const Recheck read = ReadSpan(source, start.base,
                                          static_cast<size_t>(m_blocks[lastBlock].end - start.base), bytes);
            if (read != Recheck::Same)
                return read;
        }
        for (size_t b = firstBlock; b <= lastBlock; ++b) {
            const Block& block = m_blocks[b];
            const char* blockBytes = bytes.data() + (block.memory ? 0 : block.base - start.base);
            if (!block.memory && !BlockMatches(block, blockBytes))
                return Recheck::Changed;
            for (const RecordId blockEnd = std::min(last, block.first + block.count); id < blockEnd; ++id) {
                const LineBytes line = BytesOf(block, blockBytes, id);
                if (!visit(id, line.data, line.size, line.form))
                    return Recheck::Same;
            }
        }
    }
    return Recheck::Same;
}

Recheck RecordStore::ForEachLine(ByteSource& source, RecordId first, RecordId last,
                                 const LineVisitor& visit) const {
    std::wstring text;
    return ForEachLineBytes(source, first, last,
                            [&](RecordId id, const char* bytes, size_t size, TextForm form) {
                                text.clear();
                                DecodeText(bytes, size, form, text);
                                return visit(id, text);
                            });
}

} // namespace diagnose

void SortRecordRows(const diagnose::RecordStore& store, std::vector<diagnose::RecordId>& rows, int column,
                    bool ascending) {
    using diagnose::RecordId;
    if (column != 0 && column != 1)
        return; // every text is empty: all rows compare equal and keep their order
    const size_t n = rows.size();
    // Dates and processes are interned: equal texts are one object. Their ranks are found once
    // per distinct object.
    std::vector<const std::wstring*> texts(n);
    for (size_t i = 0; i < n; ++i)
        texts[i] = column == 0 ? &store.GetDate(rows[i]) : &store.GetProcess(rows[i]);
    std::vector<const std::wstring*> distinct(texts);
    std::sort(distinct.begin(), distinct.end());
    distinct.erase(std::unique(distinct.begin(), distinct.end()), distinct.end());
    std::vector<uint32_t> byText(distinct.size()), rank(distinct.size());
    std::iota(byText.begin(), byText.end(), 0u);
    std::sort(byText.begin(), byText.end(),
              [&](uint32_t a, uint32_t b) { return *distinct[a] < *distinct[b]; });
    for (uint32_t r = 0; r < byText.size(); ++r)
        rank[byText[r]] = r;

    struct Key {
        uint32_t rank;
        uint32_t inexact; // index into `times`, or none
        uint64_t time;
    };
    constexpr uint32_t kNone = 0xFFFFFFFFu;
    std::vector<Key> keys(n);
    std::vector<std::wstring> times;
    for (size_t i = 0; i < n; ++i) {
        keys[i].rank = rank[std::lower_bound(distinct.begin(), distinct.end(), texts[i]) - distinct.begin()];
        keys[i].time = column == 0 ? store.GetTimeKey(rows[i]) : 0;
        keys[i].inexact = kNone;
        if (keys[i].time == diagnose::kInexactTime) {
            keys[i].inexact = static_cast<uint32_t>(times.size());
            times.push_back(store.GetTime(rows[i]));
        }
    }
    auto timeText = [&](const Key& key) {
        if (key.inexact != kNone)
            return times[key.inexact];
        std::wstring text;
        diagnose::AppendTime(text, key.time);
        return text;
    };
    auto less = [&](const Key& a, const Key& b) {
        if (a.rank != b.rank)
            return a.rank < b.rank;
        if (a.inexact == kNone && b.inexact == kNone)
            return a.time < b.time;
        return timeText(a) < timeText(b);
    };
    std::vector<uint32_t> order(n);
    std::iota(order.begin(), order.end(), 0u);
    std::stable_sort(order.begin(), order.end(), [&](uint32_t a, uint32_t b) {
        return ascending ? less(keys[a], keys[b]) : less(keys[b], keys[a]);
    });
    std::vector<RecordId> sorted(n);
    for (size_t i = 0; i < n; ++i)
        sorted[i] = rows[order[i]];
    rows.swap(sorted);
}

size_t InsertSortedRow(const diagnose::RecordStore& store, std::vector<diagnose::RecordId>& rows,
                       diagnose::RecordId id, int column, bool ascending) {
    const std::wstring text = store.RowText(id, column);
    auto at = std::upper_bound(rows.begin(), rows.end(), text,
                               [&](const std::wstring& key, diagnose::RecordId row) {
                                   const std::wstring other = store.RowText(row, column);
                                   return ascending ? key < other : other < key;
                               });
    const auto row = static_cast<size_t>(at - rows.begin());
    rows.insert(at, id);
    return row;
}
