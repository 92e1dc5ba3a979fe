// A set of record numbers as one bit each, set in ascending order, that answers how many lie
// before a number (Rank) and which is the k-th (Select) in a few dozen word reads: a count per
// block of 2048 records is all it keeps beside the bits. No platform headers.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

namespace viewer {

class RankedBits {
public:
    // `id` lies after every number set so far.
    void Append(uint32_t id);
    bool Has(uint32_t id) const {
        return (id >> 6) < m_words.size() && (m_words[id >> 6] >> (id & 63) & 1);
    }
    // The numbers set before `id`.
    size_t Rank(uint32_t id) const;
    // The k-th number set (from 0); k < Count().
    uint32_t Select(size_t k) const;
    // The first number set after `id`; `end` when there is none.
    uint32_t Next(uint32_t id, uint32_t end) const;
    // The last number set before `id`, which one is.
    uint32_t Previous(uint32_t id) const;
    size_t Count() const { return m_count; }
    // Numbers from `first` on are no longer set.
    void TruncateFrom(uint32_t first);
    void Clear();
    size_t MemoryBytes() const { return m_words.capacity() * 8 + m_blocks.capacity() * 4; }

private:
    static constexpr size_t kBlockWords = 32;
    std::vector<uint64_t> m_words;
    std::vector<uint32_t> m_blocks; // the numbers set before each block
    size_t m_count = 0;
};

} // namespace viewer
