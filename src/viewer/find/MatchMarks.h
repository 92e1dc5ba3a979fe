// Which records hold the search text: every line is read once, then only the lines that arrive.
#pragma once

#include "diagnose/RecordStore.h"
#include "viewer/find/TextMatcher.h"

#include <cstddef>
#include <cstdint>
#include <vector>

namespace viewer {

class MatchMarks {
public:
    // What one look found: which of the records from `first` on hold the text, for the marks as
    // they stood (`generation`) when it began.
    struct Look {
        diagnose::RecordId first = 0;
        uint64_t generation = 0;
        std::vector<bool> found;
        diagnose::Recheck check = diagnose::Recheck::Same;
        uint32_t error = 0;
    };

    // Looks at the records not looked at yet, up to the store's last and at most `most` of
    // them: they are read from `source` and checked against what was indexed. Changed when the source no
    // longer holds what was indexed, Failed when it could not be read (`Error()` says why); nothing is kept
    // then, and the next update reads every line again.
    diagnose::Recheck Update(const diagnose::RecordStore& store, diagnose::ByteSource& source,
                             const TextMatcher& matcher, size_t most = SIZE_MAX);
    // Update in three steps, so that the lines are read without the marks (on the reading
    // thread, outside the index's gate) and only what was found is added under it: the look that
    // comes next, what it finds in at most `most` records, and Add.
    Look Next() const { return {static_cast<diagnose::RecordId>(m_marks.size()), m_generation, {}, {}, 0}; }
    static void LookAt(Look& look, const diagnose::RecordStore& store, diagnose::ByteSource& source,
                       const TextMatcher& matcher, size_t most);
    // Adds what a look found, unless the marks changed since it began (another search, records
    // taken back): then nothing is added, and Same is answered for the next look.
    diagnose::Recheck Add(const Look& look);
    uint64_t Generation() const { return m_generation; }
    bool Marked(diagnose::RecordId id) const { return id < m_marks.size() && m_marks[id]; }
    // The records looked at: [0, Size()), and which of them hold the text.
    size_t Size() const { return m_marks.size(); }
    const std::vector<bool>& Bits() const { return m_marks; }
    // The marked records in file order while there are at most kListedMost of them, else null:
    // Find Next then looks only at their groups, not at every group of the tree.
    static constexpr size_t kListedMost = 65536;
    const std::vector<diagnose::RecordId>* Listed() const { return m_listing ? &m_listed : nullptr; }
    // Records from `first` on are to be looked at again (the store took them back or changed).
    void ForgetFrom(diagnose::RecordId first);
    void Clear();
    // The source's error code of the last failed update.
    uint32_t Error() const { return m_error; }

private:
    std::vector<bool> m_marks;
    std::vector<diagnose::RecordId> m_listed;
    bool m_listing = true; // m_listed holds every marked record
    uint32_t m_error = 0;
    uint64_t m_generation = 0; // counts the changes other than additions
};

} // namespace viewer
