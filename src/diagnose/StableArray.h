// A growing array of objects that never move, made in place in blocks of a fixed number of them:
// a log of 200,000 computers has some 700,000 lists, which a deque kept ten to a heap block.
#pragma once

#include <cstddef>
#include <memory>
#include <new>
#include <utility>
#include <vector>

namespace diagnose {

// One thread changes it; others may read elements it told them of (see RecordStore's gate).
template <typename T, size_t BlockBits = 9> class StableArray {
public:
    static constexpr size_t kBlockSize = size_t(1) << BlockBits;

    StableArray() = default;
    StableArray(const StableArray&) = delete;
    StableArray& operator=(const StableArray&) = delete;
    ~StableArray() { clear(); }

    size_t size() const { return m_size; }
    bool empty() const { return m_size == 0; }
    T& operator[](size_t i) { return Slot(i); }
    const T& operator[](size_t i) const { return const_cast<StableArray&>(*this).Slot(i); }
    T& back() { return Slot(m_size - 1); }

    // Strong guarantee.
    template <typename... Args> T& emplace_back(Args&&... args) {
        if (m_size == m_blocks.size() * kBlockSize) {
            m_blocks.reserve(m_blocks.size() + 1);
            m_blocks.emplace_back(new Storage[kBlockSize]);
        }
        Storage& room = m_blocks[m_size >> BlockBits][m_size & (kBlockSize - 1)];
        T* made = ::new (static_cast<void*>(room.bytes)) T(std::forward<Args>(args)...);
        ++m_size;
        return *made;
    }
    // Keeps the blocks, for the next elements.
    void pop_back() {
        back().~T();
        --m_size;
    }
    void clear() {
        while (m_size > 0)
            pop_back();
        m_blocks.clear();
    }

private:
    struct Storage {
        alignas(T) unsigned char bytes[sizeof(T)];
    };
    T& Slot(size_t i) {
        return *std::launder(reinterpret_cast<T*>(m_blocks[i >> BlockBits][i & (kBlockSize - 1)].bytes));
    }

    std::vector<std::unique_ptr<Storage[]>> m_blocks;
    size_t m_size = 0;
};

} // namespace diagnose
