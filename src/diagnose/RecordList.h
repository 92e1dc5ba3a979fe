// The records of one computer and one trace class, in file order, in fixed blocks: a group of
// many millions of records never needs one piece of the address space as large as itself, nor
// twice that while it grows. A small list is one small array.
#pragma once

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <initializer_list>
#include <iterator>
#include <memory>
#include <vector>

namespace diagnose {

// A record's number: its position in file order.
using RecordId = uint32_t;

class RecordList {
public:
    static constexpr size_t kBlockBits = 16;
    static constexpr size_t kBlockSize = size_t(1) << kBlockBits;

    class const_iterator {
    public:
        using iterator_category = std::random_access_iterator_tag;
        using value_type = RecordId;
        using difference_type = std::ptrdiff_t;
        using pointer = const RecordId*;
        using reference = const RecordId&;

        const_iterator() = default;
        const_iterator(const RecordList* list, size_t at) : m_list(list), m_at(at) {}
        reference operator*() const { return (*m_list)[m_at]; }
        pointer operator->() const { return &(*m_list)[m_at]; }
        reference operator[](difference_type n) const { return (*m_list)[m_at + n]; }
        const_iterator& operator++() { return ++m_at, *this; }
        const_iterator& operator--() { return --m_at, *this; }
        const_iterator operator++(int) { return {m_list, m_at++}; }
        const_iterator operator--(int) { return {m_list, m_at--}; }
        const_iterator& operator+=(difference_type n) { return m_at += n, *this; }
        const_iterator& operator-=(difference_type n) { return m_at -= n, *this; }
        friend const_iterator operator+(const_iterator i, difference_type n) { return i += n; }
        friend const_iterator operator+(difference_type n, const_iterator i) { return i += n; }
        friend const_iterator operator-(const_iterator i, difference_type n) { return i -= n; }
        friend difference_type operator-(const const_iterator& a, const const_iterator& b) {
            return static_cast<difference_type>(a.m_at) - static_cast<difference_type>(b.m_at);
        }
        friend bool operator==(const const_iterator& a, const const_iterator& b) { return a.m_at == b.m_at; }
        friend bool operator!=(const const_iterator& a, const const_iterator& b) { return a.m_at != b.m_at; }
        friend bool operator<(const const_iterator& a, const const_iterator& b) { return a.m_at < b.m_at; }
        friend bool operator>(const const_iterator& a, const const_iterator& b) { return a.m_at > b.m_at; }
        friend bool operator<=(const const_iterator& a, const const_iterator& b) { return a.m_at <= b.m_at; }
        friend bool operator>=(const const_iterator& a, const const_iterator& b) { return a.m_at >= b.m_at; }

    private:
        const RecordList* m_list = nullptr;
        size_t m_at = 0;
    };
    using iterator = const_iterator;
    using value_type = RecordId;
    using size_type = size_t;
    using reverse_iterator = std::reverse_iterator<const_iterator>;
    using const_reverse_iterator = reverse_iterator;

    RecordList() = default;
    RecordList(std::initializer_list<RecordId> ids) : RecordList(ids.begin(), ids.end()) {}
    template <typename It> RecordList(It first, It last) {
        for (; first != last; ++first)
            push_back(*first);
    }
    RecordList(const RecordList& other) : RecordList(other.begin(), other.end()) {}
    RecordList(RecordList&&) = default;
    RecordList& operator=(RecordList&&) = default;

    size_t size() const { return m_size; }
    bool empty() const { return m_size == 0; }
    const RecordId& operator[](size_t i) const {
        const size_t block = i >> kBlockBits;
        return block < m_full.size() ? m_full[block][i & (kBlockSize - 1)] : m_last[i & (kBlockSize - 1)];
    }
    const_iterator begin() const { return {this, 0}; }
    const_iterator end() const { return {this, m_size}; }
    reverse_iterator rbegin() const { return reverse_iterator(end()); }
    reverse_iterator rend() const { return reverse_iterator(begin()); }
    RecordId back() const { return (*this)[m_size - 1]; }

    // Strong guarantee: a failed allocation leaves the list as it was.
    void push_back(RecordId id) {
        if (m_last.size() == kBlockSize) {
            // The last block is full: it moves into a fixed block, and the array keeps its room.
            std::unique_ptr<RecordId[]> block(new RecordId[kBlockSize]);
            m_full.reserve(m_full.size() + 1);
            std::copy(m_last.begin(), m_last.end(), block.get());
            m_full.push_back(std::move(block));
            m_last.clear();
        }
        m_last.push_back(id);
        ++m_size;
    }
    // Never allocates: the array of the last block has kept room for a whole block.
    void pop_back() {
        if (m_last.empty()) {
            m_last.assign(m_full.back().get(), m_full.back().get() + kBlockSize);
            m_full.pop_back();
        }
        m_last.pop_back();
        --m_size;
    }
    size_t MemoryBytes() const {
        return m_full.size() * (kBlockSize * sizeof(RecordId) + sizeof(void*)) +
               m_last.capacity() * sizeof(RecordId);
    }

    friend bool operator==(const RecordList& a, const RecordList& b) {
        return a.size() == b.size() && std::equal(a.begin(), a.end(), b.begin());
    }
    friend bool operator!=(const RecordList& a, const RecordList& b) { return !(a == b); }

private:
    std::vector<std::unique_ptr<RecordId[]>> m_full; // full blocks
    std::vector<RecordId> m_last;                    // the last block, grown as a small array is
    size_t m_size = 0;
};

} // namespace diagnose
