// The records of one computer and one trace class, in file order, in fixed blocks: a group of
// many millions of records never needs one piece of the address space as large as itself, nor
// twice that while it grows. A small list is one small array, and a list of a record or two
// needs none.
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
    RecordList& operator=(const RecordList&) = delete;
    ~RecordList() { Free(); }

    size_t size() const { return m_size; }
    bool empty() const { return m_size == 0; }
    const RecordId& operator[](size_t i) const {
        if (m_capacity == 0)
            return m_at.ids[i & (kInline - 1)]; // i < kInline here; the mask says so to the compiler
        const size_t block = i >> kBlockBits;
        return block < FullBlocks() ? (*m_at.heap.full)[block][i & (kBlockSize - 1)]
                                    : m_at.heap.last[i & (kBlockSize - 1)];
    }
    const_iterator begin() const { return {this, 0}; }
    const_iterator end() const { return {this, m_size}; }
    reverse_iterator rbegin() const { return reverse_iterator(end()); }
    reverse_iterator rend() const { return reverse_iterator(begin()); }
    RecordId back() const { return (*this)[m_size - 1]; }

    // Strong guarantee: a failed allocation leaves the list as it was.
    void push_back(RecordId id) {
        if (m_capacity == 0 && m_size < kInline) {
            m_at.ids[m_size++] = id;
            return;
        }
        if (m_capacity == 0)
            Grow(); // out of the list object into an array of its own
        size_t inLast = m_size - FullBlocks() * kBlockSize;
        if (inLast == m_capacity) {
            if (m_capacity < kBlockSize) {
                Grow();
            } else {
                // The last block is full: it joins the table of full blocks, and a new one begins.
                std::unique_ptr<RecordId[]> fresh(new RecordId[kBlockSize]);
                std::unique_ptr<Blocks> made(m_at.heap.full ? nullptr : new Blocks);
                Blocks& blocks = made ? *made : *m_at.heap.full;
                blocks.reserve(blocks.size() + 1);
                blocks.emplace_back(m_at.heap.last);
                if (made)
                    m_at.heap.full = made.release();
                m_at.heap.last = fresh.release();
                inLast = 0;
            }
        }
        m_at.heap.last[inLast] = id;
        ++m_size;
    }
    // Never allocates: an emptied last block gives way to the last full one.
    void pop_back() {
        if (m_capacity != 0 && FullBlocks() > 0 && m_size == FullBlocks() * kBlockSize) {
            delete[] m_at.heap.last;
            m_at.heap.last = m_at.heap.full->back().release();
            m_at.heap.full->pop_back();
        }
        --m_size;
    }
    size_t MemoryBytes() const {
        if (m_capacity == 0)
            return 0;
        size_t bytes = m_capacity * sizeof(RecordId);
        if (const Blocks* full = m_at.heap.full)
            bytes += sizeof(Blocks) + full->capacity() * sizeof(void*) +
                     full->size() * kBlockSize * sizeof(RecordId);
        return bytes;
    }

    friend bool operator==(const RecordList& a, const RecordList& b) {
        return a.size() == b.size() && std::equal(a.begin(), a.end(), b.begin());
    }
    friend bool operator!=(const RecordList& a, const RecordList& b) { return !(a == b); }

private:
    using Blocks = std::vector<std::unique_ptr<RecordId[]>>;
    // Ids kept in the room of the two pointers: a log of very many computers has hundreds of
    // thousands of lists, most of them of a record or two, and a heap block each cost more than
    // its records.
    static constexpr uint32_t kInline = 2 * sizeof(void*) / sizeof(RecordId);

    size_t FullBlocks() const { return m_at.heap.full ? m_at.heap.full->size() : 0; }
    // A last array twice as large (the first one when the ids are still in the object).
    void Grow() {
        const uint32_t capacity = m_capacity == 0 ? 2 * kInline : 2 * m_capacity;
        RecordId* grown = new RecordId[capacity];
        if (m_capacity == 0) {
            std::copy(m_at.ids, m_at.ids + m_size, grown);
            m_at.heap.full = nullptr;
        } else {
            std::copy(m_at.heap.last, m_at.heap.last + m_size, grown);
            delete[] m_at.heap.last;
        }
        m_at.heap.last = grown;
        m_capacity = capacity;
    }
    void Free() {
        if (m_capacity == 0)
            return;
        delete[] m_at.heap.last;
        delete m_at.heap.full;
    }

    uint32_t m_size = 0;
    uint32_t m_capacity = 0; // of the last array; 0 while the ids are in the object
    union Storage {
        RecordId ids[kInline];
        struct {
            RecordId* last;
            Blocks* full; // null until a block is full
        } heap;
    } m_at{};
};

} // namespace diagnose
