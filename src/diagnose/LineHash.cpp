// The line hashes: the steps of a text, and what ends a hash.
#include "diagnose/LineHash.h"

#include "diagnose/LineScan.h"

namespace diagnose {
namespace line_hash {
namespace {

uint64_t Load8(const char* p) {
    uint64_t word;
    std::memcpy(&word, p, 8);
    return word;
}

// The `n` (below 8) bytes at `p` as a little-endian number, by loads of fixed size: a copy of a
// variable size is a call into the C runtime, which under Wine moves the last bytes one at a
// time, and a scan hashes three texts per line.
uint64_t LoadShort(const char* p, size_t n) {
    if (n >= 4) {
        uint32_t low, high;
        std::memcpy(&low, p, 4);
        std::memcpy(&high, p + n - 4, 4); // overlaps `low` unless n is 8
        return low | (uint64_t(high) >> (8 * (8 - n)) << 32);
    }
    if (n == 0)
        return 0;
    const auto byte = [p](size_t k) { return uint64_t(static_cast<uint8_t>(p[k])) << (8 * k); };
    return byte(0) | byte(n / 2) | byte(n - 1);
}

// A text shorter than a step, padded with zeros, as two little-endian words.
void LoadPadded(const char* p, size_t n, uint64_t (&words)[2]) {
    words[0] = n >= 8 ? Load8(p) : LoadShort(p, n);
    words[1] = n > 8 ? LoadShort(p + 8, n - 8) : 0;
}

Sums SumsInWords(const char* data, size_t size) {
    Sums sums;
    const size_t steps = size / 16;
    for (size_t k = 0; k < steps; ++k)
        AddStep(sums, data + k * 16, k);
    if (size % 16 != 0) {
        if (size >= 16) {
            AddStep(sums, data + size - 16, steps);
        } else {
            uint64_t words[2];
            LoadPadded(data, size, words);
            char padded[16];
            std::memcpy(padded, words, 16);
            AddStep(sums, padded, 0);
        }
    }
    return sums;
}

Sums SumsOfText(const char* data, size_t size) {
#if defined(__SSE2__)
    const auto load = [data](size_t at) {
        return _mm_loadu_si128(reinterpret_cast<const __m128i*>(data + at));
    };
    __m128i sums = _mm_setzero_si128();
    const size_t steps = size / 16;
    for (size_t k = 0; k < steps; ++k)
        sums = AddStep(sums, load(k * 16), k);
    if (size % 16 != 0) {
        if (size >= 16) {
            sums = AddStep(sums, load(size - 16), steps);
        } else {
            // From registers: two stores and a wider load of them would wait for the stores.
            uint64_t words[2];
            LoadPadded(data, size, words);
            sums = AddStep(
                sums, _mm_set_epi64x(static_cast<long long>(words[1]), static_cast<long long>(words[0])), 0);
        }
    }
    return SumsOf(sums);
#else
    return SumsInWords(data, size);
#endif
}

} // namespace

uint32_t Finish(Sums sums, size_t size) {
    uint64_t h = sums.low ^ (sums.high << 32 | sums.high >> 32) ^ uint64_t(size) * 0x9E3779B97F4A7C15ull;
    h ^= h >> 29;
    h *= 0xBF58476D1CE4E5B9ull;
    h ^= h >> 32;
    return static_cast<uint32_t>(h);
}

uint32_t FinishLine(Sums sums, const char* raw, size_t textSize, size_t rawSize) {
    uint64_t end = rawSize - textSize; // CR, LF, both or neither: at most two bytes
    for (size_t i = textSize; i < rawSize; ++i)
        end = end << 8 | static_cast<uint8_t>(raw[i]);
    sums.low ^= end << 40;
    return Finish(sums, rawSize);
}

} // namespace line_hash

uint32_t HashBytes(const char* data, size_t size) {
    return line_hash::Finish(line_hash::SumsOfText(data, size), size);
}

uint32_t HashBytesInWords(const char* data, size_t size) {
    return line_hash::Finish(line_hash::SumsInWords(data, size), size);
}

uint32_t HashLine(const char* raw, size_t size) {
    const size_t text = TextUnits(raw, 0, size, 1);
    return line_hash::FinishLine(line_hash::SumsOfText(raw, text), raw, text, size);
}

} // namespace diagnose
