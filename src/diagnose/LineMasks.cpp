// The marks of whole 64-byte words in 32-byte units, for processors that have them (AVX2). Only
// the function that needs them is compiled for them: no code shared with other files is, so
// none that a processor without them might run.
#include "diagnose/LineMasks.h"

#if defined(__SSE2__)

#include <immintrin.h>

namespace diagnose {

bool LineMasks::ThirtyTwosAvailable() {
    // The compiler's runtime looked at the processor as the module started: the check sees both
    // the processor's units and whether the system keeps their registers.
    static const bool available = __builtin_cpu_supports("avx2") != 0;
    return available;
}

// What only the processors with 32-byte units run.
#define ZT_THIRTY_TWOS __attribute__((target("avx2")))

namespace {

ZT_THIRTY_TWOS inline uint64_t BitsOf(__m256i marks) {
    return static_cast<uint32_t>(_mm256_movemask_epi8(marks));
}
ZT_THIRTY_TWOS inline __m256i Set(char c) {
    return _mm256_set1_epi8(c);
}
// The bytes whose `offset` (their value less the first of a range) is at most `last`.
ZT_THIRTY_TWOS inline __m256i Within(__m256i offset, char last) {
    return _mm256_cmpeq_epi8(_mm256_min_epu8(offset, Set(last)), offset);
}

} // namespace

// As MarkInSixteens does for its words, and with the same hash steps: keys and products of the
// two steps of 32 bytes in the two halves, added lane to lane at the end.
ZT_THIRTY_TWOS line_hash::Sums LineMasks::MarkWordsInThirtyTwos(const char* s, size_t words,
                                                                WordMarks marks) {
    __m256i total = _mm256_setzero_si256();
    for (size_t w = 0; w < words; ++w) {
        uint64_t quotes = 0, equals = 0, returns = 0, wordUnits = 0, spaces = 0;
        for (size_t half = 0; half < 2; ++half) {
            const size_t at = w * 64 + half * 32;
            const __m256i bytes = _mm256_loadu_si256(reinterpret_cast<const __m256i*>(s + at));
            const __m256i keyed = _mm256_add_epi32(
                bytes, _mm256_loadu_si256(reinterpret_cast<const __m256i*>(line_hash::KeysOf(at / 16))));
            total = _mm256_add_epi64(
                total, _mm256_mul_epu32(keyed, _mm256_shuffle_epi32(keyed, _MM_SHUFFLE(3, 3, 1, 1))));
            const unsigned shift = static_cast<unsigned>(half * 32);
            quotes |= BitsOf(_mm256_cmpeq_epi8(bytes, Set('"'))) << shift;
            equals |= BitsOf(_mm256_cmpeq_epi8(bytes, Set('='))) << shift;
            returns |= BitsOf(_mm256_cmpeq_epi8(bytes, Set('\r'))) << shift;
            const __m256i isWord = _mm256_or_si256(
                _mm256_or_si256(Within(_mm256_sub_epi8(bytes, Set('0')), 9),
                                Within(_mm256_sub_epi8(_mm256_or_si256(bytes, Set(0x20)), Set('a')), 25)),
                _mm256_cmpeq_epi8(bytes, Set('_')));
            wordUnits |= BitsOf(isWord) << shift;
            const __m256i isSpace = _mm256_or_si256(Within(_mm256_sub_epi8(bytes, Set(9)), 4),
                                                    _mm256_cmpeq_epi8(bytes, Set(' ')));
            spaces |= BitsOf(isSpace) << shift;
        }
        marks.quotes[w] = quotes;
        marks.equals[w] = equals;
        marks.returns[w] = returns;
        marks.words[w] = wordUnits;
        marks.spaces[w] = spaces;
    }
    return line_hash::SumsOf(
        _mm_add_epi64(_mm256_castsi256_si128(total), _mm256_extracti128_si256(total, 1)));
}

} // namespace diagnose

#endif
