// The lists of one computer by trace class. A computer has a few (one per trace class it writes),
// so they are a small sorted array, not a tree of nodes: a log of 200,000 computers kept a map
// node of 64 bytes for each of its 800,000 lists.
#pragma once

#include <algorithm>
#include <cstdint>
#include <stdexcept>
#include <utility>
#include <vector>

namespace diagnose {

class RecordList;

class ClassLists {
public:
    using value_type = std::pair<uint16_t, const RecordList*>;
    using const_iterator = std::vector<value_type>::const_iterator;

    const_iterator begin() const { return m_lists.begin(); }
    const_iterator end() const { return m_lists.end(); }
    size_t size() const { return m_lists.size(); }
    bool empty() const { return m_lists.empty(); }
    const_iterator find(uint16_t traceClass) const {
        auto at = LowerBound(traceClass);
        return at != m_lists.end() && at->first == traceClass ? at : m_lists.end();
    }
    const RecordList* at(uint16_t traceClass) const {
        auto found = find(traceClass);
        if (found == end())
            throw std::out_of_range("no list of this trace class");
        return found->second;
    }

    // Enters the list of a trace class the computer has none of yet. Strong guarantee.
    void Add(uint16_t traceClass, const RecordList* list) {
        m_lists.insert(LowerBound(traceClass), {traceClass, list});
    }
    // Never allocates.
    void Erase(uint16_t traceClass) {
        auto found = find(traceClass);
        if (found != m_lists.end())
            m_lists.erase(found);
    }

private:
    const_iterator LowerBound(uint16_t traceClass) const {
        return std::lower_bound(m_lists.begin(), m_lists.end(), traceClass,
                                [](const value_type& entry, uint16_t key) { return entry.first < key; });
    }
    std::vector<value_type> m_lists;
};

} // namespace diagnose
