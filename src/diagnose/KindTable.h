// The kinds of records a log has, (list, process), each held once and numbered in order of
// appearance. Found through an open-addressed array of numbers: a log of 200,000 computers has
// as many kinds, and a heap block each, as a map keeps them, cost the host's thread its heap's
// lock while the index was filed and given back.
#pragma once

#include "diagnose/ChunkedArray.h"

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <vector>

namespace diagnose {

struct Kind {
    uint32_t leaf;
    uint32_t process; // its name's number
};

class KindTable {
public:
    size_t size() const { return m_kinds.size(); }
    const Kind& operator[](size_t id) const { return m_kinds[id]; }

    // The number of (leaf, process), made when new. Strong guarantee.
    uint32_t Intern(uint32_t leaf, uint32_t process) {
        if (m_slots.size() < 2 * (m_kinds.size() + 1))
            Grow();
        size_t at = Slot(leaf, process);
        for (; m_slots[at] != 0; at = (at + 1) & (m_slots.size() - 1)) {
            const Kind& kind = m_kinds[m_slots[at] - 1];
            if (kind.leaf == leaf && kind.process == process)
                return m_slots[at] - 1;
        }
        const auto id = static_cast<uint32_t>(m_kinds.size());
        m_kinds.push_back(Kind{leaf, process});
        m_slots[at] = id + 1;
        return id;
    }
    // Keeps the first `count` kinds; never allocates.
    void Truncate(size_t count) {
        if (count >= m_kinds.size())
            return;
        m_kinds.truncate(count);
        std::fill(m_slots.begin(), m_slots.end(), 0);
        for (size_t id = 0; id < count; ++id)
            Enter(static_cast<uint32_t>(id));
    }
    void Clear() {
        m_kinds.clear();
        std::vector<uint32_t>().swap(m_slots);
    }
    size_t MemoryBytes() const { return m_kinds.MemoryBytes() + m_slots.capacity() * sizeof(uint32_t); }

private:
    size_t Slot(uint32_t leaf, uint32_t process) const {
        uint64_t key = uint64_t(leaf) << 32 | process;
        key ^= key >> 33;
        key *= 0xFF51AFD7ED558CCDull;
        key ^= key >> 33;
        return static_cast<size_t>(key) & (m_slots.size() - 1);
    }
    void Enter(uint32_t id) {
        size_t at = Slot(m_kinds[id].leaf, m_kinds[id].process);
        while (m_slots[at] != 0)
            at = (at + 1) & (m_slots.size() - 1);
        m_slots[at] = id + 1;
    }
    // Twice the slots, the kinds entered again; the array is made before anything changes.
    void Grow() {
        std::vector<uint32_t> slots(m_slots.empty() ? 64 : 2 * m_slots.size());
        m_slots.swap(slots);
        for (size_t id = 0; id < m_kinds.size(); ++id)
            Enter(static_cast<uint32_t>(id));
    }

    ChunkedArray<Kind, 12> m_kinds;
    std::vector<uint32_t> m_slots; // a kind's number + 1; 0 where none is
};

} // namespace diagnose
