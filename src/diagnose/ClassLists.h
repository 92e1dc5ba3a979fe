// The lists of one computer by trace class. A computer has a few (one per trace class it writes),
// so they are a chain through the lists themselves, in order of trace class: a log of 200,000
// computers kept a map node of 64 bytes for each of its 800,000 lists, and then an array each.
#pragma once

#include "diagnose/RecordList.h"

#include <cstdint>
#include <iterator>
#include <stdexcept>
#include <utility>

namespace diagnose {

// A list with the trace class it holds and the computer's list of the next trace class. It never
// moves: the chain and the groupings hold its address.
struct ClassList {
    explicit ClassList(uint16_t traceClass) : traceClass(traceClass) {}
    ClassList(const ClassList&) = delete;
    ClassList& operator=(const ClassList&) = delete;

    RecordList records;
    ClassList* next = nullptr;
    uint16_t traceClass;
};

class ClassLists {
public:
    using value_type = std::pair<uint16_t, const RecordList*>;

    // Reads the chain; what it hands out is its own copy, valid until it moves on.
    class const_iterator {
    public:
        using iterator_category = std::input_iterator_tag;
        using value_type = ClassLists::value_type;
        using difference_type = std::ptrdiff_t;
        using pointer = const value_type*;
        using reference = const value_type&;

        const_iterator() = default;
        explicit const_iterator(const ClassList* at) : m_at(at) { Load(); }
        reference operator*() const { return m_value; }
        pointer operator->() const { return &m_value; }
        const_iterator& operator++() {
            m_at = m_at->next;
            Load();
            return *this;
        }
        friend bool operator==(const const_iterator& a, const const_iterator& b) { return a.m_at == b.m_at; }
        friend bool operator!=(const const_iterator& a, const const_iterator& b) { return a.m_at != b.m_at; }

    private:
        void Load() {
            if (m_at)
                m_value = {m_at->traceClass, &m_at->records};
        }
        const ClassList* m_at = nullptr;
        value_type m_value{};
    };

    const_iterator begin() const { return const_iterator(m_first); }
    const_iterator end() const { return const_iterator(); }
    size_t size() const {
        size_t count = 0;
        for (const ClassList* at = m_first; at; at = at->next)
            ++count;
        return count;
    }
    bool empty() const { return m_first == nullptr; }
    const_iterator find(uint16_t traceClass) const {
        if (!(m_classes & Bit(traceClass)))
            return end();
        const ClassList* at = m_first;
        while (at && at->traceClass < traceClass)
            at = at->next;
        return const_iterator(at && at->traceClass == traceClass ? at : nullptr);
    }
    const RecordList* at(uint16_t traceClass) const {
        auto found = find(traceClass);
        if (found == end())
            throw std::out_of_range("no list of this trace class");
        return found->second;
    }

    // Enters a list of a trace class the computer has none of yet, in its place; never allocates.
    void Add(ClassList& list) {
        ClassList** link = &m_first;
        while (*link && (*link)->traceClass < list.traceClass)
            link = &(*link)->next;
        list.next = *link;
        *link = &list;
        m_classes |= Bit(list.traceClass);
    }
    // Never allocates.
    void Erase(uint16_t traceClass) {
        for (ClassList** link = &m_first; *link; link = &(*link)->next)
            if ((*link)->traceClass == traceClass) {
                *link = (*link)->next;
                break;
            }
        m_classes = 0;
        for (const ClassList* at = m_first; at; at = at->next)
            m_classes |= Bit(at->traceClass);
    }

private:
    static uint64_t Bit(uint16_t traceClass) { return uint64_t(1) << (traceClass % 64); }

    ClassList* m_first = nullptr;
    // A bit for each trace class held, by its remainder of 64: a look for a class that a
    // computer lacks reads no list (the tree's pages of a type look at every computer's).
    uint64_t m_classes = 0;
};

} // namespace diagnose
