// Numbers looked up by 64-bit keys in one open-addressed table: a lookup is one probe of a
// contiguous array, where a node-based map chases a pointer per entry. Filing a log of a
// hundred thousand computers looks up a list and a group for every line.
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <utility>

namespace diagnose {

class FlatKeyMap {
public:
    // ~0 marks a free slot and is never a key: the keys pack numbers of lists and names, of which
    // there are fewer than 2^32 - 1.
    static constexpr uint64_t kFree = ~uint64_t(0);

    size_t size() const { return m_size; }

    // The value of `key`, or null.
    const uint32_t* Find(uint64_t key) const {
        if (m_size == 0)
            return nullptr;
        for (size_t at = Home(key);; at = Next(at)) {
            if (m_slots[at].key == key)
                return &m_slots[at].value;
            if (m_slots[at].key == kFree)
                return nullptr;
        }
    }

    // Enters a key that is not in the map. Strong guarantee: a failed allocation changes nothing.
    void Insert(uint64_t key, uint32_t value) {
        if ((m_size + 1) * 4 > m_capacity * 3)
            Grow();
        size_t at = Home(key);
        while (m_slots[at].key != kFree)
            at = Next(at);
        m_slots[at] = {key, value};
        ++m_size;
    }

    // Takes a key out, if present; never allocates. The entries after it in its probe run move
    // back, so that every lookup still stops at the first free slot.
    void Erase(uint64_t key) {
        if (m_size == 0)
            return;
        size_t at = Home(key);
        while (m_slots[at].key != key) {
            if (m_slots[at].key == kFree)
                return;
            at = Next(at);
        }
        for (size_t next = Next(at);; next = Next(next)) {
            if (m_slots[next].key == kFree)
                break;
            const size_t home = Home(m_slots[next].key);
            // The entry may fill the gap unless its home lies cyclically in (at, next].
            const bool stays = at <= next ? (at < home && home <= next) : (at < home || home <= next);
            if (!stays) {
                m_slots[at] = m_slots[next];
                at = next;
            }
        }
        m_slots[at].key = kFree;
        --m_size;
    }

    void Clear() {
        m_slots.reset();
        m_capacity = m_size = 0;
    }

    size_t MemoryBytes() const { return m_capacity * sizeof(Slot); }

private:
    struct Slot {
        uint64_t key;
        uint32_t value;
    };

    size_t Home(uint64_t key) const {
        key ^= key >> 33;
        key *= 0xFF51AFD7ED558CCDull;
        key ^= key >> 33;
        return static_cast<size_t>(key) & (m_capacity - 1);
    }
    size_t Next(size_t at) const { return (at + 1) & (m_capacity - 1); }

    void Grow() {
        const size_t capacity = m_capacity ? m_capacity * 2 : 64;
        std::unique_ptr<Slot[]> slots(new Slot[capacity]);
        for (size_t i = 0; i < capacity; ++i)
            slots[i].key = kFree;
        std::swap(slots, m_slots);
        const size_t old = m_capacity;
        m_capacity = capacity;
        for (size_t i = 0; i < old; ++i)
            if (slots[i].key != kFree) {
                size_t at = Home(slots[i].key);
                while (m_slots[at].key != kFree)
                    at = Next(at);
                m_slots[at] = slots[i];
            }
    }

    std::unique_ptr<Slot[]> m_slots;
    size_t m_capacity = 0; // a power of two
    size_t m_size = 0;
};

} // namespace diagnose
