// An array that grows in fixed blocks: no element ever moves, growth never copies, and no
// allocation is larger than one block. A 32-bit host may hold many hundred megabytes of records
// without needing them in one piece of its address space.
#pragma once

#include <cstddef>
#include <memory>
#include <vector>

namespace diagnose {

template <typename T, size_t BlockBits = 16> class ChunkedArray {
public:
    static constexpr size_t kBlockSize = size_t(1) << BlockBits;

    size_t size() const { return m_size; }
    bool empty() const { return m_size == 0; }
    T& operator[](size_t i) { return m_blocks[i >> BlockBits][i & (kBlockSize - 1)]; }
    const T& operator[](size_t i) const { return m_blocks[i >> BlockBits][i & (kBlockSize - 1)]; }
    T& back() { return (*this)[m_size - 1]; }

    // Strong guarantee: a failed allocation leaves the array as it was.
    void push_back(const T& value) {
        if ((m_size >> BlockBits) == m_blocks.size()) {
            m_blocks.reserve(m_blocks.size() + 1);
            m_blocks.push_back(std::unique_ptr<T[]>(new T[kBlockSize])); // written before it is read
        }
        (*this)[m_size++] = value;
    }
    // Shrinks to `count` elements and gives back the blocks no longer used; never allocates.
    void truncate(size_t count) {
        if (count >= m_size)
            return;
        m_size = count;
        m_blocks.resize((count + kBlockSize - 1) >> BlockBits);
    }
    void clear() {
        m_size = 0;
        std::vector<std::unique_ptr<T[]>>().swap(m_blocks);
    }
    size_t MemoryBytes() const { return m_blocks.size() * kBlockSize * sizeof(T); }

private:
    std::vector<std::unique_ptr<T[]>> m_blocks;
    size_t m_size = 0;
};

} // namespace diagnose
