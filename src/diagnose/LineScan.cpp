// The line scan: lines into places, hashes, interned names and dates, and time keys.
#include "diagnose/LineScan.h"

#include "diagnose/LineEnds.h"
#include "diagnose/LineMasks.h"
#include "diagnose/LineScanner.h"
#include "diagnose/RecordStore.h"
#include "diagnose/TimeKey.h"

#include <algorithm>
#include <cstring>

namespace diagnose {

void AppendUnits(std::wstring& out, const char* s, size_t n, const TextDecoder& decoder) {
    if (decoder.form == TextForm::Utf8)
        AppendUtf8(out, s, n);
    else
        AppendAnsi(out, s, n, decoder.ansiTable.empty() ? Latin1Table() : decoder.ansiTable.data());
}

size_t UnitBytes(TextForm form) {
    return form == TextForm::Utf16 ? 2 : 1;
}

// Where the unit-aligned line feeds of raw text are, for any form.
size_t FindLineFeed(const char* raw, size_t from, size_t size, size_t unit) {
    if (unit == 1)
        return FindByte(raw, from, size, '\n');
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

namespace {

void AppendUnits(std::wstring& out, const char16_t* s, size_t n, const TextDecoder&) {
    AppendUtf16(out, s, n);
}

// The `n` bytes at `s`, 1 to 16 of them, as two words by loads of fixed size, which tell apart
// any two texts of the same length: names and dates are compared and hashed this way, where a
// comparison of a variable size is a call into the C runtime (under Wine, a slow one).
[[gnu::always_inline]] inline void ShortWords(const char* s, size_t n, uint64_t& first, uint64_t& last) {
    if (n >= 8) {
        std::memcpy(&first, s, 8);
        std::memcpy(&last, s + n - 8, 8);
    } else if (n >= 4) {
        uint32_t low, high;
        std::memcpy(&low, s, 4);
        std::memcpy(&high, s + n - 4, 4);
        first = low;
        last = high;
    } else {
        const auto byte = [s](size_t k) { return uint64_t(static_cast<uint8_t>(s[k])); };
        first = byte(0) | byte(n / 2) << 8 | byte(n - 1) << 16;
        last = 0;
    }
}

// Whether the `n` units at `a` and `b` are the same.
template <typename Unit>
[[gnu::always_inline]] inline bool SameUnits(const Unit* a, const Unit* b, size_t n) {
    if constexpr (sizeof(Unit) == 1) {
        if (n >= 1 && n <= 16) {
            uint64_t x[2], y[2];
            ShortWords(a, n, x[0], x[1]);
            ShortWords(b, n, y[0], y[1]);
            return ((x[0] ^ y[0]) | (x[1] ^ y[1])) == 0;
        }
    }
    return std::equal(a, a + n, b);
}

// A span's hash for the interner alone. Names of up to 16 bytes, most of them, are two words
// mixed by two multiplications: the line's hash, kept with each record, takes every byte in
// order, more than a table of a part's names needs.
template <typename Unit> uint32_t SpanHash(const Unit* s, size_t n) {
    if constexpr (sizeof(Unit) == 1) {
        if (n >= 1 && n <= 16) {
            uint64_t first, last;
            ShortWords(s, n, first, last);
            const uint64_t mixed = ((first * 0x9E3779B97F4A7C15u) ^ last ^ n) * 0xC2B2AE3D27D4EB4Fu;
            return static_cast<uint32_t>(mixed >> 32);
        }
    }
    return HashBytes(reinterpret_cast<const char*>(s), n * sizeof(Unit));
}

// Raw spans of one text interned without building a string per line: most lines of a log
// repeat a handful of hosts, processes and dates.
template <typename Unit> class SpanInterner {
public:
    explicit SpanInterner(const Unit* text) : m_text(text), m_slots(64) {}

    // The local number of the span [begin, end); `add` makes the number of a new one.
    template <typename Add> uint32_t Intern(size_t begin, size_t end, Add&& add) {
        const uint32_t hash = SpanHash(m_text + begin, end - begin);
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
                SameUnits(m_text + begin, m_text + slot.begin, end - begin))
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
    if constexpr (sizeof(Unit) == 1)
        return SameUnits(s + begin, literal, N - 1);
    for (size_t i = 0; i < N - 1; ++i)
        if (UnitClasses<Unit>::Code(s[begin + i]) != static_cast<unsigned char>(literal[i]))
            return false;
    return true;
}

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

// The last four bytes of a name as one little-endian number.
constexpr uint32_t NameEnd(const char (&end)[5]) {
    return uint32_t(uint8_t(end[0])) | uint32_t(uint8_t(end[1])) << 8 | uint32_t(uint8_t(end[2])) << 16 |
           uint32_t(uint8_t(end[3])) << 24;
}

// The longest line of bytes scanned through its marks.
constexpr size_t kMarkedLineBytes = 64 * 1024;

// The header and attributes of a line found unit by unit, and the hash of its raw bytes. Apart,
// so that the scan of bytes through their marks, which calls it only for long lines, stays
// small (in place, its instructions grew by a seventieth).
template <typename Unit, bool Utf8, typename Found>
[[gnu::noinline]] uint32_t ScanUnitByUnit(const Unit* line, size_t length, const char* raw, size_t rawSize,
                                          bool mayHoldLineFeeds, HeaderSpans& header, Found& found) {
    header = ScanHeader<Unit, Utf8>(line, length, mayHoldLineFeeds);
    ScanAttributes(line, length, header.end, found);
    return HashLine(raw, rawSize);
}

// Scans the lines of one part: `text` holds the units the spans of `lines` index.
template <typename Unit, bool Utf8>
void ScanLines(const Unit* text, const char* raw, const std::vector<LineSpan>& lines, bool mayHoldLineFeeds,
               const TextDecoder& decoder, PartScan& out) {
    SpanInterner<Unit> names(text), dates(text);
#if defined(__SSE2__)
    LineMasks masks;
#endif
    TripleTable triples;
    uint32_t lastTriple = 0;
    std::pair<size_t, size_t> lastDate{0, 0}; // where in `text`, and how long
    uint32_t lastDateId = 0;
    bool haveDate = false;
    out.lines.reserve(lines.size());
    for (const LineSpan& span : lines) {
        const Unit* line = text + span.textBegin;
        const size_t length = span.textLength;
        size_t host[2] = {}, process[2] = {}, traceClass[2] = {};
        bool hasHost = false, hasProcess = false, hasTraceClass = false;
        const auto attribute = [&](const AttributeSpans& a) {
            if (SpanIs(line, a.nameBegin, a.nameEnd, "Host"))
                hasHost = true, host[0] = a.valueBegin, host[1] = a.valueEnd;
            else if (SpanIs(line, a.nameBegin, a.nameEnd, "Process"))
                hasProcess = true, process[0] = a.valueBegin, process[1] = a.valueEnd;
            else if (SpanIs(line, a.nameBegin, a.nameEnd, "Traceclass"))
                hasTraceClass = true, traceClass[0] = a.valueBegin, traceClass[1] = a.valueEnd;
        };
        HeaderSpans header;
        const char* const rawLine = raw + span.rawBegin;
        const size_t rawSize = span.rawEnd - span.rawBegin;
        uint32_t hash = 0;
        bool marked = false;
#if defined(__SSE2__)
        if constexpr (sizeof(Unit) == 1) {
            // A longer line is scanned unit by unit: its marks would take five eighths of its size
            // beside it, 160 MiB for the longest line a 32-bit host keeps.
            marked = length <= kMarkedLineBytes;
            if (marked) {
                masks.Mark(line, length);
                hash = masks.LineHash(rawLine, rawSize);
                header = ScanHeaderWith(
                    line, length,
                    [&](size_t from) {
                        if constexpr (Utf8)
                            return FindLineBreak<Unit, Utf8>(line, from, length, mayHoldLineFeeds);
                        else
                            return mayHoldLineFeeds ? FindLineBreak<Unit, Utf8>(line, from, length, true)
                                                    : masks.NextReturn(from);
                    },
                    [&](size_t lo, size_t hi) { return masks.LastTriple(lo, hi); },
                    [&](size_t from) { return masks.DateRunEnd(from); });
                // Only the names that end as the three looked for are of use; the other pairs are
                // passed over when the quotes pair up, as they do in every line the suite writes.
                const auto wanted = [line](size_t e) {
                    if (e < 4)
                        return false;
                    uint32_t last;
                    std::memcpy(&last, line + e - 4, 4);
                    return last == NameEnd("Host") || last == NameEnd("cess") || last == NameEnd("lass");
                };
                if (!masks.ScanPairs(header.end, wanted, attribute))
                    ScanAttributesWith(line, length, header.end, masks, attribute);
            }
        }
#endif
        if (!marked)
            hash = ScanUnitByUnit<Unit, Utf8>(line, length, rawLine, rawSize, mayHoldLineFeeds, header,
                                              attribute);
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
              SameUnits(line + header.dateBegin, text + lastDate.first, dateLength))) {
            lastDateId = intern(dates, out.dates, header.dateBegin, header.dateEnd);
            lastDate = {span.textBegin + header.dateBegin, dateLength};
            haveDate = true;
        }
        const uint32_t date = lastDateId;
        bool whole = false;
        uint64_t time = PackTimeStart(line + header.timeBegin, header.timeEnd - header.timeBegin, whole);
        if (!whole)
            time |= kStartOnly; // its text is found again in the line when it is shown
        // Field by field into its place: the compiler builds a braced line on the stack and
        // copies it in wider loads than its stores, which wait for them (a twentieth of the scan).
        PartScan::Line& scanned = out.lines.emplace_back();
        scanned.start = span.rawBegin;
        scanned.end = span.rawEnd;
        scanned.hash = hash;
        scanned.triple = lastTriple;
        scanned.date = date;
        scanned.time = time;
    }
}

} // namespace

// Splits raw text [begin, end) into lines and scans them in the decoder's form.
void PartScan::Clear() {
    lines.clear();
    names.clear();
    dates.clear();
    triples.clear();
    clipped = false;
    seconds = 0;
    failure = nullptr;
    spans.clear();
}

void ScanPart(const char* raw, size_t begin, size_t end, const TextDecoder& decoder, PartScan& out) {
    const bool mayHoldLineFeeds = false;
    const size_t unit = UnitBytes(decoder.form);
    std::vector<LineSpan>& lines = out.spans;
    lines.clear();
    if (unit == 1) {
        SplitLines(raw, begin, end, lines);
    } else {
        for (size_t at = begin; at < end;) {
            const size_t lineFeed = FindLineFeed(raw, at, end, unit);
            const size_t next = lineFeed < end ? lineFeed + unit : end;
            lines.push_back({at, next, at / unit, TextUnits(raw, at, next, unit)});
            at = next;
        }
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

void ScanMemoryLine(std::u16string_view line, PartScan& out) {
    TextDecoder utf16;
    utf16.form = TextForm::Utf16;
    const std::vector<LineSpan> spans{{0, line.size() * 2, 0, line.size()}};
    ScanLines<char16_t, false>(line.data(), reinterpret_cast<const char*>(line.data()), spans, true, utf16,
                               out);
}

} // namespace diagnose
