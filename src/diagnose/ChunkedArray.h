// An array that grows in fixed blocks: no element ever moves, growth never copies, and no
// allocation is larger than one block. A 32-bit host may hold many hundred megabytes of records
// without needing them in one piece of its address space.
#pragma once

#include <atomic>
#include <cstddef>
#include <iterator>
#include <memory>
#include <type_traits>
#include <utility>
#include <vector>

namespace diagnose {

// One thread appends; other threads may read the elements below a count that the appending
// thread handed them (a worker given "the first N records"), while it goes on appending. The
// table of blocks is therefore replaced rather than grown in place, and the tables it replaced
// stay until clear(): a reader finds an element's block in whichever table it reads. truncate()
// and clear() must not take elements that another thread may still read.
template <typename T, size_t BlockBits = 16> class ChunkedArray {
public:
    static constexpr size_t kBlockSize = size_t(1) << BlockBits;

    ChunkedArray() = default;
    ChunkedArray(const ChunkedArray&) = delete;
    ChunkedArray& operator=(const ChunkedArray&) = delete;
    // Like clear(), only while no other thread reads either array.
    ChunkedArray(ChunkedArray&& other) noexcept { swap(other); }
    ChunkedArray& operator=(ChunkedArray&& other) noexcept {
        ChunkedArray(std::move(other)).swap(*this);
        return *this;
    }
    void swap(ChunkedArray& other) noexcept {
        T* const* table = m_table.load(std::memory_order_relaxed);
        m_table.store(other.m_table.load(std::memory_order_relaxed), std::memory_order_relaxed);
        other.m_table.store(table, std::memory_order_relaxed);
        m_blocks.swap(other.m_blocks);
        m_tables.swap(other.m_tables);
        std::swap(m_capacity, other.m_capacity);
        std::swap(m_size, other.m_size);
    }

    // A random-access iterator over the elements (const when `Const`).
    template <bool Const> class Iterator {
    public:
        using iterator_category = std::random_access_iterator_tag;
        using value_type = T;
        using difference_type = std::ptrdiff_t;
        using Array = std::conditional_t<Const, const ChunkedArray, ChunkedArray>;
        using reference = std::conditional_t<Const, const T&, T&>;
        using pointer = std::conditional_t<Const, const T*, T*>;
        Iterator() = default;
        Iterator(Array* array, size_t at) : m_array(array), m_at(at) {}
        reference operator*() const { return (*m_array)[m_at]; }
        pointer operator->() const { return &(*m_array)[m_at]; }
        reference operator[](difference_type n) const { return (*m_array)[m_at + n]; }
        Iterator& operator++() { return ++m_at, *this; }
        Iterator& operator--() { return --m_at, *this; }
        Iterator operator++(int) { return {m_array, m_at++}; }
        Iterator operator--(int) { return {m_array, m_at--}; }
        Iterator& operator+=(difference_type n) { return m_at += n, *this; }
        Iterator& operator-=(difference_type n) { return m_at -= n, *this; }
        friend Iterator operator+(Iterator i, difference_type n) { return i += n; }
        friend Iterator operator+(difference_type n, Iterator i) { return i += n; }
        friend Iterator operator-(Iterator i, difference_type n) { return i -= n; }
        friend difference_type operator-(const Iterator& a, const Iterator& b) {
            return static_cast<difference_type>(a.m_at) - static_cast<difference_type>(b.m_at);
        }
        friend bool operator==(const Iterator& a, const Iterator& b) { return a.m_at == b.m_at; }
        friend bool operator!=(const Iterator& a, const Iterator& b) { return a.m_at != b.m_at; }
        friend bool operator<(const Iterator& a, const Iterator& b) { return a.m_at < b.m_at; }
        friend bool operator>(const Iterator& a, const Iterator& b) { return a.m_at > b.m_at; }
        friend bool operator<=(const Iterator& a, const Iterator& b) { return a.m_at <= b.m_at; }
        friend bool operator>=(const Iterator& a, const Iterator& b) { return a.m_at >= b.m_at; }

    private:
        Array* m_array = nullptr;
        size_t m_at = 0;
    };
    using iterator = Iterator<false>;
    using const_iterator = Iterator<true>;
    iterator begin() { return {this, 0}; }
    iterator end() { return {this, m_size}; }
    const_iterator begin() const { return {this, 0}; }
    const_iterator end() const { return {this, m_size}; }

    size_t size() const { return m_size; }
    bool empty() const { return m_size == 0; }
    T& operator[](size_t i) { return Table()[i >> BlockBits][i & (kBlockSize - 1)]; }
    const T& operator[](size_t i) const { return Table()[i >> BlockBits][i & (kBlockSize - 1)]; }
    T& back() { return (*this)[m_size - 1]; }

    // Strong guarantee: a failed allocation leaves the array as it was.
    void push_back(T value) {
        if ((m_size >> BlockBits) == m_blocks.size())
            AddBlock();
        (*this)[m_size] = std::move(value);
        ++m_size;
    }
    // Grows to `count` elements (the new ones not written yet), or shrinks as truncate does.
    void resize(size_t count) {
        if (count <= m_size)
            return truncate(count);
        while ((m_blocks.size() << BlockBits) < count)
            AddBlock();
        m_size = count;
    }
    // Shrinks to `count` elements and gives back the blocks no longer used; never allocates.
    void truncate(size_t count) {
        if (count >= m_size)
            return;
        m_size = count;
        const size_t blocks = (count + kBlockSize - 1) >> BlockBits;
        for (size_t b = blocks; b < m_blocks.size(); ++b)
            m_tables.back()[b] = nullptr;
        m_blocks.resize(blocks);
    }
    void clear() {
        m_size = 0;
        m_table.store(nullptr, std::memory_order_relaxed);
        std::vector<std::unique_ptr<T[]>>().swap(m_blocks);
        std::vector<std::unique_ptr<T*[]>>().swap(m_tables);
        m_capacity = 0;
    }
    size_t MemoryBytes() const {
        return m_blocks.size() * kBlockSize * sizeof(T) + m_capacity * 2 * sizeof(T*);
    }

private:
    T* const* Table() const { return m_table.load(std::memory_order_acquire); }

    void AddBlock() {
        // Both allocations before anything changes: the strong guarantee.
        m_blocks.reserve(m_blocks.size() + 1);
        std::unique_ptr<T[]> block(new T[kBlockSize]); // written before it is read
        if (m_blocks.size() == m_capacity) {
            const size_t capacity = m_capacity == 0 ? 8 : m_capacity * 2;
            m_tables.reserve(m_tables.size() + 1);
            std::unique_ptr<T*[]> table(new T*[capacity]());
            for (size_t b = 0; b < m_blocks.size(); ++b)
                table[b] = m_blocks[b].get();
            m_tables.push_back(std::move(table));
            m_capacity = capacity;
        }
        m_tables.back()[m_blocks.size()] = block.get();
        m_table.store(m_tables.back().get(), std::memory_order_release);
        m_blocks.push_back(std::move(block));
    }

    std::atomic<T* const*> m_table{nullptr}; // the newest of m_tables
    std::vector<std::unique_ptr<T[]>> m_blocks;
    std::vector<std::unique_ptr<T*[]>> m_tables; // every table made since clear(): readers may hold any
    size_t m_capacity = 0;                       // of the newest table
    size_t m_size = 0;
};

} // namespace diagnose
