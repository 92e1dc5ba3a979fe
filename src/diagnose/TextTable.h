// Distinct texts, each held once and numbered in the order they came, found again through one
// open-addressed array of numbers: a log of 200,000 computers paid a hash node of 40 to 60 bytes
// for each name, and a look-up chased a pointer to it.
#pragma once

#include "diagnose/ChunkedArray.h"

#include <cstddef>
#include <cstdint>
#include <memory>
#include <string_view>
#include <vector>

namespace diagnose {

class TextTable {
public:
    size_t size() const { return m_texts.size(); }
    // A text never moves while it is in the table. Other threads may read the texts below a
    // count they were given while this one enters more (see ChunkedArray).
    std::wstring_view operator[](size_t number) const { return m_texts[number]; }

    // The number of `text`, entered when it is new. Strong guarantee.
    uint32_t Intern(std::wstring_view text);
    // Takes out the texts from `count` on, and their characters' room; never allocates.
    void Truncate(size_t count);
    void Clear();
    // Bytes the table holds.
    size_t MemoryBytes() const;

private:
    // A number and the low bits of its text's hash, so that a probe past another text seldom
    // reads that text.
    struct Slot {
        uint32_t number;
        uint32_t hash;
    };
    static constexpr uint32_t kFree = ~uint32_t(0);
    // The characters of the texts, one after the other in a few large blocks (a string each
    // cost a 200,000-computer log 100,000 heap blocks, made while reading and freed at the close).
    // A text lies in one block; blocks and texts are in the same order.
    struct CharBlock {
        std::unique_ptr<wchar_t[]> chars;
        size_t capacity;
    };

    static uint32_t Hash(std::wstring_view text);
    size_t Next(size_t at) const { return (at + 1) & (m_capacity - 1); }
    size_t Home(uint32_t hash) const { return hash & (m_capacity - 1); }
    void Grow();
    // Room for `length` characters after those of the last text; does not enter them.
    wchar_t* RoomFor(size_t length);

    ChunkedArray<std::wstring_view, 10> m_texts;
    std::vector<CharBlock> m_blocks;
    size_t m_used = 0; // characters of the last block
    std::unique_ptr<Slot[]> m_slots;
    size_t m_capacity = 0; // a power of two, or 0
};

} // namespace diagnose
