// The line grammar of the diagnostic log, scanned in linear time: the header (date, time) and
// the name="value" attributes, with exactly the results of the two patterns
//   header     ([0-9\./]*)\s(.*)\s{3}     (first match only)
//   attribute  \b(\w*)="([^"]*)\b         (all matches, over the text after the header)
// run case-insensitively by a backtracking engine. Works on bytes, UTF-8 bytes, char16_t and
// wchar_t; no platform headers.
#pragma once

#include <cstddef>
#include <cstdint>
#include <cstring>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

namespace diagnose {

// The character classes the patterns use. White space is space, tab, LF, CR, VT and FF; word
// characters are ASCII letters, digits and underscore; everything else (all of non-ASCII) is
// neither. A line break ends `.`: LF, CR, and for wide text U+2028 and U+2029.
enum : uint8_t { kSpaceClass = 1, kWordClass = 2, kBreakClass = 4, kDateClass = 8 };

struct AsciiClassTable {
    uint8_t classes[256] = {};
    constexpr AsciiClassTable() {
        for (int c = 0; c < 128; ++c) {
            uint8_t k = 0;
            if (c == ' ' || (c >= 0x09 && c <= 0x0D))
                k |= kSpaceClass;
            if ((c >= '0' && c <= '9') || (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || c == '_')
                k |= kWordClass;
            if (c == '\n' || c == '\r')
                k |= kBreakClass;
            if ((c >= '0' && c <= '9') || c == '.' || c == '/')
                k |= kDateClass;
            classes[c] = k;
        }
    }
};
inline constexpr AsciiClassTable kAsciiClasses{};

template <typename Unit> struct UnitClasses {
    static constexpr uint32_t Code(Unit u) {
        if constexpr (sizeof(Unit) == 1)
            return static_cast<uint8_t>(u);
        else
            return static_cast<uint32_t>(u);
    }
    static constexpr uint8_t Of(Unit u) {
        const uint32_t c = Code(u);
        if constexpr (sizeof(Unit) == 1)
            return kAsciiClasses.classes[c];
        else
            return c < 256                        ? kAsciiClasses.classes[c]
                   : (c == 0x2028 || c == 0x2029) ? uint8_t(kBreakClass)
                                                  : uint8_t(0);
    }
    static constexpr bool IsSpace(Unit u) { return (Of(u) & kSpaceClass) != 0; }
    static constexpr bool IsWord(Unit u) { return (Of(u) & kWordClass) != 0; }
    static constexpr bool IsDateChar(Unit u) { return (Of(u) & kDateClass) != 0; }
};

// The first byte equal to `value` in [from, n), or n, a machine word of bytes a step. In a
// word, (x - ones) & ~x & highs marks the bytes of x that are zero, and may mark bytes above
// one through the borrow, never one below: the lowest mark is exact.
inline size_t FindByteInWords(const char* s, size_t from, size_t n, char value) {
    using Word = size_t;
    constexpr Word ones = ~Word(0) / 0xFF, highs = ones << 7;
    const Word pattern = ones * static_cast<uint8_t>(value);
    size_t i = from;
    for (; i + sizeof(Word) <= n; i += sizeof(Word)) {
        Word word;
        std::memcpy(&word, s + i, sizeof word);
        const Word x = word ^ pattern;
        if (const Word zero = (x - ones) & ~x & highs) {
            if constexpr (sizeof(Word) == 8)
                return i + (__builtin_ctzll(zero) >> 3);
            else
                return i + (__builtin_ctz(zero) >> 3);
        }
    }
    for (; i < n; ++i)
        if (s[i] == value)
            return i;
    return n;
}

#if defined(__SSE2__)
// The same sixteen bytes a step.
inline size_t FindByteInVectors(const char* s, size_t from, size_t n, char value) {
    const __m128i pattern = _mm_set1_epi8(value);
    size_t i = from;
    for (; i + 16 <= n; i += 16) {
        const __m128i block = _mm_loadu_si128(reinterpret_cast<const __m128i*>(s + i));
        if (const int found = _mm_movemask_epi8(_mm_cmpeq_epi8(block, pattern)))
            return i + __builtin_ctz(static_cast<unsigned>(found));
    }
    for (; i < n; ++i)
        if (s[i] == value)
            return i;
    return n;
}
#endif

// The first byte equal to `value` in [from, n), or n; inline, as most searches of a line end
// within a few dozen bytes, and the C runtime's memchr under Wine looks at one byte a step.
// Every build has SSE2; the word-by-word search is for a compiler without it.
inline size_t FindByte(const char* s, size_t from, size_t n, char value) {
#if defined(__SSE2__)
    return FindByteInVectors(s, from, n, value);
#else
    return FindByteInWords(s, from, n, value);
#endif
}

// The first unit equal to `value` in [from, n), or n.
template <typename Unit> inline size_t FindUnit(const Unit* s, size_t from, size_t n, char value) {
    if (from >= n)
        return n;
    if constexpr (sizeof(Unit) == 1) {
        return FindByte(reinterpret_cast<const char*>(s), from, n, value);
    } else {
        for (size_t i = from; i < n; ++i)
            if (s[i] == static_cast<Unit>(value))
                return i;
        return n;
    }
}

// The first U+2028 or U+2029 of UTF-8 text in [from, n), spelt E2 80 A8 and E2 80 A9, or n: the
// lead byte is searched for as any byte is, so that UTF-8 scans about as fast as 8-bit text.
inline size_t FindUtf8Separator(const char* s, size_t from, size_t n) {
    for (size_t at = FindByte(s, from, n, '\xE2'); at < n; at = FindByte(s, at + 1, n, '\xE2'))
        if (at + 2 < n && static_cast<uint8_t>(s[at + 1]) == 0x80 &&
            (static_cast<uint8_t>(s[at + 2]) | 1) == 0xA9)
            return at;
    return n;
}

// The first line break at or after `from`, or n. 8-bit text of a single-byte code page has only
// CR and LF; UTF-8 has U+2028 and U+2029 too.
template <typename Unit, bool Utf8>
inline size_t FindLineBreak(const Unit* s, size_t from, size_t n, bool mayHoldLineFeeds) {
    if constexpr (sizeof(Unit) == 1) {
        const size_t cr = FindUnit(s, from, n, '\r');
        const size_t end = mayHoldLineFeeds ? FindUnit(s, from, cr, '\n') : cr;
        if constexpr (Utf8)
            return FindUtf8Separator(reinterpret_cast<const char*>(s), from, end);
        return end;
    } else {
        using C = UnitClasses<Unit>;
        (void)mayHoldLineFeeds;
        for (size_t i = from; i < n; ++i)
            if (C::Of(s[i]) & kBreakClass)
                return i;
        return n;
    }
}

#if defined(__SSE2__)
// Which of sixteen bytes are white space (space, or 9 to 13): all ones in those.
inline __m128i SpaceBytes(__m128i bytes) {
    const __m128i controls = _mm_sub_epi8(bytes, _mm_set1_epi8(9));
    const __m128i isControl = _mm_cmpeq_epi8(_mm_min_epu8(controls, _mm_set1_epi8(4)), controls);
    return _mm_or_si128(isControl, _mm_cmpeq_epi8(bytes, _mm_set1_epi8(' ')));
}
// The same of the sixteen bytes at `p`, one bit each.
inline unsigned SpaceMask(const char* p) {
    const __m128i bytes = _mm_loadu_si128(reinterpret_cast<const __m128i*>(p));
    return static_cast<unsigned>(_mm_movemask_epi8(SpaceBytes(bytes)));
}
#endif

// The greatest t in [lo, hi] with white space at t, t + 1 and t + 2 (all below the end of the
// text, which the caller ensures through hi); SIZE_MAX when there is none. Searching down and
// testing s[t] first skips three places at every other unit.
template <typename Unit> inline size_t LastSpaceTriple(const Unit* s, size_t lo, size_t hi) {
    using C = UnitClasses<Unit>;
    size_t t = hi;
#if defined(__SSE2__)
    if constexpr (sizeof(Unit) == 1) {
        // Sixteen places at a time: bit i of the masks at k, k + 1 and k + 2 together says that
        // k + i starts three white-space units. The loads reach t + 2, within the text.
        const char* bytes = reinterpret_cast<const char*>(s);
        for (; t != SIZE_MAX && t >= lo + 15; t -= 16) {
            const size_t k = t - 15;
            const unsigned triples =
                SpaceMask(bytes + k) & SpaceMask(bytes + k + 1) & SpaceMask(bytes + k + 2);
            if (triples)
                return k + 31 - static_cast<size_t>(__builtin_clz(triples));
        }
    }
#endif
    for (;;) {
        if (t < lo || t == SIZE_MAX)
            return SIZE_MAX;
        if (!C::IsSpace(s[t])) {
            if (t < lo + 3)
                return SIZE_MAX;
            t -= 3;
        } else if (!C::IsSpace(s[t + 1])) {
            if (t < lo + 2)
                return SIZE_MAX;
            t -= 2;
        } else if (!C::IsSpace(s[t + 2])) {
            if (t < lo + 1)
                return SIZE_MAX;
            t -= 1;
        } else {
            return t;
        }
    }
}

// The header of one line, as offsets into it. Without a header every field is 0.
struct HeaderSpans {
    bool found = false;
    size_t dateBegin = 0, dateEnd = 0;
    size_t timeBegin = 0, timeEnd = 0;
    // Where the attribute search starts: the end of the header match, 0 without one.
    size_t end = 0;
};

// The leftmost match of the header pattern. For a start p, the date run [p, r) of digits,
// dots and slashes can only be taken whole (the next unit must be white space, which no date
// unit is), so every start maps to one q = r + 1. From q, the greedy `(.*)` backtracks to the
// last place t with three white-space units at t that lies before or on the first line break
// L at or after q. All q within one line-break-free segment share L, so a segment that has no
// such t is searched once and rejected for every later q inside it: linear time.
// A caller that split its text at line feeds says so, and the search for them is skipped.
// `nextBreak(from)` answers the first line break at or after `from` (FindLineBreak),
// `lastTriple(lo, hi)` the last three white-space units starting in [lo, hi] (LastSpaceTriple),
// `dateRunEnd(from)` the first unit at or after `from` that is none of a date, or n.
template <typename Unit, typename NextBreak, typename LastTriple, typename DateRunEnd>
HeaderSpans ScanHeaderWith(const Unit* s, size_t n, NextBreak&& nextBreak, LastTriple&& lastTriple,
                           DateRunEnd&& dateRunEnd) {
    using C = UnitClasses<Unit>;
    HeaderSpans header;
    if (n < 4)
        return header;       // one unit, the blank, and three white-space units at the least
    size_t rejectedUpTo = 0; // every q below this is known to fail
    size_t p = 0;
    while (p < n) {
        const size_t r = dateRunEnd(p);
        if (r < n && C::IsSpace(s[r])) {
            const size_t q = r + 1;
            if (q >= rejectedUpTo) {
                const size_t lineBreak = nextBreak(q);
                const size_t hi = lineBreak < n - 3 ? lineBreak : n - 3;
                const size_t last = q <= hi ? lastTriple(q, hi) : SIZE_MAX;
                if (last != SIZE_MAX) {
                    header.found = true;
                    header.dateBegin = p;
                    header.dateEnd = r;
                    header.timeBegin = q;
                    header.timeEnd = last;
                    header.end = last + 3;
                    return header;
                }
                rejectedUpTo = lineBreak + 1;
            }
        }
        p = r > p ? r : p + 1;
    }
    return header;
}

template <typename Unit, bool Utf8 = false>
HeaderSpans ScanHeader(const Unit* s, size_t n, bool mayHoldLineFeeds = true) {
    return ScanHeaderWith(
        s, n, [&](size_t from) { return FindLineBreak<Unit, Utf8>(s, from, n, mayHoldLineFeeds); },
        [&](size_t lo, size_t hi) { return LastSpaceTriple(s, lo, hi); },
        [&](size_t from) {
            while (from < n && UnitClasses<Unit>::IsDateChar(s[from]))
                ++from;
            return from;
        });
}

// One attribute match, as offsets into the scanned text.
struct AttributeSpans {
    size_t nameBegin, nameEnd;
    size_t valueBegin, valueEnd;
};

// Calls `found(AttributeSpans)` for every match of the attribute pattern in [from, n), left to
// right, each search starting where the previous match ended. Word boundaries look at the
// whole text s[0..n), as the engine sees the text it is given.
//
// Every match holds `="` at some e: the name is the word run that ends at e (it cannot end
// earlier, as `=` is no word unit), or empty when e itself is a word boundary. The value is
// the run of non-quote units from e + 2 up to its last word unit: `\b` after `[^"]*` backtracks
// to the last word/non-word change, and with none the attempt fails and the search moves on.
//
// `search` finds the quotes, the `="` and the word runs (UnitSearch; LineMasks for bytes).
template <typename Unit, typename Search, typename Found>
void ScanAttributesWith(const Unit* s, size_t n, size_t from, const Search& search, Found&& found) {
    using C = UnitClasses<Unit>;
    size_t pos = from;
    size_t quote = from + 1; // where to look for the quote of the next `="`
    for (;;) {
        quote = search.NextOpening(quote);
        if (quote >= n)
            return;
        if (quote - 1 < pos) {
            ++quote;
            continue;
        }
        const size_t e = quote - 1;
        size_t nameBegin = search.WordRunStart(pos, e);
        bool startOk;
        if (nameBegin < e) {
            // A word run that reaches back to the search start continues before it when the
            // unit there is a word unit; then no start inside the run has a boundary.
            startOk = nameBegin > pos || nameBegin == 0 || !C::IsWord(s[nameBegin - 1]);
            if (!startOk) {
                nameBegin = e; // the empty name at `=` still has a boundary before it
                startOk = true;
            }
        } else {
            startOk = e > 0 && C::IsWord(s[e - 1]);
        }
        if (startOk) {
            const size_t valueBegin = e + 2;
            const size_t closing = search.NextQuote(valueBegin);
            const size_t valueEnd = search.PastLastWord(valueBegin, closing);
            if (valueEnd > valueBegin) {
                found(AttributeSpans{nameBegin, e, valueBegin, valueEnd});
                pos = valueEnd;
                // No quote lies between the value and its closing quote: look there first.
                quote = closing;
                continue;
            }
        }
        ++quote;
    }
}

// The searches of ScanAttributes one unit after another.
template <typename Unit> struct UnitSearch {
    using C = UnitClasses<Unit>;
    const Unit* s;
    size_t n;
    size_t NextQuote(size_t from) const { return FindUnit(s, from, n, '"'); }
    // The first quote at or after `from` (at least 1) with `=` before it.
    size_t NextOpening(size_t from) const {
        for (size_t quote = NextQuote(from);; quote = NextQuote(quote + 1))
            if (quote >= n || C::Code(s[quote - 1]) == '=')
                return quote;
    }
    size_t WordRunStart(size_t from, size_t end) const {
        while (end > from && C::IsWord(s[end - 1]))
            --end;
        return end;
    }
    size_t PastLastWord(size_t from, size_t end) const {
        while (end > from && !C::IsWord(s[end - 1]))
            --end;
        return end;
    }
};

template <typename Unit, typename Found>
void ScanAttributes(const Unit* s, size_t n, size_t from, Found&& found) {
    ScanAttributesWith(s, n, from, UnitSearch<Unit>{s, n}, found);
}

// A leading signed decimal number as the record reads one: white space skipped, an optional
// sign, the digits up to the first other unit; no digits give 0; beyond the 32-bit range the
// nearest limit.
template <typename Unit> int32_t ReadDecimal(const Unit* s, size_t n) {
    using C = UnitClasses<Unit>;
    if (n == 1 && C::Code(s[0]) - '0' <= 9u)
        return static_cast<int32_t>(C::Code(s[0]) - '0'); // a trace class, most of them
    size_t i = 0;
    while (i < n && C::IsSpace(s[i]))
        ++i;
    bool negative = false;
    if (i < n && (C::Code(s[i]) == '-' || C::Code(s[i]) == '+')) {
        negative = C::Code(s[i]) == '-';
        ++i;
    }
    int64_t value = 0;
    const int64_t limit = negative ? 2147483648LL : 2147483647LL;
    bool saturated = false;
    for (; i < n && C::Code(s[i]) >= '0' && C::Code(s[i]) <= '9'; ++i) {
        if (!saturated) {
            value = value * 10 + (C::Code(s[i]) - '0');
            if (value >= limit) {
                value = limit;
                saturated = true;
            }
        }
    }
    return static_cast<int32_t>(negative ? -value : value);
}

} // namespace diagnose
