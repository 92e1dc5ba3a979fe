// The records of one computer and one trace class, in file order. Full blocks of 128 are packed:
// each record as its distance from the block's first, in one, two or four bytes as the block
// needs, so that a group of many millions of records takes about two bytes a record and any of
// them is read at once. No piece of the address space is as large as the group, nor twice that
// while it grows. A small list is one small array, and a list of a record or two needs none.
#pragma once

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <initializer_list>
#include <iterator>
#include <memory>
#include <vector>

namespace diagnose {

// A record's number: its position in file order.
using RecordId = uint32_t;

class RecordList {
public:
    static constexpr size_t kBlockBits = 7;
    static constexpr size_t kBlockSize = size_t(1) << kBlockBits;

    // Reads records by value: a packed record has no place of its own.
    class const_iterator {
    public:
        using iterator_category = std::random_access_iterator_tag;
        using value_type = RecordId;
        using difference_type = std::ptrdiff_t;
        using pointer = void;
        using reference = RecordId;

        const_iterator() = default;
        const_iterator(const RecordList* list, size_t at) : m_list(list), m_at(at) {}
        RecordId operator*() const { return (*m_list)[m_at]; }
        RecordId operator[](difference_type n) const { return (*m_list)[m_at + n]; }
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
    RecordId operator[](size_t i) const {
        if (m_capacity == 0)
            return m_at.ids[i & (kInline - 1)]; // i < kInline here; the mask says so to the compiler
        const size_t block = i >> kBlockBits;
        if (block >= FullBlocks())
            return m_at.heap.last[i & (kBlockSize - 1)];
        const Packed& packed = m_at.heap.full->blocks[block];
        const size_t at = i & (kBlockSize - 1);
        switch (packed.width) {
        case 1:
            return packed.first + packed.distances[at];
        case 2:
            return packed.first + Read<uint16_t>(packed.distances.get(), at);
        default:
            return packed.first + Read<uint32_t>(packed.distances.get(), at);
        }
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
                PackLast(); // the last array is full: it is packed and taken again
                inLast = 0;
            }
        }
        m_at.heap.last[inLast] = id;
        ++m_size;
    }
    // Never allocates: an emptied last array takes the ids of the last packed block again.
    void pop_back() {
        if (m_capacity != 0 && FullBlocks() > 0 && m_size == FullBlocks() * kBlockSize)
            UnpackLast();
        --m_size;
    }
    size_t MemoryBytes() const {
        if (m_capacity == 0)
            return 0;
        size_t bytes = m_capacity * sizeof(RecordId);
        if (const Full* full = m_at.heap.full)
            bytes += sizeof(Full) + full->blocks.capacity() * sizeof(Packed) + full->bytes;
        return bytes;
    }

    friend bool operator==(const RecordList& a, const RecordList& b) {
        return a.size() == b.size() && std::equal(a.begin(), a.end(), b.begin());
    }
    friend bool operator!=(const RecordList& a, const RecordList& b) { return !(a == b); }

private:
    // A block of kBlockSize ids: the first, and each one's distance from it in `width` bytes.
    struct Packed {
        RecordId first;
        uint8_t width;
        std::unique_ptr<unsigned char[]> distances;
    };
    struct Full {
        std::vector<Packed> blocks;
        size_t bytes = 0; // of their distances
    };
    // Ids kept in the room of the two pointers: a log of very many computers has hundreds of
    // thousands of lists, most of them of a record or two, and a heap block each cost more than
    // its records.
    static constexpr uint32_t kInline = 2 * sizeof(void*) / sizeof(RecordId);

    template <typename T> static T Read(const unsigned char* bytes, size_t at) {
        T value;
        std::memcpy(&value, bytes + at * sizeof(T), sizeof(T));
        return value;
    }
    template <typename T> static void Write(unsigned char* bytes, size_t at, T value) {
        std::memcpy(bytes + at * sizeof(T), &value, sizeof(T));
    }

    size_t FullBlocks() const { return m_at.heap.full ? m_at.heap.full->blocks.size() : 0; }
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
    // Everything allocated before anything changes: the strong guarantee.
    void PackLast() {
        const RecordId* ids = m_at.heap.last;
        RecordId span = 0; // ids out of order take four bytes each, by the distance's wrap
        for (size_t i = 1; i < kBlockSize; ++i)
            span = std::max<RecordId>(span, ids[i] - ids[0]);
        const uint8_t width = span <= 0xFF ? 1 : span <= 0xFFFF ? 2 : 4;
        std::unique_ptr<unsigned char[]> distances(new unsigned char[kBlockSize * width]);
        for (size_t i = 0; i < kBlockSize; ++i) {
            const RecordId distance = ids[i] - ids[0];
            if (width == 1)
                distances[i] = static_cast<unsigned char>(distance);
            else if (width == 2)
                Write(distances.get(), i, static_cast<uint16_t>(distance));
            else
                Write(distances.get(), i, distance);
        }
        std::unique_ptr<Full> made(m_at.heap.full ? nullptr : new Full);
        Full& full = made ? *made : *m_at.heap.full;
        if (full.blocks.size() == full.blocks.capacity())
            full.blocks.reserve(full.blocks.size() * 2 + 1);
        full.blocks.push_back(Packed{ids[0], width, std::move(distances)});
        full.bytes += kBlockSize * width;
        if (made)
            m_at.heap.full = made.release();
    }
    void UnpackLast() {
        Full& full = *m_at.heap.full;
        const size_t first = (full.blocks.size() - 1) * kBlockSize;
        for (size_t i = 0; i < kBlockSize; ++i)
            m_at.heap.last[i] = (*this)[first + i];
        full.bytes -= kBlockSize * full.blocks.back().width;
        full.blocks.pop_back();
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
            Full* full; // null until a block is full
        } heap;
    } m_at{};
};

} // namespace diagnose
