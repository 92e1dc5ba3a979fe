// The hashes that tell whether the bytes of a line are still those that were indexed, and that
// number names and dates in a scan. They only have to notice a change, not resist an attacker.
//
// Sixteen bytes a step, each step's four 32-bit words offset by keys of their place and
// multiplied in pairs (0 and 1, 2 and 3) into two 64-bit sums: a multiplication of 32-bit
// numbers into 64 bits is one instruction on every processor we run on (two at once in SSE2),
// where a 64-bit one costs the 32-bit build three, and the products of the steps do not wait
// for one another. A change of one word changes its product unless its partner plus its key is
// 0 modulo 2^32. The last step is the sixteen bytes that end the text (overlapping the step
// before), or all of a shorter text padded with zeros; lines of a log differ from one another in
// a few bytes, so the sums are mixed fully at the end.
#pragma once

#include <cstddef>
#include <cstdint>
#include <cstring>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

namespace diagnose {

namespace line_hash {

constexpr size_t kKeyedSteps = 16; // keys repeat every 256 bytes

struct Keys {
    uint32_t words[kKeyedSteps * 4] = {};
    constexpr Keys() {
        uint64_t state = 0x9E3779B97F4A7C15ull; // splitmix64
        for (uint32_t& word : words) {
            state += 0x9E3779B97F4A7C15ull;
            uint64_t z = state;
            z = (z ^ (z >> 30)) * 0xBF58476D1CE4E5B9ull;
            z = (z ^ (z >> 27)) * 0x94D049BB133111EBull;
            word = static_cast<uint32_t>(z ^ (z >> 31));
        }
    }
};
inline constexpr Keys kKeys{};

inline const uint32_t* KeysOf(size_t step) {
    return kKeys.words + step % kKeyedSteps * 4;
}

struct Sums {
    uint64_t low = 0, high = 0;
};

// The step of sixteen bytes at `bytes`, the `step`-th of its text.
inline void AddStep(Sums& sums, const char* bytes, size_t step) {
    uint32_t w[4];
    std::memcpy(w, bytes, 16);
    const uint32_t* key = KeysOf(step);
    sums.low += uint64_t(w[0] + key[0]) * uint32_t(w[1] + key[1]);
    sums.high += uint64_t(w[2] + key[2]) * uint32_t(w[3] + key[3]);
}

#if defined(__SSE2__)
// The same on sums held as the two lanes of a vector.
inline __m128i AddStep(__m128i sums, __m128i bytes, size_t step) {
    const __m128i keyed =
        _mm_add_epi32(bytes, _mm_loadu_si128(reinterpret_cast<const __m128i*>(KeysOf(step))));
    // The even lanes times the odd ones moved down.
    return _mm_add_epi64(sums, _mm_mul_epu32(keyed, _mm_shuffle_epi32(keyed, _MM_SHUFFLE(3, 3, 1, 1))));
}
inline Sums SumsOf(__m128i sums) {
    alignas(16) uint64_t lanes[2];
    _mm_store_si128(reinterpret_cast<__m128i*>(lanes), sums);
    return {lanes[0], lanes[1]};
}
#endif

// The hash of `size` bytes whose steps gave `sums`.
uint32_t Finish(Sums sums, size_t size);
// The hash of a line of `rawSize` bytes whose first `textSize`, its text without the line end
// (TextUnits of bytes), gave `sums`.
uint32_t FinishLine(Sums sums, const char* raw, size_t textSize, size_t rawSize);

} // namespace line_hash

// The hash of any bytes, as a scan numbers names and dates and a probe checks a file's edges.
uint32_t HashBytes(const char* data, size_t size);
// The same, a 32-bit word at a time: what a build without SSE2 runs.
uint32_t HashBytesInWords(const char* data, size_t size);
// The hash of one line's raw bytes, its line end included: the hash of its text, which the scan
// of 8-bit text takes as it marks the line, and of its line end.
uint32_t HashLine(const char* raw, size_t size);
// A block's lines one after another.
inline uint32_t CombineHash(uint32_t blockHash, uint32_t lineHash) {
    return blockHash * 0x01000193u ^ lineHash;
}

} // namespace diagnose
