// Ranked bits.
#include "viewer/records/RankedBits.h"

#include <algorithm>

namespace viewer {
namespace {

int Ones(uint64_t word) {
    return __builtin_popcountll(word);
}

// The place of the k-th set bit of `word` (k < Ones(word)).
int NthBit(uint64_t word, int k) {
    for (; k > 0; --k)
        word &= word - 1;
    return __builtin_ctzll(word);
}

} // namespace

void RankedBits::Append(uint32_t id) {
    const size_t word = id >> 6;
    if (word >= m_words.size())
        m_words.resize(std::max(word + 1, m_words.size() + m_words.size() / 2), 0);
    // Blocks begun since the last number set hold none before this one.
    while (m_blocks.size() <= word / kBlockWords)
        m_blocks.push_back(static_cast<uint32_t>(m_count));
    m_words[word] |= uint64_t(1) << (id & 63);
    ++m_count;
}

size_t RankedBits::Rank(uint32_t id) const {
    const size_t word = id >> 6, block = word / kBlockWords;
    if (block >= m_blocks.size())
        return m_count;
    size_t count = m_blocks[block];
    for (size_t at = block * kBlockWords; at < std::min(word, m_words.size()); ++at)
        count += static_cast<size_t>(Ones(m_words[at]));
    if (word < m_words.size())
        count += static_cast<size_t>(Ones(m_words[word] & ((uint64_t(1) << (id & 63)) - 1)));
    return count;
}

uint32_t RankedBits::Select(size_t k) const {
    const size_t block =
        static_cast<size_t>(std::upper_bound(m_blocks.begin(), m_blocks.end(), static_cast<uint32_t>(k)) -
                            m_blocks.begin()) -
        1;
    size_t count = m_blocks[block];
    for (size_t word = block * kBlockWords; word < m_words.size(); ++word) {
        const size_t ones = static_cast<size_t>(Ones(m_words[word]));
        if (count + ones > k)
            return static_cast<uint32_t>(word * 64 + static_cast<size_t>(NthBit(m_words[word], static_cast<int>(k - count))));
        count += ones;
    }
    return 0; // k >= Count(): not asked
}

uint32_t RankedBits::Next(uint32_t id, uint32_t end) const {
    uint64_t from = uint64_t{id} + 1;
    for (size_t word = from >> 6; word < m_words.size(); ++word) {
        uint64_t bits = m_words[word];
        if (word == (from >> 6))
            bits &= ~uint64_t(0) << (from & 63);
        if (bits) {
            const uint64_t next = word * 64 + static_cast<uint64_t>(__builtin_ctzll(bits));
            return next < end ? static_cast<uint32_t>(next) : end;
        }
    }
    return end;
}

uint32_t RankedBits::Previous(uint32_t id) const {
    for (size_t word = std::min<size_t>(id >> 6, m_words.size() - 1) + 1; word-- > 0;) {
        uint64_t bits = m_words[word];
        if (word == (id >> 6))
            bits &= (uint64_t(1) << (id & 63)) - 1;
        if (bits)
            return static_cast<uint32_t>(word * 64 + 63 - static_cast<size_t>(__builtin_clzll(bits)));
    }
    return 0;
}

void RankedBits::TruncateFrom(uint32_t first) {
    if (first >= m_words.size() * 64)
        return;
    const size_t kept = Rank(first);
    const size_t word = first >> 6;
    m_words[word] &= (uint64_t(1) << (first & 63)) - 1;
    std::fill(m_words.begin() + static_cast<ptrdiff_t>(word) + 1, m_words.end(), 0);
    m_blocks.resize(std::min(m_blocks.size(), word / kBlockWords + 1));
    m_count = kept;
}

void RankedBits::Clear() {
    m_words = {};
    m_blocks = {};
    m_count = 0;
}

} // namespace viewer
