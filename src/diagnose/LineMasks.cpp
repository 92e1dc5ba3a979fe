// The marks of a line's whole 32-byte steps in 32-byte units, for processors that have them (AVX2). Only
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

// The marks of one 32-byte step, one bit a byte.
struct StepMarks {
    uint64_t quotes, equals, returns, words, spaces;
};
ZT_THIRTY_TWOS inline StepMarks MarkStep(__m256i bytes) {
    const __m256i isWord = _mm256_or_si256(
        _mm256_or_si256(Within(_mm256_sub_epi8(bytes, Set('0')), 9),
                        Within(_mm256_sub_epi8(_mm256_or_si256(bytes, Set(0x20)), Set('a')), 25)),
        _mm256_cmpeq_epi8(bytes, Set('_')));
    const __m256i isSpace =
        _mm256_or_si256(Within(_mm256_sub_epi8(bytes, Set(9)), 4), _mm256_cmpeq_epi8(bytes, Set(' ')));
    return {BitsOf(_mm256_cmpeq_epi8(bytes, Set('"'))), BitsOf(_mm256_cmpeq_epi8(bytes, Set('='))),
            BitsOf(_mm256_cmpeq_epi8(bytes, Set('\r'))), BitsOf(isWord), BitsOf(isSpace)};
}
ZT_THIRTY_TWOS inline __m256i Load(const char* s) {
    return _mm256_loadu_si256(reinterpret_cast<const __m256i*>(s));
}
// The hash steps of the 32 bytes at `at`, added to `total`.
ZT_THIRTY_TWOS inline void AddSteps(__m256i& total, __m256i bytes, size_t at) {
    const __m256i keyed =
        _mm256_add_epi32(bytes, Load(reinterpret_cast<const char*>(line_hash::KeysOf(at / 16))));
    total = _mm256_add_epi64(total,
                             _mm256_mul_epu32(keyed, _mm256_shuffle_epi32(keyed, _MM_SHUFFLE(3, 3, 1, 1))));
}

} // namespace

// As MarkInSixteens does, and with the same hash steps: keys and products of the two steps of
// 32 bytes in the two halves, added lane to lane at the end. The last step is the 32 bytes that
// end the line, of which the places marked already are dropped; the hash takes its steps of
// sixteen bytes, as SumsOfText does.
ZT_THIRTY_TWOS line_hash::Sums LineMasks::MarkInThirtyTwos(const char* s, size_t n, WordMarks marks) {
    const size_t steps = n / 32;
    __m256i total = _mm256_setzero_si256();
    for (size_t w = 0; w * 2 < steps; ++w) {
        const __m256i lowBytes = Load(s + w * 64);
        AddSteps(total, lowBytes, w * 64);
        const StepMarks low = MarkStep(lowBytes);
        StepMarks high{};
        if (w * 2 + 1 < steps) {
            const __m256i highBytes = Load(s + w * 64 + 32);
            AddSteps(total, highBytes, w * 64 + 32);
            high = MarkStep(highBytes);
        }
        marks.quotes[w] = low.quotes | high.quotes << 32;
        marks.equals[w] = low.equals | high.equals << 32;
        marks.returns[w] = low.returns | high.returns << 32;
        marks.words[w] = low.words | high.words << 32;
        marks.spaces[w] = low.spaces | high.spaces << 32;
    }
    __m128i sums = _mm_add_epi64(_mm256_castsi256_si128(total), _mm256_extracti128_si256(total, 1));
    if (const size_t rest = n % 32; rest != 0) {
        const size_t at = steps * 32, w = at / 64;
        const unsigned drop = static_cast<unsigned>(32 - rest), shift = static_cast<unsigned>(at % 64);
        const StepMarks last = MarkStep(Load(s + n - 32));
        // A step that starts a word has no marks there yet; one that ends it adds to its first half.
        const uint64_t keep = shift == 0 ? 0 : ~uint64_t(0);
        marks.quotes[w] = (marks.quotes[w] & keep) | last.quotes >> drop << shift;
        marks.equals[w] = (marks.equals[w] & keep) | last.equals >> drop << shift;
        marks.returns[w] = (marks.returns[w] & keep) | last.returns >> drop << shift;
        marks.words[w] = (marks.words[w] & keep) | last.words >> drop << shift;
        marks.spaces[w] = (marks.spaces[w] & keep) | last.spaces >> drop << shift;
        const auto sixteen = [s](size_t from) {
            return _mm_loadu_si128(reinterpret_cast<const __m128i*>(s + from));
        };
        if (rest >= 16)
            sums = line_hash::AddStep(sums, sixteen(at), at / 16);
        if (n % 16 != 0)
            sums = line_hash::AddStep(sums, sixteen(n - 16), n / 16);
    }
    return line_hash::SumsOf(sums);
}

} // namespace diagnose

#endif
