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
ZT_THIRTY_TWOS line_hash::Sums LineMasks::MarkInThirtyTwos(const char* s, size_t n, const WordMarks& marks) {
    const size_t steps = (n + 31) / 32;
    __m256i total = _mm256_setzero_si256();
    Carry carry;
    StepMarks low{};
    for (size_t k = 0; k < steps; ++k) {
        const size_t at = k * 32;
        StepMarks step;
        if (at + 32 <= n) {
            const __m256i bytes = Load(s + at);
            AddSteps(total, bytes, at);
            step = MarkStep(bytes);
        } else {
            const unsigned drop = static_cast<unsigned>(at + 32 - n);
            step = MarkStep(Load(s + n - 32));
            for (uint64_t* bits : {&step.quotes, &step.equals, &step.returns, &step.words, &step.spaces})
                *bits >>= drop;
        }
        if (k % 2 == 0)
            low = step;
        if (k % 2 == 1 || k + 1 == steps) {
            const StepMarks high = k % 2 == 1 ? step : StepMarks{};
            Keep(marks, k / 2, low.quotes | high.quotes << 32, low.equals | high.equals << 32,
                 low.returns | high.returns << 32, low.words | high.words << 32,
                 low.spaces | high.spaces << 32, carry);
        }
    }
    EndMarks(marks, (n + 63) / 64, carry);
    __m128i sums = _mm_add_epi64(_mm256_castsi256_si128(total), _mm256_extracti128_si256(total, 1));
    const size_t whole = n / 32 * 32;
    const auto sixteen = [s](size_t from) {
        return _mm_loadu_si128(reinterpret_cast<const __m128i*>(s + from));
    };
    if (n - whole >= 16)
        sums = line_hash::AddStep(sums, sixteen(whole), whole / 16);
    if (n % 16 != 0)
        sums = line_hash::AddStep(sums, sixteen(n - 16), n / 16);
    return line_hash::SumsOf(sums);
}

} // namespace diagnose

#endif
