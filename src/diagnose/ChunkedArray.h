// An array that grows in fixed blocks: no element ever moves, growth never copies, and no
// allocation is larger than one block. A 32-bit host may hold many hundred megabytes of records
// without needing them in one piece of its address space.
#pragma once

#include <cstddef>
#include <iterator>
#include <type_traits>
#include <memory>
#include <vector>

namespace diagnose {

template <typename T, size_t BlockBits = 16> class ChunkedArray {
public:
    static constexpr size_t kBlockSize = size_t(1) << BlockBits;

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
    // Grows to `count` elements (the new ones not written yet), or shrinks as truncate does.
    void resize(size_t count) {
        if (count <= m_size)
            return truncate(count);
        m_blocks.reserve((count + kBlockSize - 1) >> BlockBits);
        while ((m_blocks.size() << BlockBits) < count)
            m_blocks.push_back(std::unique_ptr<T[]>(new T[kBlockSize]));
        m_size = count;
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
