// Where a line of bytes holds quotes, `="`, carriage returns, word units and three white-space
// units in a row, one bit per byte: the scan of a large log looks for these a dozen times per
// line, and one pass sixteen bytes at a time that marks them all costs less than the searches.
// The same pass takes the line's hash.
// Needs SSE2, which every build has; where the processor has 32-byte units (AVX2), the line is
// marked in those as far as it holds whole ones (LineMasks.cpp).
#pragma once

#if defined(__SSE2__)

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <vector>

#include "diagnose/LineHash.h"
#include "diagnose/LineScanner.h"

#include <emmintrin.h>

// Marks a function that only processors with 32-byte units run (AVX2): callers ask
// LineMasks::ThirtyTwosAvailable first.
#define ZT_THIRTY_TWOS __attribute__((target("avx2")))

namespace diagnose {

class LineMasks {
public:
    // Marks in the widest units the processor has, or in sixteen bytes when `wide` is false.
    explicit LineMasks(bool wide = true) : m_thirtyTwos(wide && ThirtyTwosAvailable()) {}

    // Whether the processor has 32-byte units (AVX2) and the system keeps them.
    static bool ThirtyTwosAvailable();

    // Marks the bytes [0, n) of `s`; the room grows to the longest line marked and is kept.
    void Mark(const char* s, size_t n) {
        m_text = s;
        m_size = n;
        const size_t words = (n + 63) / 64;
        if (m_quotes.size() < words) {
            for (std::vector<uint64_t>* bits : {&m_quotes, &m_openings, &m_returns, &m_words, &m_triples})
                bits->resize(words);
        }
        const WordMarks marks{m_quotes.data(), m_openings.data(), m_returns.data(), m_words.data(),
                              m_triples.data()};
        // A line of 32 bytes or more is marked in 32-byte steps to its end, the last step the 32
        // bytes that end it: in sixteen-byte steps, its last word took a third of its marking.
        if (m_thirtyTwos && n >= 32) {
            m_sums = MarkInThirtyTwos(s, n, marks);
            m_leadDates =
                static_cast<uint32_t>(Bits(DateBytes(_mm_loadu_si128(reinterpret_cast<const __m128i*>(s)))));
        } else {
            m_sums = MarkInSixteens(s, n, marks, m_leadDates);
        }
    }

    // HashLine of the line marked last, whose raw bytes, its line end included, are `raw`.
    uint32_t LineHash(const char* raw, size_t rawSize) const {
        return line_hash::FinishLine(m_sums, raw, m_size, rawSize);
    }

    // The first quote (`="`, carriage return) at or after `from`, or the line's length.
    size_t NextQuote(size_t from) const { return NextSet(m_quotes, from); }
    size_t NextOpening(size_t from) const { return NextSet(m_openings, from); }
    size_t NextReturn(size_t from) const { return NextSet(m_returns, from); }
    // The last place in [lo, hi] that starts three white-space units, or SIZE_MAX.
    size_t LastTriple(size_t lo, size_t hi) const { return LastSet(m_triples, lo, hi + 1, false); }
    // The start of the run of word units that ends at `end`, at `from` at the earliest.
    size_t WordRunStart(size_t from, size_t end) const {
        const size_t before = LastSet(m_words, from, end, true);
        return before == SIZE_MAX ? from : before + 1;
    }
    // Just after the last word unit of [from, end), or `from` when it holds none.
    size_t PastLastWord(size_t from, size_t end) const {
        if (end > from && IsWordAt(end - 1))
            return end; // most values end in a word unit: one bit, not a search
        const size_t last = LastSet(m_words, from, end, false);
        return last == SIZE_MAX ? from : last + 1;
    }

    // The first place at or after `from` that holds no unit of a date (digits, `.` and `/`), or
    // the line's length: a date stands at the start of the line, in its first sixteen bytes.
    size_t DateRunEnd(size_t from) const {
        if (from < 16) {
            const uint32_t others = ~m_leadDates & (0xFFFFu << from) & 0xFFFFu;
            if (others != 0)
                return std::min(m_size, static_cast<size_t>(__builtin_ctz(others)));
            from = 16;
        }
        while (from < m_size && UnitClasses<char>::IsDateChar(m_text[from]))
            ++from;
        return std::min(from, m_size);
    }

    bool IsWordAt(size_t at) const { return (m_words[at / 64] >> (at % 64) & 1) != 0; }

    // The attributes of a line whose quotes from `from` + 1 on pair up: each opens with `="` and
    // the quote after it closes without `=` before it (the last may stay open to the line's
    // end). There every pair is tried on its own: no match reaches into the next pair, and only
    // the first pair's name can reach back to where the search stands. Calls
    // `found(AttributeSpans)` for the matches, as ScanAttributesWith does, of the pairs whose
    // `=` at e `wanted(e)` accepts; false, having called nothing, when the quotes do not pair up.
    template <typename Wanted, typename Found>
    bool ScanPairs(size_t from, Wanted&& wanted, Found&& found) const {
        const size_t start = from + 1;
        if (start >= m_size)
            return true;
        const size_t words = (m_size + 63) / 64;
        size_t w = start / 64;
        // The quotes pair up when every quote that leaves an odd number of them up to itself
        // opens (holds `=` before it) and every other one does not: the parity of the quotes up
        // to each place, one word at a time, is what the openings must be at the quotes.
        size_t pairs[64];
        size_t opened = 0;
        uint64_t carry = 0; // all ones after an odd number of quotes
        for (uint64_t first = ~uint64_t(0) << (start % 64); w < words; ++w, first = ~uint64_t(0)) {
            const uint64_t quotes = m_quotes[w] & first;
            uint64_t parity = quotes;
            for (unsigned shift = 1; shift < 64; shift *= 2)
                parity ^= parity << shift;
            parity ^= carry;
            const uint64_t openings = m_openings[w] & first;
            if (((parity ^ openings) & quotes) != 0)
                return false;
            carry = uint64_t(0) - (parity >> 63);
            for (uint64_t left = openings; left != 0; left &= left - 1) {
                const size_t quote = w * 64 + static_cast<size_t>(__builtin_ctzll(left));
                if (wanted(quote - 1)) {
                    if (opened == 64)
                        return false; // more than a line of a log holds: the general scan
                    pairs[opened++] = quote;
                }
            }
        }
        for (size_t k = 0; k < opened; ++k) {
            const size_t quote = pairs[k], e = quote - 1;
            // Only the first pair's name may reach `from`, and a word that runs on before it
            // leaves the empty name at `=`, as the search from match to match decides.
            size_t nameBegin = WordRunStart(from, e);
            if (nameBegin == e && !(e > 0 && IsWordAt(e - 1)))
                continue; // an empty name with no word boundary before its `=`
            if (nameBegin < e && nameBegin == from && from > 0 && IsWordAt(from - 1))
                nameBegin = e;
            const size_t valueBegin = quote + 1;
            const size_t closing = NextQuote(valueBegin);
            const size_t valueEnd = PastLastWord(valueBegin, closing);
            if (valueEnd > valueBegin)
                found(AttributeSpans{nameBegin, e, valueBegin, valueEnd});
        }
        return true;
    }

private:
    // Where Mark puts the marks of each word, one bit a byte. Passed by reference: a copy was
    // built of narrow stores and read in wide loads that waited for them, a tenth of the scan.
    struct WordMarks {
        uint64_t *quotes, *openings, *returns, *words, *triples;
    };
    // What the marks of a word take from the word before.
    struct Carry {
        uint64_t equals = 0; // the `=` at the last place of the word before, as bit 0
        uint64_t spaces = 0; // the white space of the word before
    };
    // Keeps word `w`'s marks, given its `=` and white space too, and ends the word before it.
    static void Keep(const WordMarks& marks, size_t w, uint64_t quotes, uint64_t equals, uint64_t returns,
                     uint64_t wordUnits, uint64_t spaces, Carry& carry) {
        marks.quotes[w] = quotes;
        marks.openings[w] = quotes & (equals << 1 | carry.equals);
        marks.returns[w] = returns;
        marks.words[w] = wordUnits;
        if (w > 0)
            marks.triples[w - 1] = Triples(carry.spaces, spaces);
        carry = {equals >> 63, spaces};
    }
    // Ends the last of the `words` words kept.
    static void EndMarks(const WordMarks& marks, size_t words, const Carry& carry) {
        if (words > 0)
            marks.triples[words - 1] = Triples(carry.spaces, 0);
    }

    // The sixteen bytes at `at`: the sixteen that end the line where fewer are left (`skip` the
    // places before `at` among them), not read past its end; a line shorter than that, copied
    // and padded with zeros (none of the marks).
    static __m128i Block(const char* s, size_t n, size_t at, unsigned& skip) {
        skip = 0;
        if (at + 16 <= n)
            return _mm_loadu_si128(reinterpret_cast<const __m128i*>(s + at));
        if (n >= 16) {
            skip = static_cast<unsigned>(at + 16 - n);
            return _mm_loadu_si128(reinterpret_cast<const __m128i*>(s + n - 16));
        }
        char padded[16] = {};
        std::memcpy(padded, s, n);
        return _mm_loadu_si128(reinterpret_cast<const __m128i*>(padded));
    }

    // Marks the line sixteen bytes at a time, and the date units of its first sixteen bytes.
    static line_hash::Sums MarkInSixteens(const char* s, size_t n, const WordMarks& marks,
                                          uint32_t& leadDates) {
        __m128i total = _mm_setzero_si128();
        leadDates = 0;
        Carry carry;
        for (size_t w = 0; w * 64 < n; ++w) {
            uint64_t quotes = 0, returns = 0, wordUnits = 0, equals = 0, spaces = 0;
            for (size_t at = w * 64; at < n && at < w * 64 + 64; at += 16) {
                unsigned skip;
                const __m128i bytes = Block(s, n, at, skip);
                total = line_hash::AddStep(total, bytes, at / 16);
                if (at == 0)
                    leadDates = static_cast<uint32_t>(Bits(DateBytes(bytes)));
                const unsigned shift = static_cast<unsigned>(at % 64);
                const auto mark = [&](__m128i found) { return Bits(found) >> skip << shift; };
                quotes |= mark(_mm_cmpeq_epi8(bytes, _mm_set1_epi8('"')));
                equals |= mark(_mm_cmpeq_epi8(bytes, _mm_set1_epi8('=')));
                returns |= mark(_mm_cmpeq_epi8(bytes, _mm_set1_epi8('\r')));
                wordUnits |= mark(WordBytes(bytes));
                spaces |= mark(SpaceBytes(bytes));
            }
            Keep(marks, w, quotes, equals, returns, wordUnits, spaces, carry);
        }
        EndMarks(marks, (n + 63) / 64, carry);
        return line_hash::SumsOf(total);
    }
    // The same in 32-byte steps, of a line of 32 bytes at least.
    static line_hash::Sums MarkInThirtyTwos(const char* s, size_t n, const WordMarks& marks);

    static uint64_t Bits(__m128i marks) { return static_cast<uint16_t>(_mm_movemask_epi8(marks)); }
    // The places of a word that start three white-space units, given its white space and that
    // of the word after it.
    static uint64_t Triples(uint64_t spaces, uint64_t next) {
        return spaces & (spaces >> 1 | next << 63) & (spaces >> 2 | next << 62);
    }
    // Digits, `.` and `/`: the bytes 0x2E to 0x39.
    static __m128i DateBytes(__m128i bytes) {
        const __m128i offset = _mm_sub_epi8(bytes, _mm_set1_epi8('.'));
        return _mm_cmpeq_epi8(_mm_min_epu8(offset, _mm_set1_epi8(11)), offset);
    }
    // ASCII letters, digits and underscore; every byte from 0x80 on is none.
    static __m128i WordBytes(__m128i bytes) {
        const __m128i digit = _mm_sub_epi8(bytes, _mm_set1_epi8('0'));
        const __m128i isDigit = _mm_cmpeq_epi8(_mm_min_epu8(digit, _mm_set1_epi8(9)), digit);
        const __m128i letter = _mm_sub_epi8(_mm_or_si128(bytes, _mm_set1_epi8(0x20)), _mm_set1_epi8('a'));
        const __m128i isLetter = _mm_cmpeq_epi8(_mm_min_epu8(letter, _mm_set1_epi8(25)), letter);
        const __m128i isUnderscore = _mm_cmpeq_epi8(bytes, _mm_set1_epi8('_'));
        return _mm_or_si128(_mm_or_si128(isDigit, isLetter), isUnderscore);
    }
    // The first place at or after `from` whose bit is set, or the size (the bits past it are
    // clear).
    size_t NextSet(const std::vector<uint64_t>& bits, size_t from) const {
        if (from >= m_size)
            return m_size;
        size_t w = from / 64;
        uint64_t word = bits[w] & (~uint64_t(0) << (from % 64));
        const size_t words = (m_size + 63) / 64;
        while (word == 0) {
            if (++w == words)
                return m_size;
            word = bits[w];
        }
        return w * 64 + static_cast<size_t>(__builtin_ctzll(word));
    }
    // The last place of [from, end) whose bit is set (clear, when `inverted`), or SIZE_MAX.
    static size_t LastSet(const std::vector<uint64_t>& bits, size_t from, size_t end, bool inverted) {
        if (end <= from)
            return SIZE_MAX;
        const uint64_t flip = inverted ? ~uint64_t(0) : 0;
        size_t w = (end - 1) / 64;
        uint64_t word = (bits[w] ^ flip) & (~uint64_t(0) >> (63 - (end - 1) % 64));
        for (;;) {
            if (word != 0) {
                const size_t at = w * 64 + 63 - static_cast<size_t>(__builtin_clzll(word));
                return at >= from ? at : SIZE_MAX;
            }
            if (w == from / 64)
                return SIZE_MAX;
            word = bits[--w] ^ flip;
        }
    }

    bool m_thirtyTwos;
    const char* m_text = nullptr;
    size_t m_size = 0;
    uint32_t m_leadDates = 0; // the date units of the first sixteen bytes
    line_hash::Sums m_sums;
    std::vector<uint64_t> m_quotes, m_openings, m_returns, m_words, m_triples;
};

} // namespace diagnose

#endif
