// The line feeds of 8-bit text found in 64-byte steps: in sixteen-byte units (SSE2), in 32-byte
// ones where the processor has them (AVX2, chosen at run time; only that function is compiled
// for them), or a word at a time without SSE2.
#include "diagnose/LineEnds.h"

#include "diagnose/LineScan.h"
#include "diagnose/LineScanner.h"

#if defined(__SSE2__)
#include "diagnose/LineMasks.h"

#include <immintrin.h>
#endif

namespace diagnose {

namespace {

// The line from `start` whose line feed (or the end of the text) is at `feed`; the next starts
// at `next`.
inline void AddLine(const char* raw, size_t start, size_t feed, size_t next, std::vector<LineSpan>& lines) {
    size_t units = feed - start;
    units -= units > 0 && raw[feed - 1] == '\r';
    LineSpan& span = lines.emplace_back(); // field by field: a braced span is built on the stack
    span.rawBegin = span.textBegin = start;
    span.rawEnd = next;
    span.textLength = units;
}

// The lines of the feeds in the mask of the 64 bytes at `at`; `start` is where the next begins.
inline void AddLines(const char* raw, size_t at, uint64_t feeds, size_t& start,
                     std::vector<LineSpan>& lines) {
    for (; feeds != 0; feeds &= feeds - 1) {
        const size_t feed = at + static_cast<size_t>(__builtin_ctzll(feeds));
        AddLine(raw, start, feed, feed + 1, lines);
        start = feed + 1;
    }
}

// The lines of what the 64-byte steps left: fewer than 64 bytes, and the last line.
void AddRest(const char* raw, size_t at, size_t end, size_t start, std::vector<LineSpan>& lines) {
    for (size_t feed = FindByte(raw, at, end, '\n'); feed < end; feed = FindByte(raw, feed + 1, end, '\n')) {
        AddLine(raw, start, feed, feed + 1, lines);
        start = feed + 1;
    }
    if (start < end)
        AddLine(raw, start, end, end, lines);
}

#if defined(__SSE2__)
void SplitInSixteens(const char* raw, size_t begin, size_t end, std::vector<LineSpan>& lines) {
    const __m128i feed = _mm_set1_epi8('\n');
    const auto feeds = [&](size_t at) {
        const __m128i bytes = _mm_loadu_si128(reinterpret_cast<const __m128i*>(raw + at));
        return uint64_t(static_cast<uint16_t>(_mm_movemask_epi8(_mm_cmpeq_epi8(bytes, feed))));
    };
    size_t at = begin, start = begin;
    for (; end - at >= 64; at += 64)
        AddLines(raw, at, feeds(at) | feeds(at + 16) << 16 | feeds(at + 32) << 32 | feeds(at + 48) << 48,
                 start, lines);
    AddRest(raw, at, end, start, lines);
}

ZT_THIRTY_TWOS inline uint64_t FeedsOf(const char* bytes) {
    const __m256i units = _mm256_loadu_si256(reinterpret_cast<const __m256i*>(bytes));
    return uint64_t(
        static_cast<uint32_t>(_mm256_movemask_epi8(_mm256_cmpeq_epi8(units, _mm256_set1_epi8('\n')))));
}

ZT_THIRTY_TWOS void SplitInThirtyTwos(const char* raw, size_t begin, size_t end,
                                      std::vector<LineSpan>& lines) {
    size_t at = begin, start = begin;
    for (; end - at >= 64; at += 64)
        AddLines(raw, at, FeedsOf(raw + at) | FeedsOf(raw + at + 32) << 32, start, lines);
    AddRest(raw, at, end, start, lines);
}
#endif

} // namespace

void SplitLines(const char* raw, size_t begin, size_t end, std::vector<LineSpan>& lines, bool wide) {
#if defined(__SSE2__)
    if (wide && LineMasks::ThirtyTwosAvailable())
        SplitInThirtyTwos(raw, begin, end, lines);
    else
        SplitInSixteens(raw, begin, end, lines);
#else
    (void)wide;
    AddRest(raw, begin, end, begin, lines);
#endif
}

} // namespace diagnose
