// The table of distinct texts: linear probing, and erasure that moves the entries after a gap
// back, so that taking texts out never allocates and every look-up still stops at a free slot.
#include "diagnose/TextTable.h"

#include <algorithm>
#include <functional>

namespace diagnose {

uint32_t TextTable::Hash(std::wstring_view text) {
    uint64_t hash = std::hash<std::wstring_view>{}(text);
    hash ^= hash >> 29; // a 32-bit size_t leaves the high half empty; mixing keeps the low bits good
    hash *= 0xBF58476D1CE4E5B9ull;
    return static_cast<uint32_t>(hash >> 32);
}

uint32_t TextTable::Intern(std::wstring_view text) {
    const uint32_t hash = Hash(text);
    if (m_capacity > 0)
        for (size_t at = Home(hash); m_slots[at].number != kFree; at = Next(at))
            if (m_slots[at].hash == hash && m_texts[m_slots[at].number] == text)
                return m_slots[at].number;
    if ((m_texts.size() + 1) * 4 > m_capacity * 3)
        Grow();
    const auto number = static_cast<uint32_t>(m_texts.size());
    // A block made for a text whose number then cannot be entered stays for the next text.
    wchar_t* chars = RoomFor(text.size());
    std::copy(text.begin(), text.end(), chars);
    m_texts.push_back(std::wstring_view(chars, text.size()));
    m_used += text.size();
    size_t at = Home(hash);
    while (m_slots[at].number != kFree)
        at = Next(at);
    m_slots[at] = {number, hash};
    return number;
}

wchar_t* TextTable::RoomFor(size_t length) {
    if (!m_blocks.empty() && m_blocks.back().capacity - m_used >= length)
        return m_blocks.back().chars.get() + m_used;
    // Blocks grow with the table, from a few names (a log of one computer) to 64 KiB; a longer
    // text has a block of its own.
    const size_t last = m_blocks.empty() ? 0 : m_blocks.back().capacity;
    const size_t capacity = std::max(length, std::clamp<size_t>(2 * last, 256, 32768));
    m_blocks.reserve(m_blocks.size() + 1);
    m_blocks.push_back({std::unique_ptr<wchar_t[]>(new wchar_t[capacity]), capacity});
    m_used = 0;
    return m_blocks.back().chars.get();
}

void TextTable::Grow() {
    const size_t capacity = m_capacity == 0 ? 16 : m_capacity * 2;
    std::unique_ptr<Slot[]> slots(new Slot[capacity]);
    for (size_t i = 0; i < capacity; ++i)
        slots[i].number = kFree;
    for (size_t i = 0; i < m_capacity; ++i) {
        const Slot slot = m_slots[i];
        if (slot.number == kFree)
            continue;
        size_t at = slot.hash & (capacity - 1);
        while (slots[at].number != kFree)
            at = (at + 1) & (capacity - 1);
        slots[at] = slot;
    }
    m_slots = std::move(slots);
    m_capacity = capacity;
}

void TextTable::Truncate(size_t count) {
    while (m_texts.size() > count) {
        const auto number = static_cast<uint32_t>(m_texts.size() - 1);
        size_t gap = Home(Hash(m_texts.back()));
        while (m_slots[gap].number != number)
            gap = Next(gap);
        for (size_t next = Next(gap); m_slots[next].number != kFree; next = Next(next)) {
            const size_t home = Home(m_slots[next].hash);
            // The entry may fill the gap unless its home lies cyclically in (gap, next].
            const bool stays = gap <= next ? (gap < home && home <= next) : (gap < home || home <= next);
            if (!stays) {
                m_slots[gap] = m_slots[next];
                gap = next;
            }
        }
        m_slots[gap].number = kFree;
        m_texts.truncate(number);
    }
    // The characters after the last text left go back, and the blocks that held only theirs.
    if (m_texts.empty()) {
        m_blocks.clear();
        m_used = 0;
        return;
    }
    const std::wstring_view last = m_texts.back();
    const wchar_t* end = last.data() + last.size();
    const std::less_equal<const wchar_t*> notAfter; // blocks are apart: a total order
    auto holdsEnd = [&](const CharBlock& block) {
        return notAfter(block.chars.get(), end) && notAfter(end, block.chars.get() + block.capacity);
    };
    while (m_blocks.size() > 1 && !holdsEnd(m_blocks.back()))
        m_blocks.pop_back();
    m_used = end - m_blocks.back().chars.get();
}

size_t TextTable::MemoryBytes() const {
    size_t bytes = m_capacity * sizeof(Slot) + m_texts.MemoryBytes();
    for (const CharBlock& block : m_blocks)
        bytes += block.capacity * sizeof(wchar_t);
    return bytes;
}

// Nothing here allocates: an index is emptied when memory has run out too.
void TextTable::Clear() {
    m_texts.clear();
    m_blocks.clear();
    m_used = 0;
    m_slots.reset();
    m_capacity = 0;
}

} // namespace diagnose
