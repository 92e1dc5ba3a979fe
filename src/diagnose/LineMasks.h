// Where a line of bytes holds quotes, `="`, carriage returns, word units and three white-space
// units in a row, one bit per byte: the scan of a large log looks for these a dozen times per
// line, and one pass sixteen bytes at a time that marks them all costs less than the searches.
// Needs SSE2 (the 64-bit builds and the native one); the 32-bit build keeps the searches of
// LineScanner.h.
#pragma once

#if defined(__SSE2__)

#include <cstddef>
#include <cstdint>
#include <cstring>
#include <vector>

#include "diagnose/LineScanner.h"

#include <emmintrin.h>

namespace diagnose {

class LineMasks {
public:
    // Marks the bytes [0, n) of `s`; the room grows to the longest line marked and is kept.
    void Mark(const char* s, size_t n) {
        m_size = n;
        const size_t words = (n + 63) / 64;
        if (m_quotes.size() < words) {
            for (std::vector<uint64_t>* bits : {&m_quotes, &m_openings, &m_returns, &m_words, &m_triples})
                bits->resize(words);
        }
        uint64_t equalsBefore = 0; // the `=` at the last place of the word before, as bit 0
        uint64_t spacesBefore = 0; // the white space of the word before
        for (size_t w = 0; w < words; ++w) {
            uint64_t quotes = 0, returns = 0, wordUnits = 0, equals = 0, spaces = 0;
            for (size_t k = 0; k < 4; ++k) {
                const size_t at = w * 64 + k * 16;
                if (at >= n)
                    break;
                // The last bytes are marked in the sixteen that end the line, not read past
                // its end; a line shorter than that is copied, padded with zeros (none of
                // these).
                const char* block = s + at;
                unsigned skip = 0;
                char padded[16] = {};
                if (at + 16 > n) {
                    if (n >= 16) {
                        skip = static_cast<unsigned>(at + 16 - n);
                        block = s + n - 16;
                    } else {
                        std::memcpy(padded, s, n);
                        block = padded;
                    }
                }
                const __m128i bytes = _mm_loadu_si128(reinterpret_cast<const __m128i*>(block));
                const unsigned shift = static_cast<unsigned>(k * 16);
                const auto mark = [&](__m128i found) { return Bits(found) >> skip << shift; };
                quotes |= mark(_mm_cmpeq_epi8(bytes, _mm_set1_epi8('"')));
                equals |= mark(_mm_cmpeq_epi8(bytes, _mm_set1_epi8('=')));
                returns |= mark(_mm_cmpeq_epi8(bytes, _mm_set1_epi8('\r')));
                wordUnits |= mark(WordBytes(bytes));
                spaces |= mark(SpaceBytes(bytes));
            }
            m_quotes[w] = quotes;
            m_openings[w] = quotes & (equals << 1 | equalsBefore);
            m_returns[w] = returns;
            m_words[w] = wordUnits;
            equalsBefore = equals >> 63;
            if (w > 0)
                m_triples[w - 1] = Triples(spacesBefore, spaces);
            spacesBefore = spaces;
        }
        if (words > 0)
            m_triples[words - 1] = Triples(spacesBefore, 0);
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
        const size_t last = LastSet(m_words, from, end, false);
        return last == SIZE_MAX ? from : last + 1;
    }

private:
    static uint64_t Bits(__m128i marks) { return static_cast<uint16_t>(_mm_movemask_epi8(marks)); }
    // The places of a word that start three white-space units, given its white space and that
    // of the word after it.
    static uint64_t Triples(uint64_t spaces, uint64_t next) {
        return spaces & (spaces >> 1 | next << 63) & (spaces >> 2 | next << 62);
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

    size_t m_size = 0;
    std::vector<uint64_t> m_quotes, m_openings, m_returns, m_words, m_triples;
};

} // namespace diagnose

#endif
